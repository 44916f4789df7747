#include "controls/CDlgFileSel.h"

#include "core/SLog.h"

namespace ORIEL {

namespace {

SStringW& LastFolderStore() {
  static SStringW* folder = new SStringW;  // never freed: pickers may run at exit
  return *folder;
}

}  // namespace

CDlgFileSel::~CDlgFileSel() = default;

CDlgFileSel& CDlgFileSel::AddFilter(const SStringW& name, const SStringW& pattern) {
  if (!pattern.IsEmpty()) filters.push_back({name, pattern});
  return *this;
}

CDlgFileSel& CDlgFileSel::SetPickFolders() {
  options |= FOS_PICKFOLDERS;
  return *this;
}

CDlgFileSel& CDlgFileSel::SetMultiSelect(bool multi) {
  if (multi) options |= FOS_ALLOWMULTISELECT;
  else options &= ~static_cast<DWORD>(FOS_ALLOWMULTISELECT);
  return *this;
}

CDlgFileSel& CDlgFileSel::SetFileMustExist() {
  options |= FOS_FILEMUSTEXIST;
  return *this;
}

SStringW CDlgFileSel::LastFolder() { return LastFolderStore(); }

void CDlgFileSel::RememberFolder(const SStringW& folder) { LastFolderStore() = folder; }

INT_PTR CDlgFileSel::Show(HWND owner) {
  recalled_ = false;
  paths.clear();
  SStringW why;
  if (!SDlgFileChooser::CanBeMade(&why)) {
    // Nothing was shown, so nothing stands on the stack for it.
    SLOGW(SLOG_LEVEL_ERROR, "CDlgFileSel::Show", L"the file chooser cannot be made: %s", why.c_str());
    return kCancelled;
  }
  chooser_ = std::make_unique<SDlgFileChooser>(options, filters, LastFolder());
  CDlgStack::Instance().Push(this);
  // Pushing disables the registered windows, and their handlers may end
  // every dialog before the chooser's window exists.
  const INT_PTR code = recalled_ ? kCancelled : chooser_->DoModal(owner);
  CDlgStack::Instance().Pop(this);
  const std::unique_ptr<SDlgFileChooser> chooser = std::move(chooser_);
  if (recalled_ || code != IDOK) return kCancelled;
  paths = chooser->GetChosen();
  if (paths.empty()) return kNothingChosen;
  const bool oneFolder = (options & FOS_PICKFOLDERS) && paths.size() == 1;
  RememberFolder(oneFolder ? paths.front() : chooser->GetFolder());
  return kChosen;
}

INT_PTR CDlgFileSel::Recall() {
  recalled_ = true;
  // Before its window exists this still marks the chooser ended, so its
  // loop never starts.
  if (chooser_) chooser_->EndDialog(kCancelled);
  return kCancelled;
}

HWND CDlgFileSel::GetRecallHwnd() { return chooser_ ? chooser_->GetHwnd() : nullptr; }

}  // namespace ORIEL
