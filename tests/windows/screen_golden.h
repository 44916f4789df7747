// A part of the screen compared with a small golden image in
// tests/data/golden/<name>.png. QUORVALE_WRITE_GOLDEN=1 writes the image
// instead; a mismatch leaves what the screen showed in the build's
// golden-out/ folder.
#pragma once

#include <gtest/gtest.h>

#include <string>

::testing::AssertionResult ScreenMatchesGolden(int x, int y, int width, int height, const std::string& name);
