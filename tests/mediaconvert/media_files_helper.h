#pragma once
// Small media files made with the ffmpeg command line, and what ffprobe
// reads from them, for tests of the media library.

#include <map>
#include <string>
#include <vector>

namespace mctest {

// A fresh folder under the test's temporary folder.
std::string MakeTempDir(const std::string& name);
// Runs ffmpeg with the arguments (quiet, overwrite); true on exit code 0.
bool Ffmpeg(const std::string& args);
// ffprobe's flat output of format and stream facts and tags.
std::map<std::string, std::string> Probe(const std::string& path);
// One line per audio packet of the first audio stream: "size checksum".
std::vector<std::string> AudioPacketSums(const std::string& path);
// ffmpeg decodes the whole file without an error message.
bool DecodesCleanly(const std::string& path);
bool FileExists(const std::string& path);
// The colour of the picture at `seconds`, averaged over the frame: "red",
// "green", "blue", "black", "white" or "other".
std::string ColorAt(const std::string& path, double seconds);
// The average red, green and blue of the picture at `seconds` inside the
// crop "w:h:x:y" (empty: the whole picture); {-1, -1, -1} when none.
std::vector<int> RgbAt(const std::string& path, double seconds, const std::string& crop = "");
std::vector<std::string> ListDir(const std::string& dir);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

struct OutputFormat {
  const char* ext;
  const char* args;  // encoder arguments for ffmpeg
};
// The ten formats the recorder writes, as ffmpeg writes them.
const std::vector<OutputFormat>& TenFormats();
// A short tone in the format, with title/artist/album/genre/year tags.
std::string MakeTaggedAudio(const std::string& dir, const OutputFormat& format, double seconds = 1.0);

}  // namespace mctest
