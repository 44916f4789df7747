// Regions: shapes, combining, hit tests, boxes and offsets.
#include <gtest/gtest.h>

#include "gdi/gdi.h"

namespace {

struct CombineCase {
  int mode;
  int result;
  bool inA, inB, inBoth;
};

TEST(GdiRegion, CombineModes) {
  const CombineCase cases[] = {
      {RGN_AND, SIMPLEREGION, false, false, true},
      {RGN_OR, COMPLEXREGION, true, true, true},
      {RGN_DIFF, COMPLEXREGION, true, false, false},
      {RGN_XOR, COMPLEXREGION, true, true, false},
      {RGN_COPY, SIMPLEREGION, true, false, true},
  };
  for (const CombineCase& c : cases) {
    SCOPED_TRACE(c.mode);
    HRGN a = CreateRectRgn(0, 0, 10, 10), b = CreateRectRgn(5, 5, 15, 15), out = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(out, a, b, c.mode), c.result);
    EXPECT_EQ((bool)PtInRegion(out, 2, 2), c.inA);
    EXPECT_EQ((bool)PtInRegion(out, 12, 12), c.inB);
    EXPECT_EQ((bool)PtInRegion(out, 7, 7), c.inBoth);
    DeleteObject(a);
    DeleteObject(b);
    DeleteObject(out);
  }
  HRGN a = CreateRectRgn(0, 0, 1, 1);
  EXPECT_EQ(CombineRgn(a, a, nullptr, RGN_AND), ERROR);
  EXPECT_EQ(CombineRgn(nullptr, a, a, RGN_OR), ERROR);
  DeleteObject(a);
}

TEST(GdiRegion, ShapesBoxesAndOffsets) {
  HRGN e = CreateEllipticRgn(0, 0, 20, 10);
  EXPECT_TRUE(PtInRegion(e, 10, 5));
  EXPECT_FALSE(PtInRegion(e, 0, 0));
  EXPECT_FALSE(PtInRegion(e, 19, 9));
  RECT box{};
  EXPECT_EQ(GetRgnBox(e, &box), COMPLEXREGION);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.right, 20);
  EXPECT_EQ(box.bottom, 10);
  EXPECT_EQ(OffsetRgn(e, 100, 50), COMPLEXREGION);
  EXPECT_TRUE(PtInRegion(e, 110, 55));
  RECT inside{105, 52, 115, 58}, outside{0, 0, 5, 5};
  EXPECT_TRUE(RectInRegion(e, &inside));
  EXPECT_FALSE(RectInRegion(e, &outside));
  DeleteObject(e);
  // The skins' rounded rectangle: CreateRoundRectRgn(l, t, r + 1, b + 1, 2r, 2r)
  // for the rectangle (0, 0, 30, 20) with radius 5.
  HRGN rr = CreateRoundRectRgn(0, 0, 31, 21, 10, 10);
  GetRgnBox(rr, &box);
  EXPECT_EQ(box.right, 30);
  EXPECT_EQ(box.bottom, 20);
  EXPECT_FALSE(PtInRegion(rr, 0, 0));
  EXPECT_TRUE(PtInRegion(rr, 5, 0));
  EXPECT_TRUE(PtInRegion(rr, 0, 10));
  EXPECT_FALSE(PtInRegion(rr, 29, 19));
  HRGN same = CreateRoundRectRgn(0, 0, 31, 21, 10, 10);
  EXPECT_TRUE(EqualRgn(rr, same));
  SetRectRgn(same, 0, 0, 30, 20);
  EXPECT_FALSE(EqualRgn(rr, same));
  EXPECT_EQ(GetRgnBox(same, &box), SIMPLEREGION);
  DeleteObject(rr);
  DeleteObject(same);
  HRGN empty = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetRgnBox(empty, &box), NULLREGION);
  DeleteObject(empty);
}

}  // namespace
