// What the range controls' display tests share: a window tree in a real
// window at a known screen place, block skins to name in its layout, and
// the mouse held down or let go through XTest.
#pragma once

#include "OrielTestApp.h"
#include "SwndWindowHost.h"
#include "slider_test_skins.h"
#include "../platform-display/display_helper.h"

#include <X11/extensions/XTest.h>

class RangeControlDisplayTest : public OrielAppTest {
 protected:
  static constexpr int kX = 200, kY = 150;

  void Open(int width, int height, const wchar_t* xml) {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    host = new SwndWindowHost(kX, kY, width, height);
    host->CreateChildrenFromString(xml);
    ShowWindow(host->Hwnd(), SW_SHOWNA);
    ASSERT_TRUE(waitViewable(host->Hwnd()));
    pumpFor(50);
  }
  void SetUp() override {
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()), 0);
    skins = new BlockSkinPool;
  }
  void TearDown() override {
    if (host) {
      host->SendSwndMessage(2);
      host->Release();
    }
    delete skins;
    OrielAppTest::TearDown();
  }
  // Client coordinates of the host window.
  unsigned long At(int x, int y) { return screenPixel(kX + x, kY + y); }
  void MoveTo(int x, int y) {
    moveMouse(kX + x, kY + y);
    pumpFor(30);
  }
  void Press() {
    XTestFakeButtonEvent(userDisplay(), 1, True, CurrentTime);
    XSync(userDisplay(), False);
  }
  void Release() {
    XTestFakeButtonEvent(userDisplay(), 1, False, CurrentTime);
    XSync(userDisplay(), False);
  }

  BlockSkinPool* skins = nullptr;
  SwndWindowHost* host = nullptr;
};
