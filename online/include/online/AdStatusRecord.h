// The advertising status message: the bridge sends the bottom bar's host
// window WM_COPYDATA (wParam 0, dwData 0) with this 528-byte record, and the
// bar runs the script in its web view. The send is synchronous and stays
// inside the process, so the pointer in the record is valid while the
// receiver handles it.
//
//   offset 0    4 bytes  command, 20002
//   offset 4  516 bytes  zero
//   offset 520  8 bytes  address of the sender's NUL-terminated wide script
//
// Any other size or command is not this record and is ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "win32/windows.h"

inline constexpr uint32_t kAdStatusCommand = 20002;
inline constexpr size_t kAdStatusRecordSize = 528;
inline constexpr size_t kAdStatusScriptOffset = 520;

struct AdStatusRecord {
  unsigned char bytes[kAdStatusRecordSize];
};
static_assert(sizeof(AdStatusRecord) == kAdStatusRecordSize);

// The record for `script` (not copied: it must outlive the send).
inline AdStatusRecord MakeAdStatusRecord(const wchar_t* script) {
  AdStatusRecord record{};
  std::memcpy(record.bytes, &kAdStatusCommand, sizeof kAdStatusCommand);
  const uint64_t address = reinterpret_cast<uintptr_t>(script);
  std::memcpy(record.bytes + kAdStatusScriptOffset, &address, sizeof address);
  return record;
}

// The script a received WM_COPYDATA carries, or null when the data is not
// an advertising status record (wrong size or command, or no script).
inline const wchar_t* ReadAdStatusScript(const COPYDATASTRUCT* data) {
  if (!data || data->cbData != kAdStatusRecordSize || !data->lpData) return nullptr;
  const auto* bytes = static_cast<const unsigned char*>(data->lpData);
  uint32_t command = 0;
  std::memcpy(&command, bytes, sizeof command);
  if (command != kAdStatusCommand) return nullptr;
  uint64_t address = 0;
  std::memcpy(&address, bytes + kAdStatusScriptOffset, sizeof address);
  return reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(address));
}
