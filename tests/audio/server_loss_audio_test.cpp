// The PulseAudio server going away under an open capture: reported, and
// nothing hangs or crashes. The test runs a daemon of its own so that it can
// stop it.
#include "capture-host/CaptureHost.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

using namespace capture_host;
using namespace std::chrono_literals;

namespace {

class OwnDaemon {
public:
    OwnDaemon() {
        char pattern[] = "/tmp/quorvale-loss-XXXXXX";
        dir_ = mkdtemp(pattern);
        std::filesystem::create_directories(dir_ + "/run");
        chmod((dir_ + "/run").c_str(), 0700);
        socket_ = dir_ + "/native";
        pid_ = fork();
        if (pid_ == 0) {
            setenv("HOME", dir_.c_str(), 1);
            setenv("XDG_RUNTIME_DIR", (dir_ + "/run").c_str(), 1);
            setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
            std::string native = "module-native-protocol-unix auth-anonymous=1 socket=" + socket_;
            execlp("pulseaudio", "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                   "--use-pid-file=no", "--log-target=stderr", "--log-level=0", "-L", native.c_str(), "-L",
                   "module-null-source source_name=lossy_mic description=lossy_mic", (char*)nullptr);
            _exit(127);
        }
        for (int i = 0; i < 100 && !std::filesystem::exists(socket_); ++i) std::this_thread::sleep_for(50ms);
        std::this_thread::sleep_for(200ms);
    }
    ~OwnDaemon() {
        Stop();
        std::filesystem::remove_all(dir_);
    }
    void Stop() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }
    std::string Server() const { return "unix:" + socket_; }
    bool Running() const { return pid_ > 0 && std::filesystem::exists(socket_); }

private:
    std::string dir_;
    std::string socket_;
    pid_t pid_ = -1;
};

int g_blocks = 0;
int CountBlock(const short*, unsigned long, void*) {
    __atomic_add_fetch(&g_blocks, 1, __ATOMIC_SEQ_CST);
    return Continue;
}

TEST(ServerLoss, OpenStreamEndsAndEveryCallReportsTheLoss) {
    OwnDaemon daemon;
    ASSERT_TRUE(daemon.Running()) << "could not start a PulseAudio daemon for the test";
    setenv("PULSE_SERVER", daemon.Server().c_str(), 1);

    ASSERT_EQ(Initialize(), NoError);
    DeviceList list;
    ASSERT_EQ(ListDevices(list), NoError);
    int mic = -1;
    for (size_t i = 0; i < list.devices.size(); ++i)
        if (list.devices[i].id == "lossy_mic") mic = int(i);
    ASSERT_GE(mic, 0);
    Stream* stream = nullptr;
    const DeviceInfo& d = list.devices[mic];
    ASSERT_EQ(OpenInputStream(&stream, d, d.maxInputChannels, d.defaultSampleRate, 0, CountBlock, nullptr),
              NoError);
    ASSERT_EQ(StartStream(stream), NoError);
    std::this_thread::sleep_for(200ms);

    testing::internal::CaptureStderr();
    daemon.Stop();
    std::this_thread::sleep_for(300ms);
    const int blocks = __atomic_load_n(&g_blocks, __ATOMIC_SEQ_CST);
    EXPECT_EQ(ListDevices(list), HostUnavailable);
    EXPECT_EQ(IsStreamActive(stream), 0);
    EXPECT_EQ(StopStream(stream), NoError);
    EXPECT_EQ(CloseStream(stream), NoError);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(__atomic_load_n(&g_blocks, __ATOMIC_SEQ_CST), blocks);
    EXPECT_EQ(Terminate(), NoError);
    EXPECT_EQ(Initialize(), HostUnavailable);
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("lost the PulseAudio server"), std::string::npos) << log;
}

}  // namespace
