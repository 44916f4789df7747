// How many channels the sound server's default output really has: the
// ALSA device that PortAudio plays on hands any channel count to the
// server's plug-in, which lays the channels out in ALSA's own order.
#pragma once

// The channel count of PulseAudio's default sink; 0 when no server answers
// within a short wait.
int DefaultSinkChannels();
