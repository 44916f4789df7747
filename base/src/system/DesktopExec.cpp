#include "DesktopExec.h"

namespace {

// Characters that make an argument need quotes in an Exec value.
constexpr char kReserved[] = " \t\n\"'\\><~|&;$*?#()`";

std::string QuotedArgument(const std::string& arg) {
  std::string out;
  const bool quote = arg.empty() || arg.find_first_of(kReserved) != std::string::npos;
  if (quote) out += '"';
  for (char c : arg) {
    if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) out += '\\';
    if (c == '%') out += '%';
    // A line break would end the value; a blank keeps the argument whole.
    out += (c == '\n' || c == '\r') ? ' ' : c;
  }
  if (quote) out += '"';
  return out;
}

// The string-value escape of the format, applied over the quoting.
std::string EscapedValue(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') out += '\\';
    out += c;
  }
  return out;
}

}  // namespace

std::vector<std::string> SplitWindowsCommandLine(const std::string& commandLine) {
  std::vector<std::string> args;
  std::string current;
  bool inQuotes = false, any = false;
  for (size_t i = 0; i < commandLine.size(); ++i) {
    const char c = commandLine[i];
    if (c == '\\') {
      size_t run = 0;
      while (i + run < commandLine.size() && commandLine[i + run] == '\\') ++run;
      const bool beforeQuote = i + run < commandLine.size() && commandLine[i + run] == '"';
      current.append(beforeQuote ? run / 2 : run, '\\');
      any = true;
      i += run - 1;
      if (beforeQuote && run % 2 == 1) {
        current += '"';
        ++i;  // the escaped quote is taken
      }
    } else if (c == '"') {
      inQuotes = !inQuotes;
      any = true;
    } else if ((c == ' ' || c == '\t' || c == '\n' || c == '\r') && !inQuotes) {
      if (any) args.push_back(current);
      current.clear();
      any = false;
    } else {
      current += c;
      any = true;
    }
  }
  if (any) args.push_back(current);
  return args;
}

std::string DesktopExecValue(const std::string& program, const std::string& arguments) {
  std::string exec = QuotedArgument(program);
  for (const std::string& arg : SplitWindowsCommandLine(arguments)) exec += " " + QuotedArgument(arg);
  return EscapedValue(exec);
}
