// A length with a unit, converted to pixels at a window's scale when used;
// also the special sizes wrap content (-1), match parent (-2) and
// unspecified (-3).
#pragma once

#include "core/SString.h"

namespace ORIEL {

class SLayoutSize {
 public:
  enum Unit { px = 0, dp = 1, dip = 2, sp = 3 };
  static constexpr float kWrapContent = -1.0f;
  static constexpr float kMatchParent = -2.0f;
  static constexpr float kUnspecified = -3.0f;

  SLayoutSize();  // 0 in the default unit
  SLayoutSize(float value, int unit) : fSize(value), unit(unit) {}
  static SLayoutSize FromString(const SStringW& text);

  void Clear();
  void Parse(const SStringW& text);
  void SetWrapContent() { fSize = kWrapContent; }
  void SetMatchParent() { fSize = kMatchParent; }
  void SetUnspecified() { fSize = kUnspecified; }
  bool IsWrapContent() const;
  bool IsMatchParent() const;
  bool IsSpecified() const;
  bool IsValid() const { return fSize >= 0.0f; }
  bool IsZero() const;
  int ToPixels(int scale) const;
  bool operator==(const SLayoutSize& o) const;

  // The process-wide unit of sizes written without one: "px" at start; an
  // unknown name sets "px".
  static void SetDefaultUnit(const SStringW& name);
  static int GetDefaultUnit();
  // The unit's index, or -1 for an unknown name (case ignored).
  static int UnitFromName(const SStringW& name);

  float fSize;
  int unit;
};

}  // namespace ORIEL
