#pragma once
// The eight state objects of a conversion.

#include "mediaconvert/MCStateMachine.h"

class StateInit : public StateBase {
 public:
  int StateHandle(MCStateMachine* m) override;
  int GetStateId() const override { return kStateInit; }

 private:
  int Build(MCStateMachine* m);
  int CompletePipeline(MCStateMachine* m, MCStreamSetup& setup);
};

class StateDeMux : public StateBase {
 public:
  int StateHandle(MCStateMachine* m) override;
  int GetStateId() const override { return kStateDeMux; }

 private:
  void FixJumps(MCStateMachine* m, AVStream* stream);

  int64_t lastPts_[5] = {};
  int64_t lastDts_[5] = {};
  int64_t nextDts_[5] = {};
  bool offsetSet_ = false;
  int64_t tsOffset_ = 0;
  int isMp3_ = -1;
  int failures_ = 0;
};

class StateDeCode : public StateBase {
 public:
  int StateHandle(MCStateMachine* m) override;
  int GetStateId() const override { return kStateDeCode; }
};

class StateConvert : public StateBase {
 public:
  int StateHandle(MCStateMachine* m) override;
  int GetStateId() const override { return kStateConvert; }
};

class StateEnCode : public StateBase {
 public:
  int StateHandle(MCStateMachine* m) override;
  int GetStateId() const override { return kStateEnCode; }
};

class StateMux : public StateBase {
 public:
  int StateHandle(MCStateMachine* m) override;
  int GetStateId() const override { return kStateMux; }
};

class StateFlush : public StateBase {
 public:
  int StateHandle(MCStateMachine* m) override;
  int GetStateId() const override { return kStateFlush; }

 private:
  int cursor_ = -1;
};

class StateError : public StateBase {
 public:
  int StateHandle(MCStateMachine* m) override;
  int GetStateId() const override { return kStateError; }
};
