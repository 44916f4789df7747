// libcurl's process-wide initialisation. The first HTTP object does it
// too; call init before requests start on several threads.
#pragma once

class CCurlHttpGlobal {
 public:
  virtual ~CCurlHttpGlobal() = default;

  // Initialises libcurl once for the process; false when that fails (a
  // later call tries again).
  static bool init();
  // libcurl's global clean-up; always true. The process stays marked as
  // initialised.
  static bool uninit();
};
