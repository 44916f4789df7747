// A layout arranges a window's children; each child carries a parameter
// object of its parent's layout kind that says how it wants to be placed.
#pragma once

#include "core/SLayoutSize.h"
#include "core/SObject.h"

namespace ORIEL {

struct IWindow;

// The orientation argument of the parameter operations: the tests of
// Any answer for either axis, of Both for both; setters ignore Any.
enum ORIENTATION { Horz = 0, Vert = 1, Any = 2, Both = 3 };

struct ILayoutParam : IObject {
  virtual void Clear() = 0;
  virtual BOOL IsMatchParent(ORIENTATION orientation) const = 0;
  virtual BOOL IsWrapContent(ORIENTATION orientation) const = 0;
  // The size is a real size (0 or more).
  virtual BOOL HasFixedSize(ORIENTATION orientation) const = 0;
  // The height for Vert, otherwise the width.
  virtual SLayoutSize GetSpecifiedSize(ORIENTATION orientation) const = 0;
  virtual void SetMatchParent(ORIENTATION orientation) = 0;
  virtual void SetWrapContent(ORIENTATION orientation) = 0;
  virtual void SetSpecifiedSize(ORIENTATION orientation, const SLayoutSize& size) = 0;
  // The parameter data, for copying between objects of the same class.
  virtual void* GetRawData() = 0;
  // A new object of the same class with the data copied (one reference).
  virtual ILayoutParam* Clone() const = 0;
};

struct ILayout : IObject {
  virtual BOOL IsParamAcceptable(const ILayoutParam* param) const = 0;
  virtual void PlaceAll(IWindow* window) = 0;
  // A fresh parameter of this layout's kind (one reference, the caller's).
  virtual ILayoutParam* CreateLayoutParam() const = 0;
  // The size the children need in an area of width × height (-1 unknown).
  virtual SIZE MeasureAll(IWindow* window, int width, int height) = 0;
};

}  // namespace ORIEL
