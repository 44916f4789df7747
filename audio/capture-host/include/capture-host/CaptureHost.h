// The capture host: the recorder's own audio input layer over PulseAudio.
//
// It offers the capture side a device list and callback input streams in the
// shape it expects of a PortAudio host, while Debian's PortAudio (linked into
// the same program for playback) keeps the Pa_* names: everything here lives
// in the capture_host namespace.
//
// The device list: every render endpoint (a PulseAudio sink) followed at once
// by its twin "<name> (loopback)", which has the same endpoint id and records
// what the sink plays (its monitor source); then the capture endpoints (the
// sources that are not monitors). Endpoint ids are the PulseAudio names.
// The list is asked of the server afresh on each listing.
//
// Streams deliver interleaved signed 16-bit samples to the callback in blocks
// of exactly the frames per buffer given at open, on the PulseAudio thread.
// A stream stays on its device; when the device goes away the stream simply
// delivers nothing more until it is closed.
#pragma once

#include <string>
#include <vector>

namespace capture_host {

enum Result : int {
    NoError = 0,
    NotInitialized = -10000,
    HostUnavailable = -9999,      // no PulseAudio server answered
    InvalidChannelCount = -9998,
    InvalidSampleRate = -9997,
    InvalidDevice = -9996,
    NullCallback = -9995,
    BadStreamPtr = -9994,
    DeviceUnavailable = -9993,    // the device is gone or the server refused the stream
    StreamNotStopped = -9992,
    CalledFromCallback = -9991,   // a blocking call from the PulseAudio thread
};

// A short English text for a result, for log lines.
const char* GetErrorText(int result);

struct DeviceInfo {
    int structVersion = 2;
    std::string name;              // UTF-8, at most 511 bytes
    std::string id;                // UTF-8 endpoint id (the PulseAudio sink or source name)
    int hostApi = 0;
    int maxInputChannels = 0;
    int maxOutputChannels = 0;
    double defaultLowInputLatency = 0;
    double defaultLowOutputLatency = 0;
    double defaultHighInputLatency = 0;
    double defaultHighOutputLatency = 0;
    double defaultSampleRate = 0;
    bool loopback = false;         // the twin of a render endpoint
};

struct DeviceList {
    std::vector<DeviceInfo> devices;
    int defaultInputDevice = -1;   // the default capture endpoint
    int defaultOutputDevice = -1;  // the default render endpoint itself, not its twin
};

// Reference-counted: the first Initialize connects to the server, the last
// Terminate disconnects and closes every stream still open. A failed
// Initialize holds nothing and is logged.
int Initialize();
int Terminate();

// Asks the server for its current devices. Needs an initialisation.
int ListDevices(DeviceList& out);

struct Stream;

enum CallbackResult : int { Continue = 0, Complete = 1, Abort = 2 };

// Streams are handed their blocks by the server a fragment at a time: audio
// captured now reaches the callback at most this much later.
constexpr int kFragmentMs = 100;

// Called on the PulseAudio thread with `frames` interleaved 16-bit frames.
// It must return quickly and must not call back into the host.
using StreamCallback = int (*)(const short* input, unsigned long frames, void* userData);

// Opens a 16-bit input stream on `device` (a capture endpoint or a loopback
// twin) with `channelCount` channels at `sampleRate`; frames per buffer 0
// means one hundredth of a second. The stream is stopped until StartStream.
// Failures are logged and reported by the result; `*stream` is then null.
int OpenInputStream(Stream** stream, const DeviceInfo& device, int channelCount,
                    double sampleRate, unsigned long framesPerBuffer,
                    StreamCallback callback, void* userData);
int StartStream(Stream* stream);
// After StopStream returns, the callback is not running and is not called
// again until the next StartStream.
int StopStream(Stream* stream);
int CloseStream(Stream* stream);
// 1 while started and the device is still there, 0 otherwise, or an error.
int IsStreamActive(Stream* stream);

}  // namespace capture_host
