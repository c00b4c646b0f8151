// Running Windows executables in tests. Produced programs (PE32 i386) go
// through tools/run-program: Wine where this host executes 32-bit code, else
// tarnrun, the emulating runner. The project's own Windows programs (x86-64)
// run under wine64, which needs no 32-bit support from the host.
// WINEPREFIX and WINEDEBUG come from the test environment.
#pragma once

#include <string>
#include <vector>

#include "support/test_support.h"

namespace tarn::test {

// A program tarnc wrote, run the way every test tier runs it.
RunResult run_program(const std::string& exe, const std::vector<std::string>& args = {},
                      const std::string& input = {}, int timeout_s = 30, const std::string& cwd = {});

// tools/run-program, for a test that runs it from a shell.
std::string run_program_script();

// The same program under each of the two, for the tests that compare them.
RunResult run_under_wine(const std::string& exe, const std::vector<std::string>& args = {},
                         const std::string& input = {}, int timeout_s = 30, const std::string& cwd = {});
RunResult run_under_runner(const std::string& exe, const std::vector<std::string>& args = {},
                           const std::string& input = {}, int timeout_s = 30, const std::string& cwd = {});

// What run_program uses on this host: "wine", or "tarnrun (why)".
std::string program_runner();
bool wine_runs_programs();

// An x86-64 Windows program (tarnc.exe, the editor) under wine64.
RunResult run_wine64(const std::string& exe, const std::vector<std::string>& args = {},
                     const std::string& input = {}, int timeout_s = 30, const std::string& cwd = {});

// The emulating runner built with the tests.
std::string tarnrun();

// The cross-built tarnc.exe, or empty text when this build has none.
std::string windows_tarnc();

// A Unix path as the Windows program under Wine sees it (drive Z:).
std::string wine_path(const std::string& unix_path);

}  // namespace tarn::test
