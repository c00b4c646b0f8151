// The entry of tarnc: the command line, the output file, and the compile
// driver that runs every pass in its fixed order and moves results between
// them through the work folder.
#pragma once

#include <string>
#include <vector>

namespace tarn {

struct Compilation;

// Runs tarnc with the given arguments (program name excluded) and returns the
// process exit code.
int run_tarnc(const std::vector<std::string>& args);

// The value of a prefixed option ("/O:") in an option line, or empty text:
// from the character after the colon up to the next blank, where the scan for
// that blank starts one character later, so the first character always counts.
std::string option_value(const std::string& option_line, const std::string& prefix);

// The six values of a ".rs" file by position: text after the first "=" of each
// line, trimmed; missing lines give empty values.
std::vector<std::string> read_resource_info(const std::string& bytes);

// The ".rs" file the driver creates when none exists.
std::string default_resource_info(int year);

// Every pass of one compile, from the work folder to the executable write, on
// a Compilation that has not compiled before.
void compile(Compilation& c);

// The back end's last passes: headers, the code section (error 202 when it
// does not fit, an internal error when it fails), the version resource and the write of c.drv.exe_path (error 201).
// Expects "postfix.tmp" and "res.tmp" in the work folder.
void write_executable(Compilation& c);

}  // namespace tarn
