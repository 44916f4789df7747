#include <cstdio>

#include "base/CodePage.h"
#include "mediaconvert/MCDeMuxer.h"
#include "mediaconvert/MCMediaInfo.h"

namespace {

const int kAdtsRates[13] = {96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000, 7350};

bool IsSync(unsigned char a, unsigned char b) { return a == 0xFF && (b & 0xF6) == 0xF0; }

// Offset of the first frame header, or -1.
long FindFirstHeader(FILE* file) {
  unsigned char block[1025];
  size_t carried = 0;
  long blockStart = 0;  // file offset of block[0]
  for (;;) {
    const size_t got = fread(block + carried, 1, 1024, file);
    const size_t total = carried + got;
    for (size_t i = 0; i + 1 < total; ++i) {
      if (IsSync(block[i], block[i + 1])) return blockStart + static_cast<long>(i);
    }
    if (got == 0) return -1;
    // Keep the last byte: a header may straddle two blocks.
    blockStart += static_cast<long>(total - 1);
    block[0] = block[total - 1];
    carried = 1;
  }
}

void SetDurations(AVFormatContext* ctx, int64_t totalUs) {
  ctx->duration = totalUs;
  for (unsigned i = 0; i < ctx->nb_streams; ++i) {
    ctx->streams[i]->duration = av_rescale_q(totalUs, AVRational{1, 1000000}, ctx->streams[i]->time_base);
  }
}

}  // namespace

bool MCaacFmtBugfixer::Fix(AVFormatContext* ctx) {
  if (ctx == nullptr || ctx->iformat == nullptr || ctx->url == nullptr) return false;
  FILE* file = fopen(ctx->url, "rb");
  if (file == nullptr) return false;
  int64_t frames = 0;
  int rate = 0;
  long offset = FindFirstHeader(file);
  while (offset >= 0 && fseek(file, offset, SEEK_SET) == 0) {
    unsigned char h[7];
    if (fread(h, 1, 7, file) != 7 || !IsSync(h[0], h[1])) break;
    ++frames;
    const int index = (h[2] >> 2) & 0x0F;
    rate = index < 13 ? kAdtsRates[index] : 0;
    const long length = ((h[3] & 0x03) << 11) | (h[4] << 3) | (h[5] >> 5);
    // A zero (or header-short) length would find the same header again
    // for ever: such a frame ends the scan.
    if (length < 7) break;
    offset += length;
  }
  fclose(file);
  if (rate == 0) return false;
  const int64_t frameUs = (1024000000LL + rate - 1) / rate;
  const int64_t total = frameUs * frames;
  if (total < 0) return true;
  ctx->duration = total;
  for (unsigned i = 0; i < ctx->nb_streams; ++i) {
    if (ctx->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
      ctx->streams[i]->duration = av_rescale_q(total, AVRational{1, 1000000}, ctx->streams[i]->time_base);
    }
  }
  return true;
}

bool MCswfFmtBugfixer::Fix(AVFormatContext* ctx) {
  if (ctx == nullptr || ctx->iformat == nullptr || ctx->url == nullptr) return false;
  const double seconds = MCMediaInfoDuration(WStringFromUtf8(ctx->url));
  SetDurations(ctx, static_cast<int64_t>(seconds) * 1000000);
  return true;
}

MCFmtBugfixerRegistry::MCFmtBugfixerRegistry() {
  factories_["aac"] = []() -> IFmtBugfixer* { return new MCaacFmtBugfixer(); };
  factories_["swf"] = []() -> IFmtBugfixer* { return new MCswfFmtBugfixer(); };
}

IFmtBugfixer* MCFmtBugfixerRegistry::Create(const std::string& name) const {
  const auto it = factories_.find(name);
  return it == factories_.end() ? nullptr : it->second();
}
