// Compiling from the editor, the parts that need no window: the compiler's
// command line, the report it leaves in its output file read into the lines of
// the message pane, and a path shortened to fit a label.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ui_texts.h"

namespace tarn::editor {

// What the compiler's output file says. Its text comes in as UTF-8.
struct CompileReport {
  bool readable = false;   // the file could be read (and was not empty)
  bool error = false;      // a line holds "Error"
  int code = 0, row = 0;   // row 0: no line to mark
  int caret = 0;           // 1-based column of "^" in the line after the source line, 0 when absent
  std::string message;     // the error line from "Error" on, at most 256 characters
  std::string last_line;   // the last line read: the line count after a successful compile

  // A compile succeeded only when the file was there, readable, and held no error.
  bool failed() const { return !readable || error; }
};

CompileReport read_report(std::string_view text);

// The hint appended (after " - ") to the message of some error codes; null when none.
const char* error_hint(int code);

// The message pane's lines for a report. A missing or empty file says so
// instead of reporting success.
std::vector<std::string> pane_lines(const CompileReport& report, Language language);

// "X:\folder\name.pas" with another extension.
std::string with_extension(std::string_view path, std::string_view extension);

// The compiler's parameters, in this order: the work text, "/E:" exe, "/R:"
// version file, the language, "/O:" output file. No length limit: Windows
// takes 32,767 characters.
std::string compiler_parameters(std::string_view source, std::string_view exe, std::string_view version_file,
                                Language language, std::string_view output);
std::string command_line(std::string_view program, std::string_view parameters);

// The compiler takes each "/E:" and "/R:" value only up to its first blank:
// such a path must go in its short form.
inline bool needs_short_form(std::string_view path) { return path.find(' ') != std::string_view::npos; }

// The path shortened until `width(text)` fits `limit`: leading folders give
// way to "...\", then the drive goes.
std::string shorten_path(std::string_view path, int limit, const std::function<int(std::string_view)>& width);

}  // namespace tarn::editor
