#pragma once
// One conversion from an input file to an output file, driven through the
// states Init, DeMux, DeCode, Convert, EnCode, Mux, Flush and Error on the
// caller's thread. A hook sees the machine before every step and may
// change the next state; that is how the job kinds differ.

#include <map>
#include <memory>
#include <string>

#include "mediaconvert/MCAudioConvert.h"
#include "mediaconvert/MCConvertParam.h"
#include "mediaconvert/MCDeMuxer.h"
#include "mediaconvert/MCEnCoder.h"
#include "mediaconvert/MCImageConvert.h"
#include "mediaconvert/MCMuxer.h"

enum MCStateId {
  kStateInit = 0,
  kStateDeMux = 1,
  kStateDeCode = 2,
  kStateConvert = 3,
  kStateEnCode = 4,
  kStateMux = 5,
  kStateFlush = 6,
  kStateDone = 7,
  kStateError = 8,
};

class MCStateMachine;

class IStateMachineHook {
 public:
  virtual ~IStateMachineHook() = default;
  virtual int StatePrepare(MCStateMachine* machine) = 0;
};

class StateBase {
 public:
  virtual ~StateBase() = default;
  virtual int StateHandle(MCStateMachine* machine) = 0;
  virtual int GetNextState() const { return next_; }
  virtual int GetStateId() const = 0;

 protected:
  int next_ = kStateDone;
};

class MCStateMachine {
 public:
  MCStateMachine(const MCConvertParam* param, std::string inputPath, std::string outputPath);
  ~MCStateMachine();
  MCStateMachine(const MCStateMachine&) = delete;
  MCStateMachine& operator=(const MCStateMachine&) = delete;

  void SetHook(IStateMachineHook* h) { hook = h; }
  int Run();
  void Abort();
  void Resume();
  void Reset();

  MCDeMuxerBase* demuxer = nullptr;
  MCMuxerBase* muxer = nullptr;
  AVStream* inStreams[5] = {};
  AVStream* outStreams[5] = {};
  MCEnCoderBase* encoders[5] = {};
  MCDeCoderBase* decoders[5] = {};
  AVBSFContext* bsfs[5] = {};
  bool bsfStarted[5] = {};
  bool copy[5] = {};
  MCImageConvertBase* imageConverter = nullptr;
  MCAudioConvertBase* audioConverter = nullptr;
  MCConvertParam param;
  int slot = -1;
  int previous = kStateError;
  int current = kStateInit;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  AVSubtitle subtitle{};
  std::string inputPath;
  std::string outputPath;
  MCErrorInfo error;
  int64_t startTime = 0;
  int64_t position = 0;
  bool running = true;
  IStateMachineHook* hook = nullptr;
  std::map<int, StateBase*> states;

 private:
  void BuildStates();
  void FreePipeline();
};
