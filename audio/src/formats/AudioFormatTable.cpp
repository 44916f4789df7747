#include "audio/AudioFormatTable.h"

#include <cwchar>
#include <initializer_list>
#include <string>
#include <utility>

#include "base/FileNaming.h"

namespace {

CAudioFormat Row(int id, const wchar_t* ext, const wchar_t* label, int readable, int writable,
                 const std::vector<std::pair<std::wstring, double>>& choices = {}) {
    CAudioFormat f;
    f.id = id;
    f.extension = ext;
    f.label = label;
    f.readable = readable;
    f.writable = writable;
    for (const auto& [text, value] : choices) f.options.push_back({id, text.c_str(), value});
    f.option_count = static_cast<int>(f.options.size());
    return f;
}

std::vector<std::pair<std::wstring, double>> Kbps(std::initializer_list<int> rates) {
    std::vector<std::pair<std::wstring, double>> out;
    for (int r : rates) out.emplace_back(std::to_wstring(r) + L"kbps", r);
    return out;
}

std::vector<CAudioFormat> BuildTable() {
    const auto mp3 = Kbps({8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 192, 224,
                           256, 320});
    const auto m4a = Kbps({8, 16, 24, 32, 40, 48, 56, 64, 128, 192, 256, 320});
    const auto ac3 = Kbps({32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384,
                           448, 512});
    const auto wma = Kbps({24, 32, 40, 48, 64, 80, 96, 128, 160, 192, 256, 320});
    const std::vector<std::pair<std::wstring, double>> ogg = {
        {L"1", 2}, {L"2", 4}, {L"3", 6}, {L"4", 8}, {L"5", 10}};
    const std::vector<std::pair<std::wstring, double>> flac = {
        {L"1", 2}, {L"2", 4}, {L"3", 6}, {L"4", 8}, {L"5", 12}};
    const std::vector<std::pair<std::wstring, double>> amr = {
        {L"4.75kbps", 4.75}, {L"5.15kbps", 5.15}, {L"5.90kbps", 5.9},  {L"6.70kbps", 6.7},
        {L"7.40kbps", 7.4},  {L"7.95kbps", 7.95}, {L"10.20kbps", 10.2}, {L"12.20kbps", 12.2}};

    std::vector<CAudioFormat> t;
    t.push_back(Row(0, L"mp3", L"MP3", 1, 1, mp3));
    t.push_back(Row(1, L"wav", L"WAV", 1, 1, {{L"无可设置选项", 0}}));
    t.push_back(Row(2, L"ogg", L"OGG", 1, 1, ogg));
    t.push_back(Row(3, L"flac", L"FLAC", 1, 1, flac));
    t.push_back(Row(4, L"mp2", L"MP2", 1, 1, mp3));
    t.push_back(Row(5, L"m4a", L"M4A", 1, 1, m4a));
    t.push_back(Row(6, L"m4r", L"M4R", 1, 1, m4a));
    t.push_back(Row(7, L"ac3", L"AC3", 1, 1, ac3));
    t.push_back(Row(8, L"amr", L"AMR", 1, 1, amr));
    t.push_back(Row(9, L"wma", L"WMA", 1, 1, wma));

    struct ReadOnly {
        int id;
        const wchar_t* ext;
        const wchar_t* label;  // null: the extension in upper case
    };
    const ReadOnly readOnly[] = {
        {10, L"mka", nullptr},     {11, L"aiff", nullptr},    {19, L"aifc", nullptr},
        {12, L"caf", nullptr},     {13, L"aac", nullptr},     {14, L"ape", nullptr},
        {15, L"mmf", nullptr},     {16, L"wv", nullptr},      {17, L"au", nullptr},
        {18, L"voc", nullptr},     {21, L"3gpp", nullptr},    {31, L"ncm", nullptr},
        {30, L"kwm", nullptr},     {32, L"mflac", nullptr},   {33, L"mgg", nullptr},
        {34, L"qmc0", nullptr},    {35, L"qmc2", nullptr},    {36, L"qmc3", nullptr},
        {37, L"qmcflac", nullptr}, {38, L"qmcogg", nullptr},  {39, L"bkcmp3", nullptr},
        {40, L"bkcflac", nullptr}, {41, L"tkm", nullptr},     {42, L"xmflac", L"FLAC"},
        {45, L"xmm4a", L"M4A"},    {44, L"xmmp3", L"MP3"},    {43, L"xmwav", L"WAV"},
        {46, L"xmape", L"APE"},    {47, L"kgma", nullptr},    {48, L"kgm", nullptr},
    };
    for (const ReadOnly& r : readOnly) {
        std::wstring label = r.label ? r.label : r.ext;
        if (!r.label)
            for (wchar_t& c : label) c = static_cast<wchar_t>(std::towupper(c));
        t.push_back(Row(r.id, r.ext, label.c_str(), 1, 0));
    }
    t.push_back(Row(50, L"xm", L"XM", 0, 0));
    return t;
}

}  // namespace

const std::vector<CAudioFormat>& GetAudioFormatTable() {
    // A function-local static: built exactly once even when several threads
    // ask first at the same time.
    static const std::vector<CAudioFormat> table = BuildTable();
    return table;
}

CAudioFormat GetFormatById(int id) {
    for (const CAudioFormat& f : GetAudioFormatTable())
        if (f.id == id) return f;
    return CAudioFormat{};
}

CAudioFormat FindFormatByExt(const SStringW& extension) {
    SStringW lower = extension;
    lower.MakeLower();
    const std::wstring wanted = lower.c_str();
    for (const CAudioFormat& f : GetAudioFormatTable())
        if (wanted == f.extension.c_str()) return f;
    return CAudioFormat{};
}

int GetFormatIdByPath(const SStringW& path) {
    return FindFormatByExt(GetPathExtension(path.c_str()).c_str()).id;
}

std::vector<CAudioFormat> GetOutputFormats() {
    std::vector<CAudioFormat> out;
    for (const CAudioFormat& f : GetAudioFormatTable())
        if (f.writable) out.push_back(f);
    return out;
}

std::vector<CAudioFormat> GetInputFormats() {
    std::vector<CAudioFormat> out;
    for (const CAudioFormat& f : GetAudioFormatTable())
        if (f.readable) out.push_back(f);
    return out;
}

const char* GetEncoderName(int id) {
    static const char* const names[] = {"libmp3lame", "pcm_s16le", "libvorbis", "flac", "mp2",
                                        "aac",        "aac",       "ac3",       "libopencore_amrnb",
                                        "wmav2"};
    return id >= 0 && id < 10 ? names[id] : nullptr;
}

std::vector<double> GetOptionValues(const CAudioFormat& format) {
    std::vector<double> out;
    for (const CFormatOption& o : format.options) out.push_back(o.value);
    return out;
}

CFormatMap::CFormatMap() {
    for (const CAudioFormat& f : GetInputFormats()) rows_[f.extension.c_str()] = f;
}

const CAudioFormat* CFormatMap::Find(const SStringW& extension) const {
    auto it = rows_.find(extension.c_str());
    return it == rows_.end() ? nullptr : &it->second;
}
