// The output settings of one recording: sources, devices, volumes, format,
// quality, rate and channels, the output folder or file, the split rule, the
// ID3 texts of new files and the receiver of the recorder's events. A plain
// record copied by value; the pointer and the handle are borrowed.
#pragma once

#include <map>
#include <string>

#include "base/SysInfo.h"
#include "logic/OutputCall.h"
#include "win32/windows.h"

class CArgOutput {
public:
    CArgOutput() : output_dir(DefaultOutputDir()) {}

    int output_device = 2;  // 0 microphone only, 1 system sound only, 2 both mixed
    int output_format = 0;  // an id of the audio format table
    std::wstring output_dir;
    std::wstring output_file;  // explicit file; empty means a time-stamped name
    std::wstring output_speaker_name = L"__device_out_default";
    std::wstring output_speaker_id;
    std::wstring output_mic_name = L"__device_in_default";
    std::wstring output_mic_id;
    bool output_open_split = false;
    int output_split_time = 60000;  // milliseconds
    int output_samplerate = 44100;
    int output_channel = 2;
    double output_speaker_volume = 1.0;
    double output_mic_volume = 1.0;
    double output_quality = 320.0;  // kbit/s, or the ogg/flac level
    std::map<std::wstring, std::wstring> output_extra;
    std::wstring output_id3_title;
    std::wstring output_id3_artist;
    std::wstring output_id3_date;
    std::wstring output_id3_album;
    std::wstring output_id3_genre;
    IOutputCall* output_call = nullptr;
    HANDLE output_done = nullptr;  // released once when the recording ends

    // The user's music folder (user-dirs.dirs' XDG_MUSIC_DIR, else ~/Music)
    // followed by the program's folder name.
    static std::wstring DefaultOutputDir() {
        std::wstring music;
        CSysSpecialFolder::GetPath(music, CSIDL_MYMUSIC);
        if (music.empty()) return L"/Velmora电脑录音软件";
        if (music.back() != L'/') music += L'/';
        return music + L"Velmora电脑录音软件";
    }
};
