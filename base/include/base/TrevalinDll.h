#pragma once
// Loads the crash-capture module from the program's folder, resolves its
// export getBLLDumpCatchMgrExportInterface, calls it and keeps the manager
// it returns. A missing module, export or manager is told in a "提示"
// message and leaves the object with what was obtained before.

#include <string>

#include "base/DumpCatch.h"

class CTrevalinDll {
 public:
  // Loads libTrevalin.so from the program's folder.
  CTrevalinDll();
  // Loads the module at this full path.
  explicit CTrevalinDll(const std::string& modulePath);
  // The module stays loaded: its signal handlers must outlive this object.
  virtual ~CTrevalinDll() = default;
  // One object per module handle: a copy would free the module twice.
  CTrevalinDll(const CTrevalinDll&) = delete;
  CTrevalinDll& operator=(const CTrevalinDll&) = delete;

  // Frees the module when there is one and forgets everything; true.
  virtual bool unload();
  // release, then the loading steps; true when a manager was obtained.
  virtual bool load();
  // True when no module is loaded; otherwise frees it and forgets the
  // module only, answering whether freeing succeeded.
  virtual bool freeModule();
  // Forgets everything without freeing anything.
  virtual void reset();
  // Frees the module when there is one, then forgets everything.
  virtual void release();

  IDumpCatchMgr* getInterface() const { return m_interface; }
  void* getModule() const { return m_module; }

 private:
  bool loadSteps();

  std::string m_path;
  void* m_module = nullptr;
  GetBLLDumpCatchMgrExportInterfaceFn m_export = nullptr;
  IDumpCatchMgr* m_interface = nullptr;
};
