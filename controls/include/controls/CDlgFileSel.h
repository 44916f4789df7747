// Asks the user for files or folders with the program's chooser, standing
// on the modal-dialog stack while the chooser is open: a dialog below it
// that ends closes the chooser too (result 100), and dialogs opened from
// the chooser are owned by its window.
#pragma once

#include <memory>
#include <vector>

#include "controls/CDlgStack.h"
#include "controls/SDlgFileChooser.h"

namespace ORIEL {

class CDlgFileSel : public IDlgRecall {
 public:
  // Results of Show.
  static constexpr INT_PTR kCancelled = 100;  // or recalled, or no chooser
  static constexpr INT_PTR kChosen = 101;
  static constexpr INT_PTR kNothingChosen = 102;
  static constexpr DWORD kDefaultOptions = FOS_FILEMUSTEXIST | FOS_ALLOWMULTISELECT | FOS_NOCHANGEDIR;

  CDlgFileSel() = default;
  ~CDlgFileSel() override;

  // An empty pattern adds nothing.
  CDlgFileSel& AddFilter(const SStringW& name, const SStringW& pattern);
  CDlgFileSel& SetPickFolders();
  CDlgFileSel& SetMultiSelect(bool multi);
  CDlgFileSel& SetFileMustExist();

  // Runs the chooser owned by `owner`; the chosen paths are then in
  // `paths`, in list order, folders without a trailing '/'.
  INT_PTR Show(HWND owner);

  INT_PTR Recall() override;
  // The chooser's window while it is open.
  HWND GetRecallHwnd() override;
  // The chooser while Show runs, else null.
  SDlgFileChooser* GetChooser() const { return chooser_.get(); }

  // Where the next chooser opens: the folder of the last choice made.
  static SStringW LastFolder();
  static void RememberFolder(const SStringW& folder);

  std::vector<SStringW> paths;
  std::vector<FileChooserFilter> filters;
  DWORD options = kDefaultOptions;

 private:
  std::unique_ptr<SDlgFileChooser> chooser_;
  bool recalled_ = false;
};

}  // namespace ORIEL
