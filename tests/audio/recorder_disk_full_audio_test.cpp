// A recording into a volume that is nearly full ends by itself with code 2,
// and its file is whole.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <vector>

#include "audio/OutputFile.h"
#include "audio/OutputRecorder.h"
#include "base/CodePage.h"
#include "decoded_file_helper.h"
#include "pulse_tools_helper.h"
#include "recorder_events_helper.h"

namespace {

using namespace std::chrono_literals;

// A 16 MiB tmpfs, filled until a little over the recorder's limit is left.
class SmallVolume {
public:
    SmallVolume() {
        if (geteuid() != 0) {
            why_ = "needs root to mount a small tmpfs";
            return;
        }
        if (mount("tmpfs", folder_.path().c_str(), "tmpfs", 0, "size=16m") != 0) {
            why_ = std::string("cannot mount a tmpfs: ") + strerror(errno);
            return;
        }
        mounted_ = true;
    }
    ~SmallVolume() {
        if (mounted_) umount2(folder_.path().c_str(), MNT_DETACH);
    }
    // Leaves `bytes` above the limit free.
    bool LeaveFree(uint64_t bytes) {
        struct statvfs v {};
        if (statvfs(folder_.path().c_str(), &v) != 0) return false;
        const uint64_t available = uint64_t(v.f_bavail) * v.f_frsize;
        const uint64_t keep = kMinFreeDiskBytes + bytes;
        if (available <= keep) return false;
        std::ofstream filler(folder_.path() + "/filler", std::ios::binary);
        std::vector<char> block(available - keep, 'x');
        filler.write(block.data(), static_cast<std::streamsize>(block.size()));
        return static_cast<bool>(filler);
    }
    // Another program takes every byte that is left.
    bool FillUp() {
        std::ofstream filler(folder_.path() + "/other", std::ios::binary);
        const std::vector<char> block(64 * 1024, 'y');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size()))) {
        }
        struct statvfs v {};
        return statvfs(folder_.path().c_str(), &v) == 0 && uint64_t(v.f_bavail) * v.f_frsize < 64 * 1024;
    }
    bool Ready() const { return mounted_; }
    const std::string& why() const { return why_; }
    std::string path() const { return folder_.path() + "/recordings"; }

private:
    audio_test::ScratchFolder folder_;
    bool mounted_ = false;
    std::string why_;
};

TEST(RecorderDiskFull, EndsByItselfWithCodeTwoAndAPlayableFile) {
    SmallVolume volume;
    if (!volume.Ready()) GTEST_SKIP() << "disk-full recording not tested: " << volume.why();
    ASSERT_TRUE(volume.LeaveFree(300 * 1024));  // under two seconds of wav

    audio_test::TonePlayer tone("speakers", 1000, 0.4);
    audio_test::EventLog events;
    COutputRecorder recorder;
    recorder.settings.output_device = 1;
    recorder.settings.output_format = 1;
    recorder.settings.output_dir = Utf8ToWide(volume.path());
    recorder.settings.output_call = &events;
    recorder.Start();
    ASSERT_TRUE(events.WaitFor(2, 15s)) << "the recording did not end by itself";
    EXPECT_EQ(recorder.GetState(), 0u);
    recorder.Stop();

    const std::vector<COutputCallInfo> all = events.Events();
    ASSERT_EQ(events.Types(), (std::vector<int>{16, 8, 2}));
    EXPECT_EQ(all[1].code, 0);
    EXPECT_EQ(all[2].code, kOutputDiskFull);
    EXPECT_EQ(all[2].text, L"磁盘空间不足。");
    EXPECT_EQ(all[2].path, all[0].path);
    const auto d = audio_test::DecodeFile(WideToUtf8(all[2].path));
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_GT(d.duration, 1.0);
    EXPECT_NEAR(audio_test::DominantFrequency(audio_test::LoudPart(d.mono, d.rate), d.rate, 800, 1200),
                1000, 6);
}

// The disk fills up under an mp3 recording, at a moment when less than the
// writer's buffer has been encoded: what was encoded until then is in the
// file, and the file plays.
TEST(RecorderDiskFull, AnMp3KeepsWhatWasEncodedBeforeTheDiskFilled) {
    SmallVolume volume;
    if (!volume.Ready()) GTEST_SKIP() << "disk-full recording not tested: " << volume.why();

    audio_test::TonePlayer tone("speakers", 1000, 0.4);
    audio_test::EventLog events;
    COutputRecorder recorder;
    recorder.settings.output_device = 1;
    recorder.settings.output_format = 0;  // mp3, 128 kbit/s: 16 KB a second
    recorder.settings.output_dir = Utf8ToWide(volume.path());
    recorder.settings.output_call = &events;
    recorder.Start();
    ASSERT_TRUE(events.WaitFor(16, 5s));
    // Encoded frames reach the writer a frame at a time: wait until a
    // second of them has, at 0.2 s steps so a slow start is waited out.
    ASSERT_TRUE(audio_test::Eventually([&] { return recorder.GetElapsedMs() >= 1000; }, 10s));
    ASSERT_TRUE(volume.FillUp());
    ASSERT_TRUE(events.WaitFor(2, 15s)) << "the recording did not end by itself";
    recorder.Stop();

    const std::vector<COutputCallInfo> all = events.Events();
    ASSERT_EQ(events.Types(), (std::vector<int>{16, 8, 2}));
    EXPECT_EQ(all[2].code, kOutputDiskFull);
    EXPECT_EQ(all[2].text, L"磁盘空间不足。");
    const auto d = audio_test::DecodeFile(WideToUtf8(all[2].path));
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.codec, "mp3");
    EXPECT_GT(d.duration, 0.9);
    EXPECT_NEAR(audio_test::DominantFrequency(audio_test::LoudPart(d.mono, d.rate), d.rate, 800, 1200),
                1000, 6);
}

}  // namespace
