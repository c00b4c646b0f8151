// The compiler's output file: the banner, the source path, then either the
// error report or the line count. Code page 1251, lines ended by CR LF, or
// standard output when no output path was given.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace tarn {

struct OutputFile {
  FILE* file = nullptr;
  bool is_stdout = false;

  bool open(const std::string& path);  // empty path: standard output
  void write(std::string_view bytes);
  void write_line(std::string_view bytes = {});
  void flush();
  void close();
};

// Console output of the compiler itself (usage, debug mode): the same bytes
// on every host, lines ended by CR LF.
void console_write(std::string_view bytes);
void console_line(std::string_view bytes = {});

}  // namespace tarn
