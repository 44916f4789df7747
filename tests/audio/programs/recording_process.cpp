// A recording process for the tests that kill one: records the system
// sound in the format given, prints the file's path on a line of its own
// once the file is open, and records until it is killed.
//   recording_process <format id> <folder>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio/OutputRecorder.h"
#include "base/CodePage.h"
#include "logic/OutputCall.h"

namespace {

class PrintOpened : public IOutputCall {
public:
    int OnOutput(COutputCallInfo* info) override {
        if (info->type == COutputCallInfo::kFileOpened) {
            std::printf("%s %d\n", WideToUtf8(info->path).c_str(), info->code);
            std::fflush(stdout);
        } else if (info->type == COutputCallInfo::kRecordingEnded) {
            std::printf("ended %d\n", info->code);
            std::fflush(stdout);
            std::_Exit(1);
        }
        return 0;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <format id> <folder>\n", argv[0]);
        return 2;
    }
    PrintOpened listener;
    COutputRecorder recorder;
    recorder.settings.output_device = 1;
    recorder.settings.output_format = std::atoi(argv[1]);
    switch (recorder.settings.output_format) {
        case 2: recorder.settings.output_quality = 6; break;  // ogg level
        case 3: recorder.settings.output_quality = 8; break;  // flac level
        case 8: recorder.settings.output_quality = 12.2; break;
        default: recorder.settings.output_quality = 128; break;
    }
    recorder.settings.output_dir = Utf8ToWide(argv[2]);
    recorder.settings.output_call = &listener;
    recorder.Start();
    for (;;) pause();
}
