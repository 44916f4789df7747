#include "audio/AudioDev.h"

#include "AudioLog.h"
#include "audio/CaptureDeviceMatch.h"
#include "audio/ServerAudioDev.h"
#include "base/CodePage.h"

using namespace capture_host;

CAudioDev::CAudioDev() { GetServerAudioDev()->RegisterDevice(this); }

CAudioDev::~CAudioDev() {
    GetServerAudioDev()->UnregisterDevice(this);
    bool streaming = false;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        streaming = m_stream != nullptr;
    }
    // A device dropped while its stream runs is closed on the task thread
    // like any other: the capture host takes one caller at a time.
    if (streaming) GetServerAudioDev()->CloseDevice(this);
    else Close();
}

void CAudioDev::SetName(const std::wstring& name) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_name = name;
}

void CAudioDev::SetId(const std::wstring& id) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_id = id;
}

void CAudioDev::SetLoopback(int loopback) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_loopback = loopback;
}

std::wstring CAudioDev::GetName() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_name;
}

std::wstring CAudioDev::GetId() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_id;
}

int CAudioDev::GetLoopback() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_loopback;
}

void CAudioDev::SetTarget(IPacall* target, int32_t tag) {
    std::lock_guard<std::mutex> guard(m_mutex);
    SetTargetLocked(target, tag);
}

int CAudioDev::GetFramesPerBuffer() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_framesPerBuffer;
}

int CAudioDev::GetMsPerBuffer() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_msPerBuffer;
}

int CAudioDev::GetChannels() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_channels;
}

int CAudioDev::GetSampleRate() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_rate;
}

void CAudioDev::GetFormat(int& frames, int& channels, int& ms, int& rate) {
    std::lock_guard<std::mutex> guard(m_mutex);
    frames = m_framesPerBuffer;
    channels = m_channels;
    ms = m_msPerBuffer;
    rate = m_rate;
}

std::wstring CAudioDev::GetOpenedId() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_openedId;
}

int CAudioDev::GetOpenedLoopback() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_openedLoopback;
}

DeviceInfo CAudioDev::GetDeviceInfo() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_info;
}

bool CAudioDev::IsAvailable() {
    std::wstring name, id;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        name = m_name;
        id = m_id;
    }
    return GetServerAudioDev()->IsDeviceAvailable(name, id);
}

void CAudioDev::ResetFormatLocked() {
    m_info = DeviceInfo();
    m_framesPerBuffer = 0;
    m_msPerBuffer = 0;
    m_channels = 0;
    m_rate = 0;
    m_openedId.clear();
    m_openedLoopback = 0;
}

int CAudioDev::Open() {
    m_wanted = true;
    std::wstring name, id;
    int loopback = 0;
    IPacall* target = nullptr;
    int32_t tag = 0;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        name = m_name;
        id = m_id;
        loopback = m_loopback;
        target = m_target;
        tag = m_tag;
    }
    const std::string wanted = WStringToUtf8Ret(name) + "\" (" + WStringToUtf8Ret(id) + ")";

    // Held while the stream is open; given back by Close, or below on failure.
    int result = Initialize();
    if (result != NoError) {
        AudioLog("cannot open \"%s: %s", wanted.c_str(), GetErrorText(result));
        return result;
    }
    DeviceList list;
    result = ListDevices(list);
    int index = result == NoError ? FindCaptureDevice(list, name, id, loopback) : -1;
    if (index < 0) {
        if (result == NoError) result = InvalidDevice;
        AudioLog("cannot open \"%s: %s", wanted.c_str(),
                 result == InvalidDevice ? "no such capture device" : GetErrorText(result));
        Terminate();
        return result;
    }
    const DeviceInfo& info = list.devices[index];
    auto* context = new CCaptureContext();
    Stream* stream = OpenCaptureStream(info, target, tag, context, &result);
    if (!stream) {
        AudioLog("cannot open \"%s: %s", wanted.c_str(), GetErrorText(result));
        delete context;
        Terminate();
        return result;
    }
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_stream = stream;
        m_context = context;
        m_info = info;
        // The format the stream really has, so that silence made while it
        // delivers nothing matches the blocks it delivers.
        m_channels = context->channels;
        m_rate = context->rate;
        m_framesPerBuffer = context->rate / 100;
        m_msPerBuffer = context->msPerBuffer;
        m_openedId = Utf8ToWStringRet(info.id);
        m_openedLoopback = info.loopback ? 1 : 0;
    }
    m_opened = true;
    result = StartStream(stream);
    if (result != NoError) {
        AudioLog("cannot start \"%s: %s", wanted.c_str(), GetErrorText(result));
        Close();
        m_wanted = true;
        return result;
    }
    return 0;
}

int CAudioDev::Close() {
    m_opened = false;
    m_wanted = false;
    Stream* stream = nullptr;
    CCaptureContext* context = nullptr;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        stream = m_stream;
        context = m_context;
        m_stream = nullptr;
        m_context = nullptr;
        ResetFormatLocked();
    }
    CloseCaptureStream(stream);
    delete context;
    return 0;
}
