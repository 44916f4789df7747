#include "windows/SPartOutputArg.h"

#include "audio/AudioFormatTable.h"
#include "control/SComboBase.h"
#include "windows/OutputArgChoice.h"

using namespace ORIEL;

namespace {

// Refills and selections made by the code raise no selection event: only
// the user's own choices reach the handlers.
class MutedEvents {
 public:
  explicit MutedEvents(SWindow* w) : w_(w) {
    if (w_) ++w_->GetEventSet()->muted;
  }
  ~MutedEvents() {
    if (w_) --w_->GetEventSet()->muted;
  }

 private:
  SWindow* w_;
};

void CheckOne(SRadioBox* chosen, std::initializer_list<SRadioBox*> group) {
  if (!chosen) return;
  for (SRadioBox* r : group)
    if (r && r != chosen) r->SetChecked(FALSE);
  chosen->SetChecked(TRUE);
}

std::vector<int> ListedFormatIds() {
  std::vector<int> ids;
  for (const CAudioFormat& f : GetOutputFormats()) ids.push_back(f.id);
  return ids;
}

}  // namespace

void SPartOutputArg::OnInit() {
  if (!root_) return;
  mix_ = root_->FindChildByName2<SRadioBox>(L"rb_mix");
  mic_ = root_->FindChildByName2<SRadioBox>(L"rb_mic");
  speaker_ = root_->FindChildByName2<SRadioBox>(L"rb_speaker");
  channel1_ = root_->FindChildByName2<SRadioBox>(L"rb_channel1");
  channel2_ = root_->FindChildByName2<SRadioBox>(L"rb_channel2");
  quality_ = root_->FindChildByName2<SComboBox>(L"quality_cb");
  hz_ = root_->FindChildByName2<SComboBox>(L"hz_cb");
  type_ = root_->FindChildByName2<SComboBox>(L"type_cb");
  for (SRadioBox* r : {channel1_, channel2_})
    if (r) r->SubscribeEvent(EventCmd::EventID, [this](EventArgs* e) { return OnChannelCommand(e); });
  for (SRadioBox* r : {mic_, mix_, speaker_})
    if (r) r->SubscribeEvent(EventCmd::EventID, [this](EventArgs* e) { return OnSourceCommand(e); });
  if (quality_) quality_->SubscribeEvent(EventCBSelChange::EventID, [this](EventArgs* e) { return OnQualityChanged(e); });
  if (hz_) hz_->SubscribeEvent(EventCBSelChange::EventID, [this](EventArgs* e) { return OnRateChanged(e); });
  if (type_) type_->SubscribeEvent(EventCBSelChange::EventID, [this](EventArgs* e) { return OnFormatChanged(e); });
  ReloadLists();
  SelectCurrent();
}

void SPartOutputArg::FillRates(int formatId) {
  if (!hz_) return;
  hz_->SetCurSel(-1);
  hz_->ResetContent();
  for (int rate : SampleRatesOfFormat(formatId)) {
    SStringW text;
    text.Format(L"%d", rate);
    hz_->InsertItem(-1, text, -1, rate);
  }
}

void SPartOutputArg::FillQualities(int formatId) {
  if (!quality_) return;
  quality_->SetCurSel(-1);
  quality_->ResetContent();
  const CAudioFormat format = GetFormatById(formatId);
  for (size_t i = 0; i < format.options.size(); ++i)
    quality_->InsertItem(-1, format.options[i].label, -1, static_cast<LPARAM>(i));
}

void SPartOutputArg::ReloadLists() {
  int firstId = -1;
  if (type_) {
    MutedEvents quiet(type_);
    type_->SetCurSel(-1);
    type_->ResetContent();
    for (const CAudioFormat& f : GetOutputFormats()) type_->InsertItem(-1, f.extension, -1, f.id);
    type_->SetCurSel(0);
    if (type_->GetCount() > 0) firstId = static_cast<int>(type_->GetItemData(0));
  } else if (!GetOutputFormats().empty()) {
    firstId = GetOutputFormats().front().id;
  }
  if (hz_) {
    MutedEvents quiet(hz_);
    FillRates(firstId);
    hz_->SetCurSel(0);
  }
  if (quality_) {
    MutedEvents quiet(quality_);
    FillQualities(firstId);
    quality_->SetCurSel(0);
  }
  if (channel1_) channel1_->SetUserData(1);
  if (channel2_) channel2_->SetUserData(2);
  if (mic_) mic_->SetUserData(0);
  if (mix_) mix_->SetUserData(2);
  if (speaker_) speaker_->SetUserData(1);
}

void SPartOutputArg::SelectCurrent() {
  if (!record_) return;
  CArgOutput& arg = *record_;
  wantedRate_ = arg.output_samplerate;
  OutputArgSelection sel = CorrectOutputArg(arg, ListedFormatIds(), QualityValuesOfFormat(arg.output_format),
                                            SampleRatesOfFormat(arg.output_format));
  // Shown is what the file will get: the rate and bit rate the encoder
  // takes for this choice, which are among the lists again.
  FitToRecordedChoice(arg, QualityValuesOfFormat(arg.output_format));
  sel = CorrectOutputArg(arg, ListedFormatIds(), QualityValuesOfFormat(arg.output_format),
                         SampleRatesOfFormat(arg.output_format));
  // The format may have been corrected: the lists follow the one it holds now.
  if (type_) {
    MutedEvents quiet(type_);
    if (sel.format >= 0) type_->SetCurSel(sel.format);
  }
  if (quality_) {
    MutedEvents quiet(quality_);
    FillQualities(arg.output_format);
    if (sel.quality >= 0) quality_->SetCurSel(sel.quality);
  }
  if (hz_) {
    MutedEvents quiet(hz_);
    FillRates(arg.output_format);
    if (sel.rate >= 0) hz_->SetCurSel(sel.rate);
  }
  switch (arg.output_device) {
    case 0: CheckOne(mic_, {mic_, speaker_, mix_}); break;
    case 1: CheckOne(speaker_, {mic_, speaker_, mix_}); break;
    case 2: CheckOne(mix_, {mic_, speaker_, mix_}); break;
    default: break;
  }
  switch (arg.output_channel) {
    case 1: CheckOne(channel1_, {channel1_, channel2_}); break;
    case 2: CheckOne(channel2_, {channel1_, channel2_}); break;
    default: break;
  }
}

bool SPartOutputArg::OnFormatChanged(EventArgs*) {
  if (!record_ || !type_ || type_->GetCurSel() < 0) return false;
  record_->output_format = static_cast<int>(type_->GetItemData(type_->GetCurSel()));
  if (wantedRate_ > 0) record_->output_samplerate = wantedRate_;
  SelectCurrent();
  return false;
}

bool SPartOutputArg::OnRateChanged(EventArgs*) {
  if (!record_ || !hz_ || hz_->GetCurSel() < 0) return false;
  record_->output_samplerate = static_cast<int>(hz_->GetItemData(hz_->GetCurSel()));
  SelectCurrent();
  return false;
}

bool SPartOutputArg::OnQualityChanged(EventArgs*) {
  if (!record_ || !quality_ || quality_->GetCurSel() < 0) return false;
  const std::vector<double> values = QualityValuesOfFormat(record_->output_format);
  const auto index = static_cast<size_t>(quality_->GetItemData(quality_->GetCurSel()));
  if (index < values.size()) record_->output_quality = values[index];
  if (wantedRate_ > 0) record_->output_samplerate = wantedRate_;
  SelectCurrent();
  return false;
}

bool SPartOutputArg::OnSourceCommand(EventArgs* e) {
  auto* radio = dynamic_cast<SWindow*>(e->sender);
  if (!record_ || !radio) return false;
  record_->output_device = static_cast<int>(radio->GetUserData());
  SelectCurrent();
  return false;
}

bool SPartOutputArg::OnChannelCommand(EventArgs* e) {
  auto* radio = dynamic_cast<SWindow*>(e->sender);
  if (!record_ || !radio) return false;
  record_->output_channel = static_cast<int>(radio->GetUserData());
  SelectCurrent();
  return false;
}
