#include "Mp4Layout.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

extern "C" {
#include <libavutil/error.h>
}

namespace {

std::string ErrorText(const char* step, int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {0};
    av_strerror(error, text, sizeof text);
    return std::string(step) + ": " + text;
}

// The hidden name beside the file that the rewrite is written to; not of the
// recordings' form, so nothing takes it for one.
std::string RewriteName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, nameAt) + "." + path.substr(nameAt) + ".rewrite";
}

struct Rewrite {
    AVFormatContext* in = nullptr;
    AVFormatContext* out = nullptr;
    ~Rewrite() {
        avformat_close_input(&in);
        if (out) {
            avio_closep(&out->pb);
            avformat_free_context(out);
        }
    }
};

}  // namespace

bool IsFragmentedWhileRecording(const AVOutputFormat* format) {
    return format && (std::strcmp(format->name, "mp4") == 0 || std::strcmp(format->name, "ipod") == 0);
}

AVDictionary* RecordingMuxerOptions(const AVOutputFormat* format) {
    AVDictionary* options = nullptr;
    if (!IsFragmentedWhileRecording(format)) return options;
    // An empty index at the front and one fragment a second, each complete
    // with its own index and its offsets from its own start.
    av_dict_set(&options, "movflags", "empty_moov+default_base_moof", 0);
    av_dict_set_int(&options, "frag_duration", kMp4FragmentMicroseconds, 0);
    return options;
}

int RewriteInPlainLayout(const std::string& path, const AVOutputFormat* format, std::string* error) {
    const std::string target = RewriteName(path);
    int rc = 0;
    {
        Rewrite r;
        rc = avformat_open_input(&r.in, path.c_str(), nullptr, nullptr);
        if (rc < 0) {
            *error = ErrorText("reading the recording back", rc);
            return rc;
        }
        rc = avformat_find_stream_info(r.in, nullptr);
        if (rc >= 0) rc = avformat_alloc_output_context2(&r.out, format, nullptr, target.c_str());
        if (rc < 0 || !r.out) {
            *error = ErrorText("preparing the rewrite", rc < 0 ? rc : AVERROR(ENOMEM));
            return rc < 0 ? rc : AVERROR(ENOMEM);
        }
        av_dict_copy(&r.out->metadata, r.in->metadata, 0);
        for (unsigned i = 0; i < r.in->nb_streams && rc >= 0; ++i) {
            AVStream* stream = avformat_new_stream(r.out, nullptr);
            rc = stream ? avcodec_parameters_copy(stream->codecpar, r.in->streams[i]->codecpar)
                        : AVERROR(ENOMEM);
            if (rc >= 0) {
                stream->codecpar->codec_tag = 0;
                stream->time_base = r.in->streams[i]->time_base;
                av_dict_copy(&stream->metadata, r.in->streams[i]->metadata, 0);
            }
        }
        if (rc >= 0) rc = avio_open(&r.out->pb, target.c_str(), AVIO_FLAG_WRITE);
        if (rc >= 0) {
            // The index at the front, as players that read from the start
            // (and streams) want it.
            AVDictionary* options = nullptr;
            av_dict_set(&options, "movflags", "faststart", 0);
            rc = avformat_write_header(r.out, &options);
            av_dict_free(&options);
        }
        AVPacket* packet = av_packet_alloc();
        if (!packet && rc >= 0) rc = AVERROR(ENOMEM);
        while (rc >= 0) {
            const int read = av_read_frame(r.in, packet);
            if (read == AVERROR_EOF) break;
            if (read < 0) {
                rc = read;
                break;
            }
            AVStream* from = r.in->streams[packet->stream_index];
            AVStream* to = r.out->streams[packet->stream_index];
            av_packet_rescale_ts(packet, from->time_base, to->time_base);
            packet->pos = -1;
            rc = av_interleaved_write_frame(r.out, packet);
            av_packet_unref(packet);
        }
        av_packet_free(&packet);
        if (rc >= 0) rc = av_write_trailer(r.out);
        if (rc >= 0 && r.out->pb) {
            rc = avio_closep(&r.out->pb);
        }
        if (rc < 0) *error = ErrorText("rewriting the recording", rc);
    }
    if (rc >= 0 && std::rename(target.c_str(), path.c_str()) != 0) {
        rc = AVERROR(errno);
        *error = ErrorText("replacing the recording with its rewrite", rc);
    }
    // Only a file the rewrite made: the name might, however unlikely, be
    // something else of the user's.
    struct stat info {};
    if (rc < 0 && lstat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode)) unlink(target.c_str());
    return rc < 0 ? rc : 0;
}
