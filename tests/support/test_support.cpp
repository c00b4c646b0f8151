#include "support/test_support.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>

namespace tarn::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "tarn-test-XXXXXX").string();
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back(0);
  if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
  path_ = buf.data();
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string read_file(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary);
  f << bytes;
  if (!f) throw std::runtime_error("cannot write " + path);
}

bool exists(const std::string& path) { return fs::exists(path); }

std::string test_data(const std::string& relative) { return std::string(TARN_TESTS_DIR) + "/" + relative; }

RunResult run_process(const std::vector<std::string>& argv, const std::string& input, int timeout_s,
                      const std::string& cwd) {
  int in_pipe[2], out_pipe[2], err_pipe[2];
  if (pipe(in_pipe) || pipe(out_pipe) || pipe(err_pipe)) throw std::runtime_error("pipe failed");
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    setpgid(0, 0);
    dup2(in_pipe[0], 0);
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    for (int fd : {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]}) close(fd);
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  setpgid(pid, pid);
  close(in_pipe[0]);
  close(out_pipe[1]);
  close(err_pipe[1]);
  signal(SIGPIPE, SIG_IGN);

  RunResult r;
  size_t written = 0;
  int in_fd = in_pipe[1];
  if (input.empty()) {
    close(in_fd);
    in_fd = -1;
  } else {
    fcntl(in_fd, F_SETFL, O_NONBLOCK);
  }
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_s);
  fcntl(out_pipe[0], F_SETFL, O_NONBLOCK);
  fcntl(err_pipe[0], F_SETFL, O_NONBLOCK);
  // Reads what the pipes hold now; a pipe that reached its end is closed.
  bool out_open = true, err_open = true;
  auto drain = [&](int fd, bool& open, std::string& into) {
    char buf[4096];
    for (;;) {
      ssize_t got = read(fd, buf, sizeof buf);
      if (got > 0) {
        into.append(buf, static_cast<size_t>(got));
        continue;
      }
      if (got == 0) open = false;
      return;
    }
  };
  int status = 0;
  bool exited = false;
  // Wait for the process itself, not for the end of its pipes: processes it
  // leaves behind (Wine's services) may hold them open long after it ended.
  while (!exited) {
    if (waitpid(pid, &status, WNOHANG) == pid) {
      exited = true;
      break;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      r.timed_out = true;
      kill(-pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    pollfd fds[3];
    int n = 0;
    if (out_open) fds[n++] = {out_pipe[0], POLLIN, 0};
    if (err_open) fds[n++] = {err_pipe[0], POLLIN, 0};
    if (in_fd >= 0) fds[n++] = {in_fd, POLLOUT, 0};
    if (poll(fds, n, static_cast<int>(std::min<long long>(left.count(), 20))) < 0 && errno != EINTR) break;
    for (int i = 0; i < n; ++i) {
      if (!fds[i].revents) continue;
      if (fds[i].fd == in_fd) {
        ssize_t w = write(in_fd, input.data() + written, input.size() - written);
        if (w > 0) written += static_cast<size_t>(w);
        if (w < 0 || written == input.size()) {
          close(in_fd);
          in_fd = -1;
        }
      } else if (fds[i].fd == out_pipe[0]) {
        drain(out_pipe[0], out_open, r.out);
      } else {
        drain(err_pipe[0], err_open, r.err);
      }
    }
  }
  if (out_open) drain(out_pipe[0], out_open, r.out);
  if (err_open) drain(err_pipe[0], err_open, r.err);
  if (in_fd >= 0) close(in_fd);
  close(out_pipe[0]);
  close(err_pipe[0]);
  if (exited && WIFEXITED(status)) r.exit_code = WEXITSTATUS(status);
  return r;
}

std::string native_tarnc() { return TARN_NATIVE_TARNC; }

RunResult run_tarnc(const std::vector<std::string>& args, const std::string& input, const std::string& cwd) {
  std::vector<std::string> argv{native_tarnc()};
  argv.insert(argv.end(), args.begin(), args.end());
  return run_process(argv, input, 60, cwd);
}

std::string crlf(const std::string& text) {
  std::string r;
  for (char ch : text) {
    if (ch == '\n') r += '\r';
    r += ch;
  }
  return r;
}

namespace {

// Every test process gets its own work folder: LOCALAPPDATA points into a
// private temporary folder, so no two tests (and no user's compiles) share one.
class PrivateWorkFolder : public ::testing::Environment {
 public:
  void SetUp() override {
    dir_ = std::make_unique<TempDir>();
    setenv("LOCALAPPDATA", dir_->path().c_str(), 1);
    // Wine: the test run's own prefix, quiet, never asking for Mono or Gecko.
    setenv("WINEPREFIX", TARN_WINE_PREFIX, 0);
    setenv("WINEDEBUG", "-all", 1);
    setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
    // tools/run-program falls back to the runner built with these tests.
    setenv("TARNRUN", TARN_TARNRUN, 0);
  }
  void TearDown() override { dir_.reset(); }

 private:
  std::unique_ptr<TempDir> dir_;
};

const auto* const kWorkFolder = ::testing::AddGlobalTestEnvironment(new PrivateWorkFolder);

}  // namespace

}  // namespace tarn::test
