// The module comes from the dynamic linker's list of loaded objects; the
// function from the module file's own ELF symbol table (.symtab, else
// .dynsym), so functions that are not exported are named too.
#include "ModuleSymbols.h"

#include <cxxabi.h>
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace callstack {
namespace {

struct ModuleHit {
  const void* address;
  bool found = false;
  std::string path;
  ElfW(Addr) bias = 0;
};

int FindModule(struct dl_phdr_info* info, size_t, void* data) {
  auto* hit = static_cast<ModuleHit*>(data);
  auto addr = reinterpret_cast<ElfW(Addr)>(hit->address);
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& ph = info->dlpi_phdr[i];
    if (ph.p_type != PT_LOAD) continue;
    ElfW(Addr) start = info->dlpi_addr + ph.p_vaddr;
    if (addr >= start && addr < start + ph.p_memsz) {
      hit->found = true;
      hit->bias = info->dlpi_addr;
      hit->path = info->dlpi_name ? info->dlpi_name : "";
      return 1;
    }
  }
  return 0;
}

std::string ProgramPath() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  buf[n] = 0;
  return buf;
}

// Read-only view of a whole file.
class MappedFile {
 public:
  explicit MappedFile(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st {};
    if (fstat(fd, &st) == 0 && st.st_size > 0) {
      void* p = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
      if (p != MAP_FAILED) {
        data_ = static_cast<const unsigned char*>(p);
        size_ = static_cast<size_t>(st.st_size);
      }
    }
    close(fd);
  }
  ~MappedFile() {
    if (data_) munmap(const_cast<unsigned char*>(data_), size_);
  }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  const unsigned char* data() const { return data_; }
  size_t size() const { return size_; }
  bool contains(size_t offset, size_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }

 private:
  const unsigned char* data_ = nullptr;
  size_t size_ = 0;
};

// Best function symbol holding the link-time address, from one symbol table.
bool SearchTable(const MappedFile& file, const ElfW(Shdr)* sections, int count, unsigned type,
                 ElfW(Addr) target, std::string& name, unsigned long& offset) {
  for (int i = 0; i < count; ++i) {
    const ElfW(Shdr)& table = sections[i];
    if (table.sh_type != type || table.sh_entsize != sizeof(ElfW(Sym))) continue;
    if (table.sh_link >= static_cast<unsigned>(count)) continue;
    const ElfW(Shdr)& strings = sections[table.sh_link];
    if (!file.contains(table.sh_offset, table.sh_size) ||
        !file.contains(strings.sh_offset, strings.sh_size))
      continue;
    auto* syms = reinterpret_cast<const ElfW(Sym)*>(file.data() + table.sh_offset);
    size_t n = table.sh_size / sizeof(ElfW(Sym));
    const ElfW(Sym)* best = nullptr;
    for (size_t k = 0; k < n; ++k) {
      const ElfW(Sym)& s = syms[k];
      if (ELF64_ST_TYPE(s.st_info) != STT_FUNC || s.st_shndx == SHN_UNDEF || s.st_value == 0)
        continue;
      if (target < s.st_value) continue;
      bool inside = s.st_size ? target < s.st_value + s.st_size : false;
      if (!inside) continue;
      if (!best || s.st_value > best->st_value) best = &s;
    }
    if (best && best->st_name < strings.sh_size) {
      const char* str = reinterpret_cast<const char*>(file.data() + strings.sh_offset);
      name.assign(str + best->st_name, strnlen(str + best->st_name, strings.sh_size - best->st_name));
      offset = target - best->st_value;
      return true;
    }
  }
  return false;
}

bool SymbolFromFile(const std::string& path, ElfW(Addr) target, std::string& name,
                    unsigned long& offset) {
  MappedFile file(path);
  if (!file.data() || !file.contains(0, sizeof(ElfW(Ehdr)))) return false;
  auto* eh = reinterpret_cast<const ElfW(Ehdr)*>(file.data());
  if (std::memcmp(eh->e_ident, ELFMAG, SELFMAG) != 0 || eh->e_ident[EI_CLASS] != ELFCLASS64)
    return false;
  if (eh->e_shentsize != sizeof(ElfW(Shdr)) ||
      !file.contains(eh->e_shoff, size_t(eh->e_shnum) * sizeof(ElfW(Shdr))))
    return false;
  auto* sections = reinterpret_cast<const ElfW(Shdr)*>(file.data() + eh->e_shoff);
  return SearchTable(file, sections, eh->e_shnum, SHT_SYMTAB, target, name, offset) ||
         SearchTable(file, sections, eh->e_shnum, SHT_DYNSYM, target, name, offset);
}

}  // namespace

ModuleSymbol LookupAddress(const void* address) {
  ModuleSymbol result;
  ModuleHit hit;
  hit.address = address;
  dl_iterate_phdr(FindModule, &hit);
  if (!hit.found) return result;
  result.modulePath = hit.path.empty() ? ProgramPath() : hit.path;
  ElfW(Addr) target = reinterpret_cast<ElfW(Addr)>(address) - hit.bias;
  result.linkAddress = target;
  SymbolFromFile(result.modulePath, target, result.symbol, result.offset);
  return result;
}

std::string ReadableName(const std::string& raw) {
  if (raw.empty()) return raw;
  int status = 0;
  char* demangled = abi::__cxa_demangle(raw.c_str(), nullptr, nullptr, &status);
  if (status != 0 || !demangled) {
    std::free(demangled);
    return raw;
  }
  std::string name = demangled;
  std::free(demangled);
  // ABI tags ("[abi:cxx11]") say nothing to a reader of a stack.
  for (size_t tag = name.find("[abi:"); tag != std::string::npos; tag = name.find("[abi:", tag)) {
    size_t end = name.find(']', tag);
    if (end == std::string::npos) break;
    name.erase(tag, end - tag + 1);
  }
  // Cut the parameter list (and any qualifiers after it): the line format
  // adds "()" itself.
  size_t close = name.rfind(')');
  if (close == std::string::npos) return name;
  int depth = 0;
  for (size_t i = close + 1; i-- > 0;) {
    if (name[i] == ')') ++depth;
    else if (name[i] == '(' && --depth == 0) {
      // "(anonymous namespace)" is part of a name, never a parameter list.
      if (i > 0) return name.substr(0, i);
      break;
    }
  }
  return name;
}

}  // namespace callstack
