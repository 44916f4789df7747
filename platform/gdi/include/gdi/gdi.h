// The gdi32 and msimg32 interface as the system's code sees it: device
// contexts, 32-bit bitmaps, fonts, brushes, pens, regions and text. Every
// DC draws into a Cairo image surface; text goes through Pango.
//
// Bitmaps are always 32 bits per pixel, premultiplied BGRA, rows from the
// top with a stride of 4 x width (Cairo's ARGB32 on x86-64).
#pragma once

#include "win32/windows.h"

#ifndef S_OK
#define S_OK ((HRESULT)0L)
#define S_FALSE ((HRESULT)1L)
#define E_FAIL ((HRESULT)0x80004005L)
#define E_INVALIDARG ((HRESULT)0x80070057L)
#define E_OUTOFMEMORY ((HRESULT)0x8007000EL)
#define E_NOTIMPL ((HRESULT)0x80004001L)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#endif

#define CLR_INVALID 0xFFFFFFFF
#define GDI_ERROR 0xFFFFFFFFL
#define HGDI_ERROR ((HGDIOBJ)(LONG_PTR)-1)

// Object kinds (GetObjectType, GetCurrentObject).
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_REGION 8
#define OBJ_MEMDC 10

// Stock objects.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define SYSTEM_FONT 13
#define DEFAULT_GUI_FONT 17

// Raster operations.
#define SRCCOPY 0x00CC0020
#define DSTINVERT 0x00550009
#define BLACKNESS 0x00000042
#define WHITENESS 0x00FF0062

// Background modes, graphics modes, device caps.
#define TRANSPARENT 1
#define OPAQUE 2
#define GM_COMPATIBLE 1
#define GM_ADVANCED 2
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12

// Pens.
#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_DASHDOT 3
#define PS_DASHDOTDOT 4
#define PS_NULL 5

// DrawTextW formats.
#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_VCENTER 0x00000004
#define DT_BOTTOM 0x00000008
#define DT_WORDBREAK 0x00000010
#define DT_SINGLELINE 0x00000020
#define DT_EXPANDTABS 0x00000040
#define DT_NOCLIP 0x00000100
#define DT_CALCRECT 0x00000400
#define DT_NOPREFIX 0x00000800
#define DT_PATH_ELLIPSIS 0x00004000
#define DT_END_ELLIPSIS 0x00008000

// Regions.
#define ERROR 0
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3
#define RGN_AND 1
#define RGN_OR 2
#define RGN_XOR 3
#define RGN_DIFF 4
#define RGN_COPY 5

// Fonts.
#define LF_FACESIZE 32
#define FW_DONTCARE 0
#define FW_NORMAL 400
#define FW_BOLD 700
#define DEFAULT_CHARSET 1
#define GB2312_CHARSET 134
#define CLEARTYPE_QUALITY 5

// DIB sections.
#define BI_RGB 0L
#define DIB_RGB_COLORS 0

// msimg32 AlphaBlend.
#define AC_SRC_OVER 0x00
#define AC_SRC_ALPHA 0x01

// System colours.
#define COLOR_WINDOW 5
#define COLOR_MENUTEXT 7
#define COLOR_WINDOWTEXT 8
#define COLOR_HIGHLIGHT 13
#define COLOR_HIGHLIGHTTEXT 14
#define COLOR_BTNFACE 15
#define COLOR_GRAYTEXT 17
#define COLOR_INFOTEXT 23
#define COLOR_INFOBK 24

typedef struct tagLOGFONTW {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  WCHAR lfFaceName[LF_FACESIZE];
} LOGFONTW, *PLOGFONTW, *LPLOGFONTW;

typedef struct tagTEXTMETRICW {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  WCHAR tmFirstChar;
  WCHAR tmLastChar;
  WCHAR tmDefaultChar;
  WCHAR tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
} TEXTMETRICW, *LPTEXTMETRICW;

typedef int(CALLBACK* FONTENUMPROCW)(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM);

typedef struct tagBITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
} BITMAP, *PBITMAP, *LPBITMAP;

typedef struct tagBITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
} BITMAPINFOHEADER, *PBITMAPINFOHEADER, *LPBITMAPINFOHEADER;

typedef struct tagRGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
} RGBQUAD;

typedef struct tagBITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
} BITMAPINFO, *PBITMAPINFO, *LPBITMAPINFO;

typedef struct _BLENDFUNCTION {
  BYTE BlendOp;
  BYTE BlendFlags;
  BYTE SourceConstantAlpha;
  BYTE AlphaFormat;
} BLENDFUNCTION, *PBLENDFUNCTION;

typedef struct tagLOGBRUSH {
  UINT lbStyle;
  COLORREF lbColor;
  ULONG_PTR lbHatch;
} LOGBRUSH;

// DCs and objects.
HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj);
BOOL DeleteObject(HGDIOBJ obj);
HGDIOBJ GetCurrentObject(HDC hdc, UINT type);
HGDIOBJ GetStockObject(int index);
DWORD GetObjectType(HGDIOBJ obj);
int GetObjectW(HGDIOBJ obj, int size, LPVOID out);
BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT old);
BOOL GetViewportOrgEx(HDC hdc, LPPOINT out);
BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT old);
int GetDeviceCaps(HDC hdc, int index);
int SetGraphicsMode(HDC hdc, int mode);
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF color);
COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF GetTextColor(HDC hdc);
DWORD GetSysColor(int index);
HBRUSH GetSysColorBrush(int index);

// Bitmaps and blits.
HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset);
BOOL BitBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int x1, int y1, DWORD rop);
BOOL StretchBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int xSrc, int ySrc, int cxSrc, int cySrc, DWORD rop);
BOOL AlphaBlend(HDC dst, int x, int y, int cx, int cy, HDC src, int xSrc, int ySrc, int cxSrc, int cySrc,
                BLENDFUNCTION blend);
BOOL GdiFlush();

// Fonts and text.
HFONT CreateFontIndirectW(const LOGFONTW* lf);
int EnumFontsW(HDC hdc, LPCWSTR face, FONTENUMPROCW proc, LPARAM lparam);
int DrawTextW(HDC hdc, LPCWSTR text, int len, LPRECT rect, UINT format);
BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int len, LPSIZE size);
BOOL GetTextMetricsW(HDC hdc, LPTEXTMETRICW tm);

// Brushes, pens and shapes.
HBRUSH CreateSolidBrush(COLORREF color);
HPEN CreatePen(int style, int width, COLORREF color);
int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
BOOL FillRgn(HDC hdc, HRGN rgn, HBRUSH brush);

// Regions. Coordinates are logical; a DC's clip region is kept in device
// coordinates, as GDI does.
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
HRGN CreateEllipticRgnIndirect(const RECT* rect);
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int wEllipse, int hEllipse);
BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom);
int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode);
BOOL EqualRgn(HRGN a, HRGN b);
BOOL PtInRegion(HRGN rgn, int x, int y);
BOOL RectInRegion(HRGN rgn, const RECT* rect);
int GetRgnBox(HRGN rgn, LPRECT rect);
int OffsetRgn(HRGN rgn, int dx, int dy);
int SelectClipRgn(HDC hdc, HRGN rgn);
int ExtSelectClipRgn(HDC hdc, HRGN rgn, int mode);
int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom);
int GetClipBox(HDC hdc, LPRECT rect);

// Icons and cursors: a 32-bit ARGB picture with a hot spot. GetIconInfo
// hands out new bitmaps (colour and mask) that the caller deletes.
#define DI_MASK 0x0001
#define DI_IMAGE 0x0002
#define DI_NORMAL 0x0003

typedef struct _ICONINFO {
  BOOL fIcon;
  DWORD xHotspot;
  DWORD yHotspot;
  HBITMAP hbmMask;
  HBITMAP hbmColor;
} ICONINFO, *PICONINFO;

HICON CreateIconIndirect(const ICONINFO* info);
BOOL GetIconInfo(HICON icon, PICONINFO info);
BOOL DestroyIcon(HICON icon);
BOOL DrawIconEx(HDC hdc, int x, int y, HICON icon, int cx, int cy, UINT step, HBRUSH flicker, UINT flags);

// The four system icons of message boxes, 32 x 32, drawn for this layer:
// LoadIconW(NULL, IDI_*) gives a new icon each call, which the caller may
// destroy; any other instance or name gives null.
#define IDI_HAND ((LPCWSTR)(ULONG_PTR)32513)
#define IDI_QUESTION ((LPCWSTR)(ULONG_PTR)32514)
#define IDI_EXCLAMATION ((LPCWSTR)(ULONG_PTR)32515)
#define IDI_ASTERISK ((LPCWSTR)(ULONG_PTR)32516)
#define IDI_ERROR IDI_HAND
#define IDI_WARNING IDI_EXCLAMATION
#define IDI_INFORMATION IDI_ASTERISK
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);
