// Sending what Xlib buffered without reading the connection: XFlush also
// reads whatever has arrived, one more system call that a pump which knows
// the socket is empty can spare.
#include <X11/Xlibint.h>

#include "x_output.h"

namespace win32::display {

void sendBufferedRequests(Display* dpy) {
  LockDisplay(dpy);
  const bool buffered = dpy->bufptr != dpy->buffer;
  UnlockDisplay(dpy);
  if (buffered) XFlush(dpy);
}

}  // namespace win32::display
