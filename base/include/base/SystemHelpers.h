#pragma once
// Drives, shutdown, the Run value, folder trees, shortcuts and window
// geometry. Drives are mount points: each root text is the mount point
// with a trailing '/', "/" first; the drive types are the Windows ones.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "win32/errors.h"
#include "win32/types.h"

#define DRIVE_UNKNOWN 0
#define DRIVE_NO_ROOT_DIR 1
#define DRIVE_REMOVABLE 2
#define DRIVE_FIXED 3
#define DRIVE_REMOTE 4
#define DRIVE_CDROM 5
#define DRIVE_RAMDISK 6

// Fills `buffer` (`count` characters, zeroed first) with the drive roots,
// one zero-ended text after another, ended by an empty text. 0 on success;
// ERROR_INSUFFICIENT_BUFFER (the buffer stays empty) when they do not fit,
// or the error that kept the mount table from being read. There is no
// elevation here, so the list is the one every process of the user sees.
DWORD GetLogicalDrivesUnelevated(DWORD count, wchar_t* buffer);
// The same with a buffer of MAX_PATH characters.
DWORD GetLogicalDrivesUnelevated(wchar_t* buffer);

// The drive type of a root (or any path: its mount point's type).
int GetDriveTypeOf(const std::wstring& root);

// Only the superuser may shut the machine down from a process: true for it.
bool EnableShutdownPrivilege();
// kind 0 logs off, 1 shuts down, 2 restarts (through systemd's logind);
// any other kind returns 0 and does nothing. Nonzero when the request was
// handed to the system.
BOOL ShutdownSystem(int kind, bool force);

// The value of the current user's Run key, read into 1024 bytes: true when
// it is there and fits.
bool IsRunValuePresent(const wchar_t* name);
// Writes (set) or deletes the Run value; false for an empty name or a key
// that cannot be opened.
bool SetRunValue(bool set, const wchar_t* name, const wchar_t* value);

// A path longer than 3 characters without its last part; shorter ones as
// they are.
std::wstring GetParentPath(const std::wstring& path);
// Creates every missing folder of the path; true when it exists afterwards.
bool CreateDirectoryTree(const std::wstring& path);
// Writes a desktop-entry launcher (the shortcut of a Linux desktop) at
// `shortcutPath` for `target` with its arguments, description and icon,
// making the folder first. True when the file was written.
bool CreateShortcutFile(const std::wstring& shortcutPath, const std::wstring& target,
                        const std::wstring& arguments, const std::wstring& description,
                        const std::wstring& iconPath, int iconIndex);

// The total free bytes of the volume holding `path`; 0 when unknown.
uint64_t GetFreeSpaceOfPath(const std::wstring& path);

// Drive roots grouped by type, in mount-table order; key -1 holds all.
class CDriveList {
 public:
  explicit CDriveList(bool impersonate);
  std::vector<std::wstring>& GetDrives(int type);
  // The drive of the type with the most free bytes (a later drive wins a
  // tie); empty when the type has no drives.
  std::wstring GetDriveWithMostFreeSpace(int type);
  // True when no drive of the type has more free bytes than the path's.
  bool HasMostFreeSpace(const std::wstring& path, int type);

 private:
  std::map<int, std::vector<std::wstring>> drives_;
};

// Moves `rect` (keeping its size) inside `bounds`; false, with no change,
// when either is null or the rectangle is wider or taller than the bounds.
bool MoveRectInside(RECT* rect, const RECT* bounds);
