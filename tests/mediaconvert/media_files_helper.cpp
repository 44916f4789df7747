#include "media_files_helper.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace mctest {

namespace {

std::string Capture(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
  const int rc = pclose(pipe);
  if (status) *status = rc;
  return out;
}

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'') q += "'\\''";
    else q += c;
  }
  return q + "'";
}

}  // namespace

namespace {

// Folders made for a test run are removed when the test program ends.
struct TempDirs {
  std::vector<std::string> made;
  ~TempDirs() {
    std::error_code ignored;
    for (const auto& dir : made) std::filesystem::remove_all(dir, ignored);
  }
};
TempDirs gTempDirs;

}  // namespace

std::string MakeTempDir(const std::string& name) {
  const char* base = std::getenv("TMPDIR");
  std::string root = base && *base ? base : "/tmp";
  std::string pattern = root + "/mc-" + name + "-XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  const char* made = mkdtemp(buf.data());
  if (made == nullptr) return std::string();
  gTempDirs.made.push_back(made);
  return made;
}

bool Ffmpeg(const std::string& args) {
  const std::string cmd = "ffmpeg -nostdin -hide_banner -loglevel error -y " + args + " >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

std::map<std::string, std::string> Probe(const std::string& path) {
  std::map<std::string, std::string> facts;
  const std::string out = Capture("ffprobe -v error -show_format -show_streams -of flat " + Quote(path) + " 2>/dev/null");
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string value = line.substr(eq + 1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    facts[line.substr(0, eq)] = value;
  }
  return facts;
}

std::vector<std::string> AudioPacketSums(const std::string& path) {
  const std::string out = Capture("ffmpeg -nostdin -v error -i " + Quote(path) +
                                  " -map 0:a:0 -c copy -f framemd5 - 2>/dev/null");
  std::vector<std::string> sums;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    // stream, dts, pts, duration, size, hash: keep size and hash.
    std::vector<std::string> fields;
    std::istringstream f(line);
    std::string field;
    while (std::getline(f, field, ',')) fields.push_back(field);
    if (fields.size() >= 6) sums.push_back(fields[4] + fields[5]);
  }
  return sums;
}

bool DecodesCleanly(const std::string& path) {
  int status = 0;
  const std::string err =
      Capture("ffmpeg -nostdin -v error -xerror -i " + Quote(path) + " -f null - 2>&1", &status);
  return status == 0 && err.empty();
}

std::vector<int> RgbAt(const std::string& path, double seconds, const std::string& crop) {
  std::ostringstream cmd;
  cmd << "ffmpeg -nostdin -v error -ss " << seconds << " -i " << Quote(path) << " -frames:v 1 -vf "
      << (crop.empty() ? "" : "crop=" + crop + ",") << "scale=1:1:flags=area -f rawvideo -pix_fmt rgb24 - 2>/dev/null";
  const std::string rgb = Capture(cmd.str());
  if (rgb.size() < 3) return {-1, -1, -1};
  return {static_cast<unsigned char>(rgb[0]), static_cast<unsigned char>(rgb[1]), static_cast<unsigned char>(rgb[2])};
}

std::string ColorAt(const std::string& path, double seconds) {
  const std::vector<int> rgb = RgbAt(path, seconds);
  if (rgb[0] < 0) return "none";
  const int r = rgb[0], g = rgb[1], b = rgb[2];
  auto high = [](int v) { return v > 170; };
  auto low = [](int v) { return v < 85; };
  if (high(r) && low(g) && low(b)) return "red";
  if (low(r) && high(g) && low(b)) return "green";
  if (low(r) && low(g) && high(b)) return "blue";
  if (low(r) && low(g) && low(b)) return "black";
  if (high(r) && high(g) && high(b)) return "white";
  return "other";
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

std::vector<std::string> ListDir(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      const std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    closedir(d);
  }
  return names;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

const std::vector<OutputFormat>& TenFormats() {
  static const std::vector<OutputFormat> formats = {
      {"mp3", "-c:a libmp3lame -b:a 128k"},
      {"wav", "-c:a pcm_s16le"},
      {"ogg", "-c:a libvorbis -q:a 3"},
      {"flac", "-c:a flac"},
      {"mp2", "-c:a mp2 -b:a 192k"},
      {"m4a", "-c:a aac -b:a 128k"},
      {"m4r", "-c:a aac -b:a 128k -f ipod"},
      {"ac3", "-c:a ac3 -b:a 192k"},
      {"amr", "-c:a libopencore_amrnb -ar 8000 -ac 1 -b:a 12.2k"},
      {"wma", "-c:a wmav2 -b:a 128k"},
  };
  return formats;
}

std::string MakeTaggedAudio(const std::string& dir, const OutputFormat& format, double seconds) {
  const std::string path = dir + "/tone." + format.ext;
  std::ostringstream args;
  args << "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=" << seconds
       << " -ac 2 " << format.args
       << " -metadata title=Song -metadata artist=Singer -metadata album=Record"
       << " -metadata genre=Pop -metadata date=2019 " << Quote(path);
  return Ffmpeg(args.str()) ? path : std::string();
}

}  // namespace mctest
