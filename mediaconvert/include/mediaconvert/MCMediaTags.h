#pragma once
// Tag texts of a media file keyed by upper-case names, with the container
// names that decide under which key the year is kept.

#include <map>
#include <string>

#include "mediaconvert/MCFFmpeg.h"

class MCMediaTags {
 public:
  MCMediaTags() = default;
  explicit MCMediaTags(const AVDictionary* dict);
  // formats: comma-separated container names, UTF-8.
  MCMediaTags(const AVDictionary* dict, const char* formats);

  void Assign(const MCMediaTags& other);

  std::wstring GetArtist(std::wstring def) const { return Get(L"ARTIST", std::move(def)); }
  std::wstring GetAlbum(std::wstring def) const { return Get(L"ALBUM", std::move(def)); }
  std::wstring GetTitle(std::wstring def) const { return Get(L"TITLE", std::move(def)); }
  std::wstring GetGenre(std::wstring def) const { return Get(L"GENRE", std::move(def)); }
  std::wstring GetDate(std::wstring def) const;
  void SetArtist(std::wstring text) { tags_[L"ARTIST"] = std::move(text); }
  void SetAlbum(std::wstring text) { tags_[L"ALBUM"] = std::move(text); }
  void SetTitle(std::wstring text) { tags_[L"TITLE"] = std::move(text); }
  void SetGenre(std::wstring text) { tags_[L"GENRE"] = std::move(text); }
  void SetDate(std::wstring text);

  // The key the year is kept under for the formats present now.
  std::wstring YearKey() const;

  // Adds names; the set is never cleared. Null changes nothing.
  void SetFormats(const char* formats);
  bool HasFormat(const std::wstring& name) const { return formats_.count(name) != 0; }

  // overwrite false keeps a present non-empty text.
  void ReadTags(const AVDictionary* dict, bool overwrite);
  // A new dictionary owned by the caller, or null when no tag has a text.
  // Texts are UTF-8 when utf8, otherwise in the OEM code page.
  AVDictionary* WriteTags(bool utf8) const;

  const std::map<std::wstring, std::wstring>& Tags() const { return tags_; }
  const std::map<std::wstring, std::wstring>& Formats() const { return formats_; }
  void SetTag(const std::wstring& key, std::wstring text) { tags_[key] = std::move(text); }

 private:
  std::wstring Get(const std::wstring& key, std::wstring def) const;

  std::map<std::wstring, std::wstring> tags_;
  std::map<std::wstring, std::wstring> formats_;
};

// Whether tag texts for the file at path are written as UTF-8: true for
// every format. Texts read back are taken as UTF-8 when their bytes are
// valid UTF-8, else from the OEM code page.
bool MCSupportsTags(const std::wstring& path);
// False for no extension and for ac3, mp2 and amr.
bool MCHasTagContainer(const std::wstring& path);
