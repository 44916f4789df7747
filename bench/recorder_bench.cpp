// Recording system sound plus microphone, mixed, for a fixed stretch of
// audio, in two jobs: mp3 at 128 kbit/s, 44100 Hz stereo, and 16-bit WAV
// (which shows the cost of capturing and mixing alone, as encoding costs
// next to nothing). For each: process CPU time per minute of audio,
// voluntary context switches per second of audio and peak memory of the
// recorder, beside the same job done by the ffmpeg command line (-f pulse
// inputs, amix, libmp3lame or pcm_s16le) in the same run.
//
//   recorder_bench [seconds]     (default 20; needs PULSE_SERVER)
//
// Each job runs in a child process of its own, so getrusage of that child
// gives its CPU time and peak resident size alone.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "audio/OutputRecorder.h"
#include "base/CodePage.h"
#include "bench_tones.h"

extern char** environ;

namespace {

const char* kMicName = "benchmic";

struct EndListener : IOutputCall {
    int code = 1;
    int OnOutput(COutputCallInfo* info) override {
        if (info->type == COutputCallInfo::kRecordingEnded) code = info->code;
        return 0;
    }
};

double OwnCpuSeconds() {
    struct rusage ru {};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_utime.tv_sec + ru.ru_utime.tv_usec / 1e6 + ru.ru_stime.tv_sec + ru.ru_stime.tv_usec / 1e6;
}

int RecordChild(double seconds, const std::string& path, int format) {
    // Where the child's processor time goes: loading the program and its
    // libraries, opening the devices, recording, stopping.
    const double loaded = OwnCpuSeconds();
    EndListener listener;
    COutputRecorder recorder;
    recorder.settings.output_device = 2;
    recorder.settings.output_mic_name = Utf8ToWide(kMicName);
    recorder.settings.output_mic_id = Utf8ToWide(kMicName);
    recorder.settings.output_format = format;
    recorder.settings.output_quality = 128;
    recorder.settings.output_samplerate = 44100;
    recorder.settings.output_channel = 2;
    recorder.settings.output_file = Utf8ToWide(path);
    recorder.settings.output_call = &listener;
    recorder.Start();
    const double started = OwnCpuSeconds();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double recorded = OwnCpuSeconds();
    recorder.Stop();
    const double stopped = OwnCpuSeconds();
    std::printf("  recorder's cpu s: start-up %.3f, opening %.3f, recording %.3f, stop %.3f\n", loaded,
                started - loaded, recorded - started, stopped - recorded);
    std::fflush(stdout);
    return listener.code == 0 ? 0 : 1;
}

struct Usage {
    bool ok = false;
    double cpuSeconds = 0;
    double peakMiB = 0;
    long voluntarySwitches = 0;
};

Usage RunChild(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    Usage usage;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        return usage;
    }
    int status = 0;
    struct rusage ru {};
    if (wait4(pid, &status, 0, &ru) != pid) return usage;
    usage.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    usage.cpuSeconds = ru.ru_utime.tv_sec + ru.ru_utime.tv_usec / 1e6 + ru.ru_stime.tv_sec +
                       ru.ru_stime.tv_usec / 1e6;
    usage.peakMiB = ru.ru_maxrss / 1024.0;  // kilobytes on Linux
    usage.voluntarySwitches = ru.ru_nvcsw;
    return usage;
}

long FileSize(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<long>(info.st_size) : -1;
}

struct Job {
    const char* name;       // "mp3" or "wav"
    int format;             // the recorder's output format
    const char* ffmpegCodec;
};

void PrintRow(const char* who, const Usage& u, double seconds, const std::string& path) {
    std::printf("%-10s %8.3f %16.3f %12.1f %14.1f %10ld%s\n", who, u.cpuSeconds, u.cpuSeconds / (seconds / 60.0),
                u.peakMiB, u.voluntarySwitches / seconds, FileSize(path) / 1024, u.ok ? "" : "  (failed)");
}

// One job, the recorder then ffmpeg; false when either failed.
bool RunJob(const Job& job, const std::string& exe, const std::string& folder, double seconds) {
    const std::string ours = folder + "/recorder." + job.name;
    const std::string theirs = folder + "/ffmpeg." + job.name;
    const std::string length = std::to_string(seconds);
    const Usage recorder = RunChild({exe, "--record-child", length, ours, std::to_string(job.format)});
    std::vector<std::string> ffmpegArgs = {"ffmpeg", "-nostdin", "-loglevel", "error", "-y",
                                           "-f", "pulse", "-i", "speakers.monitor",
                                           "-f", "pulse", "-i", kMicName,
                                           "-filter_complex", "[0:a][1:a]amix=inputs=2",
                                           "-c:a", job.ffmpegCodec};
    if (std::strcmp(job.name, "mp3") == 0) {
        ffmpegArgs.push_back("-b:a");
        ffmpegArgs.push_back("128k");
    }
    for (const char* a : {"-ar", "44100", "-ac", "2", "-t"}) ffmpegArgs.push_back(a);
    ffmpegArgs.push_back(length);
    ffmpegArgs.push_back(theirs);
    const Usage ffmpeg = RunChild(ffmpegArgs);

    std::printf("\n%s: %.1f s of system sound + microphone, mixed, 44100 Hz stereo%s\n", job.name, seconds,
                std::strcmp(job.name, "mp3") == 0 ? ", 128 kbit/s" : ", 16-bit");
    std::printf("%-10s %8s %16s %12s %14s %10s\n", "job", "cpu s", "cpu s/min audio", "peak MiB",
                "vol. cs/s audio", "file KiB");
    PrintRow("recorder", recorder, seconds, ours);
    PrintRow("ffmpeg", ffmpeg, seconds, theirs);
    if (ffmpeg.cpuSeconds > 0 && ffmpeg.peakMiB > 0 && ffmpeg.voluntarySwitches > 0)
        std::printf("ratio recorder/ffmpeg (%s): cpu %.2f, peak memory %.2f, context switches %.2f\n", job.name,
                    recorder.cpuSeconds / ffmpeg.cpuSeconds, recorder.peakMiB / ffmpeg.peakMiB,
                    double(recorder.voluntarySwitches) / ffmpeg.voluntarySwitches);
    std::remove(ours.c_str());
    std::remove(theirs.c_str());
    return recorder.ok && ffmpeg.ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--record-child") == 0)
        return RecordChild(std::atof(argv[2]), argv[3], std::atoi(argv[4]));

    const double seconds = argc > 1 ? std::atof(argv[1]) : 20.0;
    if (seconds <= 0 || !std::getenv("PULSE_SERVER")) {
        std::fprintf(stderr, "usage: PULSE_SERVER=... %s [seconds]\n", argv[0]);
        return 2;
    }
    char folder[] = "/tmp/recorder-bench-XXXXXX";
    if (!mkdtemp(folder)) return 2;

    // The microphone: a remapped monitor of a sink of its own, fed a tone.
    const int feed = LoadModule(
        "module-null-sink sink_name=benchmicfeed sink_properties=device.description=benchmicfeed");
    const int mic = LoadModule(std::string("module-remap-source master=benchmicfeed.monitor "
                                           "source_name=") + kMicName +
                               " source_properties=device.description=" + kMicName);
    int rc = 0;
    {
        BenchTone system("speakers", 1000, 0.4);
        BenchTone voice("benchmicfeed", 300, 0.4);
        if (feed < 0 || mic < 0 || !system.Started() || !voice.Started()) {
            std::fprintf(stderr, "cannot set up the sources on the PulseAudio daemon\n");
            rc = 2;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            const std::string self = "/proc/self/exe";
            char exe[4096] = {0};
            if (readlink(self.c_str(), exe, sizeof exe - 1) <= 0) return 2;
            std::printf("%u cores\n", std::thread::hardware_concurrency());
            for (const Job& job : {Job{"mp3", 0, "libmp3lame"}, Job{"wav", 1, "pcm_s16le"}})
                if (!RunJob(job, exe, folder, seconds)) rc = 1;
        }
    }
    UnloadModule(mic);
    UnloadModule(feed);
    rmdir(folder);
    return rc;
}
