// What every test binary shares: temporary folders, files, child processes
// with a timeout, and running tarnc as a user would.
#pragma once

#include <string>
#include <vector>

namespace tarn::test {

// A fresh folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
bool exists(const std::string& path);

// A checked-in test file: path relative to the tests folder.
std::string test_data(const std::string& relative);

struct RunResult {
  int exit_code = -1;     // -1 when the process did not end by itself
  bool timed_out = false;
  std::string out;        // standard output, byte for byte
  std::string err;
};

// Runs argv[0] (searched in PATH) in `cwd` (empty: the current folder), feeds
// `input` to its standard input and kills it after `timeout_s` seconds.
RunResult run_process(const std::vector<std::string>& argv, const std::string& input = {},
                      int timeout_s = 30, const std::string& cwd = {});

// The native tarnc built with the tests, run as a separate process.
std::string native_tarnc();
RunResult run_tarnc(const std::vector<std::string>& args, const std::string& input = {},
                    const std::string& cwd = {});

// Source text with LF line ends turned into CR LF, as learners' files have them.
std::string crlf(const std::string& text);

}  // namespace tarn::test
