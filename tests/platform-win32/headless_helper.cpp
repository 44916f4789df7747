// The messaging core's tests run without a display even when the test
// command has started one: they check the headless behaviour, and windows
// of theirs must not appear on the X server that display tests are using.
#include <cstdlib>

namespace {
const int g_headless = unsetenv("DISPLAY");
}  // namespace
