// A bounded, lock-guarded queue of commands: any thread pushes, one consumer
// takes everything pending at once. It signals nobody; the producer wakes
// the consumer itself.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

#include "audio/RecorderCommands.h"

class CCmdQueue {
public:
    using Commands = std::deque<std::shared_ptr<ICmd>>;

    void SetCapacity(int capacity);
    // At capacity the oldest commands are dropped, only as many as needed to
    // make room, and the loss is logged: a consumer that fell behind loses
    // the start of its backlog, not all of it.
    void Push(std::shared_ptr<ICmd> command);
    Commands TakeAll();
    void Clear();

    // Commands dropped for lack of room since construction.
    int64_t DroppedCount() const { return dropped_.load(); }

private:
    std::atomic<int> capacity_{0};
    std::mutex mutex_;
    Commands commands_;
    std::atomic<int64_t> dropped_{0};
    bool overflowing_ = false;  // under mutex_: logs once per overflow episode
};
