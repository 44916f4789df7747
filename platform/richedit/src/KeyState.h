#pragma once

namespace richedit {
// Whether the key was down as of the message being handled.
bool keyIsDown(int virtualKey);
}  // namespace richedit
