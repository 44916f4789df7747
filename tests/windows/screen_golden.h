// Pictures of the screen: a part of it compared with a small golden image
// in tests/data/golden/<name>.png (QUORVALE_WRITE_GOLDEN=1 writes the
// image instead; a mismatch leaves what the screen showed in the build's
// golden-out/ folder), and the windows it shows.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct ScreenWindow {
  unsigned long id = 0;
  int x = 0, y = 0, width = 0, height = 0;
};
// The top-level windows mapped on the screen now, bottom to top.
std::vector<ScreenWindow> ViewableWindows();
// The first of `now` that `before` lacks; a zero id when there is none.
ScreenWindow NewWindow(const std::vector<ScreenWindow>& before, const std::vector<ScreenWindow>& now);

::testing::AssertionResult ScreenMatchesGolden(int x, int y, int width, int height, const std::string& name);
