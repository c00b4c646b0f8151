// The only part of the compiler that knows the host operating system.
// Paths are UTF-8 text here and everywhere in the compiler; file contents are
// bytes, read and written without any conversion by the host.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::platform {

// The folder separator of the host, as text ("\\" on Windows, "/" elsewhere).
const char* separator();

// The user's local application-data folder without a trailing separator; the
// system's temporary folder when the host cannot tell.
std::string local_appdata_folder();

bool file_exists(const std::string& path);
bool folder_exists(const std::string& path);
// True when the folder exists afterwards, also when another process created it
// a moment earlier.
bool create_folder(const std::string& path);

// The reason of the last failed call here, as the host words it ("Permission
// denied"), in UTF-8.
std::string last_error();

// True when both paths name one file: by identity where both exist (links,
// ".." and letter case do not fool it), else by their absolute spelling.
bool same_file(const std::string& a, const std::string& b);

// Whole-file helpers; false on any failure. read_file reads at most
// `max_bytes`: a longer file (or an endless device) is a failure with the
// reason "too_large" set; it never waits for a pipe that has no data.
bool read_file(const std::string& path, std::string& bytes, size_t max_bytes = SIZE_MAX,
               bool* too_large = nullptr);
bool write_file(const std::string& path, std::string_view bytes);

// Creates the file where it is missing and checks that it can be written,
// leaving the bytes of an existing one as they are (write_file later puts
// the new bytes over them): emptying a file the compile is about to write
// anyway cost a flush of its old blocks.
bool create_file(const std::string& path);

// Writes the file beside its target under a temporary name and puts it in the
// target's place only when every byte was written: a failure leaves the old
// file as it was and no temporary behind.
bool replace_file(const std::string& path, const std::string& bytes);

// fopen with a UTF-8 path; the mode should be binary ("rb", "wb", ...).
FILE* open_file(const std::string& path, const char* mode);

// Opens a file to be written anew from its start, created where missing. An
// existing file is cut to its first byte, which the first write covers, rather
// than emptied: the caller writes at once.
FILE* open_for_rewrite(const std::string& path);

// The current year of the local clock.
int current_year();

// Arguments of the process as UTF-8 text (the program name excluded).
std::vector<std::string> arguments(int argc, char** argv);

// Standard input and output pass bytes unchanged (no CR LF translation).
void set_binary_stdio();

// An exclusive lock on a file, held until release() or destruction; a second
// process asking for the same lock waits for it, at most `wait_ms`.
class FileLock {
 public:
  enum Result { kLocked, kBusy, kFailed };
  FileLock() = default;
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  Result acquire(const std::string& path, int wait_ms);
  void release();

 private:
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
};

}  // namespace tarn::platform
