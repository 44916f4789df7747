// Two-pass H.264: the first pass writes the encoder's statistics, the
// second reads them to spend the bit rate where the picture needs it.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "mediaconvert/MCLog.h"
#include "mediaconvert/MCMediaConvert.h"

namespace {

constexpr int kH264 = 27;  // AV_CODEC_ID_H264
constexpr int kHevc = 173;  // AV_CODEC_ID_HEVC
constexpr int64_t kTwoPassBitRate = 1000000;

// A private folder for the statistics, under TMPDIR (else /tmp); removed
// with everything the encoder left in it.
class StatsFolder {
 public:
  StatsFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/quorvale-twopass-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (mkdtemp(buf.data()) != nullptr) path_ = buf.data();
  }
  ~StatsFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  StatsFolder(const StatsFolder&) = delete;
  StatsFolder& operator=(const StatsFolder&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

MCConvertParam PassParam(int pass, const std::string& statsPath) {
  MCConvertParam p;
  p.hwEncode = false;
  p.copyWhenSame = false;
  p.keepAudio = false;
  p.codecIds[AVMEDIA_TYPE_VIDEO] = kH264;
  p.videoBitRate = kTwoPassBitRate;
  // A quality level would make the encoder aim at a constant quality,
  // which a second pass cannot use: the bit rate rules.
  p.videoQuality = 0;
  const std::string option = "stats='" + statsPath + "':pass=" + std::to_string(pass);
  if (p.codecIds[AVMEDIA_TYPE_VIDEO] == kH264) p.videoOptions["x264-params"] = option;
  else if (p.codecIds[AVMEDIA_TYPE_VIDEO] == kHevc) p.videoOptions["x265-params"] = option;
  return p;
}

}  // namespace

int MCMediaConvert::ConvertTwoPass(int argc, char** argv) {
  if (argc < 4 || argv == nullptr || argv[1] == nullptr || argv[2] == nullptr || argv[3] == nullptr) {
    return Refuse("MCMediaConvert::ConvertTwoPass");
  }
  StatsFolder folder;
  if (folder.Path().empty()) {
    MCLogPrintf("cannot make a folder for the encoder's statistics\n");
    return AVERROR(errno ? errno : EIO);
  }
  const std::string stats = folder.Path() + "/x264.log";
  for (int pass = 1; pass <= 2; ++pass) {
    MCMediaConvert job;
    const int rc = job.Convert(argv[1], argv[1 + pass], PassParam(pass, stats), nullptr);
    // The second pass reads what the first wrote: without it there is
    // nothing to run.
    if (rc != 0) {
      delete machine_;
      machine_ = nullptr;
      jobError_ = job.GetErrorInfo();
      return rc;
    }
  }
  return 0;
}
