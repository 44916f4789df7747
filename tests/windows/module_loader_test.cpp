// The plug-in loader: one load per slot however many objects, a failed
// load tried again, modules unloaded slot 7 down to 0, and the Windows
// module names reaching our shared objects through the program's map.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "base/CodePage.h"
#include "windows/ModuleFiles.h"
#include "windows/ModuleLoader.h"

namespace {

std::wstring BinPath(const char* file) {
  return Utf8ToWStringRet((std::filesystem::read_symlink("/proc/self/exe").parent_path() / file).string());
}

class ModuleLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quorvale-unload-XXXXXX";
    const int fd = mkstemp(pattern);
    ASSERT_GE(fd, 0);
    close(fd);
    log_ = pattern;
    setenv("QUORVALE_TEST_UNLOAD_LOG", log_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("QUORVALE_TEST_UNLOAD_LOG");
    std::filesystem::remove(log_);
  }
  std::string Unloads() {
    std::ifstream in(log_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::string log_;
};

TEST_F(ModuleLoaderTest, OneLoadPerSlotAndUnloadsFromTheLastSlotDown) {
  {
    ModuleLoader loader;
    IObjRef* a = nullptr;
    IObjRef* b = nullptr;
    ASSERT_TRUE(loader.CreateInstance(0, BinPath("test-plugin-first.so").c_str(), &a));
    // Loaded once: a second call ignores the path and makes a second object.
    ASSERT_TRUE(loader.CreateInstance(0, L"/no/such/module.so", &b));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(std::wstring(loader.SlotPath(0)), BinPath("test-plugin-first.so"));
    a->Release();
    b->Release();

    IObjRef* c = nullptr;
    ASSERT_TRUE(loader.CreateInstance(7, BinPath("test-plugin-second.so").c_str(), &c));
    c->Release();
    EXPECT_EQ(Unloads(), "");
  }
  EXPECT_EQ(Unloads(), "second\nfirst\n");
}

TEST_F(ModuleLoaderTest, FailuresLeaveTheSlotEmptyAndTheOutPointerUntouched) {
  ModuleLoader loader;
  IObjRef* sentinel = reinterpret_cast<IObjRef*>(0x1234);
  IObjRef* out = sentinel;
  EXPECT_FALSE(loader.CreateInstance(2, BinPath("no-such-plugin.so").c_str(), &out));
  EXPECT_EQ(out, sentinel);
  EXPECT_NE(loader.GetLastError().Find(L"no-such-plugin.so"), -1);
  EXPECT_STREQ(loader.SlotPath(2), L"");

  // No export: the module is loaded, found wanting and unloaded again.
  EXPECT_FALSE(loader.CreateInstance(3, BinPath("test-plugin-noexport.so").c_str(), &out));
  EXPECT_EQ(out, sentinel);
  EXPECT_EQ(Unloads(), "noexport\n");
  EXPECT_STREQ(loader.SlotPath(3), L"");

  // A path longer than the slot holds is refused before anything loads.
  EXPECT_FALSE(loader.CreateInstance(4, std::wstring(300, L'x').c_str(), &out));
  EXPECT_EQ(out, sentinel);

  // The failed slot tries again with the next call.
  ASSERT_TRUE(loader.CreateInstance(2, BinPath("test-plugin-first.so").c_str(), &out));
  ASSERT_NE(out, sentinel);
  out->Release();
  EXPECT_FALSE(loader.CreateInstance(8, BinPath("test-plugin-first.so").c_str(), &out));
}

TEST_F(ModuleLoaderTest, NothingLoadedNothingUnloaded) {
  { ModuleLoader loader; }
  EXPECT_EQ(Unloads(), "");
}

TEST_F(ModuleLoaderTest, WindowsModuleNamesReachOurPlugins) {
  InstallModuleFileMap();
  ModuleLoader loader;
  IObjRef* render = nullptr;
  ASSERT_TRUE(loader.CreateRender(&render)) << loader.GetLastError().c_str();
  render->Release();
  EXPECT_STREQ(loader.SlotPath(ModuleLoader::kRenderSlot), L"render-skia.dll");

  // Names match without regard to case; unmapped names become .so files.
  HMODULE upper = LoadLibraryW(L"RENDER-SKIA.DLL");
  EXPECT_NE(upper, nullptr);
  if (upper) EXPECT_TRUE(FreeLibrary(upper));
  HMODULE plain = LoadLibraryW(L"test-plugin-first.dll");
  ASSERT_NE(plain, nullptr) << Win32ModuleLoadError();
  EXPECT_NE(GetProcAddress(plain, "SCreateInstance"), nullptr);
  EXPECT_EQ(GetProcAddress(plain, "NoSuchSymbol"), nullptr);
  EXPECT_TRUE(FreeLibrary(plain));
  EXPECT_FALSE(FreeLibrary(plain));  // freed as often as loaded: the handle is gone
  EXPECT_EQ(LoadLibraryW(L"missing.dll"), nullptr);
}

}  // namespace
