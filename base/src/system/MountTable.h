#pragma once
// The mount points that count as drives, read from /proc/self/mounts.

#include <string>
#include <vector>

struct MountEntry {
  std::string mountPoint;  // with a trailing '/'
  std::string source;
  std::string type;
};

// Drives in mount-table order, "/" first; false (with errno's error) when
// the table cannot be read.
bool ReadDriveMounts(std::vector<MountEntry>& mounts, int& error);
// The Windows drive type of a mount.
int DriveTypeOfMount(const MountEntry& mount);
