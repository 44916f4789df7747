#pragma once
// Finds the module and the function that hold an address of this process.

#include <cstdint>
#include <string>

namespace callstack {

struct ModuleSymbol {
  std::string modulePath;   // file of the module; empty when no module holds the address
  std::string symbol;       // raw (mangled) name; empty when not found
  unsigned long offset = 0; // address minus the symbol's start
  uintptr_t linkAddress = 0; // the address as the module file numbers it
};

ModuleSymbol LookupAddress(const void* address);

// Demangled C++ name without its parameter list ("ns::Cls::run"), or the
// raw name when it is not a C++ name.
std::string ReadableName(const std::string& raw);

}  // namespace callstack
