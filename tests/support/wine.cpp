#include "support/wine.h"

#include <cstdlib>

namespace tarn::test {

namespace {

std::vector<std::string> command(std::vector<std::string> head, const std::string& exe,
                                 const std::vector<std::string>& args) {
  head.push_back(exe);
  head.insert(head.end(), args.begin(), args.end());
  return head;
}

}  // namespace

std::string tarnrun() { return TARN_TARNRUN; }

std::string run_program_script() { return TARN_RUN_PROGRAM; }

RunResult run_program(const std::string& exe, const std::vector<std::string>& args, const std::string& input,
                      int timeout_s, const std::string& cwd) {
  return run_process(command({TARN_RUN_PROGRAM}, exe, args), input, timeout_s, cwd);
}

RunResult run_under_wine(const std::string& exe, const std::vector<std::string>& args, const std::string& input,
                         int timeout_s, const std::string& cwd) {
  return run_process(command({"wine"}, exe, args), input, timeout_s, cwd);
}

RunResult run_under_runner(const std::string& exe, const std::vector<std::string>& args, const std::string& input,
                           int timeout_s, const std::string& cwd) {
  return run_process(command({tarnrun()}, exe, args), input, timeout_s, cwd);
}

std::string program_runner() {
  static const std::string which = [] {
    std::string out = run_process({TARN_RUN_PROGRAM, "--which"}).out;
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
  }();
  return which;
}

bool wine_runs_programs() {
  // What the host can do, whatever TARN_RUNNER forces for run_program.
  static const bool runs = run_process({"env", "TARN_RUNNER=auto", TARN_RUN_PROGRAM, "--which"}).out == "wine\n";
  return runs;
}

RunResult run_wine64(const std::string& exe, const std::vector<std::string>& args, const std::string& input,
                     int timeout_s, const std::string& cwd) {
  return run_process(command({"/usr/lib/wine/wine64"}, exe, args), input, timeout_s, cwd);
}

std::string windows_tarnc() {
  std::string exe = TARN_WINDOWS_TARNC;
  return !exe.empty() && exists(exe) ? exe : "";
}

std::string wine_path(const std::string& unix_path) {
  std::string r = "Z:";
  for (char ch : unix_path) r += ch == '/' ? '\\' : ch;
  return r;
}

}  // namespace tarn::test
