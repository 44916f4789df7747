// The timer-task dialog ("定时任务"): prepares one scheduled recording (name,
// once or every day, start, duration, format), checks it, looks for
// conflicts with the scheduled tasks and hands it to the controller's task
// manager; below, the scheduled tasks with their remove buttons and a link
// to the log of failed tasks. It stays open after adding, ready for the
// next task; window close is ignored. Results: 8 "取消", its close button or
// Esc; 100 recalled by the dialog stack.
#pragma once

#include "control/SComboBox.h"
#include "control/SDateTimePicker.h"
#include "control/SEdit.h"
#include "control/SLink.h"
#include "controls/SDlgBase.h"
#include "logic/TimertaskInfo.h"
#include "windows/CAdpaterTimerList.h"
#include "windows/SPartOutputArg.h"
#include "windows/TimerTaskInput.h"

class SDlgOptionTimerTask : public ORIEL::SDlgBase {
 public:
  static constexpr const wchar_t* kLayout = L"LAYOUT:dlg_option_timerTask";
  // Tells the list that its data changed; nothing in the program sends it.
  static constexpr UINT kRefreshList = WM_USER + 1;

  // `output` is the live record the new tasks' template starts from.
  explicit SDlgOptionTimerTask(const CArgOutput& output, LPCWSTR layout = kLayout);

  BOOL OnHostEvent(ORIEL::EventArgs* e) override;
  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                           DWORD mapId) override;
  INT_PTR Recall() override;

  // Checks and adds the task the fields describe; true when it was added.
  bool AddTask();
  SPartOutputArg& GetOutputPart() { return outputPart_; }

 private:
  void OnInit();
  void Detach();
  void Close(INT_PTR code);
  DurationTexts Fields() const;
  void SetFields(const DurationTexts& fields);
  void OnDurationChanged(int field);
  void OnStep(int delta);
  void OpenLog();
  void NotifyList();
  void PutDefaultName();

  SPartOutputArg outputPart_;
  CTimertaskInfo template_;
  bool initialised_ = false;
  // While the spin sets all three fields: no field check in between.
  bool stepping_ = false;
  ORIEL::SDateTimePicker* start_ = nullptr;
  ORIEL::SWindow* list_ = nullptr;
  ORIEL::SComboBox* mode_ = nullptr;
  ORIEL::SEdit* duration_[3] = {};
  ORIEL::SWindow* log_ = nullptr;
  ORIEL::SEdit* name_ = nullptr;
};
