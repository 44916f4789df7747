#pragma once
// The usage-event sink the program installs: on while the deployment names
// a "usage_url" (product.ini), off otherwise. Send only queues; one worker
// posts the records in order as the form "event=<id>&data=<JSON>" (3000 ms
// to connect, 5000 ms in all). At most 100 records wait: a burst past that
// drops the oldest. Destruction gives the queue 2 s to drain, then leaves.

#include <memory>
#include <string>

#include "online/UsageEvents.h"

class CHttpUsageEventSink : public IUsageEventSink {
 public:
  static constexpr size_t kMaxWaiting = 100;
  static constexpr int kConnectTimeoutMs = 3000;
  static constexpr int kTimeoutMs = 5000;
  static constexpr int kDrainAtExitMs = 2000;

  // The address from the deployment's settings.
  CHttpUsageEventSink();
  explicit CHttpUsageEventSink(const std::string& url);
  ~CHttpUsageEventSink() override;
  CHttpUsageEventSink(const CHttpUsageEventSink&) = delete;
  CHttpUsageEventSink& operator=(const CHttpUsageEventSink&) = delete;

  bool IsEnabled() override;
  void Send(const wchar_t* eventId, const wchar_t* json) override;

  // Records dropped because too many waited.
  size_t DroppedCount() const;

 private:
  struct State;
  std::shared_ptr<State> state_;
};
