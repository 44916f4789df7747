// The live output settings bound to section "OUTPUT" of an INI file
// (config-output.ini): read once when loaded, written back when destroyed.
#pragma once

#include "base/FileIni.h"
#include "logic/ArgOutput.h"

class CFileOutputArgument : public CFileIni {
 public:
  // With load, binds config-output.ini (created empty when missing) and
  // reads it; without, the object has no file and Write does nothing.
  explicit CFileOutputArgument(bool load);
  ~CFileOutputArgument() override;

  // Every field from its default, then each key that holds a value.
  // Always true.
  virtual bool Read();
  // The 19 keys in their fixed order; false when there is no file or a
  // key could not be written.
  virtual bool Write();

  CArgOutput m_arg;

 protected:
  // Binds path (creating the file when missing); false when there is none.
  bool Bind(const std::wstring& path);
  bool HasFile() const { return m_bound; }
  bool ReadOutput();
  bool WriteOutput();

 private:
  bool m_bound = false;
};
