#pragma once
// An output file written under a temporary name in its own folder and
// renamed onto its path only once it is complete: a job that fails leaves
// neither a half-written file nor a damaged copy of one that was already
// there.

#include <string>

class MCPendingOutput {
 public:
  MCPendingOutput() = default;
  ~MCPendingOutput() { Discard(); }
  MCPendingOutput(const MCPendingOutput&) = delete;
  MCPendingOutput& operator=(const MCPendingOutput&) = delete;

  // Creates the temporary file beside finalPath, with the same extension.
  // A path that names something other than a regular file (a device, a
  // pipe) is written directly. 0 or a negative FFmpeg code.
  int Begin(const std::string& finalPath);
  // Where the writer opens its file.
  const std::string& WritePath() const { return writePath_; }
  // Moves the finished file onto its path. 0 or a negative FFmpeg code.
  int Commit();
  // Removes the temporary file unless it was committed.
  void Discard();

 private:
  std::string finalPath_;
  std::string writePath_;
  bool pending_ = false;
};
