#include "controls/FilePickers.h"

namespace ORIEL {

namespace {

HRESULT ResultOf(INT_PTR code) {
  if (code == CDlgFileSel::kChosen) return S_OK;
  if (code == CDlgFileSel::kNothingChosen) return E_FAIL;
  return kPickCancelled;
}

// Runs the picker; E_FAIL when no chooser could be made at all (Show has
// said why).
HRESULT RunPicker(CDlgFileSel& picker, HWND owner) {
  const INT_PTR code = picker.Show(owner);
  if (code == CDlgFileSel::kCancelled && !SDlgFileChooser::CanBeMade()) return E_FAIL;
  return ResultOf(code);
}

}  // namespace

BOOL PickFilesDialog(HWND owner, SStringWArray& files) {
  CDlgFileSel picker;
  picker.options = FOS_FILEMUSTEXIST | FOS_ALLOWMULTISELECT;
  picker.AddFilter(L"All file (*.*)", L"*.*")
      .AddFilter(L"Mp4 file (*.mp4)", L"*.mp4")
      .AddFilter(L"Avi file (*.avi)", L"*.avi")
      .AddFilter(L"Mpeg file (*.mpg)", L"*.mpg")
      .AddFilter(L"Mov file (*.mov)", L"*.mov")
      .AddFilter(L"Flv file (*.flv)", L"*.flv");
  if (picker.Show(owner) != CDlgFileSel::kChosen) return FALSE;
  for (const SStringW& path : picker.paths) files.Add(path);
  return TRUE;
}

HRESULT PickFoldersAndCollectFiles(SStringWArray& files, HWND owner) {
  CDlgFileSel picker;
  picker.options = FOS_PICKFOLDERS | FOS_ALLOWMULTISELECT | FOS_FILEMUSTEXIST;
  const HRESULT hr = RunPicker(picker, owner);
  if (hr != S_OK) return hr;
  for (const SStringW& folder : picker.paths) CollectFilesRecursive(folder, files);
  return S_OK;
}

HRESULT PickFolderDialog(SStringW& folder, HWND owner) {
  CDlgFileSel picker;
  picker.options = FOS_PICKFOLDERS | FOS_FILEMUSTEXIST;
  const HRESULT hr = RunPicker(picker, owner);
  if (hr == S_OK) folder = picker.paths.front();
  return hr;
}

}  // namespace ORIEL
