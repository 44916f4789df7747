// MessageBeep: the X bell at the server's volume.
#include "win32/user32.h"
#include "x_display.h"

BOOL MessageBeep(UINT) {
  if (win32::display::XDisplay* x = win32::display::xdisplay()) {
    XBell(x->dpy, 0);
    XFlush(x->dpy);
  }
  return TRUE;
}
