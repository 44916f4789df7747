// The file-by-file transcoder: each input decoded, converted and encoded
// into one output, its sound and picture times running on where the last
// input ended.

#include <cerrno>
#include <cstdio>
#include <limits>
#include <memory>

#include "base/CodePage.h"
#include "mediaconvert/MCLegacyHelpers.h"
#include "mediaconvert/MCLog.h"
#include "mediaconvert/MCMediaConvert.h"
#include "z_tolvane/MCLegacyState.h"

namespace {

constexpr int64_t kOpenEnd = std::numeric_limits<int64_t>::max();

int64_t StartOf(const AVStream* s) { return s->start_time == AV_NOPTS_VALUE ? 0 : s->start_time; }

int64_t Rescale(int64_t t, AVRational from, AVRational to) {
  return t == kOpenEnd ? kOpenEnd : av_rescale_q(t, from, to);
}

// Audio samples of the encoder's rate for a picture time.
int64_t SamplesAt(const TranslateVideo& video, const TranslateAudio& audio, int64_t videoTime) {
  return av_rescale_q(videoTime, video.TimeBase(), AVRational{1, audio.SampleRate()});
}

// Sends the end of stream to a decoder, passes what it still holds to
// `take`, and makes it usable again.
template <class Take>
int DrainDecoder(AVCodecContext* decoder, Take take) {
  if (decoder == nullptr) return 0;
  int rc = take(nullptr);
  avcodec_flush_buffers(decoder);
  return rc;
}

// The replacement sound, read on and looped from its start until the
// encoded sound reaches `target` samples.
int ReadReplacementAudio(FFmpegFile& source, TranslateAudio& audio, int64_t target) {
  AVPacket* packet = av_packet_alloc();
  if (packet == nullptr) return AVERROR(ENOMEM);
  const AVStream* stream = source.GetAudioStream();
  int rc = 0;
  // False only from a rewind until the first sound after it.
  bool producedThisPass = true;
  while (rc >= 0 && audio.EndPosition() < target) {
    if (!source.ReadPacket(packet)) {
      rc = DrainDecoder(source.AudioContext(), [&](AVPacket* p) { return audio.DecodePacket(p); });
      // A source that yields no sound at all would loop for ever.
      if (!producedThisPass && audio.EndPosition() < target) {
        MCLogPrintf("The replacement sound decodes to nothing\n");
        rc = AVERROR_INVALIDDATA;
        break;
      }
      producedThisPass = false;
      if (rc >= 0) rc = av_seek_frame(source.FormatContext(), -1, 0, AVSEEK_FLAG_BACKWARD);
      continue;
    }
    if (packet->stream_index == stream->index) {
      const int64_t before = audio.EndPosition();
      rc = audio.DecodePacket(packet);
      producedThisPass |= audio.EndPosition() > before;
    }
    av_packet_unref(packet);
  }
  av_packet_free(&packet);
  return rc;
}

// The length the ranges keep of a stream, in microseconds; an open end is
// the file's end, and a range that ends before it starts counts as 1.
int64_t KeptDuration(const std::vector<MCTimeRange>& ranges, const AVStream* stream, int64_t fileUs) {
  int64_t total = 0;
  for (const MCTimeRange& r : ranges) {
    const int64_t start = stream ? Rescale(r.start, stream->time_base, AV_TIME_BASE_Q) : r.start;
    const int64_t end = r.end == kOpenEnd || stream == nullptr ? fileUs : Rescale(r.end, stream->time_base, AV_TIME_BASE_Q);
    total += end - start > 0 ? FFMIN(end, fileUs) - start : 1;
  }
  return total > 0 ? total : 1;
}

}  // namespace

int MCMediaConvert::Concat(const std::vector<std::string>& inputs, const char* output, const MCConvertParam& p,
                           int refIndex, const char* logPath) {
  if ((!p.keepAudio && !p.keepVideo) || inputs.empty() || refIndex < 0 ||
      refIndex >= static_cast<int>(inputs.size()) || output == nullptr) {
    jobError_.SetError(AVERROR(EINVAL), "MCMediaConvert::Concat");
    return -1;
  }
  // The job's messages go to the log only while it runs.
  MCLogRedirect log(logPath);
  param = p;
  auto state = std::make_unique<MCLegacyState>();
  {
    FFmpegFile reference;
    std::unique_ptr<MCMedia> media(reference.Open(inputs[refIndex].c_str(), p.keepAudio, p.keepVideo));
    if (media == nullptr) {
      MCLogPrintf("Cannot open the reference input %s (error '%s')\n", inputs[refIndex].c_str(),
                  MCErrorText(reference.OpenError()).c_str());
      jobError_.SetError(reference.OpenError(), "MCMediaConvert::Concat");
      return -1;
    }
    MCConvertParam outputParam = p;
    bool ok = state->output.OpenOutputFile(output, &reference, outputParam, true);
    if (ok) ok = state->output.WriteOutputTags(&reference, outputParam);
    if (ok) ok = state->output.WriteHeader();
    int rc = 0;
    if (ok && state->output.VideoContext() != nullptr) rc = state->video.InitOutput(&state->output);
    if (ok && rc >= 0 && state->output.AudioContext() != nullptr) rc = state->audio.InitOutput(&state->output);
    if (ok && rc >= 0) state->subtitle.InitOutput(&state->output);
    if (!ok || rc < 0) {
      MCLogPrintf("Cannot create the output %s\n", output);
      jobError_.SetError(rc < 0 ? rc : AVERROR(EIO), "MCMediaConvert::Concat");
      // Written under a temporary name, removed with the state: a file
      // that was at the output path is not touched.
      state->output.AbandonOutput();
      return -1;
    }
  }

  int result = 0;
  for (const std::string& input : inputs) {
    // The logo's own file among the inputs is taken whole and silently.
    const bool logoFile = !p.legacyWatermarkPath.empty() && input == p.legacyWatermarkPath;
    if (logoFile) {
      param.progressInterval = 0;
      param.legacyRanges.clear();
    }
    const int rc = TranscodeFile(*state, input);
    param.progressInterval = p.progressInterval;
    param.legacyRanges = p.legacyRanges;
    if (rc < 0) {
      MCLogPrintf("Stopped at %s (error '%s')\n", input.c_str(), MCErrorText(rc).c_str());
      jobError_.SetError(rc, "MCMediaConvert::TranscodeFile");
      result = -1;
      break;
    }
    // The next input starts where the longer of sound and picture ended.
    if (state->video.Ready() && state->audio.Ready()) {
      const int64_t videoEnd = SamplesAt(state->video, state->audio, state->video.NextTime());
      if (state->audio.EndPosition() < videoEnd && state->audio.EncodeSilence(videoEnd) < 0) {
        result = -1;
        break;
      }
      const int64_t fromAudio = av_rescale_q_rnd(state->audio.EndPosition(), AVRational{1, state->audio.SampleRate()},
                                                 state->video.TimeBase(), AV_ROUND_UP);
      if (fromAudio > state->video.NextTime()) state->video.SetNextTime(fromAudio);
    }
    if (!enabled.load()) break;
  }
  if (enabled.load()) {
    int rc = 0;
    if (state->audio.Ready()) rc = state->audio.FlushEncoder();
    if (rc >= 0 && state->video.Ready()) rc = state->video.FlushEncoder();
    if (rc < 0) result = -1;
  }
  // What was written so far is finished as a playable file; an output
  // that holds nothing (the first input could not be read, or the job was
  // cancelled before any of it) is removed instead.
  const bool trailer = state->output.WriteTrailer();
  if (!trailer) result = -1;
  if (trailer && (result == 0 || state->output.PacketsWritten() > 0)) {
    if (!state->output.CommitOutput()) {
      MCLogPrintf("Cannot move the finished output to %s\n", output);
      jobError_.SetError(AVERROR(errno ? errno : EIO), "MCMediaConvert::Concat");
      result = -1;
    }
  } else {
    state->output.AbandonOutput();
  }
  if (!enabled.load()) return AVERROR_EXIT;
  return result;
}

int MCMediaConvert::TranscodeFile(MCLegacyState& state, const std::string& path) {
  FFmpegFile input;
  std::unique_ptr<MCMedia> media(input.Open(path.c_str(), param.keepAudio, param.keepVideo));
  if (media == nullptr) {
    MCLogPrintf("Cannot open input %s\n", path.c_str());
    return input.OpenError();
  }
  FFmpegFile replacement;
  const bool replaced = !param.secondInputPath.empty();
  if (replaced) {
    std::unique_ptr<MCMedia> second(replacement.Open(param.secondInputPath.c_str(), true, false));
    if (second == nullptr || replacement.AudioContext() == nullptr) {
      MCLogPrintf("Cannot open the replacement sound %s\n", param.secondInputPath.c_str());
      // A file that opens but holds no sound has no error of its own.
      return second == nullptr ? replacement.OpenError() : AVERROR_STREAM_NOT_FOUND;
    }
  }
  FFmpegFile* soundSource = replaced ? &replacement : &input;
  const bool video = state.video.Ready() && input.VideoContext() != nullptr;
  const bool sound = state.audio.Ready() && soundSource->AudioContext() != nullptr;
  // The output wants sound that this input does not have: silence instead.
  const bool silence = state.audio.Ready() && !sound;
  int rc = 0;
  if (video && (rc = state.video.InitFilters(&input, param)) < 0) return rc;
  if (video && (rc = state.video.AllocOutputFrame()) < 0) return rc;
  if (sound && (rc = state.audio.InitResampler(soundSource)) < 0) return rc;

  const AVStream* videoStream = input.GetVideoStream();
  const AVStream* audioStream = input.GetAudioStream();
  std::vector<MCTimeRange> ranges = param.ranges;
  if (ranges.empty()) ranges.push_back(MCTimeRange{});
  AVPacket* packet = av_packet_alloc();
  if (packet == nullptr) return AVERROR(ENOMEM);
  int countdown = param.progressInterval;
  const std::wstring name = WStringFromUtf8(path);
  const int64_t fileDuration = input.FormatContext()->duration > 0 ? input.FormatContext()->duration : 1;
  const AVStream* progressStream = videoStream ? videoStream : audioStream;
  const int64_t keptTotal = KeptDuration(ranges, progressStream, fileDuration);
  int64_t keptBefore = 0;
  // Each file reports its own progress from 0 to 1 under its own name.
  writeProgress = MCProgress{};

  for (size_t i = 0; i < ranges.size() && rc >= 0 && enabled.load(); ++i) {
    const MCTimeRange range = ranges[i];
    // Sound ranges are in the sound stream's time; without their own list
    // they follow the picture's range.
    MCTimeRange audioRange = range;
    if (i < param.legacyRanges.size()) audioRange = param.legacyRanges[i];
    else if (videoStream && audioStream) {
      audioRange = {Rescale(range.start, videoStream->time_base, audioStream->time_base),
                    Rescale(range.end, videoStream->time_base, audioStream->time_base)};
    }
    const int64_t offset = video ? state.video.NextTime() : 0;
    // Subtitles run on the picture's timeline, else on the sound's.
    const int64_t subtitleOffset =
        video ? av_rescale_q(offset, state.video.TimeBase(), AV_TIME_BASE_Q)
        : state.audio.Ready() ? av_rescale_q(state.audio.EndPosition(), AVRational{1, state.audio.SampleRate()},
                                             AV_TIME_BASE_Q)
                              : state.subtitle.EndTime();
    const AVStream* rangeStream = videoStream ? videoStream : audioStream;
    const int64_t rangeStartUs = rangeStream ? Rescale(range.start, rangeStream->time_base, AV_TIME_BASE_Q) : 0;
    const int64_t rangeEndUs = rangeStream ? Rescale(range.end, rangeStream->time_base, AV_TIME_BASE_Q) : kOpenEnd;
    const AVStream* subtitleStream = input.GetSubtitleStream();
    const bool subtitles = state.subtitle.Ready() && subtitleStream != nullptr && input.SubtitleContext() != nullptr;
    if (range.start > 0) {
      // Seek on the stream whose time the range is in.
      const AVStream* seekStream = videoStream ? videoStream : audioStream;
      if (seekStream != nullptr) {
        av_seek_frame(input.FormatContext(), seekStream->index, range.start + StartOf(seekStream),
                      AVSEEK_FLAG_BACKWARD);
        if (input.VideoContext()) avcodec_flush_buffers(input.VideoContext());
        if (input.AudioContext()) avcodec_flush_buffers(input.AudioContext());
      }
    }
    bool videoDone = !video, audioDone = replaced || !sound || audioStream == nullptr, subtitlesDone = !subtitles;
    auto followVideo = [&]() {
      if (!state.audio.Ready() || !video) return 0;
      const int64_t target = SamplesAt(state.video, state.audio, state.video.NextTime());
      if (replaced) return ReadReplacementAudio(replacement, state.audio, target);
      if (silence) return state.audio.EncodeSilence(target);
      return 0;
    };
    while (rc >= 0 && enabled.load() && !(videoDone && audioDone && subtitlesDone) && input.ReadPacket(packet)) {
      if (video && packet->stream_index == videoStream->index) {
        rc = state.video.DecodePacket(packet, range.start, range.end, offset, &videoDone);
        if (rc >= 0) rc = followVideo();
      } else if (sound && !replaced && audioStream && packet->stream_index == audioStream->index) {
        const int64_t t = packet->pts == AV_NOPTS_VALUE ? 0 : packet->pts - StartOf(audioStream);
        if (t >= audioRange.end) audioDone = true;
        else if (t + packet->duration > audioRange.start) rc = state.audio.DecodePacket(packet);
      } else if (subtitles && packet->stream_index == subtitleStream->index) {
        rc = state.subtitle.TranscodePacket(&input, packet, rangeStartUs, rangeEndUs, subtitleOffset, &subtitlesDone);
      }
      if (--countdown == 0 && param.progressInterval > 0) {
        countdown = param.progressInterval;
        if (progressStream != nullptr && packet->stream_index == progressStream->index &&
            packet->pts != AV_NOPTS_VALUE) {
          const int64_t inRange = av_rescale_q(packet->pts - StartOf(progressStream) - range.start,
                                               progressStream->time_base, AV_TIME_BASE_Q);
          ReportWriteProgress(FFMIN(FFMAX(keptBefore + inRange, int64_t{0}), keptTotal), keptTotal, name);
        }
      }
      av_packet_unref(packet);
    }
    // What the decoders still hold belongs to this range.
    if (rc >= 0 && video && enabled.load()) {
      rc = DrainDecoder(input.VideoContext(), [&](AVPacket* p) {
        return state.video.DecodePacket(p, range.start, range.end, offset, &videoDone);
      });
      if (rc >= 0) rc = followVideo();
    }
    if (rc >= 0 && sound && !replaced && enabled.load()) {
      rc = DrainDecoder(input.AudioContext(), [&](AVPacket* p) { return state.audio.DecodePacket(p); });
    }
    keptBefore += KeptDuration({range}, progressStream, fileDuration);
  }
  av_packet_free(&packet);
  if (param.progressInterval > 0 && rc >= 0) ReportWriteProgress(1, 1, name);
  return rc;
}
