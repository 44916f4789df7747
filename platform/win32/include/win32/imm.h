// imm32: input contexts of windows. Committed input-method text arrives as
// WM_IME_CHAR (CS_IME classes) and WM_CHAR; a window whose context was
// detached gets no composition from the input method.
#pragma once

#include "win32/types.h"

DECLARE_HANDLE(HIMC);

#define CFS_DEFAULT 0x0000
#define CFS_RECT 0x0001
#define CFS_POINT 0x0002
#define CFS_CANDIDATEPOS 0x0040
#define CFS_EXCLUDE 0x0080

typedef struct tagCOMPOSITIONFORM {
  DWORD dwStyle;
  POINT ptCurrentPos;
  RECT rcArea;
} COMPOSITIONFORM, *LPCOMPOSITIONFORM;

typedef struct tagCANDIDATEFORM {
  DWORD dwIndex;
  DWORD dwStyle;
  POINT ptCurrentPos;
  RECT rcArea;
} CANDIDATEFORM, *LPCANDIDATEFORM;

// The window's current context (its own default one unless detached); null
// for a window without one.
HIMC ImmGetContext(HWND hWnd);
BOOL ImmReleaseContext(HWND hWnd, HIMC hIMC);
// Associates `hIMC` with the window (null detaches) and returns the one it had.
HIMC ImmAssociateContext(HWND hWnd, HIMC hIMC);
// Where composition and candidates should appear, in the window's client
// coordinates: becomes the input method's spot.
BOOL ImmSetCompositionWindow(HIMC hIMC, LPCOMPOSITIONFORM lpCompForm);
// The form last set on the context; FALSE when none was set.
BOOL ImmGetCompositionWindow(HIMC hIMC, LPCOMPOSITIONFORM lpCompForm);
BOOL ImmSetCandidateWindow(HIMC hIMC, LPCANDIDATEFORM lpCandidate);
