// Short window timers ride on the host window's Win32 timers: the id
// carries the window's timer id (0 to 127) with the sign bit set in bits
// 31-24 and the low 24 bits of the window's handle in bits 23-0, so the
// host tells them from its own timers by the sign bit.
#pragma once

#include <cstdint>

namespace ORIEL {

constexpr uint32_t MakeHostTimerId(uint32_t swnd, uint32_t timerId) {
  return ((timerId | 0x80u) << 24) | (swnd & 0xFFFFFFu);
}

constexpr bool IsHostTimerId(uint64_t id) { return (id & 0x80000000u) != 0; }

constexpr uint32_t HostTimerWindow(uint64_t id) { return static_cast<uint32_t>(id & 0xFFFFFFu); }

constexpr uint32_t HostTimerWindowId(uint64_t id) { return static_cast<uint32_t>((id >> 24) & 0x7Fu); }

}  // namespace ORIEL
