#include "audio/SCtrlAudio.h"

#include "base/GdiplusHelpers.h"
#include "core/SApplication.h"

using namespace ORIEL;

SCtrlAudio::SCtrlAudio() = default;

SCtrlAudio::~SCtrlAudio() { StopCapture(); }

void SCtrlAudio::OnDestroy() {
  StopMonitor();
  SWindow::OnDestroy();
}

void SCtrlAudio::StartMonitor() {
  m_monitor.SetOutput(this, 0);
  m_monitor.Start();
  int ms = 0;
  m_monitor.Device().GetFormat(m_bufferFrames, m_channels, ms, m_sampleRate);
  RebuildWave();
  SetTimer(kRepaintTimer, kRepaintMs);
  m_state.store(kStateMonitoring);
}

void SCtrlAudio::StopCapture() {
  m_monitor.Stop();
  m_wave.StopThreads();
  m_wave.ClearLevels();
  m_state.store(0);
}

void SCtrlAudio::StopMonitor() {
  StopCapture();
  // An idle control has nothing new to show: repainting it a hundred times
  // a second would cost the host for nothing.
  KillTimer(kRepaintTimer);
}

int SCtrlAudio::RestartMonitor() {
  m_monitor.Stop();
  return m_monitor.Start();
}

void SCtrlAudio::RebuildWave() {
  m_wave.StopThreads();
  const RECT rc = ClientRect();
  m_wave.ResizeBitmap(rc.right - rc.left, rc.bottom - rc.top, m_channels, m_bufferFrames);
  m_wave.StartThreads();
}

void SCtrlAudio::SetChannelBrush(int slot, Gdiplus::ARGB) { m_wave.SetChannelBrush(slot); }

void SCtrlAudio::SetHold(bool hold) {
  if (hold) m_state.fetch_or(kStateHold);
  else m_state.fetch_and(~kStateHold);
}

int SCtrlAudio::OnCapture(CAudioPacket& packet) {
  const int state = m_state.load();
  if ((state & kStateMonitoring) && !(state & kStateHold)) m_wave.PushCapture(packet);
  return 0;
}

void SCtrlAudio::UpdateScale(int scale) {
  SWindow::UpdateScale(scale);
  RebuildWave();
}

BOOL SCtrlAudio::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case SWM_SIZE:
      SWindow::HandleSwndMessage(msg, wParam, lParam, result);
      if (IsMonitoring()) RebuildWave();
      result = 0;
      return TRUE;
    case SWM_PAINT: {
      auto* rt = reinterpret_cast<IRenderTarget*>(wParam);
      OnPaint(rt);
      PaintPicture(rt);
      result = 0;
      return TRUE;
    }
    case WM_TIMER:
      // The engine publishes a new picture about every 50 ms: a tick that
      // finds the one on screen still current has nothing to repaint.
      if (m_wave.GetImage() != m_shownPicture) Invalidate();
      result = 0;
      return TRUE;
    default: return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
  }
}

void SCtrlAudio::PaintPicture(IRenderTarget* rt) {
  std::shared_ptr<Gdiplus::Bitmap> picture = m_wave.GetImage();
  if (!picture || !rt) return;
  const RECT client = ClientRect();
  // A picture of another size belongs to an older layout: a control that
  // is not monitoring does not rebuild it and shows only its background.
  if (static_cast<LONG>(picture->GetWidth()) != client.right - client.left ||
      static_cast<LONG>(picture->GetHeight()) != client.bottom - client.top)
    return;
  if (picture != m_shownPicture || !m_shownBitmap) {
    SApplication* app = SApplication::getSingletonPtr();
    IBitmap* converted = app ? GdiBitmapToOrielBitmap(picture.get(), app->GetRenderFactory()) : nullptr;
    if (!converted) return;
    m_shownBitmap.Attach(converted);
    m_shownPicture = picture;
    ++m_converted;
  }
  rt->DrawBitmap(&client, m_shownBitmap.get(), 0, 0, 255);
}

void RegisterAudioWaveClass() {
  if (SApplication* app = SApplication::getSingletonPtr()) app->RegisterClass<SCtrlAudio>();
}
