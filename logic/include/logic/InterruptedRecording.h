// A recording whose writing was cut short (the program killed or crashed):
// what can be put right in its header, and how much audio it really holds.
#pragma once

#include <cstdint>
#include <string>

struct CInterruptedRecording {
  bool readable = false;  // opens as media with an audio stream
  double seconds = 0.0;   // the audio its packets hold
  uint64_t bytes = 0;     // the file's size after the repair
};

// Repairs the header where the format allows (a WAV's sizes, a FLAC's
// total of samples), measuring the audio by reading every packet: the
// header of a file that was never closed cannot be trusted for its length.
CInterruptedRecording RecoverInterruptedRecording(const std::wstring& path);

// A RIFF WAVE file whose RIFF and data sizes do not match the bytes it
// holds gets sizes that do (the data cut to whole sample frames). True when
// the file is a WAVE file with sound sizes now; false for another format
// or when it cannot be written.
bool RepairWavSizes(const std::string& path);

// A FLAC file whose STREAMINFO gives no total of samples (0: the writer
// never came to its end) gets the total that `seconds` of its rate make.
// True when the file is FLAC with a total now; false for another format.
bool RepairFlacLength(const std::string& path, double seconds);

// The length of the first audio stream from its packets' time stamps; -1
// when the file does not open as media with audio.
double MeasureAudioSeconds(const std::string& path);
