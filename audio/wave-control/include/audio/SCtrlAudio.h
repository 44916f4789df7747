// The live waveform of one capture device as a framework window. The
// control owns a capture of its own, feeds its packets to a waveform engine
// and repaints the engine's published picture on a 10 ms window timer.
#pragma once

#include <atomic>
#include <memory>

#include "audio/AudioRecoder.h"
#include "audio/AudioWaveRender.h"
#include "core/SWnd.h"

class SCtrlAudio : public ORIEL::SWindow, public IProcessCapture {
  SOBJ_CLASS(SCtrlAudio, ORIEL::SWindow, L"audioWave", ORIEL::kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  static constexpr UINT kRepaintTimer = 100;
  static constexpr UINT kRepaintMs = 10;
  // Bits of the state word.
  enum : int { kStateMonitoring = 1, kStateHold = 2 };

  SCtrlAudio();
  ~SCtrlAudio() override;

  // Opens the monitor device (its name, id and loopback flag set first on
  // Monitor()), sizes the picture to the client area and starts repainting.
  void StartMonitor();
  // Closes the device and stops the engine and the repaints; the last
  // picture stays for any later repaint.
  void StopMonitor();
  int RestartMonitor();
  void RebuildWave();
  // Slot `slot` of the engine's brushes becomes the channel colour; the
  // colour argument is not used.
  void SetChannelBrush(int slot, Gdiplus::ARGB colour);
  // While held, packets are not passed on: the picture stands still.
  void SetHold(bool hold);

  int OnCapture(CAudioPacket& packet) override;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void UpdateScale(int scale) override;

  CAudioRecoder& Monitor() { return m_monitor; }
  CAudioWaveRender& Wave() { return m_wave; }
  int GetState() const { return m_state.load(); }
  bool IsMonitoring() const { return (m_state.load() & kStateMonitoring) != 0; }
  bool IsHeld() const { return (m_state.load() & kStateHold) != 0; }
  // Pictures converted for painting: one per published picture shown.
  int GetConvertCount() const { return m_converted; }

 protected:
  void OnDestroy() override;

 private:
  // Closes the capture and the engine threads and zeroes the levels.
  void StopCapture();
  void PaintPicture(IRenderTarget* rt);

  int m_sampleRate = 0;
  int m_channels = 0;
  int m_bufferFrames = 0;
  std::atomic<int> m_state{0};
  CAudioWaveRender m_wave;
  CAudioRecoder m_monitor;  // after the engine: destroyed first

  // The picture last converted, kept while the engine publishes no new
  // one, so a repaint of an unchanged picture only blits.
  std::shared_ptr<Gdiplus::Bitmap> m_shownPicture;
  ORIEL::SRefPtr<IBitmap> m_shownBitmap;
  int m_converted = 0;
};

// Makes the control known to layouts as "audioWave".
void RegisterAudioWaveClass();
