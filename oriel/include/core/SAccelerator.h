// A keyboard combination as one 32-bit value (modifiers in the high word:
// 1 Alt, 2 Ctrl, 4 Shift; the virtual-key code in the low word), and the
// interfaces through which objects register for combinations.
#pragma once

#include "core/SString.h"
#include "win32/windows.h"

namespace ORIEL {

class CAccelerator {
 public:
  enum : WORD { kAlt = 1, kCtrl = 2, kShift = 4 };
  CAccelerator(UINT key, bool ctrl, bool alt, bool shift)
      : key_(static_cast<WORD>(key)),
        modifiers_(static_cast<WORD>((alt ? kAlt : 0) | (ctrl ? kCtrl : 0) | (shift ? kShift : 0))) {}
  explicit CAccelerator(DWORD packed)
      : key_(static_cast<WORD>(packed & 0xFFFF)), modifiers_(static_cast<WORD>(packed >> 16)) {}
  WORD GetKey() const { return key_; }
  WORD GetModifier() const { return modifiers_; }
  DWORD GetAcc() const { return (static_cast<DWORD>(modifiers_) << 16) | key_; }

  // Display text: "Ctrl+", "Shift+", "Alt+" as set, then the key's name;
  // "无" for none.
  SStringW FormatHotkey() const;
  // The name a virtual key shows under; empty for keys without one
  // (Shift, Ctrl and Alt among them).
  static SStringW KeyNameOf(UINT vk);
  // Parses "ctrl+shift+f5"-style text (any case) into a packed value; 0
  // for text of 100 characters or more. Modifier words add their flags,
  // the first other word is the key; a word that names no key gives key 0.
  static DWORD TranslateAccelKey(const SStringW& text);

 protected:
  void SetKey(WORD key) { key_ = key; }
  void SetModifier(WORD modifiers) { modifiers_ = modifiers; }

 private:
  WORD key_;
  WORD modifiers_;
};

struct IAcceleratorTarget {
  virtual ~IAcceleratorTarget() = default;
  // True when the target consumed the combination.
  virtual bool FireAccelerator(DWORD accel) = 0;
};

struct IAcceleratorMgr {
  virtual ~IAcceleratorMgr() = default;
  // The latest registration of a combination is asked first.
  virtual void AddAccelerator(DWORD accel, IAcceleratorTarget* target) = 0;
  virtual void RemoveAccelerator(DWORD accel, IAcceleratorTarget* target) = 0;
  virtual void RemoveTarget(IAcceleratorTarget* target) = 0;
};

}  // namespace ORIEL
