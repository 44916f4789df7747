// The engine loader against modules that cannot serve: the real module
// with no display to start on, and a module that lacks most names.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "controls/WkeApi.h"
#include "win32/modules.h"

namespace {


// Unit tests see no X server, so the real module cannot start GTK.
TEST(WebEngineLoaderTest, AnEngineThatCannotStartLeavesNothingResolved) {
  const Win32ModuleFileMapEntry real[] = {{L"node.dll", L"webengine-webkitgtk.so"}};
  Win32SetModuleFileMap(real, 1);
  ASSERT_EQ(getenv("DISPLAY"), nullptr) << "this test needs no display";
  EXPECT_FALSE(StartWebEngine());
  EXPECT_EQ(LoadWkeApi(), 0);
  for (int i = 0; i < kWkeApiCount; ++i) EXPECT_EQ(WkeApiPointer(i), nullptr) << i;
  StopWebEngine();
}

}  // namespace
