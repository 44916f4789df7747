// The data object of a drag from another program: text/uri-list becomes
// CF_HDROP with the file URIs decoded to paths, UTF-8 text becomes
// CF_UNICODETEXT. Conversions wait for the source's answer while the pump
// keeps routing (not handling) other events.
#include "xdnd_data.h"

#include <X11/Xatom.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cctype>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>

#include "event_routing.h"
#include "x_display.h"

namespace win32::display {
namespace {

constexpr auto kReplyWait = std::chrono::seconds(2);

struct Reply {
  bool arrived = false;
  Atom property = None;
};
std::mutex g_replyMutex;
std::map<::Window, Reply> g_replies;  // by requestor

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool percentDecode(const std::string& in, std::string* out) {
  out->clear();
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] != '%') {
      out->push_back(in[i]);
      continue;
    }
    const int high = i + 2 < in.size() ? hexValue(in[i + 1]) : -1;
    const int low = i + 2 < in.size() ? hexValue(in[i + 2]) : -1;
    if (high < 0 || low < 0 || (high == 0 && low == 0)) return false;
    out->push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return true;
}

bool startsWithNoCase(const std::string& text, const char* prefix) {
  const size_t n = std::strlen(prefix);
  if (text.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

bool isThisHost(const std::string& host) {
  if (host.empty() || host == "localhost") return true;
  char name[256] = {};
  return gethostname(name, sizeof name - 1) == 0 && host == name;
}

std::optional<std::string> fetch(XDisplay* x, ::Window requestor, Atom type, Time time) {
  const XdndAtoms& a = xdndAtoms(x);
  {
    std::lock_guard<std::mutex> lock(g_replyMutex);
    g_replies[requestor] = Reply{};
  }
  XConvertSelection(x->dpy, a.selection, type, a.dataProperty, requestor, time);
  XFlush(x->dpy);
  const auto deadline = std::chrono::steady_clock::now() + kReplyWait;
  Atom property = None;
  for (;;) {
    routeEvents(x);
    {
      std::lock_guard<std::mutex> lock(g_replyMutex);
      const Reply& reply = g_replies[requestor];
      if (reply.arrived) {
        property = reply.property;
        g_replies.erase(requestor);
        break;
      }
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      std::fprintf(stderr, "display: the drag source did not hand over its data\n");
      std::lock_guard<std::mutex> lock(g_replyMutex);
      g_replies.erase(requestor);
      return std::nullopt;
    }
    pollfd fd{x->fd, POLLIN, 0};
    poll(&fd, 1, static_cast<int>(std::min<long>(left.count(), 20)));
  }
  if (property == None) {
    std::fprintf(stderr, "display: the drag source refused its data\n");
    return std::nullopt;
  }
  Atom actual = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* bytes = nullptr;
  std::optional<std::string> result;
  if (XGetWindowProperty(x->dpy, requestor, property, 0, 0x7FFFFFF, True, AnyPropertyType, &actual,
                         &format, &count, &after, &bytes) == Success &&
      bytes && format == 8 && actual != x->atoms.incr) {
    result = std::string(reinterpret_cast<char*>(bytes), count);
  } else if (actual == x->atoms.incr) {
    std::fprintf(stderr, "display: dragged data too large to read (INCR)\n");
  } else {
    std::fprintf(stderr, "display: the drag source's data could not be read\n");
  }
  if (bytes) XFree(bytes);
  return result;
}

HGLOBAL dropFilesHandle(const std::vector<std::wstring>& paths) {
  size_t chars = 1;  // the list's final NUL
  for (const auto& path : paths) chars += path.size() + 1;
  const SIZE_T size = sizeof(DROPFILES) + chars * sizeof(wchar_t);
  HGLOBAL handle = GlobalAlloc(GHND, size);
  auto* bytes = static_cast<unsigned char*>(GlobalLock(handle));
  if (!bytes) return nullptr;
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = TRUE;
  std::memcpy(bytes, &header, sizeof header);
  size_t at = sizeof(DROPFILES);
  for (const auto& path : paths) {
    std::memcpy(bytes + at, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    at += (path.size() + 1) * sizeof(wchar_t);
  }
  GlobalUnlock(handle);
  return handle;
}

HGLOBAL textHandle(const std::wstring& text) {
  HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  void* bytes = GlobalLock(handle);
  if (!bytes) return nullptr;
  std::memcpy(bytes, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(handle);
  return handle;
}

class XdndData final : public IDataObject {
 public:
  XdndData(XDisplay* x, ::Window requestor, std::vector<Atom> types)
      : x_(x), requestor_(requestor), types_(std::move(types)) {}

  HRESULT QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDataObject) {
      AddRef();
      *out = static_cast<IDataObject*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (!format || !medium) return E_INVALIDARG;
    Atom type = None;
    if (const HRESULT hr = typeFor(*format, &type); hr != S_OK) return hr;
    const std::optional<std::string> bytes = data(type);
    if (!bytes) return E_FAIL;
    HGLOBAL handle = nullptr;
    if (format->cfFormat == CF_HDROP) {
      std::vector<std::wstring> paths;
      for (const auto& path : filePathsFromUriList(*bytes)) paths.push_back(fromUtf8(path));
      if (paths.empty()) return DV_E_FORMATETC;  // links, but no local files
      handle = dropFilesHandle(paths);
    } else {
      handle = textHandle(fromUtf8(*bytes));
    }
    if (!handle) return E_OUTOFMEMORY;
    *medium = STGMEDIUM{TYMED_HGLOBAL, handle, nullptr};
    return S_OK;
  }
  HRESULT GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT QueryGetData(FORMATETC* format) override {
    if (!format) return E_INVALIDARG;
    Atom type = None;
    return typeFor(*format, &type);
  }
  HRESULT GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

  void setTime(Time time) {
    std::lock_guard<std::mutex> lock(mutex_);
    time_ = time;
  }

 private:
  ~XdndData() = default;

  bool offers(Atom type) const {
    for (Atom t : types_) {
      if (t == type) return true;
    }
    return false;
  }

  HRESULT typeFor(const FORMATETC& format, Atom* type) const {
    if (!(format.tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
    if (format.dwAspect != DVASPECT_CONTENT || format.lindex != -1) return DV_E_FORMATETC;
    const XdndAtoms& a = xdndAtoms(x_);
    if (format.cfFormat == CF_HDROP && offers(a.uriList)) {
      *type = a.uriList;
      return S_OK;
    }
    if (format.cfFormat == CF_UNICODETEXT) {
      for (Atom t : {a.textUtf8, x_->atoms.utf8String, a.textPlain}) {
        if (offers(t)) {
          *type = t;
          return S_OK;
        }
      }
    }
    return DV_E_FORMATETC;
  }

  std::optional<std::string> data(Atom type) {
    Time time = CurrentTime;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (auto it = cache_.find(type); it != cache_.end()) return it->second;
      time = time_;
    }
    std::optional<std::string> bytes = fetch(x_, requestor_, type, time);
    std::lock_guard<std::mutex> lock(mutex_);
    if (bytes) cache_[type] = bytes;
    return bytes;
  }

  std::atomic<ULONG> refs_{1};
  XDisplay* x_;
  ::Window requestor_;
  std::vector<Atom> types_;
  std::mutex mutex_;
  Time time_ = CurrentTime;
  std::map<Atom, std::optional<std::string>> cache_;
};

}  // namespace

const XdndAtoms& xdndAtoms(XDisplay* x) {
  static XdndAtoms atoms = [x] {
    const char* names[] = {"XdndAware",      "XdndEnter",      "XdndPosition",   "XdndStatus",
                           "XdndLeave",      "XdndDrop",       "XdndFinished",   "XdndSelection",
                           "XdndTypeList",   "XdndActionCopy", "XdndActionMove", "XdndActionLink",
                           "text/uri-list",  "text/plain;charset=utf-8",         "text/plain",
                           "QV_XDND_DATA"};
    Atom values[16] = {};
    XInternAtoms(x->dpy, const_cast<char**>(names), 16, False, values);
    return XdndAtoms{values[0],  values[1],  values[2],  values[3], values[4],  values[5],
                     values[6],  values[7],  values[8],  values[9], values[10], values[11],
                     values[12], values[13], values[14], values[15]};
  }();
  return atoms;
}

std::vector<std::string> filePathsFromUriList(const std::string& list) {
  std::vector<std::string> paths;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find('\n', start);
    if (end == std::string::npos) end = list.size();
    std::string line = list.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#' || !startsWithNoCase(line, "file:")) continue;
    std::string rest = line.substr(5);
    if (rest.rfind("//", 0) == 0) {
      const size_t slash = rest.find('/', 2);
      if (slash == std::string::npos) continue;
      if (!isThisHost(rest.substr(2, slash - 2))) continue;  // another machine's file
      rest = rest.substr(slash);
    }
    if (rest.empty() || rest[0] != '/') continue;
    std::string path;
    if (!percentDecode(rest, &path)) {
      std::fprintf(stderr, "display: a dropped file link is malformed: %s\n", line.c_str());
      continue;
    }
    paths.push_back(std::move(path));
  }
  return paths;
}

IDataObject* createXdndData(XDisplay* x, ::Window requestor, std::vector<Atom> types) {
  return new XdndData(x, requestor, std::move(types));
}

void setXdndDataTime(IDataObject* data, Time time) { static_cast<XdndData*>(data)->setTime(time); }

bool handleXdndSelection(XDisplay* x, const XEvent& event) {
  if (event.type != SelectionNotify || event.xselection.selection != xdndAtoms(x).selection)
    return false;
  std::lock_guard<std::mutex> lock(g_replyMutex);
  auto it = g_replies.find(event.xselection.requestor);
  if (it == g_replies.end()) return true;  // an answer nobody waits for any more
  it->second.arrived = true;
  it->second.property = event.xselection.property;
  return true;
}

}  // namespace win32::display
