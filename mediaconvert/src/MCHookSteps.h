#pragma once
// Steps the job hooks share: the time of the item in the machine, the
// drain of one decoder after another, and the cancel check.

#include "mediaconvert/MCMediaConvert.h"
#include "mediaconvert/MCStateMachine.h"

namespace mchook {

inline const AVRational kMicroseconds{1, AV_TIME_BASE};

// Time of the machine's frame or subtitle in microseconds: a subtitle's pts
// as it is, a picture's from its input stream, a sound frame's from the
// decoder's sample rate.
int64_t ItemTime(const MCStateMachine* m);

// Points the machine at the next slot (after cursor, up to 2) that has a
// decoder and an encoder, with an empty packet that drains that decoder.
// Leaves slot -1 when none is left.
void DrainNextDecoder(MCStateMachine* m, int& cursor);

// Input duration in microseconds, 1 when unknown.
int64_t InputDuration(const MCStateMachine* m);

// Opens the best streams of the machine's demuxer into inStreams (subtitle
// only when keepSubtitle) and returns the earliest start, 0 when none.
int64_t TakeBestStreams(MCStateMachine* m);

// A new decoder for the slot's input stream; false (and current Error) on
// failure.
bool OpenDecoder(MCStateMachine* m, int slot);

inline void CheckCancel(MCMediaConvert* job, MCStateMachine* m) {
  if (job != nullptr && !job->enabled.load()) m->Abort();
}

inline void DropItem(MCStateMachine* m) {
  av_frame_unref(m->frame);
  avsubtitle_free(&m->subtitle);
}

}  // namespace mchook
