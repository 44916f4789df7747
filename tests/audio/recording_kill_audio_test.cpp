// A recording process killed outright (SIGKILL: no stop, no trailer, no
// index written at the end) leaves a file that plays up to about the kill,
// in every format the recorder writes.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "decoded_file_helper.h"
#include "pulse_tools_helper.h"
#include "recorder_events_helper.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// One recording process and the first line it printed.
class RecordingProcess {
public:
    RecordingProcess(int format, const std::string& folder) {
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            const std::string id = std::to_string(format);
            execl(RECORDING_PROCESS, RECORDING_PROCESS, id.c_str(), folder.c_str(), (char*)nullptr);
            _exit(127);
        }
        close(out[1]);
        output_ = out[0];
    }
    ~RecordingProcess() {
        Kill();
        if (output_ >= 0) close(output_);
    }
    // The line "<path> <open result>" once the file is open; empty after
    // `limit` or when the process ended.
    std::string OpenedLine(std::chrono::milliseconds limit) {
        std::string line;
        const auto end = Clock::now() + limit;
        while (Clock::now() < end) {
            pollfd p{output_, POLLIN, 0};
            const int wait = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count());
            if (poll(&p, 1, std::max(wait, 0)) <= 0) break;
            char c;
            if (read(output_, &c, 1) != 1) break;
            if (c == '\n') return line;
            line += c;
        }
        return std::string();
    }
    void Kill() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    int output_ = -1;
};

TEST(RecordingKill, AKilledRecordingPlaysUpToAboutTheKillInEveryFormat) {
    struct Case {
        int format;
        const char* codec;
    };
    const Case cases[] = {{0, "mp3"}, {1, "pcm_s16le"}, {2, "vorbis"}, {3, "flac"}, {4, "mp2"},
                          {5, "aac"}, {6, "aac"},       {7, "ac3"},    {8, "amr_nb"}, {9, "wmav2"}};
    audio_test::TonePlayer tone("speakers", 1000, 0.5);
    ASSERT_TRUE(tone.Started());
    audio_test::ScratchFolder folder;

    // Every format at once: each process records the same tone.
    std::vector<std::unique_ptr<RecordingProcess>> processes;
    for (const Case& c : cases)
        processes.push_back(std::make_unique<RecordingProcess>(c.format, folder.path()));
    std::vector<std::string> paths;
    for (size_t i = 0; i < processes.size(); ++i) {
        std::istringstream line(processes[i]->OpenedLine(10s));
        std::string path;
        int result = -1;
        line >> path >> result;
        ASSERT_EQ(result, 0) << cases[i].codec << ": the file did not open";
        paths.push_back(path);
    }
    const auto opened = Clock::now();
    std::this_thread::sleep_for(4000ms);
    for (auto& p : processes) p->Kill();
    const double recorded = std::chrono::duration<double>(Clock::now() - opened).count();

    for (size_t i = 0; i < paths.size(); ++i) {
        SCOPED_TRACE(cases[i].codec);
        const audio_test::DecodedFile d = audio_test::DecodeFile(paths[i]);
        ASSERT_TRUE(d.ok) << d.error;
        EXPECT_EQ(d.codec, cases[i].codec);
        std::printf("[ figures ] %-10s %.2f s of %.2f s recorded\n", cases[i].codec, d.duration, recorded);
        // Up to about the kill: an encoder's or a muxer's last second (the
        // m4a fragment) may be lost, not more. A first capture stream may
        // start late, so the lower bound leaves it a further second.
        EXPECT_GE(d.duration, recorded - 3.0);
        EXPECT_LE(d.duration, recorded + 0.1);
        const std::vector<short> loud = audio_test::LoudPart(d.mono, d.rate);
        ASSERT_GT(loud.size(), size_t(d.rate / 2));
        EXPECT_NEAR(audio_test::DominantFrequency(loud, d.rate, 800, 1200), 1000, 6);
    }
}

}  // namespace
