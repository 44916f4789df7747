// Work that a run of deliveries on one thread collects and does once, at the
// end of the run. A stream hands on a fragment's blocks in one run; their
// receiver asks for its worker to be woken after each block, and the worker
// is woken once, when the last of them has been handed on: a thread woken
// per block would take the first and wait again for the rest.
#pragma once

namespace capture_host {

class DeliveryBatch {
public:
    DeliveryBatch();   // batches nest; the outermost one makes the calls
    ~DeliveryBatch();
    DeliveryBatch(const DeliveryBatch&) = delete;
    DeliveryBatch& operator=(const DeliveryBatch&) = delete;
};

// Inside a batch on this thread: `call(arg)` runs once when the outermost
// batch ends, however often it was asked for. Outside a batch it runs now.
void AfterDelivery(void (*call)(void*), void* arg);

}  // namespace capture_host
