#include "base/output.h"

#include "platform/platform.h"

namespace tarn {

bool OutputFile::open(const std::string& path) {
  close();
  if (path.empty()) {
    file = stdout;
    is_stdout = true;
    return true;
  }
  file = platform::open_for_rewrite(path);
  is_stdout = false;
  return file != nullptr;
}

void OutputFile::write(std::string_view bytes) {
  if (file && !bytes.empty()) fwrite(bytes.data(), 1, bytes.size(), file);
}

void OutputFile::write_line(std::string_view bytes) {
  write(bytes);
  write("\r\n");
}

void OutputFile::flush() {
  if (file) fflush(file);
}

void OutputFile::close() {
  if (!file) return;
  if (is_stdout) fflush(file);
  else fclose(file);
  file = nullptr;
  is_stdout = false;
}

void console_write(std::string_view bytes) {
  if (!bytes.empty()) fwrite(bytes.data(), 1, bytes.size(), stdout);
}

void console_line(std::string_view bytes) {
  console_write(bytes);
  console_write("\r\n");
}

}  // namespace tarn
