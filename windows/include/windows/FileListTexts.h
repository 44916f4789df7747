#pragma once
// The texts and checks of the list of recordings that need no window: the
// size and duration shown in a row, the rename rules, and whether the
// bottom bar offers the update button.

#include <cstdint>
#include <string>

// Bytes scaled by 1024 with two decimals and no space: "500.00B",
// "1.50KB", "1.00MB"; from a gigabyte on it stays in "GB" ("1024.00GB").
std::wstring FormatRecordSize(uint64_t bytes);

// Whole seconds (truncated) as "hh:mm:ss"; "未知" for a negative duration.
std::wstring FormatRecordDuration(double seconds);

enum class RenameFault { kNone, kEmpty, kIllegalCharacter, kExists, kMoveFailed };

// The line the rename dialog shows for a fault; empty for kNone.
const wchar_t* RenameFaultText(RenameFault fault);

// The file name (after the last '/' or '\') up to its last dot: what the
// rename dialog offers as its hint. The whole name when it has no dot.
std::wstring RenameCueText(const std::wstring& filePath);

// The new path of a recording renamed to `name`: its folder, the name, a
// dot and its old extension ("talk.wav" for x.mp3 gives talk.wav.mp3).
std::wstring RenameTargetPath(const std::wstring& filePath, const std::wstring& name);

// The checks before the move, in order: empty or blank name, a character a
// file name cannot hold here (/ : * ? " < > | and the backslash, which
// the paths of this program read as a separator), an existing target.
RenameFault CheckRename(const std::wstring& name, const std::wstring& targetPath);

// Renames the file (never replacing one) after CheckRename; kNone when the
// file now has the new name.
RenameFault RenameRecordingFile(const std::wstring& filePath, const std::wstring& name, std::wstring& newPath);

// The update button is offered to distribution channels from "360" on, in
// code-point order: "360" and "9" are, "" and "1000" are not.
bool UpdateButtonShown(const std::wstring& channel);
