// The advertising module and its loader without a window: the manager
// answers a click with the status of its first text, a missing module or
// export leaves the program running without a manager, the loader releases
// once; the status record's layout and the script text's escaping.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "online/AdvertiseBridge.h"

namespace {

namespace fs = std::filesystem;

const std::wstring kModule = fs::path(QUORVALE_PALVANE_MODULE).wstring();

struct StatusLog : IBLLAdvertiseMgrInterface {
  void adStatus(const wchar_t* text) override { texts.emplace_back(text); }
  std::vector<std::wstring> texts;
};

size_t CountOf(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST(AdvertiseModule, TheManagerLogsAClickAndAnswersWithItsFirstText) {
  testing::internal::CaptureStderr();
  {
    CBLLAdvertiseMgrLoader loader(kModule);
    ASSERT_TRUE(loader.IsLoaded());
    IBLLAdvertiseMgr* manager = loader.GetManager();
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(loader.GetManager(), manager);  // one manager until released
    StatusLog log;
    manager->RegisterObserver(&log);
    manager->ReportClick(L"a", L"b c", L"录音");
    manager->ReportClick(L"it's", L"", L"");
    EXPECT_EQ(log.texts, (std::vector<std::wstring>{L"a", L"it's"}));
    manager->RegisterObserver(nullptr);
    manager->ReportClick(L"z", L"", L"");  // logged, told to nobody
    EXPECT_EQ(log.texts.size(), 2u);
  }
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("Palvane: click [a] [b c] [录音]\n"), std::string::npos) << said;
  EXPECT_NE(said.find("Palvane: click [it's] [] []\n"), std::string::npos) << said;
  EXPECT_EQ(CountOf(said, "Palvane: released"), 1u) << said;
}

TEST(AdvertiseModule, TheBridgeRegistersAndItsLoaderReleasesOnce) {
  testing::internal::CaptureStderr();
  {
    CBLLAdvertiseUI bridge(kModule, nullptr);
    ASSERT_NE(bridge.GetManager(), nullptr);
    // Registered: a click comes back as a status, dropped without a host window.
    bridge.GetManager()->ReportClick(L"a", L"b", L"c");
  }
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(CountOf(said, "Palvane: click [a] [b] [c]"), 1u) << said;
  EXPECT_EQ(CountOf(said, "Palvane: released"), 1u) << said;
}

TEST(AdvertiseModule, AMissingModuleOrExportIsLoggedAndTheProgramRunsOn) {
  const fs::path folder = fs::temp_directory_path() / ("palvane-" + std::to_string(getpid()));
  fs::create_directories(folder);
  // A module that is there but is not the advertising module.
  fs::copy_file(QUORVALE_OTHER_MODULE, folder / "libPalvane.so", fs::copy_options::overwrite_existing);
  struct Case {
    std::wstring path;
    std::string logged;
  } cases[] = {
      {(folder / "absent.so").wstring(), "错误:无法加载Palvane模块,请重新安装程序"},
      {(folder / "libPalvane.so").wstring(), "错误:无法获取Palvane模块的函数,请重新安装程序"},
  };
  for (const Case& c : cases) {
    testing::internal::CaptureStderr();
    {
      CBLLAdvertiseUI bridge(c.path, nullptr);
      EXPECT_EQ(bridge.GetManager(), nullptr);
      bridge.adStatus(L"x");  // nothing to send to, nothing breaks
    }
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(CountOf(said, c.logged), 1u) << said;
    EXPECT_EQ(said.find("Palvane: released"), std::string::npos) << said;
  }
  fs::remove_all(folder);
}

TEST(AdStatusRecordLayout, CommandZerosAndTheScriptsAddress) {
  const wchar_t* script = L"adStatus('a')";
  const AdStatusRecord record = MakeAdStatusRecord(script);
  EXPECT_EQ(sizeof record, 528u);
  uint32_t command = 0;
  memcpy(&command, record.bytes, 4);
  EXPECT_EQ(command, 20002u);
  for (size_t i = 4; i < 520; ++i) ASSERT_EQ(record.bytes[i], 0) << i;
  uint64_t address = 0;
  memcpy(&address, record.bytes + 520, 8);
  EXPECT_EQ(address, reinterpret_cast<uintptr_t>(script));

  COPYDATASTRUCT data{0, 528, const_cast<AdStatusRecord*>(&record)};
  EXPECT_EQ(ReadAdStatusScript(&data), script);
  data.cbData = 527;
  EXPECT_EQ(ReadAdStatusScript(&data), nullptr);
  data.cbData = 529;
  EXPECT_EQ(ReadAdStatusScript(&data), nullptr);
  AdStatusRecord other = record;
  other.bytes[0] ^= 1;
  COPYDATASTRUCT wrongCommand{0, 528, &other};
  EXPECT_EQ(ReadAdStatusScript(&wrongCommand), nullptr);
  EXPECT_EQ(ReadAdStatusScript(nullptr), nullptr);
}

TEST(AdStatusScript, TextIsEscapedAsAJavaScriptString) {
  struct Case {
    std::wstring text;
    std::wstring escaped;
  } cases[] = {
      {L"x", L"x"},
      {L"it's", L"it\\'s"},
      {L"a\\b", L"a\\\\b"},
      {L"say \"hi\"", L"say \\\"hi\\\""},
      {L"two\nlines\r", L"two\\nlines\\r"},
      {L"\x2028\x2029", L"\\u2028\\u2029"},
      {L"\x01", L"\\x01"},
      {L"录音 ok", L"录音 ok"},
      {L"x');alert(1);('", L"x\\');alert(1);(\\'"},
  };
  for (const Case& c : cases) EXPECT_EQ(EscapeJsString(c.text), c.escaped);
}

}  // namespace
