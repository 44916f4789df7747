#include "base/RenameNoReplace.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>

#include "base/CodePage.h"

int RenameNoReplace(const std::wstring& from, const std::wstring& to) {
  const std::string source = WStringToUtf8Ret(from);
  const std::string target = WStringToUtf8Ret(to);
  if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return 0;
  const int error = errno;
  if (error != EINVAL && error != ENOSYS) return error;
  // The file system cannot rename without replacing: a link to the new
  // name fails as well when it exists, and the old name goes afterwards.
  if (link(source.c_str(), target.c_str()) != 0) return errno;
  if (unlink(source.c_str()) != 0) {
    const int unlinkError = errno;
    unlink(target.c_str());
    return unlinkError;
  }
  return 0;
}
