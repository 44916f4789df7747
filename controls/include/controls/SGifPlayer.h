// "gifplayer": shows an animated skin and moves through its frames on the
// host's animation timeline, each frame staying for its own delay measured
// by elapsed time. Every player keeps its own frame, so players sharing a
// skin do not hurry each other.
#pragma once

#include <cstdint>
#include <functional>

#include "controls/SSkinAni.h"
#include "core/SWnd.h"
#include "core/SwndContainer.h"

namespace ORIEL {

class SGifPlayer : public SWindow, public ITimelineHandler {
  SOBJ_CLASS(SGifPlayer, SWindow, L"gifplayer", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  using Clock = std::function<int64_t()>;
  // How long a frame whose delay is 0 stays.
  static constexpr int kZeroDelayMs = 90;

  SGifPlayer();
  ~SGifPlayer() override;

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;

  // Plays a GIF file in a skin of the player's own; false (the old skin
  // kept) when it cannot be read. APNG files are not supported: false.
  BOOL PlayFile(LPCWSTR path, BOOL apng = FALSE);

  void AdvanceFrame() override;
  // Takes the skin of the same name at the new scale.
  void UpdateScale(int scale) override;

  SSkinAni* GetSkin() const { return skin_; }
  int GetCurrentFrame() const { return frame_; }
  bool OnTimeline() const { return onTimeline_; }
  // Milliseconds of a monotonic clock for every player; steady_clock
  // unless replaced.
  static void SetClock(Clock clock);

 protected:
  void OnPaint(IRenderTarget* rt) override;
  void OnShowWindow(BOOL show, UINT status) override;
  void OnDestroy() override;
  SIZE MeasureContent(const RECT* limit) override;

 private:
  static int64_t Now();
  // How long the frame stays, in milliseconds.
  int FrameMs(int frame) const;
  void UseSkin(SSkinAni* skin);
  void JoinTimeline();
  void LeaveTimeline();

  SSkinAni* skin_ = nullptr;       // from the skin pool, or ownSkin_
  SRefPtr<SSkinAni> ownSkin_;      // a skin made by PlayFile
  SStringW skinName_;
  int frame_ = 0;
  int64_t frameShownAt_ = 0;
  bool onTimeline_ = false;
};

}  // namespace ORIEL
