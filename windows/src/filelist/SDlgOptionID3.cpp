#include "windows/SDlgOptionID3.h"

#include <memory>
#include <optional>

#include "audio/AudioFormatTable.h"
#include "controls/CDlgStack.h"
#include "controls/SDlgTip.h"
#include "logic/TaskId3.h"

using namespace ORIEL;

void ShowFileListTip(const std::wstring& text) {
  SDlgTip tip(L"提示", text.c_str(), L"", L"", L"确认", L"取消");
  tip.DoModal(CDlgStack::Instance().Top());
}

SDlgOptionID3::SDlgOptionID3(const std::wstring& filePath) : SDlgBase(L"LAYOUT:dlg_option_id3"), path_(filePath) {}

// The pool's destructor stops the rewrite and joins its worker before the
// tags and the window go.
SDlgOptionID3::~SDlgOptionID3() = default;

BOOL SDlgOptionID3::HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                        DWORD mapId) {
  if (mapId == 0) {
    if (msg == WM_INITDIALOG) {
      LoadTags();
    } else if (msg == WM_CLOSE) {
      StopWorker();
    } else if (msg == UM_ID3_RESULT) {
      const int code = static_cast<int>(static_cast<INT_PTR>(wParam));
      if (code == kId3ResultDone) {
        EndDialog(1);
      } else {
        ShowLoading(false);
        if (code != kId3ResultCancelled) ShowFileListTip(L"修改ID3信息失败。");
      }
      result = 0;
      return TRUE;
    }
  }
  return SDlgBase::HandleWindowMessage(hwnd, msg, wParam, lParam, result, mapId);
}

BOOL SDlgOptionID3::OnHostEvent(EventArgs* e) {
  if (!e || e->GetId() != EventCmd::EventID) return SDlgBase::OnHostEvent(e);
  if (e->nameFrom == L"btn_endLoading") {
    StopWorker();
    ShowLoading(false);
    return TRUE;
  }
  if (e->nameFrom == L"btn_close" || e->nameFrom == L"btn_no") {
    e->bubbleUp = 0;
    StopWorker();
    EndDialog(8);
    return TRUE;
  }
  if (e->nameFrom == L"btn_ok") {
    e->bubbleUp = 0;
    StartSave();
    return TRUE;
  }
  return SDlgBase::OnHostEvent(e);
}

void SDlgOptionID3::LoadTags() {
  if (!Id3FormatSupported(path_)) {
    ShowFileListTip(L"该文件格式不支持ID3信息");
    PostMessageW(GetHwnd(), WM_CLOSE, 0, 0);
    return;
  }
  loading_ = FindDescendantByName(L"wnd_loading");
  title_ = FindChildByName2<SEdit>(L"edit_title");
  artist_ = FindChildByName2<SEdit>(L"edit_artist");
  genre_ = FindChildByName2<SEdit>(L"edit_genre");
  album_ = FindChildByName2<SEdit>(L"edit_album");
  year_ = FindChildByName2<SEdit>(L"edit_year");
  // A file that cannot be probed shows every field absent; saving it then
  // fails in the task and says so.
  const CId3Fields fields = ReadId3Fields(path_);
  tags_.Assign(fields.tags);
  const struct {
    SEdit* edit;
    const std::optional<std::wstring>& value;
  } rows[] = {{title_, fields.title}, {artist_, fields.artist}, {genre_, fields.genre},
              {album_, fields.album}, {year_, fields.year}};
  for (const auto& r : rows) {
    if (!r.edit) continue;
    // The hint shows the stored text, or "无" for no tag; a stored "无" is
    // a real text and fills the edit.
    r.edit->ApplyAttribute(SStringW(L"cueText"), SStringW(r.value ? r.value->c_str() : L"无"), FALSE);
    r.edit->SetText(SStringW(r.value ? r.value->c_str() : L""));
  }
  ShowLoading(false);
}

void SDlgOptionID3::StartSave() {
  ShowLoading(true);
  auto text = [](SEdit* edit) { return edit ? std::wstring(edit->GetText().c_str()) : std::wstring(); };
  tags_.SetTitle(text(title_));
  tags_.SetArtist(text(artist_));
  tags_.SetGenre(text(genre_));
  tags_.SetAlbum(text(album_));
  tags_.SetDate(text(year_));
  const SStringW path(path_.c_str());
  auto task = std::make_shared<CTaskId3>(path, GetFormatIdByPath(path), tags_, GetHwnd());
  pool_.AddTask(path_, task);
}

void SDlgOptionID3::StopWorker() { pool_.StopAll(); }

void SDlgOptionID3::ShowLoading(bool show) {
  if (loading_) loading_->SetVisible(show ? TRUE : FALSE, TRUE);
}
