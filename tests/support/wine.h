// Running Windows executables under Wine in the test run's private prefix
// (WINEPREFIX and WINEDEBUG come from the test environment).
#pragma once

#include <string>
#include <vector>

#include "support/test_support.h"

namespace tarn::test {

RunResult run_wine(const std::string& exe, const std::vector<std::string>& args = {},
                   const std::string& input = {}, int timeout_s = 30, const std::string& cwd = {});

// The cross-built tarnc.exe, or empty text when this build has none.
std::string windows_tarnc();

// A Unix path as the Windows program under Wine sees it (drive Z:).
std::string wine_path(const std::string& unix_path);

}  // namespace tarn::test
