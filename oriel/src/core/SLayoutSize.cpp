#include "core/SLayoutSize.h"

#include <atomic>
#include <cmath>
#include <cwchar>

#include "crt/wtoi.h"

namespace ORIEL {
namespace {

std::atomic<int> g_defaultUnit{SLayoutSize::px};
const wchar_t* const kUnitNames[] = {L"px", L"dp", L"dip", L"sp"};

bool Equal(float a, float b) { return std::fabs(a - b) < 1e-8f; }

}  // namespace

SLayoutSize::SLayoutSize() : fSize(0.0f), unit(g_defaultUnit.load()) {}

SLayoutSize SLayoutSize::FromString(const SStringW& text) {
  SLayoutSize s;
  s.Parse(text);
  return s;
}

void SLayoutSize::Clear() {
  fSize = 0.0f;
  unit = g_defaultUnit.load();
}

void SLayoutSize::Parse(const SStringW& text) {
  if (text.IsEmpty()) return;
  int found = -1;
  size_t foundLen = 0;
  for (int i = 0; i < 4; ++i) {
    const size_t n = wcslen(kUnitNames[i]);
    if (static_cast<size_t>(text.GetLength()) >= n &&
        text.Right(static_cast<int>(n)).CompareNoCase(kUnitNames[i]) == 0 && n > foundLen) {
      found = i;  // "dip" ends in "p" too: the longest name that matches wins
      foundLen = n;
    }
  }
  unit = found >= 0 ? found : g_defaultUnit.load();
  fSize = static_cast<float>(_wtof(text.c_str()));
}

bool SLayoutSize::IsWrapContent() const { return Equal(fSize, kWrapContent); }
bool SLayoutSize::IsMatchParent() const { return Equal(fSize, kMatchParent); }
bool SLayoutSize::IsSpecified() const { return !Equal(fSize, kUnspecified); }
bool SLayoutSize::IsZero() const { return Equal(fSize, 0.0f); }

bool SLayoutSize::operator==(const SLayoutSize& o) const { return unit == o.unit && Equal(fSize, o.fSize); }

int SLayoutSize::ToPixels(int scale) const {
  if (IsMatchParent()) return -2;
  if (IsWrapContent()) return -1;
  if (unit == px) return static_cast<int>(fSize);
  const float scaled = static_cast<float>(scale) * fSize / 100.0f + 0.5f;
  return static_cast<int>(std::floor(scaled));
}

int SLayoutSize::UnitFromName(const SStringW& name) {
  for (int i = 0; i < 4; ++i) {
    if (name.CompareNoCase(kUnitNames[i]) == 0) return i;
  }
  return -1;
}

void SLayoutSize::SetDefaultUnit(const SStringW& name) {
  const int u = UnitFromName(name);
  g_defaultUnit = u >= 0 ? u : px;
}

int SLayoutSize::GetDefaultUnit() { return g_defaultUnit.load(); }

}  // namespace ORIEL
