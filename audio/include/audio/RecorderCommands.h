// Work for the recorder's worker thread (and the waveform's redraw), created
// by capture and user-interface threads and handed over through a
// CCmdQueue.
#pragma once

#include <memory>

#include "audio/AudioPacket.h"

class ICmd {
public:
    virtual ~ICmd() = default;
    virtual int type() const = 0;
};

// One captured packet of a source (key 0 microphone, 1 system sound).
class CCmdProcessCapture : public ICmd {
public:
    enum { kType = 1 };
    CCmdProcessCapture() = default;
    CCmdProcessCapture(int key, std::unique_ptr<CAudioPacket> packet)
        : key(key), packet(std::move(packet)) {}
    int type() const override { return kType; }

    int key = 1;
    std::unique_ptr<CAudioPacket> packet;
};

// A new gain of a source in 1/256 steps (256 = unity).
class CCmdProcessSetVolume : public ICmd {
public:
    enum { kType = 2 };
    CCmdProcessSetVolume() = default;
    CCmdProcessSetVolume(int key, int volume) : key(key), volume(volume) {}
    int type() const override { return kType; }

    int key = 1;
    int volume = 1000;
};

class CCmdFlushImg : public ICmd {
public:
    enum { kType = 3 };
    int type() const override { return kType; }
};
