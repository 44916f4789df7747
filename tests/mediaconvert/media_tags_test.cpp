#include <gtest/gtest.h>

#include "base/CodePage.h"
#include "mediaconvert/MCMediaTags.h"

namespace {

struct Dict {
  AVDictionary* d = nullptr;
  ~Dict() { av_dict_free(&d); }
  Dict& Set(const char* k, const char* v) {
    av_dict_set(&d, k, v, 0);
    return *this;
  }
  std::string Get(const char* k) const {
    const AVDictionaryEntry* e = av_dict_get(d, k, nullptr, AV_DICT_MATCH_CASE);
    return e ? e->value : "<absent>";
  }
};

TEST(MediaTags, ReadUpperCasesKeysAndDecodesTexts) {
  Dict in;
  in.Set("artist", "A").Set("Title", "B").Set("album", "caf\xC3\xA9").Set("genre", "x\xD6\xD0y");
  MCMediaTags tags(in.d);
  EXPECT_EQ(tags.GetArtist(L"def"), L"A");
  EXPECT_EQ(tags.GetTitle(L""), L"B");
  EXPECT_EQ(tags.GetAlbum(L""), L"caf\u00e9");
  // Not UTF-8: read through the OEM page (GBK D6D0 is 中).
  EXPECT_EQ(tags.GetGenre(L""), L"x\u4e2dy");
  EXPECT_EQ(tags.Tags().count(L"artist"), 0u);
}

TEST(MediaTags, YearKeyFollowsFormats) {
  const struct {
    const char* formats;
    const wchar_t* key;
  } cases[] = {{"mp3", L"TYER"}, {"asf", L"WM/YEAR"}, {"wma", L"WM/YEAR"},
               {"mov,mp4,m4a,3gp,3g2,mj2", L"DATE"}, {"ogg", L"DATE"}, {nullptr, L"DATE"}};
  for (const auto& c : cases) {
    MCMediaTags tags(nullptr, c.formats);
    tags.SetDate(L"2024");
    EXPECT_EQ(tags.YearKey(), c.key) << (c.formats ? c.formats : "none");
    EXPECT_EQ(tags.Tags().at(c.key), L"2024");
    EXPECT_EQ(tags.GetDate(L""), L"2024");
  }
  MCMediaTags both(nullptr, "asf");
  both.SetFormats("mp3");
  EXPECT_EQ(both.Formats().size(), 2u);
  EXPECT_EQ(both.YearKey(), L"WM/YEAR");
}

TEST(MediaTags, Mp3YearReadBackFromGenericKey) {
  // FFmpeg reports an mp3's year frame as "date".
  Dict in;
  in.Set("date", "1999");
  MCMediaTags tags(in.d, "mp3");
  EXPECT_EQ(tags.GetDate(L"none"), L"1999");
  tags.SetDate(L"2001");
  Dict out;
  out.d = tags.WriteTags(true);
  EXPECT_EQ(out.Get("TYER"), "2001");
  EXPECT_EQ(out.Get("DATE"), "2001");
}

TEST(MediaTags, MergeKeepsCallerTexts) {
  MCMediaTags tags;
  tags.SetTitle(L"mine");
  tags.SetArtist(L"");
  Dict in;
  in.Set("title", "theirs").Set("artist", "filled").Set("album", "new");
  tags.ReadTags(in.d, false);
  EXPECT_EQ(tags.GetTitle(L""), L"mine");
  EXPECT_EQ(tags.GetArtist(L""), L"filled");
  EXPECT_EQ(tags.GetAlbum(L""), L"new");
  tags.ReadTags(in.d, true);
  EXPECT_EQ(tags.GetTitle(L""), L"theirs");
}

TEST(MediaTags, GettersDistinguishAbsentFromEmpty) {
  MCMediaTags tags;
  EXPECT_EQ(tags.GetTitle(L"default"), L"default");
  tags.SetTitle(L"");
  EXPECT_EQ(tags.GetTitle(L"default"), L"");
  EXPECT_EQ(tags.WriteTags(true), nullptr);
  MCMediaTags empty;
  EXPECT_EQ(empty.WriteTags(false), nullptr);
}

TEST(MediaTags, WriteUtf8OrOem) {
  MCMediaTags tags;
  tags.SetTitle(L"\u4e2d\u6587");
  tags.SetArtist(L"");
  Dict utf8;
  utf8.d = tags.WriteTags(true);
  EXPECT_EQ(utf8.Get("TITLE"), "\xE4\xB8\xAD\xE6\x96\x87");
  EXPECT_EQ(utf8.Get("ARTIST"), "<absent>");
  Dict oem;
  oem.d = tags.WriteTags(false);
  EXPECT_EQ(oem.Get("TITLE"), "\xD6\xD0\xCE\xC4");

  MCMediaTags copy;
  copy.Assign(tags);
  EXPECT_EQ(copy.GetTitle(L""), L"\u4e2d\u6587");
}

TEST(MediaTags, ExtensionTests) {
  // Every format's tags are written as UTF-8.
  for (const wchar_t* p : {L"/a/b.wav", L"/a/b.aac", L"/a/b.WAV", L"/a/b.mp3", L"/a/b"}) EXPECT_TRUE(MCSupportsTags(p)) << p;
  for (const wchar_t* p : {L"x.ac3", L"x.mp2", L"x.amr", L"/a/x"}) EXPECT_FALSE(MCHasTagContainer(p)) << p;
  EXPECT_TRUE(MCHasTagContainer(L"x.flac"));
  // The last dot of the whole path counts, a folder's included.
  EXPECT_TRUE(MCHasTagContainer(L"/folder.v2/file"));
}

}  // namespace
