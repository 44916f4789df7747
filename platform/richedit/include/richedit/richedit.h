// The rich edit's message numbers, styles, notifications and format records,
// with the values and field orders the system's code stores and compares.
// Only plain text lives here: one character and one paragraph format apply
// to the whole text.
#pragma once

#include "gdi/gdi.h"
#include "win32/messages.h"
#include "win32/scroll_codes.h"
#include "win32/types.h"

// Clipboard messages of every edit.
#ifndef WM_CUT
#define WM_CUT 0x0300
#define WM_COPY 0x0301
#define WM_PASTE 0x0302
#define WM_CLEAR 0x0303
#define WM_UNDO 0x0304
#endif

// Edit styles (the low word of an edit's window style).
#define ES_LEFT 0x0000
#define ES_CENTER 0x0001
#define ES_RIGHT 0x0002
#define ES_MULTILINE 0x0004
#define ES_PASSWORD 0x0020
#define ES_AUTOVSCROLL 0x0040
#define ES_AUTOHSCROLL 0x0080
#define ES_NOHIDESEL 0x0100
#define ES_READONLY 0x0800
#define ES_WANTRETURN 0x1000
#define ES_NUMBER 0x2000

// Edit messages.
#define EM_GETSEL 0x00B0
#define EM_SETSEL 0x00B1
#define EM_GETRECT 0x00B2
#define EM_SCROLLCARET 0x00B7
#define EM_REPLACESEL 0x00C2
#define EM_SETREADONLY 0x00CF
#define EM_CANPASTE (WM_USER + 50)
#define EM_EXLIMITTEXT (WM_USER + 53)
#define EM_SETCHARFORMAT (WM_USER + 68)
#define EM_SETEVENTMASK (WM_USER + 69)
#define EM_SETPARAFORMAT (WM_USER + 71)
#define EM_STREAMIN (WM_USER + 73)
#define EM_STREAMOUT (WM_USER + 74)
#define EM_SETLANGOPTIONS (WM_USER + 120)
#define EM_GETLANGOPTIONS (WM_USER + 121)

// Notifications and the event mask that asks for them.
#define EN_CHANGE 0x0300
#define ENM_NONE 0x00000000
#define ENM_CHANGE 0x00000001

// EM_SETCHARFORMAT's wParam: which text the format applies to.
#define SCF_DEFAULT 0x0000
#define SCF_SELECTION 0x0001
#define SCF_WORD 0x0002
#define SCF_ALL 0x0004

// Character format mask and effects.
#define CFM_BOLD 0x00000001
#define CFM_ITALIC 0x00000002
#define CFM_UNDERLINE 0x00000004
#define CFM_STRIKEOUT 0x00000008
#define CFM_PROTECTED 0x00000010
#define CFM_LINK 0x00000020
#define CFM_WEIGHT 0x00400000
#define CFM_CHARSET 0x08000000
#define CFM_OFFSET 0x10000000
#define CFM_FACE 0x20000000
#define CFM_COLOR 0x40000000
#define CFM_SIZE 0x80000000

#define CFE_BOLD 0x00000001
#define CFE_ITALIC 0x00000002
#define CFE_UNDERLINE 0x00000004
#define CFE_STRIKEOUT 0x00000008
#define CFE_PROTECTED 0x00000010
#define CFE_LINK 0x00000020
#define CFE_AUTOCOLOR 0x40000000

typedef DWORD LCID;

typedef struct _charformatw {
  UINT cbSize;
  DWORD dwMask;
  DWORD dwEffects;
  LONG yHeight;  // twips
  LONG yOffset;
  COLORREF crTextColor;
  BYTE bCharSet;
  BYTE bPitchAndFamily;
  WCHAR szFaceName[LF_FACESIZE];
} CHARFORMATW;

typedef struct _charformat2w {
  UINT cbSize;
  DWORD dwMask;
  DWORD dwEffects;
  LONG yHeight;
  LONG yOffset;
  COLORREF crTextColor;
  BYTE bCharSet;
  BYTE bPitchAndFamily;
  WCHAR szFaceName[LF_FACESIZE];
  WORD wWeight;
  SHORT sSpacing;
  COLORREF crBackColor;
  LCID lcid;
  DWORD dwReserved;
  SHORT sStyle;
  WORD wKerning;
  BYTE bUnderlineType;
  BYTE bAnimation;
  BYTE bRevAuthor;
  BYTE bReserved1;
} CHARFORMAT2W;

// Paragraph format mask and alignments.
#define PFM_STARTINDENT 0x00000001
#define PFM_RIGHTINDENT 0x00000002
#define PFM_OFFSET 0x00000004
#define PFM_ALIGNMENT 0x00000008
#define PFM_TABSTOPS 0x00000010
#define PFM_NUMBERING 0x00000020
#define PFM_RTLPARA 0x00010000
#define PFM_OFFSETINDENT 0x80000000

#define PFA_LEFT 1
#define PFA_RIGHT 2
#define PFA_CENTER 3

#define MAX_TAB_STOPS 32

typedef struct _paraformat {
  UINT cbSize;
  DWORD dwMask;
  WORD wNumbering;
  WORD wEffects;
  LONG dxStartIndent;
  LONG dxRightIndent;
  LONG dxOffset;
  WORD wAlignment;
  SHORT cTabCount;
  LONG rgxTabs[MAX_TAB_STOPS];
} PARAFORMAT;

typedef struct _paraformat2 {
  UINT cbSize;
  DWORD dwMask;
  WORD wNumbering;
  WORD wEffects;
  LONG dxStartIndent;
  LONG dxRightIndent;
  LONG dxOffset;
  WORD wAlignment;
  SHORT cTabCount;
  LONG rgxTabs[MAX_TAB_STOPS];
  LONG dySpaceBefore;
  LONG dySpaceAfter;
  LONG dyLineSpacing;
  SHORT sStyle;
  BYTE bLineSpacingRule;
  BYTE bOutlineLevel;
  WORD wShadingWeight;
  WORD wShadingStyle;
  WORD wNumberingStart;
  WORD wNumberingStyle;
  WORD wNumberingTab;
  WORD wBorderSpace;
  WORD wBorderWidth;
  WORD wBorders;
} PARAFORMAT2;

// Streaming: the callback fills or drains `cb` bytes at a time and reports
// how many it moved in *pcb; a non-zero answer stops the stream and is kept
// in dwError.
#define SF_TEXT 0x0001
#define SF_RTF 0x0002
#define SF_UNICODE 0x0010
#define SFF_SELECTION 0x8000

typedef DWORD(CALLBACK* EDITSTREAMCALLBACK)(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG* pcb);

typedef struct _editstream {
  DWORD_PTR dwCookie;
  DWORD dwError;
  EDITSTREAMCALLBACK pfnCallback;
} EDITSTREAM;
