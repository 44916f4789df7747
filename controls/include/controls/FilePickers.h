// Free-standing pickers over the program's chooser: files of the video
// types, folders whose files are gathered, one folder. Each runs one
// CDlgFileSel, so each stands on the modal-dialog stack while it is open.
#pragma once

#include "controls/CDlgFileSel.h"

namespace ORIEL {

// What a picker answers when the user cancelled or a dialog below it ended.
constexpr HRESULT kPickCancelled = static_cast<HRESULT>(0x800704C7L);

// Files chosen with the video-type filters ("All file (*.*)" first),
// several at once; they are appended to `files`. False when none was
// chosen.
BOOL PickFilesDialog(HWND owner, SStringWArray& files);
// Folders chosen, several at once; the files under each (CollectFilesRecursive)
// are appended to `files`. S_OK, kPickCancelled, or E_FAIL when no chooser
// could be made or nothing came back.
HRESULT PickFoldersAndCollectFiles(SStringWArray& files, HWND owner);
// One folder, into `folder` (left alone unless S_OK).
HRESULT PickFolderDialog(SStringW& folder, HWND owner);

}  // namespace ORIEL
