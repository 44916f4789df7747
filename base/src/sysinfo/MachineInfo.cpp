#include <cpuid.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/utsname.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "base/CodePage.h"
#include "base/StringHelpers.h"
#include "base/SysInfo.h"

namespace fs = std::filesystem;

// ---- operating system and screen ----

std::wstring CSysInfo::GetOSName() {
  struct utsname info {};
  if (uname(&info) != 0) return L"";
  return Utf8ToWStringRet(std::string(info.sysname) + " " + info.release);
}

int CSysInfo::GetOSBits() {
  struct utsname info {};
  if (uname(&info) != 0) return 32;
  std::string machine = info.machine;
  // x86_64, aarch64, ppc64le, riscv64, ... and s390x.
  return machine.find("64") != std::string::npos || machine == "s390x" ? 64 : 32;
}

namespace {
std::mutex g_screenLock;
base::ScreenSizeProvider g_screenProvider;
}  // namespace

void base::SetScreenSizeProvider(ScreenSizeProvider provider) {
  std::lock_guard<std::mutex> lock(g_screenLock);
  g_screenProvider = std::move(provider);
}

bool CSysInfo::GetScreenSize(int& width, int& height) {
  width = height = 0;
  std::lock_guard<std::mutex> lock(g_screenLock);
  if (!g_screenProvider) return false;
  if (g_screenProvider(width, height)) return true;
  width = height = 0;
  return false;
}

// ---- processor ----

void CCPUID::cpuidEx(uint32_t leaf, uint32_t subleaf, uint32_t* out) {
  if (!out) return;
  unsigned a = 0, b = 0, c = 0, d = 0;
  __cpuid_count(leaf, subleaf, a, b, c, d);
  out[0] = a;
  out[1] = b;
  out[2] = c;
  out[3] = d;
}

void CCPUID::cpuid1(uint32_t out[4]) { cpuidEx(1, 0, out); }

std::wstring CCPUID::getCpuId() {
  uint32_t regs[4];
  cpuid1(regs);
  wchar_t text[32];
  swprintf(text, 32, L"%08X%08X", regs[3], regs[0]);
  return text;
}

// ---- disks ----

namespace {

std::wstring ReadSysfsText(const fs::path& file) {
  std::ifstream in(file);
  if (!in) return L"";
  std::string line;
  std::getline(in, line);
  return TrimString(AnsiToWStringRet(line));
}

}  // namespace

std::vector<std::string> CHardDiskInfo::PhysicalDisks() {
  std::vector<std::string> disks;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/sys/block", ec)) {
    // Loop, RAM and device-mapper disks have no hardware behind them.
    if (fs::exists(entry.path() / "device", ec)) disks.push_back(entry.path().filename().string());
  }
  std::sort(disks.begin(), disks.end());
  return disks;
}

bool CHardDiskInfo::getHDInfo(const std::wstring& device, CHardDiskRecord& out) {
  out = CHardDiskRecord();
  std::string name = WStringToUtf8Ret(device);
  if (name.rfind("/dev/", 0) == 0) name = name.substr(5);
  fs::path dir = fs::path("/sys/block") / name / "device";
  std::error_code ec;
  if (name.empty() || name.find('/') != std::string::npos || !fs::exists(dir, ec)) {
    SetLastErrorText(L"Err:CreateFile,CHardDiskInfo::getHDInfo,125," + std::to_wstring(ENOENT) +
                     L"," + device);
    return false;
  }
  out.vendor = ReadSysfsText(dir / "vendor");
  out.product = ReadSysfsText(dir / "model");
  out.revision = ReadSysfsText(dir / "rev");
  if (out.revision.empty()) out.revision = ReadSysfsText(dir / "firmware_rev");  // NVMe
  out.serial = ReadSysfsText(dir / "serial");
  if (out.serial.empty()) out.serial = ReadSysfsText(dir / "wwid");
  return true;
}

bool CHardDiskInfo::getHDInfoByIndex(int index, CHardDiskRecord& out) {
  std::vector<std::string> disks = PhysicalDisks();
  if (index < 0 || static_cast<size_t>(index) >= disks.size()) {
    SetLastErrorText(L"Err:CreateFile,CHardDiskInfo::getHDInfoByIndex,125," +
                     std::to_wstring(ENOENT) + L"," + std::to_wstring(index));
    return false;
  }
  return getHDInfo(Utf8ToWStringRet(disks[index]), out);
}

bool CHardDiskInfo::getAllHDInfo() {
  clear();
  for (int i = 0; i < 16; ++i) {
    CHardDiskRecord record;
    if (!getHDInfoByIndex(i, record)) break;
    m_disks.push_back(record);
  }
  return !m_disks.empty();
}

bool CHardDiskInfo::getSystemHDInfo(CHardDiskRecord& out) {
  struct stat st {};
  if (stat("/", &st) != 0) {
    SetLastErrorText(L"Err:stat,CHardDiskInfo::getSystemHDInfo," + std::to_wstring(errno));
    return false;
  }
  char link[64];
  snprintf(link, sizeof link, "/sys/dev/block/%u:%u", major(st.st_dev), minor(st.st_dev));
  std::error_code ec;
  fs::path device = fs::canonical(link, ec);
  if (ec) {
    // The root is not on a block device (a container's overlay, tmpfs).
    SetLastErrorText(L"Err:CreateFile,CHardDiskInfo::getSystemHDInfo,199," +
                     std::to_wstring(ec.value()));
    return false;
  }
  // A partition lies inside its disk's folder.
  if (fs::exists(device / "partition", ec)) device = device.parent_path();
  return getHDInfo(Utf8ToWStringRet(device.filename().string()), out);
}
