// The only part of the compiler that knows the host operating system.
// Paths are UTF-8 text here and everywhere in the compiler; file contents are
// bytes, read and written without any conversion by the host.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace tarn::platform {

// The folder separator of the host, as text ("\\" on Windows, "/" elsewhere).
const char* separator();

// The user's local application-data folder without a trailing separator, or
// empty text when the host cannot tell.
std::string local_appdata_folder();

bool file_exists(const std::string& path);
bool folder_exists(const std::string& path);
bool create_folder(const std::string& path);

// Whole-file helpers; false on any failure.
bool read_file(const std::string& path, std::string& bytes);
bool write_file(const std::string& path, const std::string& bytes);

// fopen with a UTF-8 path; the mode should be binary ("rb", "wb", ...).
FILE* open_file(const std::string& path, const char* mode);

// The current year of the local clock.
int current_year();

// Arguments of the process as UTF-8 text (the program name excluded).
std::vector<std::string> arguments(int argc, char** argv);

// Standard input and output pass bytes unchanged (no CR LF translation).
void set_binary_stdio();

// An exclusive lock on a file, held until release() or destruction; a second
// process asking for the same lock waits.
class FileLock {
 public:
  FileLock() = default;
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool acquire(const std::string& path);
  void release();

 private:
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
};

}  // namespace tarn::platform
