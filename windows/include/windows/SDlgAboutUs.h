#pragma once
// The about box: the version, the product's web site as a link, a link to
// customer service and the maker's notice. Every way of closing ends it
// with 8.

#include "controls/SDlgBase.h"

class SDlgAboutUs : public ORIEL::SDlgBase {
 public:
  SDlgAboutUs();
  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                           DWORD mapId) override;
  BOOL OnHostEvent(ORIEL::EventArgs* e) override;

 private:
  void OnInitDialog();
};
