#include "audio/OutputFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "audio/AudioFormatTable.h"
#include "audio/EncoderSettings.h"
#include "Mp4Layout.h"
#include "base/CodePage.h"
#include "base/FileNaming.h"
#include "base/FolderOps.h"
#include "mediaconvert/MCCodecCaps.h"
#include "mediaconvert/MCMediaTags.h"
#include "win32/windows.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/opt.h>
}

const wchar_t* const kTextNoContainer = L"无法创建文件格式。";
const wchar_t* const kTextNoStream = L"文件创建音频数据流失败。";
const wchar_t* const kTextDiskFull = L"磁盘空间不足。";

namespace {

// Rates at or above this are refused before any encoder is asked.
constexpr double kRateLimit = 2959500.9024;

std::wstring AvErrorText(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {0};
    av_strerror(error, text, sizeof text);
    return Utf8ToWide(text);
}

std::wstring JoinFolder(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) return name;
    const wchar_t last = folder.back();
    return (last == L'/' || last == L'\\') ? folder + name : folder + L"/" + name;
}

bool FolderExists(const std::wstring& folder) {
    return !folder.empty() && access(WideToUtf8(folder).c_str(), F_OK) == 0;
}

// Planar float where the encoder takes it: the mix is made in float, and the
// encoder is then fed without a conversion on either side of the mixer
// (libmp3lame lists 32-bit integers first). Otherwise its first format.
AVSampleFormat PickSampleFormat(const AVCodec* codec) {
    if (!codec->sample_fmts) return AV_SAMPLE_FMT_FLTP;
    for (const AVSampleFormat* f = codec->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f)
        if (*f == AV_SAMPLE_FMT_FLTP) return *f;
    return codec->sample_fmts[0];
}

// A name of the recording's form that no file holds yet, claimed for it:
// two recordings named in the same millisecond (a clock set back, two
// opens in one millisecond) must not truncate each other. A clash keeps
// the form and adds a counter before the extension, as every unique name
// of the program does: 2024-03-05__14-07-09-0042(0).mp3. A path that names
// something other than a file (a device) is taken as it is. Empty when no
// name can be created.
std::wstring ClaimFreeName(const std::wstring& path) {
    struct stat info {};
    if (stat(WideToUtf8(path).c_str(), &info) == 0 && !S_ISREG(info.st_mode)) return path;
    const SStringW free = MakeUniqueFileName(SStringW(path.c_str(), static_cast<int>(path.size())), false);
    return std::wstring(free.c_str(), static_cast<size_t>(free.GetLength()));
}

// Nothing was written into the file claimed for a recording: an empty file
// would only look like one. Only regular files: the path may name a device.
void RemoveClaimedFile(const std::wstring& path) {
    const std::string file = WideToUtf8(path);
    struct stat info {};
    if (stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode)) unlink(file.c_str());
}

}  // namespace

std::wstring MakeRecordingFileName(const SYSTEMTIME& t, const std::wstring& extension) {
    wchar_t name[64];
    std::swprintf(name, 64, L"%d-%02d-%02d__%02d-%02d-%02d-%04d.", t.wYear, t.wMonth, t.wDay,
                  t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    return name + extension;
}

bool IsDiskFullError(int error) { return error == AVERROR(ENOSPC) || error == AVERROR(EDQUOT); }

AVFormatContext* CreateOutputContext(const std::wstring& path) {
    const std::string utf8 = WideToUtf8(path);
    const char* muxer = GetFormatIdByPath(path.c_str()) == 6 ? "ipod" : nullptr;
    AVFormatContext* context = nullptr;
    if (avformat_alloc_output_context2(&context, nullptr, muxer, utf8.c_str()) < 0 || !context)
        return nullptr;
    if (avio_open(&context->pb, utf8.c_str(), AVIO_FLAG_WRITE) < 0) {
        avformat_free_context(context);
        return nullptr;
    }
    return context;
}

COutputFile::~COutputFile() { Close(); }

int COutputFile::OpenForRecord(const CArgOutput& settings, const SYSTEMTIME* nameTime) {
    settings_ = settings;
    if (!FolderExists(settings_.output_dir)) CreateFolderChain(settings_.output_dir);
    if (!settings_.output_file.empty()) return Open(settings_.output_file);

    const CAudioFormat format = GetFormatById(settings_.output_format);
    SYSTEMTIME now{};
    if (nameTime) now = *nameTime;
    else GetLocalTime(&now);
    return Open(JoinFolder(settings_.output_dir,
                           MakeRecordingFileName(now, format.extension.c_str())));
}

int COutputFile::LogError(const wchar_t* what, int error) {
    WriteLine(std::wstring(what) + AvErrorText(error));
    return error;
}

AVCodecContext* COutputFile::CreateEncoder(const AVCodec* codec) {
    AVCodecContext* context = avcodec_alloc_context3(codec);
    if (!context) return nullptr;
    EncoderRequest request;
    request.codecId = codec->id;
    request.sampleRate = settings_.output_samplerate;
    request.channels = settings_.output_channel;
    request.quality = settings_.output_quality;
    const EncoderSetup setup = MakeEncoderSetup(request);
    context->codec_id = codec->id;
    context->codec_type = AVMEDIA_TYPE_AUDIO;
    context->sample_fmt = PickSampleFormat(codec);
    context->sample_rate = setup.sampleRate;
    context->bit_rate = setup.bitRate;
    av_channel_layout_default(&context->ch_layout, setup.channels);
    if (setup.qscale) {
        context->flags |= AV_CODEC_FLAG_QSCALE;
        context->global_quality = setup.globalQuality;
    }
    if (setup.compressionLevel >= 0) context->compression_level = setup.compressionLevel;
    return context;
}

int COutputFile::FitEncoderParams(AVCodecContext* context) {
    int rate = context->sample_rate;
    int channels = context->ch_layout.nb_channels;
    int64_t bitRate = context->bit_rate;
    FitToEncoder(context->codec, container_ ? container_->oformat->audio_codec : context->codec_id,
                 &bitRate, &rate, &channels);
    context->sample_rate = rate;
    context->bit_rate = bitRate;
    av_channel_layout_uninit(&context->ch_layout);
    av_channel_layout_default(&context->ch_layout, channels);
    return 0;
}

void COutputFile::Discard() {
    if (encoder_) avcodec_free_context(&encoder_);
    if (container_) {
        avio_closep(&container_->pb);
        avformat_free_context(container_);
        container_ = nullptr;
        RemoveClaimedFile(path_);
    }
    stream_ = nullptr;
    headerWritten_ = false;
}

namespace {

// The ASF muxer pads every packet to its packet size (3200 bytes unless
// told) and starts a new packet for each WMA block: one block of 1857
// bytes (320 kbit/s at 44100 Hz) per 3200-byte packet made the file 70 %
// larger than its bit rate. A packet one block and its headers long
// carries the bit rate the window shows.
void FitAsfPackets(AVFormatContext* container, const AVCodecContext* encoder) {
    if (!container || !encoder || encoder->block_align <= 0 || !container->priv_data) return;
    if (std::strcmp(container->oformat->name, "asf") != 0) return;
    constexpr int kHeaders = 28;  // packet and payload headers of one block
    av_opt_set_int(container->priv_data, "packet_size", std::max(100, encoder->block_align + kHeaders), 0);
}

}  // namespace

int COutputFile::Open(const std::wstring& path) {
    Close();
    nextPts_ = 0;
    path_ = path;
    WriteLine(L"");

    const std::wstring claimed = ClaimFreeName(path);
    if (!claimed.empty()) path_ = claimed;
    container_ = claimed.empty() ? nullptr : CreateOutputContext(path_);
    if (!container_) {
        if (!claimed.empty()) RemoveClaimedFile(path_);
        WriteLine(kTextNoContainer);
        return kOutputNoContainer;
    }

    const AVCodec* codec = nullptr;
    if (static_cast<double>(settings_.output_samplerate) < kRateLimit)
        codec = avcodec_find_encoder(container_->oformat->audio_codec);
    AVCodecContext* context = codec ? CreateEncoder(codec) : nullptr;
    if (context) {
        FitEncoderParams(context);
        if (container_->oformat->flags & AVFMT_GLOBALHEADER)
            context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        context->time_base = AVRational{1, context->sample_rate};
        stream_ = avformat_new_stream(container_, nullptr);
        const int rc = stream_ ? avcodec_open2(context, codec, nullptr) : AVERROR(ENOMEM);
        if (rc < 0 || avcodec_parameters_from_context(stream_->codecpar, context) < 0) {
            avcodec_free_context(&context);
        } else {
            context->time_base = AVRational{1, context->sample_rate};
            stream_->time_base = context->time_base;
            encoder_ = context;
        }
    }
    if (!encoder_) {
        Discard();
        WriteLine(kTextNoStream);
        return kOutputNoStream;
    }

    WriteTags();
    FitAsfPackets(container_, encoder_);
    AVDictionary* options = RecordingMuxerOptions(container_->oformat);
    const int rc = avformat_write_header(container_, &options);
    av_dict_free(&options);
    if (rc < 0) {
        Discard();
        WriteLine(std::wstring(kTextNoContainer) + L" " + AvErrorText(rc));
        return kOutputNoContainer;
    }
    headerWritten_ = true;
    return kOutputOk;
}

int COutputFile::WriteTags() {
    if (!container_) return 0;
    MCMediaTags tags;
    tags.SetFormats(WideToUtf8(GetPathExtension(path_)).c_str());
    tags.SetAlbum(settings_.output_id3_album);
    tags.SetTitle(settings_.output_id3_title);
    tags.SetArtist(settings_.output_id3_artist);
    tags.SetDate(settings_.output_id3_date);
    tags.SetGenre(settings_.output_id3_genre);
    AVDictionary* dict = tags.WriteTags(MCSupportsTags(path_));
    if (dict) {
        RenameYearForMuxer(&dict, container_->oformat->name);
        av_dict_copy(&container_->metadata, dict, 0);
        av_dict_free(&dict);
    }
    return 0;
}

int COutputFile::FrameSize() const {
    if (!encoder_) return 0;
    return encoder_->frame_size > 0 ? encoder_->frame_size : 1024;
}

int COutputFile::WritePacket(AVPacket* packet) {
    packet->stream_index = stream_->index;
    av_packet_rescale_ts(packet, encoder_->time_base, stream_->time_base);
    packet->pos = -1;
    const int rc = av_interleaved_write_frame(container_, packet);
    if (rc < 0) return LogError(L"写入文件失败：", rc);
    return 0;
}

int COutputFile::DrainPackets(AVPacket* packet) {
    for (;;) {
        int rc = avcodec_receive_packet(encoder_, packet);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return 0;
        if (rc < 0) return LogError(L"编码失败：", rc);
        rc = WritePacket(packet);
        av_packet_unref(packet);
        if (rc < 0) return rc;
    }
}

int COutputFile::EncodeFrame(AVFrame* frame) {
    if (!encoder_ || !container_ || !headerWritten_) return kOutputNoEncoder;
    if (!frame) return -1;
    frame->pts = nextPts_;
    nextPts_ += frame->nb_samples;
    int rc = avcodec_send_frame(encoder_, frame);
    if (rc < 0) return LogError(L"编码失败：", rc);
    AVPacket* packet = av_packet_alloc();
    if (!packet) return AVERROR(ENOMEM);
    rc = DrainPackets(packet);
    av_packet_free(&packet);
    if (rc < 0) return rc;
    // Hand what was encoded to the file now rather than when the writer's
    // buffer fills (two seconds of mp3): a disk that fills up later then
    // cannot take what was recorded before it did.
    avio_flush(container_->pb);
    if (container_->pb->error < 0) return LogError(L"写入文件失败：", container_->pb->error);
    return 0;
}

int64_t COutputFile::GetPtsIn(AVRational timeBase) const {
    if (!container_ || !encoder_) return 0;
    return av_rescale_q(nextPts_, encoder_->time_base, timeBase);
}

int COutputFile::Close() {
    int result = 0;
    if (encoder_ && container_ && headerWritten_) {
        int rc = avcodec_send_frame(encoder_, nullptr);
        if (rc >= 0) {
            AVPacket* packet = av_packet_alloc();
            rc = packet ? DrainPackets(packet) : AVERROR(ENOMEM);
            av_packet_free(&packet);
        } else {
            LogError(L"编码失败：", rc);
        }
        result = rc;
        rc = av_write_trailer(container_);
        if (rc < 0 && result >= 0) result = LogError(L"写入文件失败：", rc);
    }
    const bool finished = encoder_ && container_ && headerWritten_;
    if (encoder_) avcodec_free_context(&encoder_);
    if (container_) {
        const int rc = avio_closep(&container_->pb);
        if (rc < 0 && result >= 0) result = LogError(L"写入文件失败：", rc);
        const AVOutputFormat* format = container_->oformat;
        avformat_free_context(container_);
        if (finished && result >= 0 && IsFragmentedWhileRecording(format)) {
            // Fragments were for a recording cut off; a finished one gets the
            // layout every player reads. Should that fail (a disk too full
            // for a second copy), the fragmented file stays: complete and
            // playable, it is still a good recording, and the message says
            // why it kept that layout.
            std::string error;
            if (RewriteInPlainLayout(WideToUtf8(path_), format, &error) < 0)
                WriteLine(L"文件以分段格式保存：" + Utf8ToWide(error));
        }
    }
    container_ = nullptr;
    stream_ = nullptr;
    encoder_ = nullptr;
    headerWritten_ = false;
    return result;
}
