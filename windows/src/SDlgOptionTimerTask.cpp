#include "windows/SDlgOptionTimerTask.h"

#include "controls/SMCListViewEx.h"
#include "event/SWndEvents.h"
#include "logic/BllMain.h"
#include "online/UsageEvents.h"
#include "richedit/richedit.h"
#include "shell/shellapi.h"
#include "windows/TaskTip.h"

using namespace ORIEL;

namespace {
const wchar_t* const kFieldNames[3] = {L"edit_duration_hour", L"edit_duration_minute", L"edit_duration_second"};

int FieldIndex(const SStringW& name) {
  for (int i = 0; i < 3; ++i)
    if (name == kFieldNames[i]) return i;
  return -1;
}

CAdpaterTimerList* TaskAdapter() {
  return dynamic_cast<CAdpaterTimerList*>(CBllMain::Instance().GetTimerListAdapter());
}
}  // namespace

SDlgOptionTimerTask::SDlgOptionTimerTask(const CArgOutput& output, LPCWSTR layout) : SDlgBase(layout) {
  template_.output = output;
}

DurationTexts SDlgOptionTimerTask::Fields() const {
  DurationTexts fields;
  for (int i = 0; i < 3; ++i)
    if (duration_[i]) fields[static_cast<size_t>(i)] = duration_[i]->GetText().c_str();
  return fields;
}

void SDlgOptionTimerTask::SetFields(const DurationTexts& fields) {
  for (int i = 0; i < 3; ++i)
    if (duration_[i]) duration_[i]->SetText(fields[static_cast<size_t>(i)].c_str());
}

void SDlgOptionTimerTask::PutDefaultName() {
  if (name_) name_->SetText(DefaultTaskName(CBllMain::Instance().GetClock().LocalNow()).c_str());
}

void SDlgOptionTimerTask::NotifyList() {
  if (CAdpaterTimerList* adapter = TaskAdapter()) {
    adapter->NotifyChanged();
    adapter->notifyDataSetInvalidated();
  }
}

void SDlgOptionTimerTask::OnInit() {
  initialised_ = false;
  CBllMain& bll = CBllMain::Instance();
  start_ = FindChildByName2<SDateTimePicker>(L"dtp_start");
  list_ = FindDescendantByName(L"lv_task");
  mode_ = FindChildByName2<SComboBox>(L"cbb_mode");
  for (int i = 0; i < 3; ++i) duration_[i] = FindChildByName2<SEdit>(kFieldNames[i]);
  log_ = FindChildByName2<SLink>(L"link_log");
  name_ = FindChildByName2<SEdit>(L"edit_name");

  if (mode_) {
    mode_->SetCurSel(-1);
    mode_->ResetContent();
    mode_->InsertItem(-1, L"定时", -1, 0);
    mode_->InsertItem(-1, L"每日", -1, 1);
    mode_->SetCurSel(bll.GetTimerOption().option_everyday ? 1 : 0);
  }
  if (auto* view = dynamic_cast<SMCListViewEx*>(list_)) {
    if (CAdpaterTimerList* adapter = TaskAdapter()) view->SetAdapter(adapter);
  }
  NotifyList();
  if (start_) {
    SYSTEMTIME now = bll.GetClock().LocalNow();
    start_->SetTime(TimerTimeOfUnits(TimerUnits(now) + 3600ULL * 1000 * kTimerMsUnits));
  }
  SetFields({L"00", L"10", L"00"});
  if (log_) {
    const bool failed = !bll.GetTimerManager().Logger().GetLastText().empty();
    log_->ApplyAttribute(L"class", failed ? L"style.link.highlight" : L"style.link.normal", FALSE);
  }
  PutDefaultName();
  outputPart_.SetOwner(this);
  outputPart_.SetRoot(this);
  outputPart_.SetRecord(&bll.GetTimerOption().m_arg);
  outputPart_.OnInit();
  initialised_ = true;
}

void SDlgOptionTimerTask::Detach() {
  if (auto* view = dynamic_cast<SMCListViewEx*>(list_)) view->SetAdapter(nullptr);
}

void SDlgOptionTimerTask::Close(INT_PTR code) {
  Detach();
  EndDialog(code);
  DestroyWindow(GetHwnd());
}

INT_PTR SDlgOptionTimerTask::Recall() {
  Close(8);
  return 100;
}

void SDlgOptionTimerTask::OnDurationChanged(int field) {
  if (!initialised_ || stepping_ || field < 0) return;
  const std::wstring replacement = CheckDurationField(Fields(), field);
  if (!replacement.empty() && duration_[field]) duration_[field]->SetText(replacement.c_str());
}

void SDlgOptionTimerTask::OnStep(int delta) {
  const DurationTexts next = StepDuration(Fields(), delta);
  stepping_ = true;
  SetFields(next);
  stepping_ = false;
}

bool SDlgOptionTimerTask::AddTask() {
  CBllMain& bll = CBllMain::Instance();
  CTimertaskInfo task = template_;
  const SYSTEMTIME now = bll.GetClock().LocalNow();
  SYSTEMTIME start = start_ ? start_->GetTime() : now;
  start.wMilliseconds = 0;
  const int64_t duration = DurationMs(Fields());
  const SStringW name = name_ ? name_->GetText() : SStringW();
  if (name.IsEmpty()) {
    ShowTaskTip(GetHwnd(), {SStringW(L"任务名字不能为空。")});
    if (name_) name_->SetFocus();
    return false;
  }
  const bool everyDay = bll.GetTimerOption().option_everyday != 0;
  if (!everyDay) {
    if (StartHasPassed(start, now)) {
      ShowTaskTip(GetHwnd(), {SStringW(L"添加任务失败！"), SStringW(L"定时任务的开始时间必须大于当前系统时间。")});
      return false;
    }
    if (EndsAfterStartDay(start, duration)) {
      ShowTaskTip(GetHwnd(), {SStringW(L"添加任务失败！"), SStringW(L"定时任务的任务时长不得超过当天日期。")});
      return false;
    }
  }
  task.date.everyday = everyDay ? 1 : 0;
  task.date.start = start;
  task.date.duration = duration;
  task.name = name;
  task.output = bll.GetTimerOption().m_arg;

  CTimertaskManager& manager = bll.GetTimerManager();
  std::vector<CTimerDate> sameName, overlapping;
  manager.FindConflicts(task.date, task, sameName, overlapping);
  if (!sameName.empty() || !overlapping.empty()) {
    std::vector<ConflictingTask> named, overlaps;
    for (const CTimerDate& d : sameName) named.push_back({manager.GetTask(d).name.c_str(), d});
    for (const CTimerDate& d : overlapping) overlaps.push_back({manager.GetTask(d).name.c_str(), d});
    const ConflictLines lines = BuildConflictLines(task.date.start, named, overlaps);
    std::vector<SStringW> shown;
    for (const std::wstring* line : {&lines.name, &lines.start, &lines.time})
      if (!line->empty()) shown.emplace_back(line->c_str());
    ShowTaskTip(GetHwnd(), shown);
    return false;
  }
  CTimerDate date = task.date;
  if (!manager.AddTask(date, task)) {
    // The manager refused it after all (its start passed meanwhile, or a
    // task filed since the check): the user hears of it, nothing changes.
    std::vector<SStringW> lines{SStringW(L"添加任务失败！")};
    if (!everyDay && StartHasPassed(start, bll.GetClock().LocalNow()))
      lines.emplace_back(L"定时任务的开始时间必须大于当前系统时间。");
    ShowTaskTip(GetHwnd(), lines);
    return false;
  }
  NotifyList();
  PutDefaultName();
  ReportTaskWindowEvent(true, false);
  return true;
}

void SDlgOptionTimerTask::OpenLog() {
  const std::wstring path = CBllMain::Instance().GetTimerManager().Logger().GetFile();
  ShellExecuteW(GetHwnd(), L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

BOOL SDlgOptionTimerTask::OnHostEvent(EventArgs* e) {
  if (!e) return FALSE;
  const SStringW& name = e->nameFrom;
  const int id = e->GetId();
  if (id == EventCmd::EventID) {
    if (name == L"btn_close" || name == L"btn_no")
      Close(8);
    else if (name == L"btn_ok")
      AddTask();
    else if (name == L"link_log")
      OpenLog();
    else if (name == L"btn_duration_up")
      OnStep(1);
    else if (name == L"btn_duration_down")
      OnStep(-1);
    else
      return SDlgBase::OnHostEvent(e);
  } else if (id == EventRENotify::EventID && FieldIndex(name) >= 0) {
    if (static_cast<EventRENotify*>(e)->iNotify == EN_CHANGE) OnDurationChanged(FieldIndex(name));
  } else if (id == EventCBSelChange::EventID && name == L"cbb_mode") {
    if (initialised_ && mode_) {
      const int sel = mode_->GetCurSel();
      CBllMain::Instance().GetTimerOption().option_everyday = sel >= 0 && mode_->GetItemData(sel) == 1 ? 1 : 0;
    }
  } else {
    return SDlgBase::OnHostEvent(e);
  }
  e->handled++;
  return TRUE;
}

BOOL SDlgOptionTimerTask::HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                              DWORD mapId) {
  if (mapId == 0) {
    if (msg == WM_INITDIALOG) {
      OnInit();
    } else if (msg == WM_CLOSE) {
      result = 0;
      return TRUE;
    } else if (msg == kRefreshList) {
      NotifyList();
      result = 0;
      return TRUE;
    }
  }
  return SDlgBase::HandleWindowMessage(hwnd, msg, wParam, lParam, result, mapId);
}
