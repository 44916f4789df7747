// Log lines of the audio engine, on standard error beside the capture
// host's.
#pragma once

void AudioLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
