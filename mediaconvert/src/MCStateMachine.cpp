#include "mediaconvert/MCStateMachine.h"

#include <stdexcept>

#include "MCStates.h"

MCStateMachine::MCStateMachine(const MCConvertParam* p, std::string in, std::string out)
    : inputPath(std::move(in)), outputPath(std::move(out)) {
  if (p != nullptr) param.Assign(*p);
  packet = av_packet_alloc();
  BuildStates();
}

MCStateMachine::~MCStateMachine() {
  FreePipeline();
  for (auto& [id, state] : states) delete state;
  states.clear();
  av_packet_free(&packet);
}

void MCStateMachine::BuildStates() {
  states[kStateInit] = new StateInit();
  states[kStateDeMux] = new StateDeMux();
  states[kStateDeCode] = new StateDeCode();
  states[kStateConvert] = new StateConvert();
  states[kStateEnCode] = new StateEnCode();
  states[kStateMux] = new StateMux();
  states[kStateFlush] = new StateFlush();
  states[kStateError] = new StateError();
}

void MCStateMachine::FreePipeline() {
  for (int i = 0; i < 5; ++i) {
    delete decoders[i];
    decoders[i] = nullptr;
    delete encoders[i];
    encoders[i] = nullptr;
    av_bsf_free(&bsfs[i]);
  }
  delete muxer;
  muxer = nullptr;
  delete demuxer;
  demuxer = nullptr;
  delete imageConverter;
  imageConverter = nullptr;
  delete audioConverter;
  audioConverter = nullptr;
  av_frame_free(&frame);
  if (packet) av_packet_unref(packet);
  avsubtitle_free(&subtitle);
}

int MCStateMachine::Run() {
  while (running) {
    if (hook != nullptr) hook->StatePrepare(this);
    // A hook that aborted the run (a cancel) stops it before another step:
    // cancelled before it started, the job creates no output file.
    if (current == kStateDone || !running) break;
    const auto it = states.find(current);
    if (it == states.end()) throw std::out_of_range("invalid map<K, T> key");
    it->second->StateHandle(this);
    current = it->second->GetNextState();
    previous = it->second->GetStateId();
  }
  return error.code;
}

void MCStateMachine::Abort() {
  for (int i = 0; i < slot && i < 5; ++i) {
    if (decoders[i] != nullptr) decoders[i]->SetAbort();
  }
  running = false;
}

void MCStateMachine::Resume() {
  for (int i = 0; i < slot && i < 5; ++i) {
    if (decoders[i] != nullptr) decoders[i]->ClearAbort();
  }
  running = true;
}

void MCStateMachine::Reset() {
  FreePipeline();
  for (auto& [id, state] : states) delete state;
  states.clear();
  for (int i = 0; i < 5; ++i) {
    inStreams[i] = outStreams[i] = nullptr;
    copy[i] = bsfStarted[i] = false;
  }
  slot = -1;
  previous = kStateError;
  current = kStateInit;
  BuildStates();
  startTime = 0;
  position = 0;
  hook = nullptr;
  running = true;
}
