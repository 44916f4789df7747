#include "files/PathParts.h"

#include "base/PathHelpers.h"
#include "files/NativePath.h"

PathParts SplitPathParts(const std::wstring& path) {
  PathParts parts;
  const size_t sep = LastPathSeparator(path);
  const size_t nameStart = sep == std::wstring::npos ? 0 : sep + 1;
  parts.folder = path.substr(0, nameStart);
  NormalizePathSeparators(parts.folder);
  const std::wstring name = path.substr(nameStart);
  const size_t dot = name.rfind(L'.');
  parts.hasExtension = dot != std::wstring::npos;
  parts.title = parts.hasExtension ? name.substr(0, dot) : name;
  if (parts.hasExtension) parts.extension = name.substr(dot + 1);
  return parts;
}
