// The program's processor load, as a share of one core: the quorvale
// process idle with its main window up, then recording both sources with
// both waveforms live (started and stopped with its Ctrl+F2 hot key), and
// beside it the same recording made by the recorder alone, without any
// window, in a child process of this run. For scale, a bare loop that only
// wakes from `ppoll` 64 times a second (the rate of the program's most
// frequent timer) is measured in the same run: what a wake-up costs differs
// a lot between machines, and between hours on a virtual one.
//
//   main_window_bench [seconds]   (default 30; needs DISPLAY and PULSE_SERVER)
//
// The program runs with a fresh home folder, so it starts from its default
// settings: both sources, mp3 at 320 kbit/s, 44100 Hz stereo.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <signal.h>
#include <spawn.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "audio/OutputRecorder.h"
#include "base/CodePage.h"
#include "../bench_tones.h"

extern char** environ;

namespace {

// Processor seconds (user and system) of a process so far.
double ProcessCpuSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(in, line);
  const size_t close = line.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(line.substr(close + 2));
  std::string skip;
  // Fields 3..13, then utime (14) and stime (15).
  for (int i = 3; i <= 13; ++i) fields >> skip;
  double utime = 0, stime = 0;
  fields >> utime >> stime;
  return (utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double OwnCpuSeconds() {
  struct rusage ru {};
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_utime.tv_sec + ru.ru_utime.tv_usec / 1e6 + ru.ru_stime.tv_sec + ru.ru_stime.tv_usec / 1e6;
}

void Sleep(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

// The share of one core a process used over `seconds` of wall time.
double Share(pid_t pid, double seconds) {
  const double before = ProcessCpuSeconds(pid);
  const auto start = std::chrono::steady_clock::now();
  Sleep(seconds);
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return (ProcessCpuSeconds(pid) - before) / wall * 100.0;
}

void CtrlF2() {
  Display* d = XOpenDisplay(nullptr);
  if (!d) return;
  XTestFakeKeyEvent(d, XKeysymToKeycode(d, XK_Control_L), True, 0);
  XTestFakeKeyEvent(d, XKeysymToKeycode(d, XK_F2), True, 0);
  XTestFakeKeyEvent(d, XKeysymToKeycode(d, XK_F2), False, 0);
  XTestFakeKeyEvent(d, XKeysymToKeycode(d, XK_Control_L), False, 0);
  XFlush(d);
  XCloseDisplay(d);
}

struct EndListener : IOutputCall {
  int OnOutput(COutputCallInfo*) override { return 0; }
};

// The recording alone: both default devices, mp3 320 kbit/s, 44100 Hz
// stereo, into the given folder; prints the share of one core it took.
// Runs as a program of its own (this one, started again): PulseAudio's
// client refuses to work in a forked copy of a process that used it.
int RecorderAlone(double seconds, const std::string& folder) {
  EndListener listener;
  COutputRecorder recorder;
  recorder.settings.output_device = 2;
  recorder.settings.output_dir = Utf8ToWide(folder);
  recorder.settings.output_call = &listener;
  recorder.Start();
  Sleep(1.0);  // the devices open
  const double before = OwnCpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  Sleep(seconds);
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%f\n", (OwnCpuSeconds() - before) / wall * 100.0);
  recorder.Stop();
  return 0;
}

// Wakes 64 times a second from a wait on an event descriptor that never
// fires, doing nothing else; prints the share of one core it took.
int BareWakes(double seconds) {
  const int fd = eventfd(0, EFD_CLOEXEC);
  if (fd < 0) return 2;
  pollfd p{fd, POLLIN, 0};
  const timespec tick{0, 15625000};
  const double before = OwnCpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  const auto end = start + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) ppoll(&p, 1, &tick, nullptr);
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%f\n", (OwnCpuSeconds() - before) / wall * 100.0);
  close(fd);
  return 0;
}

// Runs this program again with `arguments` and reads the share it prints.
double RunChild(const std::string& self, const std::string& arguments) {
  const std::string command = "'" + self + "' " + arguments;
  FILE* out = popen(command.c_str(), "r");
  if (!out) return -1;
  double share = -1;
  if (std::fscanf(out, "%lf", &share) != 1) share = -1;
  pclose(out);
  return share;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--alone") return RecorderAlone(std::atof(argv[2]), argv[3]);
  if (argc == 3 && std::string(argv[1]) == "--wakes") return BareWakes(std::atof(argv[2]));
  const double seconds = argc > 1 ? std::atof(argv[1]) : 30.0;
  if (!getenv("DISPLAY") || !getenv("PULSE_SERVER")) {
    std::fprintf(stderr, "main_window_bench needs DISPLAY and PULSE_SERVER (scripts/test-servers.sh)\n");
    return 2;
  }
  char home[] = "/tmp/quorvale-bench-XXXXXX";
  if (!mkdtemp(home)) return 2;
  const std::string h = home;
  setenv("HOME", home, 1);
  setenv("XDG_DATA_HOME", (h + "/data").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (h + "/config").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", (h + "/run").c_str(), 1);
  std::system(("mkdir -p -m 700 " + h + "/data " + h + "/config " + h + "/run " + h + "/alone").c_str());

  BenchTone tone("speakers", 440, 0.3);
  char self[4096] = {};
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return 2;
  const std::string selfPath(self, static_cast<size_t>(n));
  std::string program = selfPath;
  program = program.substr(0, program.rfind('/')) + "/quorvale";
  char* args[] = {program.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, args, environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", program.c_str());
    return 2;
  }
  Sleep(4.0);  // start-up and the first paint
  const double idle = Share(pid, seconds);
  CtrlF2();
  Sleep(1.0);
  const double recording = Share(pid, seconds);
  CtrlF2();
  Sleep(1.0);
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  const double alone = RunChild(selfPath, "--alone " + std::to_string(seconds) + " '" + h + "/alone'");
  const double wakes = RunChild(selfPath, "--wakes " + std::to_string(seconds));
  std::system(("rm -rf " + h).c_str());

  std::printf("quorvale, %.0f s each, share of one core (%ld cores here)\n", seconds, sysconf(_SC_NPROCESSORS_ONLN));
  std::printf("  idle, main window up                     %6.2f %%   (goal < 0.5 %%)\n", idle);
  std::printf("  recording both sources, both waveforms   %6.2f %%   (goal < 5 %%)\n", recording);
  std::printf("  the same recording without any window    %6.2f %%\n", alone);
  std::printf("  a bare loop waking 64 times a second     %6.2f %%\n", wakes);
  return 0;
}
