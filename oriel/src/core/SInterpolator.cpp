#include "core/SInterpolator.h"

#include <bit>
#include <cmath>

namespace ORIEL {
namespace {

// The single-precision pi of the formulas: bit pattern 0x40490FDA.
const float kPi = std::bit_cast<float>(0x40490FDAu);

bool NearOne(float f) { return std::fabs(f - 1.0f) < 1e-8f; }

}  // namespace

HRESULT SInterpolatorBase::ReadParam(const SStringW& name, const SStringW& value, BOOL loading, float& param) {
  float f;
  if (ParseAttrFloat(value, f)) param = f;
  return FinishAttribute(name, value, loading, S_FALSE);
}

float SLinearInterpolator::GetInterpolation(float x) const { return x; }

HRESULT SAccelerateInterpolator::ApplyAttribute(const SStringW& n, const SStringW& v, BOOL loading) {
  if (AttrNameIs(n, L"factor")) return ReadParam(n, v, loading, factor);
  return SInterpolatorBase::ApplyAttribute(n, v, loading);
}
float SAccelerateInterpolator::GetInterpolation(float x) const {
  if (NearOne(factor)) return x * x;
  return static_cast<float>(std::pow(static_cast<double>(x), 2.0 * factor));
}

HRESULT SDecelerateInterpolator::ApplyAttribute(const SStringW& n, const SStringW& v, BOOL loading) {
  if (AttrNameIs(n, L"factor")) return ReadParam(n, v, loading, factor);
  return SInterpolatorBase::ApplyAttribute(n, v, loading);
}
float SDecelerateInterpolator::GetInterpolation(float x) const {
  if (NearOne(factor)) return 1.0f - (1.0f - x) * (1.0f - x);
  return 1.0f - static_cast<float>(std::pow(static_cast<double>(1.0f - x), 2.0 * factor));
}

float SAccelerateDecelerateInterpolator::GetInterpolation(float x) const {
  return static_cast<float>(std::cos(static_cast<double>((x + 1.0f) * kPi))) * 0.5f + 0.5f;
}

HRESULT SAnticipateInterpolator::ApplyAttribute(const SStringW& n, const SStringW& v, BOOL loading) {
  if (AttrNameIs(n, L"tension")) return ReadParam(n, v, loading, tension);
  return SInterpolatorBase::ApplyAttribute(n, v, loading);
}
float SAnticipateInterpolator::GetInterpolation(float x) const { return ((tension + 1.0f) * x - tension) * x * x; }

HRESULT SOvershootInterpolator::ApplyAttribute(const SStringW& n, const SStringW& v, BOOL loading) {
  if (AttrNameIs(n, L"tension")) return ReadParam(n, v, loading, tension);
  return SInterpolatorBase::ApplyAttribute(n, v, loading);
}
float SOvershootInterpolator::GetInterpolation(float x) const {
  const float t = x - 1.0f;
  return ((tension + 1.0f) * t + tension) * t * t + 1.0f;
}

HRESULT SAnticipateOvershootInterpolator::ApplyAttribute(const SStringW& n, const SStringW& v, BOOL loading) {
  if (AttrNameIs(n, L"tension")) return ReadParam(n, v, loading, tension);
  if (AttrNameIs(n, L"extraTension")) return ReadParam(n, v, loading, extraTension);
  return SInterpolatorBase::ApplyAttribute(n, v, loading);
}
float SAnticipateOvershootInterpolator::GetInterpolation(float x) const {
  const float T = tension * extraTension;
  auto a = [T](float y) { return ((T + 1.0f) * y - T) * y * y; };
  auto o = [T](float y) { return ((T + 1.0f) * y + T) * y * y; };
  if (x < 0.5f) return 0.5f * a(x * 2.0f);
  return 0.5f * (o(x * 2.0f - 2.0f) + 2.0f);
}

float SBounceInterpolator::GetInterpolation(float x) const {
  auto b = [](float s) { return s * s * 8.0f; };
  const float y = x * 1.1226f;
  if (y < 0.3535f) return b(y);
  if (y < 0.7408f) return b(y - 0.54719f) + 0.7f;
  if (y < 0.9644f) return b(y - 0.8526f) + 0.9f;
  return b(y - 1.0435f) + 0.95f;
}

HRESULT SCycleInterpolator::ApplyAttribute(const SStringW& n, const SStringW& v, BOOL loading) {
  if (AttrNameIs(n, L"cycles")) return ReadParam(n, v, loading, cycles);
  return SInterpolatorBase::ApplyAttribute(n, v, loading);
}
float SCycleInterpolator::GetInterpolation(float x) const {
  const float arg = 2.0f * cycles * kPi * x;
  return static_cast<float>(std::sin(static_cast<double>(arg)));
}

}  // namespace ORIEL
