// Reads a written recording back with FFmpeg, for the recorder's tests.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace audio_test {

struct DecodedFile {
    bool ok = false;
    std::string error;
    std::string codec;      // the stream's codec name, e.g. "mp3"
    std::string container;  // the demuxer's name
    int rate = 0;
    int channels = 0;
    double duration = 0;         // seconds, from the decoded samples
    std::vector<short> mono;     // first channel, 16-bit, at `rate`
    std::vector<short> second;   // second channel when there is one
    std::map<std::string, std::string> tags;  // container metadata, keys lower case
};

DecodedFile DecodeFile(const std::string& path);

// One entry of ffprobe's report on the file (e.g. "format=duration",
// "stream=codec_name"), as the command prints it; empty when it cannot.
std::string ProbeEntry(const std::string& path, const std::string& entry);

// Amplitude of the `frequency` component of the signal (Goertzel), in the
// units of the samples: a full-scale sine gives about 32767.
double ToneAmplitude(const std::vector<short>& samples, double rate, double frequency);

// The frequency in [low, high] (steps of `step` Hz) with the largest
// Goertzel amplitude: unlike zero crossings, not fooled by codec noise.
double DominantFrequency(const std::vector<short>& samples, double rate, double low, double high,
                         double step = 2);

// From the first to the last 10 ms block whose RMS passes `threshold`: a
// capture may begin with silence before its device delivers.
std::vector<short> LoudPart(const std::vector<short>& samples, int rate, double threshold = 1000);
// 10 ms blocks below `threshold` inside the loud part.
int QuietBlocksInside(const std::vector<short>& samples, int rate, double threshold = 1000);

}  // namespace audio_test
