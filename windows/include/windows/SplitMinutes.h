// The split time of the settings dialog: minutes as the user types them,
// milliseconds as the settings keep them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The shortest split stored: below it every frame would make a file.
inline constexpr float kSplitMinutesLeast = 0.1f;
// The longest: its milliseconds still fit a signed 32-bit number.
inline constexpr float kSplitMinutesMost = 35791.0f;

struct SplitMinutesInput {
  // Milliseconds to store; none keeps the stored split time.
  std::optional<int32_t> milliseconds;
  // A text the field is to show instead of what was typed.
  std::optional<std::wstring> replacement;
};

// The text read as a number (what does not parse reads 0): negative ones
// turn the field into "0.0"; below 0.1 minute nothing is stored; above
// 35791 minutes the longest split is stored.
SplitMinutesInput ParseSplitMinutes(const std::wstring& text);

// How the stored milliseconds are shown: minutes with two decimals.
std::wstring FormatSplitMinutes(int64_t milliseconds);
