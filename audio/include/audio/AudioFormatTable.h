// The audio formats the system knows: id, extension, label, whether it can
// be read or written, and the quality choices of the ten writable formats.
// Ids 0-9 are writable (mp3 wav ogg flac mp2 m4a m4r ac3 amr wma), 10-48
// readable only, 50 (xm) neither; lookups that find nothing give id 52.
#pragma once

#include <map>
#include <vector>

#include "core/SString.h"

constexpr int kUnknownFormatId = 52;

struct CFormatOption {
    int format_id = 0;
    SStringW label;
    double value = 0;  // what the choice stores into output_quality
};

struct CAudioFormat {
    int id = kUnknownFormatId;
    SStringW extension;  // lower case, no dot
    SStringW label;      // upper case
    int readable = 0;
    int writable = 0;
    int option_count = 0;
    std::vector<CFormatOption> options;
};

// The table in its fixed order, built once (safely from any thread).
const std::vector<CAudioFormat>& GetAudioFormatTable();
CAudioFormat GetFormatById(int id);
// Lower-cases the extension, then compares exactly.
CAudioFormat FindFormatByExt(const SStringW& extension);
// The id of the text after the path's last dot; 52 when unknown.
int GetFormatIdByPath(const SStringW& path);
std::vector<CAudioFormat> GetOutputFormats();
std::vector<CAudioFormat> GetInputFormats();
// The FFmpeg encoder behind a writable id (for the sample-rate lists);
// null for every other id.
const char* GetEncoderName(int id);
std::vector<double> GetOptionValues(const CAudioFormat& format);

// Readable rows by extension.
class CFormatMap {
public:
    CFormatMap();
    const CAudioFormat* Find(const SStringW& extension) const;
    size_t size() const { return rows_.size(); }

private:
    std::map<std::wstring, CAudioFormat> rows_;
};
