// The framework's application set up as start-up sets it up: the render
// and image plug-ins, the program's controls, the system resources, the
// program's bundle with its UI definition, the named ids and the shared
// skins, so the program's windows open from their own layouts.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "controls/ControlFactories.h"
#include "controls/SOrielResourceLoader.h"
#include "core/SApplication.h"
#include "core/SObjectFactory.h"
#include "core/SRenderPlugins.h"
#include "core/SXml.h"
#include "res.mgr/IResProvider.h"
#include "win32/modules.h"
#include "windows/ResourceNames.h"

class ProgramAppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    factory_ = plugins_.CreateRenderFactory();
    ASSERT_NE(factory_, nullptr) << ORIEL::XmlUtf8(plugins_.LastError()).c_str();
    ORIEL::SObjectDefaultRegister reg;
    app_ = new ORIEL::SApplication(factory_, GetModuleHandleW(nullptr), L"QuorvaleWindowTest", &reg, FALSE);
    ORIEL::RegisterControlFactories(*app_, 1);
    ORIEL::RegisterControlFactories(*app_, 2);
    ORIEL::IResProvider* system = nullptr;
    if (ORIEL::MakeResProvider(ORIEL::kResProviderPE, &system) && system) {
      if (system->Init(reinterpret_cast<WPARAM>(GetModuleHandleW(nullptr)), 0)) app_->LoadSystemResources(system);
      system->Release();
    }
    ASSERT_TRUE(ORIEL::MakeResProvider(ORIEL::kResProviderPE, &provider_));
    ASSERT_TRUE(provider_->Init(reinterpret_cast<WPARAM>(GetModuleHandleW(nullptr)), 0)) << "bin/res is missing";
    InstallNamedIdTable(*app_);
    app_->AttachProvider(provider_, L"uidef:xml_init");
    globals_ = std::make_unique<ORIEL::SGlobalUiResources>();
    ASSERT_TRUE(globals_->LoadGlobalUiResources(GetModuleHandleW(nullptr)));
  }
  void TearDown() override {
    globals_.reset();
    delete app_;
    app_ = nullptr;
    if (provider_) provider_->Release();
    provider_ = nullptr;
    if (factory_) factory_->Release();
    factory_ = nullptr;
  }

  static inline ORIEL::SRenderPlugins plugins_;
  IRenderFactory* factory_ = nullptr;
  ORIEL::SApplication* app_ = nullptr;
  ORIEL::IResProvider* provider_ = nullptr;
  std::unique_ptr<ORIEL::SGlobalUiResources> globals_;
};
