// What a drag from another program carries: the data object handed to drop
// targets, over the source's XdndSelection. Data is asked for only when a
// target wants it, converted with the time stamp of the latest protocol
// message, and kept for the rest of the drag.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

#include "win32/ole.h"

namespace win32::display {

struct XDisplay;

// The protocol's atoms, interned on first use.
struct XdndAtoms {
  Atom aware, enter, position, status, leave, drop, finished, selection, typeList;
  Atom actionCopy, actionMove, actionLink;
  Atom uriList, textUtf8, textPlain, dataProperty;
};
const XdndAtoms& xdndAtoms(XDisplay* x);

// File paths (UTF-8, decoded) of the local file URIs in a text/uri-list;
// comments, other schemes and other hosts are left out.
std::vector<std::string> filePathsFromUriList(const std::string& list);

// A new data object (one reference) for a drag offering `types`, whose
// conversions are delivered to `requestor`.
IDataObject* createXdndData(XDisplay* x, ::Window requestor, std::vector<Atom> types);
// The time stamp its next conversions use.
void setXdndDataTime(IDataObject* data, Time time);

}  // namespace win32::display
