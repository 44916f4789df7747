#include "logic/InterruptedRecording.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <limits>

extern "C" {
#include <libavformat/avformat.h>
}

#include "base/CodePage.h"

namespace {

uint32_t Le32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

void PutLe32(unsigned char* p, uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(value >> (8 * i));
}

bool ReadAt(int fd, off_t offset, unsigned char* buffer, size_t size) {
  return ::pread(fd, buffer, size, offset) == static_cast<ssize_t>(size);
}

bool WriteLe32At(int fd, off_t offset, uint32_t value) {
  unsigned char bytes[4];
  PutLe32(bytes, value);
  return ::pwrite(fd, bytes, 4, offset) == 4;
}

}  // namespace

bool RepairWavSizes(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  unsigned char riff[12];
  bool ok = ::fstat(fd, &st) == 0 && ReadAt(fd, 0, riff, sizeof riff) && std::memcmp(riff, "RIFF", 4) == 0 &&
            std::memcmp(riff + 8, "WAVE", 4) == 0;
  const uint64_t fileSize = static_cast<uint64_t>(st.st_size);
  uint32_t blockAlign = 1;
  off_t offset = 12;
  off_t dataSizeAt = -1;
  // Walk the chunks up to "data": the header may carry a LIST of texts.
  while (ok && dataSizeAt < 0) {
    unsigned char chunk[8];
    if (!ReadAt(fd, offset, chunk, sizeof chunk)) {
      ok = false;
      break;
    }
    const uint32_t size = Le32(chunk + 4);
    if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16) {
      unsigned char format[16];
      if (ReadAt(fd, offset + 8, format, sizeof format)) blockAlign = std::max<uint32_t>(1, format[12] | format[13] << 8);
    }
    if (std::memcmp(chunk, "data", 4) == 0) {
      dataSizeAt = offset + 4;
      break;
    }
    offset += 8 + static_cast<off_t>(size) + (size & 1);
    if (static_cast<uint64_t>(offset) + 8 > fileSize) ok = false;
  }
  if (ok) {
    const uint64_t dataStart = static_cast<uint64_t>(dataSizeAt) + 4;
    uint64_t dataBytes = fileSize - dataStart;
    // Sizes are 32-bit: a longer file keeps the largest whole frames.
    dataBytes = std::min<uint64_t>(dataBytes, std::numeric_limits<uint32_t>::max() - dataStart);
    dataBytes -= dataBytes % blockAlign;
    const uint32_t riffSize = static_cast<uint32_t>(dataStart + dataBytes - 8);
    unsigned char current[4];
    ok = ReadAt(fd, dataSizeAt, current, 4);
    if (ok && (Le32(current) != dataBytes || Le32(riff + 4) != riffSize)) {
      ok = WriteLe32At(fd, dataSizeAt, static_cast<uint32_t>(dataBytes)) && WriteLe32At(fd, 4, riffSize) &&
           ::fsync(fd) == 0;
    }
  }
  if (::close(fd) != 0) ok = false;
  return ok;
}

bool RepairFlacLength(const std::string& path, double seconds) {
  int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  // "fLaC", then the STREAMINFO block (type 0) whose bytes 10..17 hold,
  // big-endian: sample rate (20 bits), channels (3), bits (5), and the
  // total of samples (36), 0 when the writer never came to its end.
  unsigned char head[26];
  bool ok = ReadAt(fd, 0, head, sizeof head) && std::memcmp(head, "fLaC", 4) == 0 && (head[4] & 0x7F) == 0;
  if (ok) {
    uint64_t packed = 0;
    for (int i = 0; i < 8; ++i) packed = packed << 8 | head[18 + i];
    const uint64_t rate = packed >> 44;
    const uint64_t total = packed & ((uint64_t{1} << 36) - 1);
    ok = rate > 0 && seconds >= 0;
    if (ok && total == 0) {
      const uint64_t samples = std::min<uint64_t>(static_cast<uint64_t>(seconds * static_cast<double>(rate) + 0.5),
                                                  (uint64_t{1} << 36) - 1);
      packed = (packed & ~((uint64_t{1} << 36) - 1)) | samples;
      unsigned char bytes[8];
      for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(packed >> (8 * (7 - i)));
      ok = ::pwrite(fd, bytes, 8, 18) == 8 && ::fsync(fd) == 0;
    }
  }
  if (::close(fd) != 0) ok = false;
  return ok;
}

double MeasureAudioSeconds(const std::string& path) {
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return -1;
  double seconds = -1;
  if (avformat_find_stream_info(format, nullptr) >= 0) {
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index >= 0) {
      const AVStream* stream = format->streams[index];
      int64_t first = AV_NOPTS_VALUE, end = AV_NOPTS_VALUE;
      AVPacket* packet = av_packet_alloc();
      while (packet && av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == index) {
          const int64_t at = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
          if (at != AV_NOPTS_VALUE) {
            if (first == AV_NOPTS_VALUE || at < first) first = at;
            if (end == AV_NOPTS_VALUE || at + packet->duration > end) end = at + packet->duration;
          }
        }
        av_packet_unref(packet);
      }
      av_packet_free(&packet);
      seconds = first == AV_NOPTS_VALUE ? 0.0 : static_cast<double>(end - first) * av_q2d(stream->time_base);
    }
  }
  avformat_close_input(&format);
  return seconds;
}

CInterruptedRecording RecoverInterruptedRecording(const std::wstring& path) {
  CInterruptedRecording result;
  const std::string file = WStringToUtf8Ret(path);
  RepairWavSizes(file);  // nothing to do for other formats
  const double seconds = MeasureAudioSeconds(file);
  result.readable = seconds >= 0;
  if (result.readable) RepairFlacLength(file, seconds);  // nothing to do for other formats
  result.seconds = std::max(0.0, seconds);
  struct stat st {};
  if (::stat(file.c_str(), &st) == 0) result.bytes = static_cast<uint64_t>(st.st_size);
  return result;
}
