// The main window as the controller sees it, standing in for the real one:
// it takes the recorder's posted events (freeing each), adds each closed
// file to the store as the file list does, answers timer-task messages as
// the main window must, and counts view refreshes, hot keys and the
// floating window's visibility.
#pragma once

#include <map>
#include <vector>

#include "base/PathHelpers.h"
#include "logic/BllMain.h"
#include "logic/LogicMessages.h"
#include "test_window.h"

class TestFloatingWindow : public IFloatingWindow {
 public:
  void Show(bool show) override {
    visible = show;
    ++calls;
  }
  bool IsVisible() override { return visible; }
  bool visible = false;
  int calls = 0;
};

class TestTimerList : public ITimerListAdapter {
 public:
  void SetManager(CTimertaskManager* m) override { manager = m; }
  void NotifyDataChanged() override { ++notices; }
  CTimertaskManager* manager = nullptr;
  int notices = 0;
};

class TestMainWindow : public IMainWindow {
 public:
  explicit TestMainWindow(CBllMain*& controller)
      : m_controller(controller), m_window([this](UINT m, WPARAM w, LPARAM l) { return Handle(m, w, l); }) {}

  HWND GetHwnd() override { return m_window.hwnd(); }
  IFloatingWindow* GetFloatingWindow() override { return withFlow ? &flow : nullptr; }
  void RefreshRecordState(COutputRecorder&, CFileMoreSetting&) override { ++refreshes; }
  void RegisterHotKeys(std::map<int32_t, CHotKeyItem>& keys, bool reg) override {
    hotKeyCalls.push_back({reg, keys.size()});
  }

  std::vector<COutputCallInfo> events;
  std::vector<std::pair<WPARAM, std::wstring>> taskMessages;
  std::vector<std::wstring> statusAfterStart;  // the task's status once its start was answered
  std::vector<std::pair<bool, size_t>> hotKeyCalls;
  TestFloatingWindow flow;
  bool withFlow = true;
  int refreshes = 0;

  size_t Count(int type) const {
    size_t n = 0;
    for (const auto& e : events) n += e.type == type;
    return n;
  }

 private:
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == UM_OUTPUT_EVENT) {
      auto* info = reinterpret_cast<COutputCallInfo*>(lParam);
      events.push_back(*info);
      if (info->type == COutputCallInfo::kFileClosed && info->code == 0 && m_controller) {
        CRecordFileInfo record;
        record.FilePath = info->path.c_str();
        record.FileName = GetFileNameOfPath(info->path).c_str();
        auto& records = m_controller->GetStore().m_records;
        records.insert(records.begin(), record);
      }
      delete info;
      return 0;
    }
    if (msg == UM_TIMERTASK_EVENT && m_controller) {
      auto* task = reinterpret_cast<CTimertaskInfo*>(lParam);
      taskMessages.push_back({wParam, task->name.c_str()});
      if (wParam == kTimerTaskStart) {
        int answer = m_controller->StartTimerTask(true, *task);
        statusAfterStart.push_back(m_controller->GetTimerManager().GetTask(task->date).status.c_str());
        return answer;
      }
      if (wParam == kTimerTaskFinished) {
        ++refreshes;
        m_controller->OnTimerTaskStatus(1, 0, *task);
        return 0;
      }
      if (wParam == kTimerTaskCancel) return m_controller->StartTimerTask(false, *task);
    }
    return 0;
  }

  CBllMain*& m_controller;
  TestWindow m_window;
};
