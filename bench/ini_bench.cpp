// The cost of reading and saving a settings file as the program does (all
// keys of the output settings read from one reading, all saved in one
// replace) at 1 KiB, 1 MiB and 8 MiB, per byte of file: the cost must grow
// in proportion to the size. Also the same keys one profile call each, as
// the settings were once read and saved, for comparison.
//   ini_bench [folder]   (default: $TMPDIR or /tmp)
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/CodePage.h"
#include "base/FileIni.h"
#include "base/IniEngine.h"
#include "base/Utf16.h"

namespace {

using Clock = std::chrono::steady_clock;

const wchar_t* const kKeys[] = {
    L"output_device",     L"output_format",   L"output_speaker_name", L"output_speaker_id", L"output_speaker_volume",
    L"output_mic_name",   L"output_mic_id",   L"output_mic_volume",   L"output_dir",        L"output_open_split",
    L"output_split_time", L"output_samplerate", L"output_channel",    L"output_quality",    L"output_id3_title",
    L"output_id3_artist", L"output_id3_date", L"output_id3_album",    L"output_id3_genre"};

// A valid settings file of about `bytes` bytes: the output section first,
// then a section of other keys filling the rest.
std::string MakeFile(size_t bytes) {
  std::wstring text = L"[OUTPUT]\r\n";
  for (const wchar_t* key : kKeys) text += std::wstring(key) + L"=1\r\n";
  text += L"[Filler]\r\n";
  for (int i = 0; (text.size() + 1) * 2 < bytes; ++i) {
    wchar_t line[64];
    swprintf(line, 64, L"filler_%07d=录音 value %d\r\n", i, i);
    text += line;
  }
  return base::Utf16LeEncode(text, true);
}

void WriteFile(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

// Median seconds of `runs` calls of op.
template <typename Op>
double Median(int runs, Op op) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    op(i);
    times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

struct Figures {
  size_t bytes;
  double read, save, readPerKey, savePerKey;
};

Figures Measure(const std::string& folder, size_t size) {
  const std::string path = folder + "/bench-" + std::to_string(size) + ".ini";
  const std::string content = MakeFile(size);
  WriteFile(path, content);
  const std::wstring wpath = Utf8ToWStringRet(path);
  const int runs = size < 64 * 1024 ? 201 : (size < 4 * 1024 * 1024 ? 21 : 7);
  CFileIni ini;
  ini.SetFile(wpath.c_str());
  ini.SetSection(L"OUTPUT");
  Figures f{content.size(), 0, 0, 0, 0};
  f.read = Median(runs, [&](int) {
    ini.BeginBatch();
    for (const wchar_t* key : kKeys) ini.ReadString(key, L"");
    ini.EndBatch();
  });
  f.save = Median(runs, [&](int run) {
    ini.BeginBatch();
    for (const wchar_t* key : kKeys) ini.WriteInt(key, run);
    if (!ini.EndBatch()) std::fprintf(stderr, "save failed: %ls\n", ini.GetLastErrorText().c_str());
  });
  const int slowRuns = std::max(1, runs / 10);
  f.readPerKey = Median(slowRuns, [&](int) {
    for (const wchar_t* key : kKeys) ini.ReadString(key, L"");
  });
  f.savePerKey = Median(slowRuns, [&](int run) {
    for (const wchar_t* key : kKeys) ini.WriteInt(key, run + 1000);
  });
  std::filesystem::remove(path);
  return f;
}

double NsPerByte(double seconds, size_t bytes) { return seconds * 1e9 / static_cast<double>(bytes); }

}  // namespace

int main(int argc, char** argv) {
  const char* tmp = getenv("TMPDIR");
  const std::string folder = argc > 1 ? argv[1] : (tmp && *tmp ? tmp : "/tmp");
  std::vector<Figures> all;
  std::printf("%10s %12s %12s %12s %12s %16s %16s\n", "size", "read ms", "save ms", "read ns/B", "save ns/B",
              "read/key ms", "save/key ms");
  for (size_t size : {size_t{1024}, size_t{1024 * 1024}, size_t{8 * 1024 * 1024}}) {
    const Figures f = Measure(folder, size);
    all.push_back(f);
    std::printf("%10zu %12.3f %12.3f %12.2f %12.2f %16.1f %16.1f\n", f.bytes, f.read * 1e3, f.save * 1e3,
                NsPerByte(f.read, f.bytes), NsPerByte(f.save, f.bytes), f.readPerKey * 1e3, f.savePerKey * 1e3);
  }
  const Figures& small = all.front();
  const Figures& large = all.back();
  const double readRatio = NsPerByte(large.read, large.bytes) / NsPerByte(small.read, small.bytes);
  const double saveRatio = NsPerByte(large.save, large.bytes) / NsPerByte(small.save, small.bytes);
  std::printf("cost per byte, 8 MiB against 1 KiB: read %.2f, save %.2f (goal: at most 2)\n", readRatio, saveRatio);
  const Figures& middle = all[1];
  std::printf("cost per byte, 8 MiB against 1 MiB: read %.2f, save %.2f\n",
              NsPerByte(large.read, large.bytes) / NsPerByte(middle.read, middle.bytes),
              NsPerByte(large.save, large.bytes) / NsPerByte(middle.save, middle.bytes));
  return readRatio <= 2.0 && saveRatio <= 2.0 ? 0 : 1;
}
