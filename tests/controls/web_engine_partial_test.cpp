// A module that starts but lacks most entry points: the loader still
// answers 1, resolves what is there and logs each missing name once.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "controls/WkeApi.h"
#include "win32/modules.h"

namespace {

TEST(WebEnginePartialTest, EachMissingNameIsLoggedOnceAndTheRestResolve) {
  const Win32ModuleFileMapEntry partial[] = {{L"node.dll", L"web-partial-engine.so"}};
  Win32SetModuleFileMap(partial, 1);
  testing::internal::CaptureStderr();
  const int loaded = LoadWkeApi();
  const std::string log = testing::internal::GetCapturedStderr();
  ASSERT_EQ(loaded, 1) << log;
  EXPECT_TRUE(WKE_HAS(wkeCreateWebView));
  EXPECT_TRUE(WKE_HAS(jsUndefined));
  EXPECT_TRUE(WKE_HAS(wkeIsInitialize));
  EXPECT_FALSE(WKE_HAS(wkeShutdown));
  EXPECT_FALSE(WKE_HAS(wkeResize));

  std::istringstream in(log);
  int missing = 0, shutdownLines = 0, present = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.find("wke api not found: ") == std::string::npos) continue;
    ++missing;
    if (line.find("wke api not found: wkeShutdown ") != std::string::npos) ++shutdownLines;
    if (line.find("wke api not found: wkeCreateWebView ") != std::string::npos) ++present;
  }
  EXPECT_EQ(missing, kWkeApiCount - 3) << log;  // all but the three the module has
  EXPECT_EQ(shutdownLines, 1) << log;
  EXPECT_EQ(present, 0) << log;
  // Loaded once: a second call neither loads nor logs again.
  testing::internal::CaptureStderr();
  EXPECT_EQ(LoadWkeApi(), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
