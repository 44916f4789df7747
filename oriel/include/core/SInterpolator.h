// Interpolators: the shape of an animation's motion, mapping progress 0-1
// to an output. Made by class name (object type 4) and configured by XML.
#pragma once

#include "core/SObject.h"

namespace ORIEL {

struct IInterpolator : IObject {
  virtual float GetInterpolation(float input) const = 0;
};

using SInterpolatorImpl = SObjectImpl<TObjRefImpl<IInterpolator>>;

class SInterpolatorBase : public SInterpolatorImpl {
  SOBJ_CLASS(SInterpolatorBase, SInterpolatorImpl, L"interpolator_base", kObjNone)
 public:
  static LPCWSTR BaseClassName() { return L"interpolator_base"; }

 protected:
  // Reads a "%f" parameter; a value without a number keeps the old one.
  HRESULT ReadParam(const SStringW& name, const SStringW& value, BOOL loading, float& param);
};

#define SINTERPOLATOR(Cls, name)                                             \
  SOBJ_CLASS(Cls, SInterpolatorBase, name, kObjInterpolator)                 \
 public:                                                                     \
  float GetInterpolation(float input) const override;

class SLinearInterpolator : public SInterpolatorBase {
  SINTERPOLATOR(SLinearInterpolator, L"Linear")
};

class SAccelerateInterpolator : public SInterpolatorBase {
  SINTERPOLATOR(SAccelerateInterpolator, L"Accelerate")
  HRESULT ApplyAttribute(const SStringW& n, const SStringW& v, BOOL loading) override;
  using SInterpolatorBase::ApplyAttribute;
  float factor = 1.0f;
};

class SDecelerateInterpolator : public SInterpolatorBase {
  SINTERPOLATOR(SDecelerateInterpolator, L"Decelerate")
  HRESULT ApplyAttribute(const SStringW& n, const SStringW& v, BOOL loading) override;
  using SInterpolatorBase::ApplyAttribute;
  float factor = 1.0f;
};

class SAccelerateDecelerateInterpolator : public SInterpolatorBase {
  SINTERPOLATOR(SAccelerateDecelerateInterpolator, L"AccelerateDecelerate")
};

class SAnticipateInterpolator : public SInterpolatorBase {
  SINTERPOLATOR(SAnticipateInterpolator, L"Anticipate")
  HRESULT ApplyAttribute(const SStringW& n, const SStringW& v, BOOL loading) override;
  using SInterpolatorBase::ApplyAttribute;
  float tension = 2.0f;
};

class SOvershootInterpolator : public SInterpolatorBase {
  SINTERPOLATOR(SOvershootInterpolator, L"Overshoot")
  HRESULT ApplyAttribute(const SStringW& n, const SStringW& v, BOOL loading) override;
  using SInterpolatorBase::ApplyAttribute;
  float tension = 2.0f;
};

class SAnticipateOvershootInterpolator : public SInterpolatorBase {
  SINTERPOLATOR(SAnticipateOvershootInterpolator, L"AnticipateOvershoot")
  HRESULT ApplyAttribute(const SStringW& n, const SStringW& v, BOOL loading) override;
  using SInterpolatorBase::ApplyAttribute;
  float tension = 2.0f;
  float extraTension = 1.5f;
};

class SBounceInterpolator : public SInterpolatorBase {
  SINTERPOLATOR(SBounceInterpolator, L"Bounce")
};

class SCycleInterpolator : public SInterpolatorBase {
  SINTERPOLATOR(SCycleInterpolator, L"Cycle")
  HRESULT ApplyAttribute(const SStringW& n, const SStringW& v, BOOL loading) override;
  using SInterpolatorBase::ApplyAttribute;
  float cycles = 1.0f;
};

}  // namespace ORIEL
