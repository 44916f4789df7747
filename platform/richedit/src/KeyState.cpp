#include "KeyState.h"

#include <atomic>

#include "richedit/keystate.h"
#include "win32/user32.h"

namespace {
std::atomic<TextKeyStateReader> g_reader{nullptr};
}  // namespace

void TextServicesSetKeyStateReader(TextKeyStateReader reader) { g_reader.store(reader); }

namespace richedit {

bool keyIsDown(int virtualKey) {
  const TextKeyStateReader reader = g_reader.load();
  const SHORT state = reader ? reader(virtualKey) : GetKeyState(virtualKey);
  return state < 0;
}

}  // namespace richedit
