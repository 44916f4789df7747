// The application over the real render plug-in, made and taken down per
// test; helpers for scratch resource folders and reading pixels back.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/SApplication.h"
#include "core/SLog.h"
#include "core/SRenderPlugins.h"
#include "res.mgr/ISkinObj.h"

using namespace ORIEL;

class OrielAppTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // A render target cleared to `clear`, released by the fixture.
  IRenderTarget* NewTarget(int w, int h, COLORREF clear = 0xFFFFFFFF);

 public:
  // The premultiplied BGRA pixel at (x, y).
  static uint32_t Pixel(IRenderTarget* rt, int x, int y);

 protected:
  // The folder provider of the framework's own bundle, bin/res/.
  IResProvider* BundleProvider();

  static SRenderPlugins plugins;
  IRenderFactory* factory = nullptr;
  SApplication* app = nullptr;
  std::vector<IObjRef*> owned;
};

// A framework log that keeps every line as "text | function".
struct CapturingLog : TObjRefImpl<ILog> {
  BOOL PrintLog(int, int) override { return TRUE; }
  void WriteLog(int, int, const char*, const char* text, const char*, int, const char* function,
                const void*) override {
    lines += std::string(text) + " | " + function + "\n";
  }
  std::string lines;
};

// A fresh folder under the test's temporary home holding files by relative
// path, with a "uires.idx" listing `index` entries (type, name, path).
struct ScratchBundle {
  struct Entry {
    std::string type, name, path;
  };
  explicit ScratchBundle(const std::string& tag);
  void Write(const std::string& rel, const std::string& bytes) const;
  void WriteIndex(const std::vector<Entry>& entries) const;
  std::wstring WFolder() const;
  std::string folder;
};

// Compares a target's pixels with tests/data/golden/<name>.png.
::testing::AssertionResult TargetMatchesGolden(IRenderTarget* rt, const std::string& name);

std::string ProgramFolder();
std::string ReadFile(const std::string& path);
