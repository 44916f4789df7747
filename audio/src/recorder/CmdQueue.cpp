#include "audio/CmdQueue.h"

#include <string>

#include "base/DebugStr.h"

void CCmdQueue::SetCapacity(int capacity) {
    std::lock_guard<std::mutex> lock(mutex_);
    capacity_ = capacity;
}

void CCmdQueue::Push(std::shared_ptr<ICmd> command) {
    Commands dropped;  // destroyed after the lock is released
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const size_t capacity = capacity_ > 0 ? static_cast<size_t>(capacity_.load()) : 0;
        while (capacity > 0 && commands_.size() >= capacity) {
            dropped.push_back(std::move(commands_.front()));
            commands_.pop_front();
        }
        commands_.push_back(std::move(command));
        if (dropped.empty()) {
            overflowing_ = false;
        } else {
            dropped_ += static_cast<int64_t>(dropped.size());
            if (!overflowing_) {
                overflowing_ = true;
                base::OutputDebugText(L"command queue full (" + std::to_wstring(capacity) +
                                      L"): the oldest commands are being dropped\n");
            }
        }
    }
}

CCmdQueue::Commands CCmdQueue::TakeAll() {
    std::lock_guard<std::mutex> lock(mutex_);
    Commands out;
    out.swap(commands_);
    if (!out.empty() && overflowing_) {
        base::OutputDebugText(L"command queue: " + std::to_wstring(dropped_.load()) +
                              L" commands dropped so far\n");
    }
    overflowing_ = false;
    return out;
}

void CCmdQueue::Clear() {
    Commands dropped;
    std::lock_guard<std::mutex> lock(mutex_);
    dropped.swap(commands_);
}
