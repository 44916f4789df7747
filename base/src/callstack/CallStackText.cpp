// Formats call stacks as text, one line per frame.
#include "base/CallStack.h"

#include <execinfo.h>

#include <map>
#include <sstream>

#include "ModuleSymbols.h"
#include "SourceLines.h"

const char* CSym_Engine::GetDefaultFormat() { return "%f(%l) : %m at %s\n"; }

namespace {

// A return address points after the call, possibly past the end of a
// function that never returns; the call itself lies one byte back.
const char* LookupAddressOf(void* address, bool isReturnAddress) {
  return static_cast<const char*>(address) - (isReturnAddress ? 1 : 0);
}

CSym_Engine::FrameInfo FromSymbol(const callstack::ModuleSymbol& found, bool isReturnAddress) {
  CSym_Engine::FrameInfo info;
  if (!found.modulePath.empty()) {
    size_t slash = found.modulePath.find_last_of('/');
    info.module = slash == std::string::npos ? found.modulePath : found.modulePath.substr(slash + 1);
  }
  if (!found.symbol.empty()) {
    info.symbol = callstack::ReadableName(found.symbol);
    info.symbolDisplacement = found.offset + (isReturnAddress ? 1 : 0);
  }
  return info;
}

}  // namespace

CSym_Engine::FrameInfo CSym_Engine::Describe(void* address, bool isReturnAddress) {
  return FromSymbol(callstack::LookupAddress(LookupAddressOf(address, isReturnAddress)),
                    isReturnAddress);
}

std::vector<CSym_Engine::FrameInfo> CSym_Engine::DescribeFrames(void* const* addresses, int count,
                                                                bool firstIsFaulting) {
  std::vector<FrameInfo> frames;
  std::map<std::string, std::vector<size_t>> byModule;
  std::vector<uintptr_t> linkAddresses;
  for (int i = 0; i < count; ++i) {
    bool isReturn = !(i == 0 && firstIsFaulting);
    callstack::ModuleSymbol found = callstack::LookupAddress(LookupAddressOf(addresses[i], isReturn));
    frames.push_back(FromSymbol(found, isReturn));
    linkAddresses.push_back(found.linkAddress);
    if (!found.modulePath.empty()) byModule[found.modulePath].push_back(frames.size() - 1);
  }
  for (const auto& [module, indexes] : byModule) {
    std::vector<uintptr_t> wanted;
    for (size_t i : indexes) wanted.push_back(linkAddresses[i]);
    std::vector<callstack::SourceLine> lines = callstack::LookupSourceLines(module, wanted);
    for (size_t k = 0; k < indexes.size() && k < lines.size(); ++k) {
      frames[indexes[k]].file = lines[k].file;
      frames[indexes[k]].line = lines[k].line;
    }
  }
  return frames;
}

void CSym_Engine::FormatFrame(std::ostream& out, const FrameInfo& info, const char* format) {
  for (const char* p = format; *p; ++p) {
    if (*p != '%') {
      out << *p;
      continue;
    }
    char directive = p[1];
    switch (directive) {
      case 'f':
        out << (info.file.empty() ? std::string(" ") : info.file);
        ++p;
        break;
      case 'l':
        if (p[2] == 'd') {
          out << info.lineDisplacement;
          p += 2;
        } else {
          out << info.line;
          ++p;
        }
        break;
      case 'm':
        out << (info.module.empty() ? std::string("?.?") : info.module);
        ++p;
        break;
      case 's':
        if (p[2] == 'd') {
          out << info.symbolDisplacement;
          p += 2;
        } else {
          out << (info.symbol.empty() ? std::string("?") : info.symbol) << "()";
          ++p;
        }
        break;
      case '%':
        out << '%';
        ++p;
        break;
      case '\0':
        out << '%';
        break;
      default:
        out << '%' << directive;
        ++p;
        break;
    }
  }
}

bool CSym_Engine::WriteStack(std::ostream& out, void* const* addresses, int count, int frameLimit,
                             const char* format) {
  if (!format || !addresses || count <= 0) return false;
  out << std::dec;
  if (frameLimit >= 0 && frameLimit < count) count = frameLimit;
  for (const FrameInfo& frame : DescribeFrames(addresses, count, true)) {
    FormatFrame(out, frame, format);
    if (!out) return false;
  }
  return !!out;
}

CRuntimeStack::CRuntimeStack(void* const* addresses, int count, int frameLimit) {
  std::ostringstream text;
  if (CSym_Engine::WriteStack(text, addresses, count, frameLimit, CSym_Engine::GetDefaultFormat()))
    m_text = text.str();
}

__attribute__((noinline)) void CRuntimeStack::capture(int frameLimit) {
  void* frames[128];
  int n = backtrace(frames, 128);
  std::ostringstream text;
  m_text.clear();
  // Frame 0 is capture itself; every frame from the caller on is a return
  // address.
  int count = n - 1;
  if (frameLimit >= 0 && frameLimit < count) count = frameLimit;
  if (count > 0)
    for (const auto& frame : CSym_Engine::DescribeFrames(frames + 1, count, false))
      CSym_Engine::FormatFrame(text, frame, CSym_Engine::GetDefaultFormat());
  m_text = text.str();
}

void CRuntimeStack::write(std::ostream& out) const { out << m_text << std::endl; }

std::ostream& operator<<(std::ostream& out, const CRuntimeStack& stack) {
  stack.write(out);
  return out;
}
