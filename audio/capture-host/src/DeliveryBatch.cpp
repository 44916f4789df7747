#include "capture-host/DeliveryBatch.h"

#include <utility>
#include <vector>

namespace capture_host {

namespace {

struct PendingCall {
    void (*call)(void*);
    void* arg;
};

thread_local int tl_depth = 0;
thread_local std::vector<PendingCall> tl_pending;

}  // namespace

DeliveryBatch::DeliveryBatch() { ++tl_depth; }

DeliveryBatch::~DeliveryBatch() {
    if (--tl_depth > 0) return;
    // Taken out first: a call may deliver again (outside any batch now).
    std::vector<PendingCall> calls;
    calls.swap(tl_pending);
    for (const PendingCall& c : calls) c.call(c.arg);
    calls.clear();
    if (tl_pending.empty()) tl_pending.swap(calls);  // keep the capacity
}

void AfterDelivery(void (*call)(void*), void* arg) {
    if (tl_depth == 0) {
        call(arg);
        return;
    }
    for (const PendingCall& c : tl_pending)
        if (c.call == call && c.arg == arg) return;
    tl_pending.push_back({call, arg});
}

}  // namespace capture_host
