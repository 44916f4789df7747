#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "audio/AudioFormatTable.h"

namespace {

TEST(FormatTable, PathsGiveTheirFormatIds) {
    struct Case {
        const wchar_t* path;
        int id;
    };
    const Case cases[] = {
        {L"/music/A.MP3", 0},     {L"/music/ring.m4r", 6}, {L"/music/song.xm", 50},
        {L"/music/x.wave", 52},   {L"/music/noext", 52},   {L"/m/clip.AmR", 8},
        {L"/m/old.xmflac", 42},   {L"/m/a.b/c.kgm", 48},
    };
    for (const Case& c : cases) EXPECT_EQ(GetFormatIdByPath(c.path), c.id) << c.path;
}

TEST(FormatTable, UnknownIdsGiveTheUnknownRecord) {
    for (int id : {52, 20, 49, 51, -1, 1000}) {
        const CAudioFormat f = GetFormatById(id);
        EXPECT_EQ(f.id, 52) << id;
        EXPECT_EQ(f.extension.GetLength(), 0);
        EXPECT_EQ(f.readable + f.writable + f.option_count, 0);
    }
}

TEST(FormatTable, OutputFormatsAreTheTenWritableInOrder) {
    const std::vector<CAudioFormat> out = GetOutputFormats();
    ASSERT_EQ(out.size(), 10u);
    const wchar_t* ext[] = {L"mp3", L"wav", L"ogg", L"flac", L"mp2",
                            L"m4a", L"m4r", L"ac3", L"amr", L"wma"};
    const int counts[] = {18, 1, 5, 5, 18, 12, 12, 17, 8, 12};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(out[i].id, i);
        EXPECT_STREQ(out[i].extension.c_str(), ext[i]);
        EXPECT_EQ(out[i].option_count, counts[i]) << i;
        EXPECT_EQ(out[i].options.size(), size_t(counts[i]));
        for (const CFormatOption& o : out[i].options) EXPECT_EQ(o.format_id, i);
    }
    EXPECT_STREQ(out[1].options[0].label.c_str(), L"无可设置选项");
}

TEST(FormatTable, InputFormatsAreEveryRowButXm) {
    const std::vector<CAudioFormat> in = GetInputFormats();
    EXPECT_EQ(in.size(), 40u);
    std::set<int> ids;
    for (const CAudioFormat& f : in) ids.insert(f.id);
    EXPECT_EQ(ids.count(50), 0u);
    EXPECT_EQ(ids.size(), 40u);
    EXPECT_STREQ(GetFormatById(45).label.c_str(), L"M4A");
    EXPECT_STREQ(GetFormatById(21).label.c_str(), L"3GPP");
    EXPECT_EQ(GetFormatById(50).readable, 0);
    EXPECT_EQ(CFormatMap().size(), 40u);
    EXPECT_EQ(CFormatMap().Find(L"xm"), nullptr);
}

TEST(FormatTable, QualityValuesPerFormat) {
    EXPECT_EQ(GetOptionValues(GetFormatById(2)), (std::vector<double>{2, 4, 6, 8, 10}));
    EXPECT_EQ(GetOptionValues(GetFormatById(3)), (std::vector<double>{2, 4, 6, 8, 12}));
    const std::vector<double> amr = GetOptionValues(GetFormatById(8));
    EXPECT_DOUBLE_EQ(amr.front(), 4.75);
    EXPECT_DOUBLE_EQ(amr.back(), 12.2);
    EXPECT_STREQ(GetFormatById(8).options[2].label.c_str(), L"5.90kbps");
    const CAudioFormat mp3 = GetFormatById(0);
    EXPECT_STREQ(mp3.options.back().label.c_str(), L"320kbps");
    EXPECT_DOUBLE_EQ(mp3.options.back().value, 320);
    EXPECT_EQ(GetOptionValues(GetFormatById(4)), GetOptionValues(mp3));
    EXPECT_EQ(GetOptionValues(GetFormatById(7)).back(), 512);
}

TEST(FormatTable, EncoderNames) {
    EXPECT_STREQ(GetEncoderName(0), "libmp3lame");
    EXPECT_STREQ(GetEncoderName(5), "aac");
    EXPECT_STREQ(GetEncoderName(6), "aac");
    EXPECT_STREQ(GetEncoderName(8), "libopencore_amrnb");
    EXPECT_STREQ(GetEncoderName(9), "wmav2");
    EXPECT_EQ(GetEncoderName(10), nullptr);
    EXPECT_EQ(GetEncoderName(-1), nullptr);
}

TEST(FormatTable, FirstUseFromManyThreadsSeesOneTable) {
    std::vector<const std::vector<CAudioFormat>*> seen(8);
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&seen, i] { seen[i] = &GetAudioFormatTable(); });
    for (auto& t : threads) t.join();
    for (auto* p : seen) EXPECT_EQ(p, seen[0]);
    EXPECT_EQ(seen[0]->size(), 41u);
}

}  // namespace
