#include "mediaconvert/MCMediaTags.h"

#include <cctype>

#include "base/CodePage.h"
#include "mediaconvert/MCCodecCaps.h"

namespace {

// The text after the last '.' of the whole path.
std::wstring ExtensionOfPath(const std::wstring& path) {
  const size_t dot = path.rfind(L'.');
  return dot == std::wstring::npos ? std::wstring() : path.substr(dot + 1);
}

}  // namespace

MCMediaTags::MCMediaTags(const AVDictionary* dict) {
  if (dict != nullptr) ReadTags(dict, true);
}

MCMediaTags::MCMediaTags(const AVDictionary* dict, const char* formats) {
  SetFormats(formats);
  if (dict != nullptr) ReadTags(dict, true);
}

void MCMediaTags::Assign(const MCMediaTags& other) {
  tags_ = other.tags_;
  formats_ = other.formats_;
}

std::wstring MCMediaTags::Get(const std::wstring& key, std::wstring def) const {
  const auto it = tags_.find(key);
  return it == tags_.end() ? def : it->second;
}

std::wstring MCMediaTags::YearKey() const {
  if (HasFormat(L"asf") || HasFormat(L"wma")) return L"WM/YEAR";
  if (HasFormat(L"mp3")) return L"TYER";
  return L"DATE";
}

std::wstring MCMediaTags::GetDate(std::wstring def) const {
  const std::wstring key = YearKey();
  const auto it = tags_.find(key);
  if (it != tags_.end()) return it->second;
  // FFmpeg reads an mp3's year frame back as "date": without the
  // container's own key the generic one is the year.
  return Get(L"DATE", std::move(def));
}

void MCMediaTags::SetDate(std::wstring text) {
  const std::wstring key = YearKey();
  // A generic year read from the file would be written beside the new one
  // and could win in the output: keep both spellings equal.
  if (key != L"DATE") {
    const auto generic = tags_.find(L"DATE");
    if (generic != tags_.end()) generic->second = text;
  }
  tags_[key] = std::move(text);
}

void MCMediaTags::SetFormats(const char* formats) {
  if (formats == nullptr) return;
  for (const std::wstring& name : MCSplitString(WStringFromUtf8(formats), L",")) {
    formats_.emplace(name, name);
  }
}

void MCMediaTags::ReadTags(const AVDictionary* dict, bool overwrite) {
  const AVDictionaryEntry* entry = nullptr;
  while ((entry = av_dict_get(dict, "", entry, AV_DICT_IGNORE_SUFFIX)) != nullptr) {
    std::string key = entry->key ? entry->key : "";
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::string value = entry->value ? entry->value : "";
    const std::wstring text = MCIsAnsiText(value) ? WStringFromOem(value) : WStringFromUtf8(value);
    const std::wstring wkey = WStringFromUtf8(key);
    auto it = tags_.find(wkey);
    if (overwrite || it == tags_.end() || it->second.empty()) tags_[wkey] = text;
  }
}

AVDictionary* MCMediaTags::WriteTags(bool utf8) const {
  AVDictionary* dict = nullptr;
  for (const auto& [key, text] : tags_) {
    if (text.empty()) continue;
    const std::string k = utf8 ? Utf8FromWString(key) : OemFromWString(key);
    const std::string v = utf8 ? Utf8FromWString(text) : OemFromWString(text);
    av_dict_set(&dict, k.c_str(), v.c_str(), 0);
  }
  return dict;
}

bool MCSupportsTags(const std::wstring&) {
  // Players here read every container's tags as UTF-8, wav's and aac's
  // too; in the OEM page characters outside it would be lost. Files written
  // in that page elsewhere are still read right (ReadTags falls back to it).
  return true;
}

bool MCHasTagContainer(const std::wstring& path) {
  const std::wstring ext = ExtensionOfPath(path);
  return !ext.empty() && ext != L"ac3" && ext != L"mp2" && ext != L"amr";
}
