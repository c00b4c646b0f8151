// cmake --install of this build puts tarnc and its man page where a Linux
// user looks for them, and the installed tarnc compiles a program.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"

namespace tarn {
namespace {

using namespace tarn::test;
namespace fs = std::filesystem;

TEST(Install, PutsTarncAndItsManPageInThePrefix) {
  const std::string build = fs::path(native_tarnc()).parent_path().parent_path().string();
  TempDir prefix;
  auto install = run_process({"cmake", "--install", build, "--prefix", prefix.path()});
  ASSERT_EQ(install.exit_code, 0) << install.out << install.err;
  const std::string tarnc = prefix.file("bin/tarnc");
  ASSERT_TRUE(exists(tarnc));
  const std::string man = read_file(prefix.file("share/man/man1/tarnc.1"));
  EXPECT_NE(man.find(".TH TARNC 1"), std::string::npos);

  TempDir work;
  write_file(work.file("hi.pas"), crlf("program hi()\nbegin\n  writeln('hi');\nend.\n"));
  auto compile = run_process({tarnc, "hi.pas", "/O:out.txt"}, "", 30, work.path());
  EXPECT_EQ(compile.exit_code, 0) << read_file(work.file("out.txt"));
  EXPECT_TRUE(exists(work.file("hi.exe")));
}

}  // namespace
}  // namespace tarn
