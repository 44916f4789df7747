#pragma once
// Facts about the machine: special folders, the operating system, the
// processor's signature, disk identities and the screen size.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/UniteBase.h"
#include "win32/windows.h"

// Special-folder numbers, as callers name them.
#ifndef CSIDL_DESKTOP
#define CSIDL_DESKTOP 0
#define CSIDL_PROGRAMS 2
#define CSIDL_PERSONAL 5
#define CSIDL_FAVORITES 6
#define CSIDL_STARTUP 7
#define CSIDL_RECENT 8
#define CSIDL_MYMUSIC 13
#define CSIDL_MYVIDEO 14
#define CSIDL_DESKTOPDIRECTORY 16
#define CSIDL_FONTS 20
#define CSIDL_COMMON_PROGRAMS 23
#define CSIDL_COMMON_DESKTOPDIRECTORY 25
#define CSIDL_APPDATA 26
#define CSIDL_COMMON_APPDATA 35
#define CSIDL_WINDOWS 36
#define CSIDL_PROGRAM_FILES 38
#define CSIDL_MYPICTURES 39
#define CSIDL_PROFILE 40
#endif

// Special folders map to the XDG folders: the application-data folders
// (per user and common) to $XDG_DATA_HOME, the desktop, documents, music,
// pictures, videos and downloads to the XDG user folders (user-dirs.dirs,
// else ~/Desktop, ~/Documents, ~/Music, ...), the start menu to
// $XDG_DATA_HOME/applications, start-up programs to
// $XDG_CONFIG_HOME/autostart, fonts to $XDG_DATA_HOME/fonts, the profile to
// $HOME. Folders with no counterpart (favourites, recent files, the system
// and program folders) give the empty text.
class CSysSpecialFolder {
 public:
  virtual ~CSysSpecialFolder() = default;

  // The folder with a trailing '/'; empty when the number is unknown or the
  // folder cannot be found. The folder is not created.
  static void GetPath(std::wstring& out, int csidl);

  static std::wstring GetAppData();
  static std::wstring GetProgramFiles();
  static std::wstring GetCommonAppData();
  static std::wstring GetCommonPrograms();
  static std::wstring GetPrograms();
  static std::wstring GetRecent();
  static std::wstring GetDesktop();
  static std::wstring GetDesktopDirectory();
  static std::wstring GetCommonDesktopDirectory();
  static std::wstring GetFavorites();
  static std::wstring GetFonts();
  static std::wstring GetMyMusic();
  static std::wstring GetMyPictures();
  static std::wstring GetMyVideo();
  static std::wstring GetPersonal();
  static std::wstring GetProfile();
  static std::wstring GetWindows();
  static std::wstring GetStartup();

  // The downloads folder without a trailing separator; empty on failure.
  static std::wstring GetDownloadsFolder();

  // A WM_COPYDATA record of identifier 0 for size bytes at data.
  static void MakeCopyDataStruct(COPYDATASTRUCT& out, const void* data, DWORD size);
  // Sends WM_COPYDATA (wParam 0) with the record of the data's real size;
  // true when the receiver answers non-zero, false for no window or data.
  static bool SendCopyData(const void* data, DWORD size, HWND window);
  static bool SendCopyData(HWND window, const void* data, DWORD size);
};

class CSysInfo {
 public:
  virtual ~CSysInfo() = default;

  // The operating system's name and release from uname ("Linux 6.1.0-...");
  // empty when uname fails.
  static std::wstring GetOSName();
  // 64 when the machine (uname) is a 64-bit architecture, else 32.
  static int GetOSBits();
  static bool Is64BitOS() { return GetOSBits() == 64; }
  // The width of this build's pointers.
  static int GetProcessBits() { return static_cast<int>(sizeof(void*) * 8); }
  // The screen size from the display layer's provider; false (0, 0) when
  // there is no display layer or it has no screen.
  static bool GetScreenSize(int& width, int& height);
};

namespace base {
// Hook for the display layer: answers the screen size in pixels, false
// when there is no screen. An empty function removes the provider.
using ScreenSizeProvider = std::function<bool(int& width, int& height)>;
void SetScreenSizeProvider(ScreenSizeProvider provider);
}  // namespace base

class CCPUID {
 public:
  virtual ~CCPUID() = default;
  // Leaf 1: EDX then EAX as 16 upper-case hex digits.
  static std::wstring getCpuId();
  static void cpuid1(uint32_t out[4]);
  // EAX, EBX, ECX, EDX of a leaf and subleaf; nothing for a null out.
  static void cpuidEx(uint32_t leaf, uint32_t subleaf, uint32_t* out);
};

// Vendor, product, revision and serial number of the machine's disks, read
// from sysfs (/sys/block/<disk>/device); a text sysfs does not offer, or
// does not let this user read, is empty.
struct CHardDiskRecord {
  std::wstring vendor;
  std::wstring product;
  std::wstring revision;
  std::wstring serial;
};

class CHardDiskInfo : public CUniteBase {
 public:
  CHardDiskInfo() = default;
  ~CHardDiskInfo() override = default;
  virtual void clear() { m_disks.clear(); }

  // Disks 0 to 15 in order (the physical disks sorted by name); the first
  // that cannot be read ends the walk. True when any disk was listed.
  bool getAllHDInfo();
  // The disk that holds the root folder.
  bool getSystemHDInfo(CHardDiskRecord& out);
  bool getHDInfoByIndex(int index, CHardDiskRecord& out);
  // device: "/dev/sda" or "sda". False with the last error when the disk
  // is not in sysfs.
  bool getHDInfo(const std::wstring& device, CHardDiskRecord& out);

  const std::vector<CHardDiskRecord>& disks() const { return m_disks; }

  // The physical disks, sorted by name ("nvme0n1", "sda", ...).
  static std::vector<std::string> PhysicalDisks();

 private:
  std::vector<CHardDiskRecord> m_disks;
};
