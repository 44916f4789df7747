#pragma once
// What the file-by-file transcoder keeps from one input to the next: the
// output file and the sound and picture translators whose running times
// carry the timeline on.

#include "z_tolvane/FFmpegFile.h"
#include "z_tolvane/TranslateAudio.h"
#include "z_tolvane/TranslateSubtitle.h"
#include "z_tolvane/TranslateVideo.h"

struct MCLegacyState {
  FFmpegFile output;
  TranslateAudio audio;
  TranslateVideo video;
  TranslateSubtitle subtitle;
};
