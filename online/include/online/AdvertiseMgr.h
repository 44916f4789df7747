// The advertising module (libPalvane.so in the program's folder) as the
// program sees it: two exports, the manager they give, and the observer the
// manager tells the page's status. The module links nothing of the program:
// this header is all the two share.
#pragma once

// Told by the manager: `text` is the status the page should show.
class IBLLAdvertiseMgrInterface {
 public:
  virtual void adStatus(const wchar_t* text) = 0;

 protected:
  ~IBLLAdvertiseMgrInterface() = default;
};

// The manager's operations, in their interface order.
class IBLLAdvertiseMgr {
 public:
  // A click in the page: the first three arguments of its adClick call.
  virtual void ReportClick(const wchar_t* first, const wchar_t* second, const wchar_t* third) = 0;
  // The observer told of status changes (null: none); not owned.
  virtual void RegisterObserver(IBLLAdvertiseMgrInterface* observer) = 0;

 protected:
  ~IBLLAdvertiseMgr() = default;
};

extern "C" {
// The manager, made on the first call; the same one until released.
typedef IBLLAdvertiseMgr* (*GetBLLAdvertiseMgrDLLFn)();
// Ends the manager; it forgets its observer.
typedef void (*ReleaseBLLAdvertiseMgrDLLFn)();
}

#define PALVANE_MODULE_PATH L"./libPalvane.so"
#define PALVANE_GET_EXPORT "getBLLAdvertiseMgrDLL"
#define PALVANE_RELEASE_EXPORT "releaseBLLAdvertiseMgrDLL"
