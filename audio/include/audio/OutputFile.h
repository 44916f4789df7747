// Writes one recording file with FFmpeg: names it from the local time (or
// takes an explicit path), creates the folder, the container the name
// selects and that muxer's default audio encoder, writes the ID3 texts and
// the header, encodes frames, and at the end drains the encoder and writes
// the trailer. Errors come back as result codes, with the message as the
// last text of its log.
#pragma once

#include <cstdint>
#include <string>

#include "base/Logger.h"
#include "logic/ArgOutput.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

// Result codes of the recording pipeline.
enum OutputResult {
    kOutputOk = 0,
    kOutputDiskFull = 2,
    kOutputNoStream = -99997,
    kOutputNoContainer = -99998,
    kOutputNoEncoder = -99999,
};

extern const wchar_t* const kTextNoContainer;  // "无法创建文件格式。"
extern const wchar_t* const kTextNoStream;     // "文件创建音频数据流失败。"
extern const wchar_t* const kTextDiskFull;     // "磁盘空间不足。"

// "2024-03-05__14-07-09-0042.mp3": the year, month, day, "__", hour, minute,
// second and four-digit milliseconds of the given local time.
std::wstring MakeRecordingFileName(const SYSTEMTIME& time, const std::wstring& extension);

// The muxer the path's extension selects ("ipod" for m4r), with its file
// open for writing; null when either fails.
AVFormatContext* CreateOutputContext(const std::wstring& path);

// True for FFmpeg errors that mean the volume or the user's quota is full.
bool IsDiskFullError(int error);

class COutputFile : public CLogger {
public:
    COutputFile() = default;
    ~COutputFile();

    // Names the file by `nameTime` (local), by the time now without it.
    int OpenForRecord(const CArgOutput& settings, const SYSTEMTIME* nameTime = nullptr);
    int Open(const std::wstring& path);
    // Drains the encoder, writes the trailer and closes. 0, or the first
    // FFmpeg error met while draining or writing the trailer.
    int Close();
    int WriteTags();
    int FitEncoderParams(AVCodecContext* context);

    // Encodes one frame at the file's own running time (the first frame of
    // every file starts at 0) and writes every packet the encoder gives. 0,
    // -99999 without an encoder, or the FFmpeg error of a failed send or
    // write. The caller keeps the frame.
    int EncodeFrame(AVFrame* frame);
    // The running time of the file in the given time base.
    int64_t GetPtsIn(AVRational timeBase) const;

    std::wstring GetPath() const { return path_; }
    AVCodecContext* Encoder() const { return encoder_; }
    AVFormatContext* Container() const { return container_; }
    AVStream* Stream() const { return stream_; }
    // Samples per frame the encoder wants (1024 for encoders of any size).
    int FrameSize() const;

private:
    AVCodecContext* CreateEncoder(const AVCodec* codec);
    int WritePacket(AVPacket* packet);
    int DrainPackets(AVPacket* packet);
    void Discard();  // closes and deletes a file that never got its header
    int LogError(const wchar_t* what, int error);

    int64_t nextPts_ = 0;
    AVFormatContext* container_ = nullptr;
    AVCodecContext* encoder_ = nullptr;
    AVStream* stream_ = nullptr;
    CArgOutput settings_;
    std::wstring path_;
    bool headerWritten_ = false;
};
