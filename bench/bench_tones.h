// Sine tones played into PulseAudio sinks while a benchmark records.
#pragma once

#include <atomic>
#include <string>
#include <thread>

class BenchTone {
public:
    BenchTone(const std::string& sink, double frequency, double amplitude);
    ~BenchTone();
    bool Started() const { return started_; }

private:
    void Run(std::string sink, double frequency, double amplitude);
    std::atomic<bool> stop_{false};
    std::atomic<bool> started_{false};
    std::atomic<bool> ready_{false};
    std::thread thread_;
};

// Runs `pactl load-module ...`; the module index, or -1.
int LoadModule(const std::string& nameAndArgs);
void UnloadModule(int index);
