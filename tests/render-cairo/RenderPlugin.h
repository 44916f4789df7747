// Loads the render plug-in from the program folder, as start-up does, and
// compares rendered pictures with the golden images.
#pragma once

#include <cairo.h>
#include <gtest/gtest.h>

#include <string>

#include "gdi/gdi.h"
#include "render/IRender.h"

// The plug-in's render factory (one reference, released by the fixture).
class RenderPluginTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  IRenderTarget* NewTarget(int w, int h);  // released by the fixture
  IFont* TestFont(int pixels, bool bold = false);  // pinned face, released by the fixture
  IBitmap* NewBitmap(int w, int h, const uint32_t* pixels);
  static cairo_surface_t* SurfaceOf(IRenderTarget* rt);  // a copy; caller destroys
  static uint32_t Pixel(IRenderTarget* rt, int x, int y);

  IRenderFactory* factory = nullptr;

 private:
  void* module_ = nullptr;
  std::vector<IObjRef*> owned_;
};

// Passes when the picture matches tests/data/golden/<name>.png within `tol`
// per channel on all but `maxBadFraction` of the pixels. On a mismatch the
// rendered picture and the golden one are written side by side into the
// build folder's golden-out/ for a look. QUORVALE_WRITE_GOLDEN=1 (re)writes
// the golden image instead. `outName`, when given, names the pictures left
// in golden-out/ in place of `name`.
::testing::AssertionResult MatchesGolden(cairo_surface_t* picture, const std::string& name, int tol = 10,
                                         double maxBadFraction = 0.003, const std::string& outName = "");

// The folder of the running program, with a trailing '/'.
std::string ProgramFolder();
