// The device server's tasks. Each runs once on the server's task thread;
// the waited ones release their done semaphore when finished.
#pragma once

#include "audio/AudioDev.h"
#include "base/ITask.h"
#include "win32/windows.h"

#include <memory>
#include <vector>

class CtaskOpenDev : public ITask {
public:
    bool Run() override;
    bool Stop() override { return false; }
    CAudioDev* device = nullptr;
    HANDLE done = nullptr;
    int result = -1;
};

class CtaskCloseDev : public ITask {
public:
    bool Run() override;
    bool Stop() override { return false; }
    CAudioDev* device = nullptr;
    HANDLE done = nullptr;
    int result = -1;
};

class CTaskGetdevs : public ITask {
public:
    bool Run() override;
    bool Stop() override { return false; }
    HANDLE done = nullptr;
    std::vector<std::shared_ptr<CAudioDev>>* output = nullptr;
};

class CtaskRestartAll : public ITask {
public:
    bool Run() override;
    bool Stop() override { return false; }
};
