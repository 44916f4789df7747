#pragma once
// The call stack of a crash as text, written inside the signal handler:
// every call here is async-signal-safe and every byte lives in memory set
// aside in advance, so a crash inside the allocator (or while another
// thread holds it) is still described. The lines are those of the base
// library's call-stack text: "file(line) : module at function()".
//
// Modules come from the dynamic linker's lock-free lookup
// (_dl_find_object), functions from the module file's ELF symbol table read
// with pread, names demangled by libiberty's callback demangler (which
// allocates nothing), source lines from binutils' addr2line, started with
// _Fork and execve.

#include "FixedText.h"

namespace trevalin {

// Once, before any crash: where addr2line and the program are.
void PrepareStackText();

// One line per frame, the first frame taken as the faulting address.
void WriteStackText(FixedText& out, void* const* frames, int count);

}  // namespace trevalin
