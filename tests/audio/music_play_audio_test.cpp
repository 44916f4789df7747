// The file player heard on the test daemon's default sink "speakers"
// (PortAudio's ALSA host, through the ALSA pulse plug-in): what reaches the
// sink's monitor, the end notice on a plain window, stopping, and files
// that do not decode.
#include "audio/MusicPlay.h"
#include "decoded_file_helper.h"
#include "pulse_tools_helper.h"

#include <gtest/gtest.h>
#include <pulse/simple.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>

using namespace audio_test;
using namespace std::chrono_literals;

namespace {

constexpr int kRate = 44100;
constexpr int kBlock = kRate / 100;  // 10 ms

// Records channel 0 of the sink's monitor in 10 ms blocks until destroyed.
class MonitorRecorder {
public:
    MonitorRecorder() {
        pa_sample_spec spec{PA_SAMPLE_S16LE, kRate, 2};
        pa_buffer_attr attr{};
        attr.maxlength = static_cast<uint32_t>(-1);
        attr.fragsize = kBlock * 4;
        stream_ = pa_simple_new(nullptr, "music-play-test", PA_STREAM_RECORD, "speakers.monitor", "monitor", &spec,
                                nullptr, &attr, nullptr);
        if (stream_) thread_ = std::thread([this] { Run(); });
    }
    ~MonitorRecorder() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (stream_) pa_simple_free(stream_);
    }
    bool Recording() const { return stream_ != nullptr; }
    size_t Blocks() {
        std::lock_guard<std::mutex> lock(mutex_);
        return rms_.size();
    }
    // Blocks from `first` on whose level is that of the tone.
    int LoudBlocks(size_t first = 0) {
        std::lock_guard<std::mutex> lock(mutex_);
        int n = 0;
        for (size_t i = first; i < rms_.size(); ++i) n += rms_[i] > 2000;
        return n;
    }
    std::vector<short> Samples() {
        std::lock_guard<std::mutex> lock(mutex_);
        return mono_;
    }
    std::vector<short> RightSamples() {
        std::lock_guard<std::mutex> lock(mutex_);
        return right_;
    }

private:
    void Run() {
        std::vector<short> block(kBlock * 2);
        while (!stop_) {
            if (pa_simple_read(stream_, block.data(), block.size() * sizeof(short), nullptr) < 0) return;
            std::vector<short> left = Channel(block, 2, 0);
            std::vector<short> right = Channel(block, 2, 1);
            std::lock_guard<std::mutex> lock(mutex_);
            rms_.push_back(Rms(left));
            mono_.insert(mono_.end(), left.begin(), left.end());
            right_.insert(right_.end(), right.begin(), right.end());
        }
    }
    pa_simple* stream_ = nullptr;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<double> rms_;
    std::vector<short> mono_;
    std::vector<short> right_;
};

// A message-only window of this thread that counts end notices.
class NoticeWindow {
public:
    NoticeWindow() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = L"MusicPlayTestNotice";
        RegisterClassExW(&wc);
        hwnd = CreateWindowExW(0, L"MusicPlayTestNotice", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    }
    ~NoticeWindow() { DestroyWindow(hwnd); }
    int TakeNotices() {
        MSG msg;
        while (PeekMessageW(&msg, hwnd, kMusicPlayEndMessage, kMusicPlayEndMessage, PM_REMOVE)) {
            ++notices;
            params_zero = params_zero && msg.wParam == 0 && msg.lParam == 0;
        }
        return notices;
    }
    HWND hwnd;
    int notices = 0;
    bool params_zero = true;
};

std::string TempPath(const std::string& name) {
    return "/tmp/music_play_" + std::to_string(getpid()) + "_" + name;
}

// A sine of 440 Hz at half scale made by ffmpeg (its sine source is at an
// eighth of full scale).
std::string MakeTone(const std::string& name, double seconds, const std::string& options) {
    const std::string path = TempPath(name);
    const std::string command = "ffmpeg -v error -y -f lavfi -i \"sine=frequency=440:sample_rate=44100:duration=" +
                                std::to_string(seconds) + "\" -af volume=4 -ac 2 " + options + " \"" + path + "\"";
    if (std::system(command.c_str()) != 0) return "";
    return path;
}

SStringW Wide(const std::string& path) { return SStringW(std::wstring(path.begin(), path.end()).c_str()); }

struct FileCase {
    const char* name;
    const char* file;
    const char* options;
    int channels, rate;
};

class MusicPlayFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(MusicPlayFile, SinkCarriesTheToneForTheFilesLengthThenOneNotice) {
    const FileCase& c = GetParam();
    const std::string path = MakeTone(c.file, 1.0, c.options);
    ASSERT_FALSE(path.empty()) << "ffmpeg made no " << c.file;
    NoticeWindow window;
    MonitorRecorder monitor;
    ASSERT_TRUE(monitor.Recording());
    MusicPlay player;
    ASSERT_TRUE(player.Open(Wide(path)));
    EXPECT_EQ(player.Channels(), c.channels);
    EXPECT_EQ(player.Rate(), c.rate);
    player.SetNotifyWindow([hwnd = window.hwnd] { return hwnd; });
    const size_t start = monitor.Blocks();
    ASSERT_TRUE(player.Play());
    EXPECT_TRUE(Eventually([&] { return window.TakeNotices() > 0; }, 10s)) << "no end notice";
    std::this_thread::sleep_for(300ms);  // a second notice would come now
    const double seconds = monitor.LoudBlocks(start) / 100.0;
    player.Close();
    EXPECT_EQ(window.TakeNotices(), 1);
    EXPECT_TRUE(window.params_zero);
    EXPECT_NEAR(seconds, 1.0, 0.1) << "seconds of tone on the sink";
    std::vector<short> samples = monitor.Samples();
    std::vector<short> heard(samples.begin() + static_cast<long>(start * kBlock), samples.end());
    EXPECT_NEAR(DominantFrequency(LoudPart(heard, kRate), kRate, 300, 600), 440, 4);
    std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Formats, MusicPlayFile,
                         ::testing::Values(FileCase{"mp3", "tone.mp3", "-c:a libmp3lame -b:a 128k", 2, 44100},
                                           FileCase{"wav_mono_22050", "tone.wav", "-ac 1 -ar 22050", 1, 22050},
                                           FileCase{"flac", "tone.flac", "", 2, 44100}),
                         [](const ::testing::TestParamInfo<FileCase>& info) { return std::string(info.param.name); });

// A 5.1 file whose tone is on the centre channel alone: the stereo sink
// hears it on both sides alike, at the level of the standard down-mix.
TEST(MusicPlay, SurroundFileIsMixedDownForAStereoSink) {
    const std::string path = TempPath("centre.wav");
    const std::string command =
        "ffmpeg -v error -y -f lavfi -i \"sine=frequency=440:sample_rate=44100:duration=1\" -af "
        "\"volume=4,pan=5.1|FC=c0\" \"" + path + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0);
    NoticeWindow window;
    MonitorRecorder monitor;
    ASSERT_TRUE(monitor.Recording());
    MusicPlay player;
    ASSERT_TRUE(player.Open(Wide(path)));
    EXPECT_EQ(player.Channels(), 2);
    player.SetNotifyWindow([hwnd = window.hwnd] { return hwnd; });
    const size_t start = monitor.Blocks();
    ASSERT_TRUE(player.Play());
    EXPECT_TRUE(Eventually([&] { return window.TakeNotices() > 0; }, 10s)) << "no end notice";
    player.Close();
    const std::vector<short> left = monitor.Samples(), right = monitor.RightSamples();
    const size_t from = start * kBlock, to = std::min(left.size(), right.size());
    ASSERT_GT(to, from + kRate / 2);
    // The loud stretch of either side, measured on both.
    size_t first = to, last = from;
    for (size_t i = from; i < to; ++i) {
        if (std::abs(left[i]) > 3000 || std::abs(right[i]) > 3000) {
            first = std::min(first, i);
            last = i;
        }
    }
    ASSERT_GT(last, first + kRate / 2) << "no tone on the sink";
    const double l = Rms(std::vector<short>(left.begin() + first, left.begin() + last));
    const double r = Rms(std::vector<short>(right.begin() + first, right.begin() + last));
    // Half scale is 11585 RMS; the centre goes into each side at -3 dB
    // (8192), less the level the sound server's mixing takes off.
    EXPECT_GT(l, 1500);
    EXPECT_GT(r, 1500);
    EXPECT_NEAR(l / r, 1.0, 0.1) << "left " << l << ", right " << r;
    std::remove(path.c_str());
}

TEST(MusicPlay, StopSilencesTheSinkWithoutNoticeAndOpenPlayStartsAgain) {
    const std::string path = MakeTone("long.wav", 4.0, "");
    ASSERT_FALSE(path.empty());
    NoticeWindow window;
    MonitorRecorder monitor;
    ASSERT_TRUE(monitor.Recording());
    MusicPlay player;
    player.SetNotifyWindow([hwnd = window.hwnd] { return hwnd; });
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(player.Open(Wide(path))) << "round " << round;
        const size_t start = monitor.Blocks();
        ASSERT_TRUE(player.Play()) << "round " << round;
        ASSERT_TRUE(Eventually([&] { return monitor.LoudBlocks(start) >= 30; }, 10s)) << "round " << round;
        const size_t stopped = monitor.Blocks();
        player.Stop();
        std::this_thread::sleep_for(600ms);
        // About 100 ms of tone may still be in flight; the 2.5 s left in the
        // file must not be.
        EXPECT_LE(monitor.LoudBlocks(stopped), 20) << "round " << round;
        EXPECT_GE(monitor.Blocks() - stopped, 40u) << "the monitor stalled";
        EXPECT_EQ(window.TakeNotices(), 0) << "round " << round;
    }
    std::remove(path.c_str());
}

// Files that must fail in Open, with no stream started after.
struct BadFile {
    const char* name;
    std::function<std::string()> make;
};

std::string WriteBytes(const std::string& name, const std::string& bytes) {
    const std::string path = TempPath(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string RandomBytes(size_t n) {
    std::mt19937 random(22);
    std::string bytes(n, '\0');
    for (char& b : bytes) b = static_cast<char>(random() & 0xFF);
    return bytes;
}

const BadFile kBadFiles[] = {
    {"missing", [] { return TempPath("never_made.mp3"); }},
    {"random_bytes_as_mp3", [] { return WriteBytes("random.mp3", RandomBytes(64 * 1024)); }},
    {"cut_header", [] {
         const std::string whole = MakeTone("whole.flac", 1.0, "");
         std::ifstream in(whole, std::ios::binary);
         std::string head(20, '\0');
         in.read(head.data(), 20);
         std::remove(whole.c_str());
         return WriteBytes("cut.flac", head);
     }},
    {"text_as_wav", [] { return WriteBytes("text.wav", std::string(4000, 'a')); }},
    {"empty_path", [] { return std::string(); }},
};

class MusicPlayBadFile : public ::testing::TestWithParam<BadFile> {};

TEST_P(MusicPlayBadFile, OpenFailsAndPlayRefuses) {
    const std::string path = GetParam().make();
    MusicPlay player;
    EXPECT_FALSE(player.Open(Wide(path)));
    EXPECT_FALSE(player.Play()) << "Play without a decoder";
    EXPECT_EQ(player.State(), 3);
    if (!path.empty()) std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Files, MusicPlayBadFile, ::testing::ValuesIn(kBadFiles),
                         [](const ::testing::TestParamInfo<BadFile>& info) { return std::string(info.param.name); });

TEST(MusicPlay, NoNotifyWindowMeansNoNoticeAndNoCrash) {
    const std::string path = MakeTone("short.wav", 0.3, "");
    ASSERT_FALSE(path.empty());
    MusicPlay player;
    ASSERT_TRUE(player.Open(Wide(path)));
    ASSERT_TRUE(player.Play());
    EXPECT_TRUE(Eventually([&] { return player.State() == 3; }, 5s));
    std::this_thread::sleep_for(800ms);  // past the end of the stream
    player.Close();
    std::remove(path.c_str());
}

}  // namespace
