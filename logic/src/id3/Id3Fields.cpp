#include <cwctype>
#include <memory>

#include "base/CodePage.h"
#include "logic/TaskId3.h"
#include "z_tolvane/FFmpegFile.h"

bool Id3FormatSupported(const std::wstring& path) {
  const size_t dot = path.rfind(L'.');
  const size_t slash = path.find_last_of(L"/\\");
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return false;
  std::wstring ext = path.substr(dot + 1);
  if (ext.empty()) return false;
  for (wchar_t& c : ext) c = static_cast<wchar_t>(std::towlower(c));
  return ext != L"ac3" && ext != L"mp2" && ext != L"amr";
}

CId3Fields ReadId3Fields(const std::wstring& path) {
  CId3Fields fields;
  FFmpegFile file;
  std::shared_ptr<MCMedia> media(file.Open(Utf8FromWString(path).c_str(), true, false));
  if (!media) return fields;
  fields.probed = true;
  fields.tags.Assign(media->tags);
  const auto& tags = media->tags.Tags();
  auto take = [&tags](const wchar_t* key) -> std::optional<std::wstring> {
    const auto it = tags.find(key);
    if (it == tags.end()) return std::nullopt;
    return it->second;
  };
  fields.title = take(L"TITLE");
  fields.artist = take(L"ARTIST");
  fields.genre = take(L"GENRE");
  fields.album = take(L"ALBUM");
  // The year's key depends on the container; a sentinel default tells an
  // absent year from any real text.
  static const std::wstring kAbsent(1, L'\0');
  const std::wstring year = media->tags.GetDate(kAbsent);
  if (year != kAbsent) fields.year = year;
  return fields;
}
