// A part of the screen compared with a small golden image in
// tests/data/golden/<name>.png: a pixel counts as different when a channel
// differs by more than 16 (antialiasing). QUORVALE_WRITE_GOLDEN=1 writes the
// image instead; a mismatch leaves what the screen showed in the build's
// golden-out/ folder.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "../platform-display/display_helper.h"

// At most `allowed` pixels may differ.
::testing::AssertionResult ScreenMatchesGolden(const RECT& rc, const std::string& name, long allowed);

// At most one pixel in 2000 may differ: a changed glyph, icon or colour
// moves far more.
::testing::AssertionResult ScreenMatchesGolden(int x, int y, int width, int height, const std::string& name);

// The width of the dark ink (any channel below 0x90) in a screen rectangle:
// from the leftmost to the rightmost dark column.
int InkWidth(const RECT& rc);
