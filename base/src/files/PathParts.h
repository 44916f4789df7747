#pragma once
// A file path split at its last separator and at the last '.' of the file
// name. A dot in a folder name is never taken for an extension dot.

#include <string>

struct PathParts {
  std::wstring folder;     // up to and including the last separator, '/'-separated
  std::wstring title;      // the file name without its extension
  std::wstring extension;  // without the dot
  bool hasExtension = false;
};

PathParts SplitPathParts(const std::wstring& path);
