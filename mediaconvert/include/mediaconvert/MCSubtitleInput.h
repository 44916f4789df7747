#pragma once
// A bitmap subtitle file read beside the picture: its own demuxer and
// decoder, and the step that draws each subtitle onto a transparent canvas
// for the video graph's overlay.

#include <string>

#include "mediaconvert/MCDeMuxer.h"

class MCSubtitleInput {
 public:
  explicit MCSubtitleInput(std::string path) : path_(std::move(path)) {}
  MCSubtitleInput(const MCSubtitleInput&) = delete;
  MCSubtitleInput& operator=(const MCSubtitleInput&) = delete;

  // Opens the file; its start time (never below 0) is taken off every
  // subtitle's time.
  int Open();
  // The chosen subtitle stream draws pictures (no text-subtitle property).
  bool IsBitmap() const;
  // AVERROR_FILTER_NOT_FOUND for a codec that is not a bitmap one (the
  // canvas is kept all the same).
  int OpenDecoder(int canvasWidth, int canvasHeight);
  // Reads the next subtitle and draws it into canvas: pts its start,
  // duration its display time, both in microseconds. AVERROR_EOF after the
  // last one.
  int Update(AVFrame* canvas);
  bool HasCanvas() const { return canvasWidth_ > 0 && canvasHeight_ > 0; }

  // The canvas cleared to transparent black.
  static int BlankCanvas(int width, int height, AVFrame* canvas);
  // The subtitle's bitmap rectangles drawn onto a blank canvas; rectangles
  // that are not bitmaps or do not fit are left out with a warning.
  static int DrawSubtitle(int width, int height, AVSubtitle* subtitle, AVFrame* canvas);
  // One rectangle into 32-bit pixels at dst (dstLinesize bytes a row);
  // AVERROR(EINVAL) when it does not fit.
  static int CopyRect(int width, int height, const AVSubtitleRect* rect, uint8_t* dst, int dstLinesize);

 private:
  MCDeMuxerBase demuxer_;
  MCDeCoderBase decoder_;
  int canvasWidth_ = 0;
  int canvasHeight_ = 0;
  int streamIndex_ = -1;
  std::string path_;
  int64_t timeShift_ = 0;  // microseconds; -1 until the first packet
};
