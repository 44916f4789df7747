#pragma once
// Call-stack text: one line per frame with the source file, line, module and
// function of each address. Built on glibc's backtrace, the dynamic linker's
// module list, the modules' ELF symbol tables and the C++ demangler; source
// files and lines come from binutils' addr2line where the module carries
// line tables (without either, a frame shows " (0)" for them).
//
// These allocate, so a crash handler cannot use them: the crash-capture
// module writes the same lines with a signal-safe writer of its own.

#include <ostream>
#include <string>
#include <vector>

class CSym_Engine {
 public:
  // "%f(%l) : %m at %s\n"
  static const char* GetDefaultFormat();

  // Writes one formatted line per address into the stream. frameLimit -1
  // means no limit. False for a null format or no addresses; also false
  // when the stream went bad.
  static bool WriteStack(std::ostream& out, void* const* addresses, int count, int frameLimit,
                         const char* format);

  // What is known of one address. isReturnAddress: the address follows a
  // call (every frame but a faulting one), so look it up one byte back.
  struct FrameInfo {
    std::string file;    // source file; empty when unknown
    unsigned line = 0;
    unsigned lineDisplacement = 0;
    std::string module;  // file name of the module, without its folder
    std::string symbol;  // function name without parameters; empty when unknown
    unsigned long symbolDisplacement = 0;
  };
  static FrameInfo Describe(void* address, bool isReturnAddress);
  // Describe for a whole stack, with source files and lines where the
  // modules carry debug information (one addr2line run per module).
  static std::vector<FrameInfo> DescribeFrames(void* const* addresses, int count,
                                               bool firstIsFaulting);

  // Writes one frame with the format's directives.
  static void FormatFrame(std::ostream& out, const FrameInfo& info, const char* format);
};

class CRuntimeStack {
 public:
  CRuntimeStack() = default;
  // The stack of given addresses (a crash handler's backtrace), first frame
  // first; the first frame is taken as a faulting address, not a return one.
  CRuntimeStack(void* const* addresses, int count, int frameLimit = -1);
  virtual ~CRuntimeStack() = default;

  // The stack of the calling thread, starting at the caller of capture.
  void capture(int frameLimit = -1);
  const std::string& GetText() const { return m_text; }
  // The text and a line end.
  void write(std::ostream& out) const;

 private:
  std::string m_text;
};

std::ostream& operator<<(std::ostream& out, const CRuntimeStack& stack);
