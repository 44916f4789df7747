#pragma once
// What an encoder accepts, and the fix-ups that make audio and video
// parameters open with it. Our own rules for the encoders the recorder
// writes with come before FFmpeg's capability tables. Stateless.

#include <cstdint>
#include <string>
#include <vector>

#include "mediaconvert/MCFFmpeg.h"

std::vector<int> MCGetEncoderSampleRates(const AVCodec* encoder);
std::vector<int> MCGetEncoderSampleRates(const char* encoderName);
std::vector<int> MCGetEncoderChannels(const AVCodec* encoder);
std::vector<int> MCGetEncoderChannels(const char* encoderName);

// The first entry >= wanted, else the largest; an empty list keeps wanted.
int MCSnapToList(const std::vector<int>& list, int wanted);

void MCFixAudioParams(AVCodecID codecId, int64_t* bitRate, int* sampleRate, int* channels);

AVRational MCGetNearestFrameRate(const AVCodec* encoder, AVRational wanted);
// A rational may come as a rate or as a time base: turned to the
// orientation of the stream's r_frame_rate.
AVRational MCFixFrameRate(const AVStream* stream, AVRational rate);
AVRational MCFixCodecFrameRate(const AVStream* stream, const AVCodecContext* context);

std::vector<std::string> MCGetHwEncoders(AVCodecID codecId);
bool MCIsAmfAvailable();
bool MCIsHwDeviceAvailable(AVHWDeviceType type);
std::vector<std::string> MCGetHwDecoders(AVCodecID codecId);

bool MCIsTextSubtitle(AVCodecID codecId);
int MCBytesPerSample(AVSampleFormat format);

std::vector<std::wstring> MCSplitString(std::wstring text, std::wstring separator);
// True unless the bytes are well-formed UTF-8 holding some non-ASCII byte.
bool MCIsAnsiText(std::string text);
// byteOrder -1 reads little-endian, anything else big-endian.
uint32_t MCReadUInt32(const uint8_t* bytes, int byteOrder);
