// With no PulseAudio server the capture side reports the failure and
// records nothing, instead of a silent "device" that looks fine.
#include "audio/AudioRecoder.h"
#include "audio/CaptureDeviceMatch.h"
#include "audio/DeviceNotifier.h"
#include "audio/ServerAudioDev.h"
#include "collecting_sink_helper.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

namespace {

// Before anything connects: this whole program sees no server.
const int kNoServer = setenv("PULSE_SERVER", "unix:/nonexistent/quorvale-test/native", 1);

TEST(CaptureWithoutServer, StartReportsTheFailureAndDeliversNothing) {
    ASSERT_EQ(kNoServer, 0);
    audio_test::CollectingSink sink;
    CAudioRecoder rec;
    rec.Device().SetName(kDeviceInDefault);
    rec.Device().SetLoopback(0);
    rec.SetOutput(&sink, 0);
    testing::internal::CaptureStderr();
    int result = rec.Start();
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, capture_host::HostUnavailable);
    EXPECT_NE(log.find("no PulseAudio server"), std::string::npos) << log;
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(sink.Count(), 0u);
    EXPECT_FALSE(rec.Device().IsOpened());
    rec.Stop();
}

TEST(CaptureWithoutServer, NoDevicesAndNoNotifications) {
    testing::internal::CaptureStderr();
    EXPECT_TRUE(GetServerAudioDev()->GetDevices().empty());
    EXPECT_TRUE(GetServerAudioDev()->IsDeviceAvailable(kDeviceOutDefault, L""));
    EXPECT_FALSE(GetServerAudioDev()->IsDeviceAvailable(L"microphone", L"microphone"));
    EXPECT_EQ(GetDeviceNotifier()->enumerator, nullptr);
    testing::internal::GetCapturedStderr();
}

}  // namespace
