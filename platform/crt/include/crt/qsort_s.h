// The Windows runtime's qsort_s: the comparison gets the caller's context
// as its FIRST argument (glibc's qsort_r passes it last).
#pragma once

#include <cstddef>

void qsort_s(void* base, size_t count, size_t width, int (*compare)(void* context, const void* a, const void* b),
             void* context);
