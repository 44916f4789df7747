#include "audio/AudioDev.h"

#include "base/CodePage.h"

using namespace capture_host;

int CaptureStreamCallback(const short* input, unsigned long frames, void* user) {
    auto* context = static_cast<CCaptureContext*>(user);
    if (context && context->target)
        context->target->OnAudioData(input, static_cast<int>(frames), context->channels, context->rate,
                                     context->msPerBuffer, context->tag);
    return Continue;
}

Stream* OpenCaptureStream(const DeviceInfo& info, IPacall* target, int32_t tag, CCaptureContext* context,
                          int* result) {
    const int rate = static_cast<int>(info.defaultSampleRate);
    const unsigned long frames = static_cast<unsigned long>(rate / 100);
    int channels = info.maxInputChannels;
    Stream* stream = nullptr;
    int r = InvalidChannelCount;
    while (channels >= 1) {
        r = OpenInputStream(&stream, info, channels, info.defaultSampleRate, frames, CaptureStreamCallback,
                            context);
        // Fewer channels cannot bring back a device that is gone.
        if (r == NoError || r == DeviceUnavailable || r == HostUnavailable || r == NotInitialized) break;
        channels /= 2;
    }
    *result = r;
    if (r != NoError) return nullptr;
    context->deviceName = Utf8ToWStringRet(info.name);
    context->channels = channels;
    context->rate = rate;
    context->msPerBuffer = PacketMilliseconds(static_cast<int>(frames), rate);
    context->target = target;
    context->tag = tag;
    return stream;
}

int CloseCaptureStream(Stream* stream) {
    if (stream) {
        StopStream(stream);
        CloseStream(stream);
        Terminate();
    }
    return 0;
}
