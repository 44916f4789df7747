#pragma once
// Small helpers of the file-by-file transcoder.

#include <string>

// FFmpeg's text for an error code; a fresh string per call, so callers on
// several threads never share a buffer.
std::string MCErrorText(int error);

// Shrinks or grows width × height to the largest size of the same aspect
// ratio inside boxWidth × boxHeight, each side rounded down to even (what
// 4:2:0 encoders need). Leaves the values alone and returns false when any
// side is not positive.
bool MCFitSize(int boxWidth, int boxHeight, int* width, int* height);
