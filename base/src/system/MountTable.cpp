#include "MountTable.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include "base/SystemHelpers.h"

namespace {

// Kernel and runtime file systems: not places a user keeps files on.
const std::set<std::string> kPseudo = {
    "proc",     "sysfs",    "devtmpfs",  "devpts",      "cgroup",   "cgroup2", "securityfs",
    "pstore",   "bpf",      "debugfs",   "tracefs",     "mqueue",   "hugetlbfs", "fusectl",
    "configfs", "binfmt_misc", "autofs", "nsfs",        "rpc_pipefs", "efivarfs", "squashfs",
    "tmpfs",    "ramfs",    "selinuxfs", "fuse.gvfsd-fuse", "fuse.portal"};

const std::set<std::string> kRemote = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "9p"};

// /proc/self/mounts escapes blanks and a few others as \ooo.
std::string unescape(const char* text) {
  std::string out;
  for (const char* p = text; *p; ++p) {
    if (p[0] == '\\' && p[1] >= '0' && p[1] <= '3' && p[2] && p[3]) {
      out.push_back(static_cast<char>((p[1] - '0') * 64 + (p[2] - '0') * 8 + (p[3] - '0')));
      p += 3;
    } else {
      out.push_back(*p);
    }
  }
  return out;
}

// The first `count` blank-separated fields of a line, each whole.
std::vector<std::string> firstFields(const char* line, size_t count) {
  std::vector<std::string> fields;
  const char* p = line;
  while (fields.size() < count) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p || *p == '\n') break;
    const char* start = p;
    while (*p && *p != ' ' && *p != '\t' && *p != '\n') ++p;
    fields.emplace_back(start, p);
  }
  return fields;
}

}  // namespace

bool ReadDriveMounts(std::vector<MountEntry>& mounts, int& error) {
  mounts.clear();
  FILE* file = std::fopen("/proc/self/mounts", "re");
  if (!file) {
    error = errno;
    return false;
  }
  bool haveRoot = false;
  std::set<std::string> seen;
  // Whole lines of any length: overlay mounts carry option lists longer than
  // any fixed buffer, and a cut line would read its tail as another mount.
  char* line = nullptr;
  size_t capacity = 0;
  while (getline(&line, &capacity, file) != -1) {
    const std::vector<std::string> fields = firstFields(line, 3);
    if (fields.size() < 3) continue;
    MountEntry entry{unescape(fields[1].c_str()), unescape(fields[0].c_str()), fields[2]};
    if (entry.mountPoint == "/") {
      haveRoot = true;
    } else if (kPseudo.count(entry.type) || entry.mountPoint.rfind("/proc", 0) == 0 ||
               entry.mountPoint.rfind("/sys", 0) == 0 || entry.mountPoint.rfind("/dev", 0) == 0 ||
               entry.mountPoint.rfind("/run/user", 0) == 0) {
      continue;
    }
    if (entry.mountPoint.back() != '/') entry.mountPoint.push_back('/');
    if (!seen.insert(entry.mountPoint).second) continue;  // mounted over: listed once
    mounts.push_back(entry);
  }
  std::free(line);
  std::fclose(file);
  if (!haveRoot) mounts.insert(mounts.begin(), MountEntry{"/", "", ""});
  // The root first, as C:\ comes first.
  for (size_t i = 0; i < mounts.size(); ++i) {
    if (mounts[i].mountPoint == "/" && i != 0) {
      MountEntry root = mounts[i];
      mounts.erase(mounts.begin() + static_cast<long>(i));
      mounts.insert(mounts.begin(), root);
      break;
    }
  }
  return true;
}

int DriveTypeOfMount(const MountEntry& mount) {
  if (kRemote.count(mount.type)) return DRIVE_REMOTE;
  if (mount.type == "iso9660" || mount.type == "udf") return DRIVE_CDROM;
  if (mount.type == "tmpfs" || mount.type == "ramfs") return DRIVE_RAMDISK;
  if (mount.mountPoint.rfind("/media/", 0) == 0 || mount.mountPoint.rfind("/run/media/", 0) == 0)
    return DRIVE_REMOVABLE;
  return DRIVE_FIXED;
}
