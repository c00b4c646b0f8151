#include "support/wine.h"

#include <cstdlib>

namespace tarn::test {

RunResult run_wine(const std::string& exe, const std::vector<std::string>& args, const std::string& input,
                   int timeout_s, const std::string& cwd) {
  std::vector<std::string> argv{"wine", exe};
  argv.insert(argv.end(), args.begin(), args.end());
  return run_process(argv, input, timeout_s, cwd);
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
