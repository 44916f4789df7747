#include "mediaconvert/MCCodecCaps.h"

#include <dlfcn.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <set>

namespace {

const std::vector<int> kDefaultSampleRates = {8000, 11025, 16000, 22050, 44100, 48000, 88200, 96000};

bool NameIs(const AVCodec* codec, const char* name) {
  return codec->name != nullptr && std::strcmp(codec->name, name) == 0;
}

double ToDouble(AVRational r) { return r.den == 0 ? 0.0 : static_cast<double>(r.num) / r.den; }

bool BothSameSideOfOne(double a, double b) { return (a < 1.0 && b < 1.0) || (a > 1.0 && b > 1.0); }

AVRational Swapped(AVRational r) { return AVRational{r.den, r.num}; }

}  // namespace

std::vector<int> MCGetEncoderSampleRates(const AVCodec* encoder) {
  if (encoder == nullptr) return {};
  std::vector<int> rates;
  if (NameIs(encoder, "libopencore_amrnb")) {
    rates = {8000};
  } else if (NameIs(encoder, "ac3")) {
    rates = {32000, 44100, 48000};
  } else if (NameIs(encoder, "wmav2")) {
    rates = {8000, 11025, 16000, 22050, 44100};
  } else if (NameIs(encoder, "mp2")) {
    rates = {16000, 22050, 24000, 32000, 44100, 48000};
  } else if (encoder->supported_samplerates != nullptr) {
    for (const int* r = encoder->supported_samplerates; *r != 0; ++r) rates.push_back(*r);
  } else {
    rates = kDefaultSampleRates;
  }
  std::sort(rates.begin(), rates.end());
  return rates;
}

std::vector<int> MCGetEncoderSampleRates(const char* encoderName) {
  return MCGetEncoderSampleRates(encoderName ? avcodec_find_encoder_by_name(encoderName) : nullptr);
}

std::vector<int> MCGetEncoderChannels(const AVCodec* encoder) {
  if (encoder == nullptr) return {};
  if (NameIs(encoder, "libopencore_amrnb")) return {1};
  if (NameIs(encoder, "libopus")) return {1, 2, 5, 6, 7, 8};
  if (encoder->ch_layouts == nullptr) return {1, 2};
  std::set<int> counts;
  for (const AVChannelLayout* l = encoder->ch_layouts; l->nb_channels != 0; ++l) {
    if (l->nb_channels >= 0 && l->nb_channels <= 8) counts.insert(l->nb_channels);
  }
  return std::vector<int>(counts.begin(), counts.end());
}

std::vector<int> MCGetEncoderChannels(const char* encoderName) {
  return MCGetEncoderChannels(encoderName ? avcodec_find_encoder_by_name(encoderName) : nullptr);
}

int MCSnapToList(const std::vector<int>& list, int wanted) {
  if (list.empty()) return wanted;
  for (int v : list) {
    if (v >= wanted) return v;
  }
  return list.back();
}

namespace {

void FixMp2(int64_t* bitRate, int* sampleRate) {
  static const int kLow[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
  static const int kFull[] = {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384};
  static const int kFullRates[] = {32000, 44100, 48000};
  if (*bitRate > 384000) *bitRate = 384000;
  const int64_t kbps = *bitRate / 1000;
  // A bit rate of MPEG-1's list at one of its rates is a valid MPEG-1 stream
  // as it is; that MPEG-2's half rates allow the same figure (128 kbit/s
  // among them) is no reason to halve its band.
  if (*bitRate % 1000 == 0 && std::find(std::begin(kFull), std::end(kFull), kbps) != std::end(kFull) &&
      std::find(std::begin(kFullRates), std::end(kFullRates), *sampleRate) != std::end(kFullRates)) {
    return;
  }
  int low = 31999, high = 48000;
  if (std::find(std::begin(kLow), std::end(kLow), kbps) != std::end(kLow)) {
    low = 0;
    high = 24000;
  } else if (std::find(std::begin(kFull), std::end(kFull), kbps) == std::end(kFull)) {
    int chosen = 384;
    for (int v : kFull) {
      if (v >= kbps) {
        chosen = v;
        break;
      }
    }
    *bitRate = 1000LL * chosen;
  }
  if (*sampleRate < low || *sampleRate > high) *sampleRate = high;
}

void FixMp3(int64_t bitRate, int* sampleRate) {
  if (bitRate == 144000) {
    *sampleRate = std::min(*sampleRate, 24000);
  } else if (bitRate < 32000) {
    *sampleRate = std::min(*sampleRate, 8000);
  } else if (bitRate < 64000) {
    *sampleRate = std::min(*sampleRate, 32000);
  } else if (bitRate > 64000) {
    *sampleRate = std::max(*sampleRate, 32000);
  }
}

}  // namespace

void MCFixAudioParams(AVCodecID codecId, int64_t* bitRate, int* sampleRate, int* channels) {
  if (bitRate == nullptr || sampleRate == nullptr || channels == nullptr) return;
  switch (codecId) {
    case AV_CODEC_ID_AMR_NB:
      *channels = 1;
      *sampleRate = 8000;
      break;
    case AV_CODEC_ID_MP2:
      FixMp2(bitRate, sampleRate);
      // At the lowest rate two channels above 16 kHz leave too few bits per
      // band: the encoder writes a stream that decodes to noise.
      if (*bitRate <= 8000 && *channels > 1) *sampleRate = std::min(*sampleRate, 16000);
      break;
    case AV_CODEC_ID_MP3:
      FixMp3(*bitRate, sampleRate);
      break;
    case AV_CODEC_ID_AC3:
      if (*bitRate <= static_cast<int64_t>(*sampleRate)) {
        const std::vector<int> rates = MCGetEncoderSampleRates("ac3");
        if (!rates.empty()) *sampleRate = rates.front();
      }
      if (*bitRate <= 32000) *channels = std::min(*channels, 4);
      break;
    default:
      break;
  }
}

AVRational MCGetNearestFrameRate(const AVCodec* encoder, AVRational wanted) {
  if (encoder == nullptr || encoder->supported_framerates == nullptr) return wanted;
  const AVRational* list = encoder->supported_framerates;
  if (list[0].den == 0) return AVRational{0, 1};
  const double want = ToDouble(wanted);
  AVRational lower{0, 1};
  AVRational upper{INT_MAX, 1};
  for (const AVRational* e = list; e->num != 0 && e->den != 0; ++e) {
    if (e->num == wanted.num && e->den == wanted.den) return wanted;
    const double v = ToDouble(*e);
    if (v < want) {
      if (v > ToDouble(lower)) lower = *e;
    } else if (v < ToDouble(upper)) {
      upper = *e;
    }
  }
  if (upper.num == INT_MAX && upper.den == 1) return lower;
  if (lower.num != 0 && want - ToDouble(lower) < ToDouble(upper) - want) return lower;
  return upper;
}

AVRational MCFixFrameRate(const AVStream* stream, AVRational rate) {
  const double a = ToDouble(rate);
  const double b = stream ? ToDouble(stream->r_frame_rate) : 0.0;
  if (a > 240.0) return AVRational{30, 1};
  return BothSameSideOfOne(a, b) ? rate : Swapped(rate);
}

AVRational MCFixCodecFrameRate(const AVStream* stream, const AVCodecContext* context) {
  if (context == nullptr) return AVRational{0, 1};
  const AVRational rate = context->framerate;
  const double b = stream ? ToDouble(stream->r_frame_rate) : 0.0;
  return BothSameSideOfOne(ToDouble(rate), b) ? rate : Swapped(rate);
}

bool MCIsAmfAvailable() {
  // The AMD media runtime is a shared library here; without it no AMF
  // encoder can open, so it is not offered.
  void* handle = dlopen("libamfrt64.so.1", RTLD_LAZY | RTLD_LOCAL);
  if (handle == nullptr) return false;
  dlclose(handle);
  return true;
}

std::vector<std::string> MCGetHwEncoders(AVCodecID codecId) {
  const bool amf = MCIsAmfAvailable();
  switch (codecId) {
    case AV_CODEC_ID_MPEG2VIDEO:
      return {"mpeg2_qsv"};
    case AV_CODEC_ID_MJPEG:
      return {"mjpeg_qsv"};
    case AV_CODEC_ID_H264:
      return amf ? std::vector<std::string>{"h264_nvenc", "h264_amf", "h264_qsv"}
                 : std::vector<std::string>{"h264_nvenc", "h264_qsv"};
    case AV_CODEC_ID_VP9:
      return {"vp9_qsv"};
    case AV_CODEC_ID_HEVC:
      return amf ? std::vector<std::string>{"hevc_nvenc", "hevc_amf", "hevc_qsv"}
                 : std::vector<std::string>{"hevc_nvenc", "hevc_qsv"};
    default:
      return {};
  }
}

bool MCIsHwDeviceAvailable(AVHWDeviceType type) {
  AVBufferRef* device = nullptr;
  const int rc = av_hwdevice_ctx_create(&device, type, nullptr, nullptr, 0);
  av_buffer_unref(&device);
  return rc == 0;
}

std::vector<std::string> MCGetHwDecoders(AVCodecID codecId) {
  const AVCodec* plain = avcodec_find_decoder(codecId);
  if (plain == nullptr) return {};
  std::vector<std::string> names;
  const struct {
    const char* suffix;
    AVHWDeviceType type;
  } kinds[] = {{"_qsv", AV_HWDEVICE_TYPE_QSV}, {"_cuvid", AV_HWDEVICE_TYPE_CUDA}};
  for (const auto& kind : kinds) {
    const std::string name = std::string(plain->name) + kind.suffix;
    if (MCIsHwDeviceAvailable(kind.type) && avcodec_find_decoder_by_name(name.c_str()) != nullptr) {
      names.push_back(name);
    }
  }
  names.push_back(plain->name);
  return names;
}

bool MCIsTextSubtitle(AVCodecID codecId) {
  const AVCodecDescriptor* d = avcodec_descriptor_get(codecId);
  return d != nullptr && (d->props & AV_CODEC_PROP_TEXT_SUB) != 0;
}

int MCBytesPerSample(AVSampleFormat format) { return av_get_bytes_per_sample(format); }

std::vector<std::wstring> MCSplitString(std::wstring text, std::wstring separator) {
  if (separator.empty()) return {};
  if (text.find(separator) == std::wstring::npos) return {text};
  std::vector<std::wstring> parts;
  std::wstring rest = text;
  for (;;) {
    const size_t at = rest.find(separator);
    if (at == std::wstring::npos || rest.empty()) break;
    parts.push_back(rest.substr(0, at));
    rest = rest.substr(at + separator.size());
  }
  if (!rest.empty()) parts.push_back(rest);
  return parts;
}

bool MCIsAnsiText(std::string text) {
  int expected = 0;
  bool high = false;
  for (unsigned char c : text) {
    if (c >= 0x80) high = true;
    if (expected > 0) {
      if ((c & 0xC0) != 0x80) return true;
      --expected;
      continue;
    }
    if (c < 0x80) continue;
    if (c <= 0xBF) return true;
    if (c <= 0xDF) expected = 1;
    else if (c <= 0xEF) expected = 2;
    else if (c <= 0xF7) expected = 3;
    else if (c <= 0xFB || c >= 0xFE) expected = 4;
    else expected = 5;
  }
  if (expected > 0) return true;
  return !high;
}

uint32_t MCReadUInt32(const uint8_t* bytes, int byteOrder) {
  if (bytes == nullptr) return 0;
  if (byteOrder == -1) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
  }
  return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | uint32_t(bytes[3]);
}
