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

// A failure of the compiler's own files (work folder, source, version file,
// work files): no message-table entry fits, so the entry reports it with code
// 0 and a text of its own in the message language, with the host's reason.
enum class FileFailure {
  kWorkFolder,      // the work folder cannot be created or used
  kWorkFolderBusy,  // another compile holds the work folder too long
  kWorkFile,        // a work file cannot be written or read
  kSourceRead,
  kSourceTooLarge,
  kVersionRead,
  kVersionTooLarge,
  kVersionCreate,
};

struct FileError : std::runtime_error {
  FileError(FileFailure k, std::string p, std::string r)
      : std::runtime_error(p + (r.empty() ? "" : ": " + r)), kind(k), path(std::move(p)), reason(std::move(r)) {}
  FileFailure kind;
  std::string path;    // UTF-8
  std::string reason;  // the host's words, UTF-8
};

// Two of the files a compile touches are one file; writing would destroy one.
enum class FileRole { kSource, kOutput, kExecutable, kVersion };

// The report line's message for these failures: "Error 0: " + text, code page 1251.
std::string file_failure_message(const Diagnostics& d, const FileError& e);
std::string same_file_message(const Diagnostics& d, FileRole a, FileRole b, const std::string& path);

void set_language(Diagnostics& d, int language);

// "Error <code>: " + the template with the argument for "%s"; code page 1251.
// The argument is code page 1251 text too.
std::string format_message(const Diagnostics& d, int code, std::string_view arg);


// The narrow face of the same report, for a subsystem that keeps to its own
// state: `report` writes the report and throws CompileError.
class ErrorReporter {
 public:
  [[noreturn]] virtual void report(int code, std::string_view arg = {}) = 0;

 protected:
  ~ErrorReporter() = default;
};

// The report through the narrow face; never returns.
[[noreturn]] inline void report_error(ErrorReporter& errors, int code, std::string_view arg = {}) {
  errors.report(code, arg);
  throw CompileError(code);  // not reached: every reporter throws
}

// The column (from 1) of the last occurrence of `token` in `line`, ignoring
// ASCII letter case; 0 when it does not occur.
int caret_column(std::string_view line, std::string_view token);

}  // namespace tarn
