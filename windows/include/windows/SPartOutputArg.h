// The recording-format panel of the main window and of the timer-task
// dialog: ties the source and channel radio buttons and the sample-rate,
// format and quality boxes under a window to one settings record, and keeps
// the record to a combination the chosen format supports.
//
// Set-up by the host once its window exists: SetOwner, SetRoot, SetRecord,
// then OnInit. The record must outlive the window.
#pragma once

#include "control/SComboBox.h"
#include "control/SRadioBox.h"
#include "core/SWnd.h"
#include "logic/ArgOutput.h"

class SPartOutputArg {
 public:
  SPartOutputArg() = default;
  virtual ~SPartOutputArg() = default;
  SPartOutputArg(const SPartOutputArg&) = delete;
  SPartOutputArg& operator=(const SPartOutputArg&) = delete;

  void SetOwner(void* owner) { owner_ = owner; }
  void SetRoot(ORIEL::SWindow* root) { root_ = root; }
  void SetRecord(CArgOutput* record) { record_ = record; }
  void* GetOwner() const { return owner_; }
  CArgOutput* GetRecord() const { return record_; }

  // Finds the eight controls, subscribes to their events, fills the lists
  // for the first format and then shows the record.
  virtual void OnInit();
  virtual void OnCommand(int, int, LPARAM) {}
  virtual LRESULT OnUserMessage(UINT, WPARAM, LPARAM) { return 0; }
  virtual LRESULT OnCopyData(WPARAM, LPARAM) { return 0; }

  // The lists of the first format; the record is left as it is.
  void ReloadLists();
  // Selects the record's values, correcting its quality and rate (and a
  // format the list lacks) to ones the format offers.
  void SelectCurrent();

  ORIEL::SComboBox* FormatBox() const { return type_; }
  ORIEL::SComboBox* RateBox() const { return hz_; }
  ORIEL::SComboBox* QualityBox() const { return quality_; }

 private:
  bool OnFormatChanged(ORIEL::EventArgs* e);
  bool OnRateChanged(ORIEL::EventArgs* e);
  bool OnQualityChanged(ORIEL::EventArgs* e);
  bool OnSourceCommand(ORIEL::EventArgs* e);
  bool OnChannelCommand(ORIEL::EventArgs* e);
  void FillRates(int formatId);
  void FillQualities(int formatId);

  void* owner_ = nullptr;
  ORIEL::SWindow* root_ = nullptr;
  CArgOutput* record_ = nullptr;
  // The rate last asked for (by the user or the record shown): a bit rate
  // that forced a lower one gives way to it again when the choice changes.
  int wantedRate_ = 0;
  ORIEL::SRadioBox* mix_ = nullptr;
  ORIEL::SRadioBox* mic_ = nullptr;
  ORIEL::SRadioBox* speaker_ = nullptr;
  ORIEL::SRadioBox* channel1_ = nullptr;
  ORIEL::SRadioBox* channel2_ = nullptr;
  ORIEL::SComboBox* quality_ = nullptr;
  ORIEL::SComboBox* hz_ = nullptr;
  ORIEL::SComboBox* type_ = nullptr;
};
