// The bilingual message table and the one error report of the compiler.
// Every error of every pass ends here: the report writes three lines to the
// output file (message with the line number, the source line, a caret under the
// offending token) and throws CompileError, which the entry catches.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tarn {

struct Compilation;

struct termsg {
  uint16_t code;
  std::string tmplmsg;   // English template, UTF-8 in the code
  std::string tmplmsg2;  // Russian template, UTF-8 in the code
};

// The 60 entries in table order; lookups take the first entry of a code.
const std::vector<termsg>& message_table();

enum Language { kEnglish = 1, kRussian = 2 };

struct Diagnostics {
  int language = kEnglish;
};

// Raised by the report (message "Error: <code>") and by the image buffer when
// the 64 KiB limit is passed.
struct CompileError : std::runtime_error {
  explicit CompileError(int c) : std::runtime_error("Error: " + std::to_string(c)), code(c) {}
  int code;
};

void set_language(Diagnostics& d, int language);

// "Error <code>: " + the template with the argument for "%s"; code page 1251.
// The argument is code page 1251 text too.
std::string format_message(const Diagnostics& d, int code, std::string_view arg);

// Writes the report and throws CompileError; never returns.
[[noreturn]] void report_error(Compilation& c, int code, std::string_view arg = {});

// The narrow face of the same report, for a subsystem that keeps to its own
// state: `report` writes the report and throws CompileError.
class ErrorReporter {
 public:
  [[noreturn]] virtual void report(int code, std::string_view arg = {}) = 0;

 protected:
  ~ErrorReporter() = default;
};

// The column (from 1) of the last occurrence of `token` in `line`, ignoring
// ASCII letter case; 0 when it does not occur.
int caret_column(std::string_view line, std::string_view token);

}  // namespace tarn
