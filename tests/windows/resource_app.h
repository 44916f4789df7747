// The framework's application over the real render plug-in, with the
// program's bundle (bin/res) attached as start-up attaches it.
#pragma once

#include <cairo.h>
#include <gtest/gtest.h>

#include <vector>

#include "core/SApplication.h"
#include "core/SObjectFactory.h"
#include "core/SRenderPlugins.h"
#include "core/SXml.h"
#include "render/IRender.h"
#include "res.mgr/IResProvider.h"
#include "win32/modules.h"

using namespace ORIEL;

class ResourceAppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    factory = plugins.CreateRenderFactory();
    ASSERT_NE(factory, nullptr) << XmlUtf8(plugins.LastError()).c_str();
    SObjectDefaultRegister reg;
    app = new SApplication(factory, GetModuleHandleW(nullptr), L"ResourceTestHost", &reg, FALSE);
    ASSERT_TRUE(MakeResProvider(kResProviderPE, &provider));
    ASSERT_TRUE(provider->Init(reinterpret_cast<WPARAM>(GetModuleHandleW(nullptr)), 0))
        << "the bundle bin/res is missing or its index does not parse";
    app->AttachProvider(provider);
  }
  void TearDown() override {
    for (IRenderTarget* rt : targets) rt->Release();
    targets.clear();
    if (provider) provider->Release();
    provider = nullptr;
    delete app;
    app = nullptr;
    if (factory) {
      EXPECT_EQ(factory->Release(), 0);
    }
    factory = nullptr;
  }

  // A target cleared to transparent black, released by the fixture.
  IRenderTarget* NewTarget(int w, int h) {
    IRenderTarget* rt = nullptr;
    EXPECT_TRUE(factory->CreateRenderTarget(&rt, w, h));
    if (!rt) return nullptr;
    rt->Clear(0x00000000);
    targets.push_back(rt);
    return rt;
  }

  // The target's premultiplied BGRA pixels, row after row.
  static std::vector<uint32_t> Pixels(IRenderTarget* rt, int w, int h) {
    std::vector<uint32_t> out;
    HDC dc = rt->GetDC(0);
    auto* surface = static_cast<cairo_surface_t*>(Win32SurfaceOfDC(dc));
    if (surface) {
      cairo_surface_flush(surface);
      const unsigned char* data = cairo_image_surface_get_data(surface);
      const int stride = cairo_image_surface_get_stride(surface);
      for (int y = 0; data && y < h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
        out.insert(out.end(), row, row + w);
      }
    }
    rt->ReleaseDC(dc);
    return out;
  }

  static SRenderPlugins plugins;
  IRenderFactory* factory = nullptr;
  SApplication* app = nullptr;
  IResProvider* provider = nullptr;
  std::vector<IRenderTarget*> targets;
};

inline SRenderPlugins ResourceAppTest::plugins;
