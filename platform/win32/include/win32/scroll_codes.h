// Scroll bars and scroll codes, as scroll calls and WM_HSCROLL/WM_VSCROLL
// carry them. One definition for every header that names them: the text
// services and the framework's scrolling windows both include this one, in
// whichever order, and the system's own form of these names is the macro.
#pragma once

#ifndef SB_HORZ
#define SB_HORZ 0
#define SB_VERT 1
#define SB_CTL 2
#define SB_BOTH 3
#endif
#ifndef SB_LINEUP
#define SB_LINEUP 0
#define SB_LINELEFT 0
#define SB_LINEDOWN 1
#define SB_LINERIGHT 1
#define SB_PAGEUP 2
#define SB_PAGELEFT 2
#define SB_PAGEDOWN 3
#define SB_PAGERIGHT 3
#define SB_THUMBPOSITION 4
#define SB_THUMBTRACK 5
#define SB_TOP 6
#define SB_LEFT 6
#define SB_BOTTOM 7
#define SB_RIGHT 7
#define SB_ENDSCROLL 8
#endif
