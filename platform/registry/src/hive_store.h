// One hive in memory and on disk: keys by folded path, each with its
// values. Callers hold HiveLock while they load, change and save, so that
// threads and processes never interleave their changes.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace registry::detail {

struct Value {
  std::wstring name;  // as created
  unsigned type = 0;
  std::string data;  // string types as UTF-16LE
};

struct Key {
  std::wstring path;  // as created, '\' between names, no leading '\'
  std::map<std::wstring, Value> values;  // by folded name
};

struct Hive {
  std::map<std::wstring, Key> keys;  // by folded path; "" is the root

  Key* Find(const std::wstring& path);
  // Creates the key and every missing key above it; sets created.
  Key& Create(const std::wstring& path, bool* created);
  bool HasSubKeys(const std::wstring& path) const;
  // Removes the key and, with recursive, everything under it.
  void Remove(const std::wstring& path, bool recursive);
};

// Joins and cleans a key path: separators collapsed, none at either end.
std::wstring JoinKeyPath(const std::wstring& base, const std::wstring& sub);

// Holds the hive file's lock (a lock file beside it) and the process lock.
class HiveLock {
 public:
  explicit HiveLock(const std::wstring& hiveFile);
  ~HiveLock();
  HiveLock(const HiveLock&) = delete;
  HiveLock& operator=(const HiveLock&) = delete;

 private:
  int fd_ = -1;
};

// A missing file gives an empty hive; a damaged one is set aside as
// "<file>.damaged" (or "<file>.damaged(n)" when that is taken) and gives
// an empty hive. False only when the file
// exists and cannot be read at all.
bool LoadHive(const std::wstring& file, Hive& hive);
// Written to a temporary file and renamed over the old one.
bool SaveHive(const std::wstring& file, const Hive& hive);

}  // namespace registry::detail
