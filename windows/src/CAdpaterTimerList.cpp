#include "windows/CAdpaterTimerList.h"

#include <mutex>

#include "control/SButton.h"
#include "control/SStatic.h"
#include "core/SwndContainer.h"
#include "event/SWndEvents.h"
#include "logic/TimertaskManager.h"
#include "windows/TaskTip.h"
#include "windows/TimerTaskInput.h"

namespace ORIEL {
namespace {

// The user data of a remove button whose row shows no task.
constexpr ULONG_PTR kNoRow = static_cast<ULONG_PTR>(-1);

void SetTextAndTip(SWindow* window, const SStringW& text) {
  if (!window) return;
  window->SetText(text);
  window->SetTipText(text);
}

const wchar_t* SourceText(int device) {
  switch (device) {
    case 0: return L"麦克风";
    case 1: return L"系统声音";
    case 2: return L"麦克风和系统声音";
    default: return nullptr;
  }
}

}  // namespace

int CAdpaterTimerList::GetCount() {
  if (!manager_) return 0;
  std::lock_guard<std::recursive_mutex> lock(manager_->Mutex());
  return static_cast<int>(manager_->GetCount());
}

SStringW CAdpaterTimerList::GetColumnName(int column) const {
  SStringW name;
  name.Format(L"col%d", column + 1);
  return name;
}

bool CAdpaterTimerList::TaskAt(size_t index, CTimertaskInfo& task) {
  if (!manager_) return false;
  std::lock_guard<std::recursive_mutex> lock(manager_->Mutex());
  if (index >= manager_->GetCount()) return false;
  task = manager_->GetTaskAt(index);
  return true;
}

void CAdpaterTimerList::BindItemView(int position, SWindow* item, pugi::xml_node xmlTemplate) {
  if (!item) return;
  // A fresh row takes the template whole: its hover colour as well as its
  // cells.
  if (item->GetChildrenCount() == 0) item->LoadXmlNode(xmlTemplate);
  CTimertaskInfo task;
  const bool present = position >= 0 && TaskAt(static_cast<size_t>(position), task);
  SWindow* remove = item->FindChildByName2<SImageButton>(L"btn_remove");
  if (!present) {
    // The list shrank after the view counted its rows: an empty row.
    for (const wchar_t* name : {L"txt_name", L"txt_state", L"txt_starttime", L"txt_duration", L"txt_dev"})
      SetTextAndTip(item->FindDescendantByName(name), SStringW());
    if (remove) remove->SetUserData(kNoRow);
    return;
  }
  SetTextAndTip(item->FindChildByName2<SStatic>(L"txt_name"), task.name);
  SetTextAndTip(item->FindChildByName2<SStatic>(L"txt_state"), task.status);
  SetTextAndTip(item->FindChildByName2<SStatic>(L"txt_starttime"), FormatTaskStartTime(task.date).c_str());
  SetTextAndTip(item->FindChildByName2<SStatic>(L"txt_duration"), FormatTaskDuration(task.date).c_str());
  if (const wchar_t* source = SourceText(task.output.output_device))
    SetTextAndTip(item->FindChildByName2<SStatic>(L"txt_dev"), source);
  if (remove) {
    remove->SetUserData(static_cast<ULONG_PTR>(position));
    // One subscriber however often the row is bound again.
    remove->GetEventSet()->SubscribeEvent(EventCmd::EventID, Subscriber(&CAdpaterTimerList::OnRemoveTask, this));
  }
}

bool CAdpaterTimerList::OnRemoveTask(EventArgs* e) {
  auto* button = e ? dynamic_cast<SWindow*>(e->sender) : nullptr;
  if (!button || button->GetUserData() == kNoRow) return true;
  HWND owner = button->GetContainer() ? button->GetContainer()->GetHostHwnd() : nullptr;
  RemoveTaskAt(static_cast<size_t>(button->GetUserData()), owner);
  return true;
}

bool CAdpaterTimerList::RemoveTaskAt(size_t index, HWND owner) {
  CTimertaskInfo selected;
  if (!TaskAt(index, selected)) return false;
  const CTimertaskInfo running = manager_->GetRunningTask();
  if (running.date.IsSet()) {
    const int relation = selected.date.Compare(running.date);
    if (relation != 2 && relation != -2) {
      ShowTaskTip(owner, {SStringW(L"当前任务正在执行中，移除任务失败！")});
      return false;
    }
  }
  // Erased under the manager's lock; a run of it is awaited outside it.
  manager_->StopTask(selected.date);
  NotifyChanged();
  return true;
}

}  // namespace ORIEL
