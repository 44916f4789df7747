// ShellExecuteW: the desktop's own handler opens a document or an address.
#pragma once

#include "win32/types.h"

#define SE_ERR_FNF 2
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_NOASSOC 31

// Verb "open" (or none) of a file, folder or URL runs `xdg-open` with that
// one argument, in `directory` when one is given, without a shell between.
// A value above 32 when the handler started; SE_ERR_FNF when no file was
// given or xdg-open could not be started; SE_ERR_NOASSOC for another verb
// or for parameters, which an opened document cannot take. The last error
// tells what failed.
HINSTANCE ShellExecuteW(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        INT show);
