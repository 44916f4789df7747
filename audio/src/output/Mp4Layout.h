// The layout of the mp4 family's files (m4a, m4r). While recording they are
// written in fragments, each with its own index, so a file cut off at any
// moment (the process killed, the power gone) plays up to its last
// fragment; an index written only at the end would leave nothing playable.
// A file closed normally is then rewritten in the usual layout, one index
// at the front, which every player reads.
#pragma once

#include <string>

extern "C" {
#include <libavformat/avformat.h>
}

// Audio held in memory before it reaches the file as a fragment.
constexpr int64_t kMp4FragmentMicroseconds = 1000000;

// True for the muxers written in fragments while recording.
bool IsFragmentedWhileRecording(const AVOutputFormat* format);

// The muxer options of a recording's header in `format`: fragments for the
// mp4 family, nothing for the others. The caller frees the dictionary.
AVDictionary* RecordingMuxerOptions(const AVOutputFormat* format);

// Rewrites the finished fragmented file at `path` in the usual layout with
// the same muxer: into a hidden file beside it, which then takes its place.
// 0, or the FFmpeg error, with its step in `error`; on failure the
// fragmented file stays as it was and nothing else is left behind.
int RewriteInPlainLayout(const std::string& path, const AVOutputFormat* format, std::string* error);
