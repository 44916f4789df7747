// The program's executable: the entry point the desktop starts.
#include "win32/windows.h"
#include "windows/StartUp.h"

int main() { return wWinMain(GetModuleHandleW(nullptr), nullptr, const_cast<LPWSTR>(L""), SW_SHOWNORMAL); }
