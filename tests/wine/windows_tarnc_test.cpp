// The cross-built tarnc.exe under Wine answers exactly as the native tarnc:
// the same usage text, the same output file, the same files written.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support/test_support.h"
#include "support/wine.h"

namespace tarn {
namespace {

using test::read_file;
using test::TempDir;

// Two executables as one line: where they first differ (a dump of both helps nobody).
std::string difference(const std::string& a, const std::string& b) {
  size_t at = 0;
  while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
  return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size()) + ", first difference at offset " +
         std::to_string(at);
}

class WindowsTarnc : public ::testing::Test {
 protected:
  void SetUp() override {
    exe = test::windows_tarnc();
    if (exe.empty()) GTEST_SKIP() << "no cross-built tarnc.exe in this build";
  }
  test::RunResult windows(const std::vector<std::string>& args, const std::string& cwd) {
    return test::run_wine64(exe, args, "", 60, cwd);
  }
  std::string exe;
};

// A learner copies tarnc.exe anywhere: it must need no DLL beyond Windows' own.
TEST_F(WindowsTarnc, NeedsOnlyWindowsSystemLibraries) {
  auto r = test::run_process({"objdump", "-p", exe});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const std::vector<std::string> system_dlls = {"KERNEL32.dll", "msvcrt.dll", "SHELL32.dll", "USER32.dll",
                                                "ADVAPI32.dll"};
  int count = 0;
  for (size_t p = r.out.find("DLL Name: "); p != std::string::npos; p = r.out.find("DLL Name: ", p + 1)) {
    std::string dll = r.out.substr(p + 10, r.out.find('\n', p) - p - 10);
    EXPECT_NE(std::find(system_dlls.begin(), system_dlls.end(), dll), system_dlls.end()) << dll;
    ++count;
  }
  EXPECT_GT(count, 0);
}

TEST_F(WindowsTarnc, UsageTextMatchesNative) {
  TempDir dir;
  auto native = test::run_tarnc({}, "", dir.path());
  auto win = windows({}, dir.path());
  EXPECT_EQ(win.exit_code, 0);
  EXPECT_EQ(win.out, native.out);
}

TEST_F(WindowsTarnc, MissingSourceMatchesNative) {
  TempDir dir;
  auto native = test::run_tarnc({"none.pas", "/O:native.txt"}, "", dir.path());
  auto win = windows({"none.pas", "/O:win.txt"}, dir.path());
  EXPECT_EQ(native.exit_code, 1);
  EXPECT_EQ(win.exit_code, 1);
  EXPECT_EQ(read_file(dir.file("win.txt")), read_file(dir.file("native.txt")));
}

TEST_F(WindowsTarnc, CompileWritesTheSameFiles) {
  TempDir dir;
  const std::string src = test::crlf("program p()\nbegin\n;\nend.\n");
  test::write_file(dir.file("n.pas"), src);
  test::write_file(dir.file("w.pas"), src);
  auto native = test::run_tarnc({"n.pas", "/O:n.txt", "/E:n.exe"}, "", dir.path());
  auto win = windows({"w.pas", "/O:w.txt", "/E:w.exe"}, dir.path());
  ASSERT_EQ(native.exit_code, 0) << native.err;
  ASSERT_EQ(win.exit_code, 0) << win.err;
  std::string n = read_file(dir.file("n.txt")), w = read_file(dir.file("w.txt"));
  EXPECT_EQ(w.substr(w.find("\r\n") + 2), "w.pas\r\n" + n.substr(n.find("\r\n") + 2 + 7));
  EXPECT_EQ(read_file(dir.file("w.rs")), read_file(dir.file("n.rs")));
  if (test::exists(dir.file("n.exe")) || test::exists(dir.file("w.exe"))) {
    // The executable's own name is in its version strings; with it replaced
    // the two files must agree byte for byte.
    std::string ne = read_file(dir.file("n.exe")), we = read_file(dir.file("w.exe"));
    const std::string n16("n\0.\0e\0x\0e\0", 10), w16("w\0.\0e\0x\0e\0", 10);
    for (size_t p = ne.find(n16); p != std::string::npos; p = ne.find(n16, p + 1)) ne.replace(p, n16.size(), w16);
    EXPECT_TRUE(we == ne) << difference(we, ne);
  }
}

TEST_F(WindowsTarnc, CompileWritesTheSameExecutableForTheSameName) {
  TempDir dir;
  const std::string src = test::crlf("program p()\nbegin\n;\nend.\n");
  for (const char* sub : {"/native", "/win"}) {
    std::filesystem::create_directories(dir.path() + sub);
    test::write_file(dir.path() + sub + "/p.pas", src);
  }
  auto native = test::run_tarnc({"p.pas", "/O:out.txt"}, "", dir.path() + "/native");
  auto win = windows({"p.pas", "/O:out.txt"}, dir.path() + "/win");
  ASSERT_EQ(native.exit_code, 0) << native.err;
  ASSERT_EQ(win.exit_code, 0) << win.err;
  const std::string exe = read_file(dir.path() + "/native/p.exe");
  ASSERT_GT(exe.size(), 2048u);
  const std::string win_exe = read_file(dir.path() + "/win/p.exe");
  EXPECT_TRUE(win_exe == exe) << difference(win_exe, exe);
  EXPECT_EQ(read_file(dir.path() + "/win/out.txt"), read_file(dir.path() + "/native/out.txt"));
}

// The report the editor reads: same lines, same caret, in both languages.
TEST_F(WindowsTarnc, ErrorReportsMatchNative) {
  TempDir dir;
  test::write_file(dir.file("e.pas"), test::crlf("program p()\nvar\n  Count: integer;\nbegin\n  count := Kount + 1;\nend.\n"));
  for (const char* language : {"/L:EN", "/L:RU"}) {
    auto native = test::run_tarnc({"e.pas", "/O:n.txt", language}, "", dir.path());
    auto win = windows({"e.pas", "/O:w.txt", language}, dir.path());
    EXPECT_EQ(native.exit_code, 1);
    EXPECT_EQ(win.exit_code, 1);
    const std::string n = read_file(dir.file("n.txt"));
    EXPECT_NE(n.find("e.pas(5): Error 3: "), std::string::npos) << n;
    EXPECT_EQ(read_file(dir.file("w.txt")), n) << language;
  }
}

// Windows compares the files by identity too: another letter case names the
// same file, and the source survives; a second compile replaces the executable.
TEST_F(WindowsTarnc, RefusesToWriteOverTheSourceAndReplacesTheExecutable) {
  TempDir dir;
  const std::string src = test::crlf("program p()\nbegin\n;\nend.\n");
  test::write_file(dir.file("w.pas"), src);
  auto r = windows({"w.pas", "/O:W.PAS"}, dir.path());
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.out.find("w.pas(1): Error 0: The output file and the source file are one file (W.PAS)"),
            std::string::npos) << r.out;
  r = windows({"w.pas", "/O:out.txt", "/E:W.pas"}, dir.path());
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(read_file(dir.file("w.pas")), src);
  test::write_file(dir.file("w.exe"), "old");
  r = windows({"w.pas", "/O:out.txt"}, dir.path());
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(read_file(dir.file("w.exe")).substr(0, 2), "MZ");
  EXPECT_EQ(read_file(dir.file("w.pas")), src);
}

}  // namespace
}  // namespace tarn
