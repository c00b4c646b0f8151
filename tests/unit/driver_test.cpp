// tarnc's command line and pass sequence, run as a separate process as the
// editor and learners run it.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "driver/driver.h"
#include "support/test_support.h"

namespace tarn {
namespace {

using test::crlf;
using test::read_file;
using test::run_tarnc;
using test::TempDir;

const std::string kBanner = "Tarnwell Compiler Version 3.2.2 Copyright (c) 2026 Tarnwell developers.\r\n";
const std::string kEmptyProgram = "program p()\nbegin\n;\nend.\n";

TEST(OptionValue, TakesTheTextUpToTheNextBlank) {
  EXPECT_EQ(option_value("/E:a.exe /O:out.txt ", "/O:"), "out.txt");
  EXPECT_EQ(option_value("/E:a.exe /O:out.txt ", "/E:"), "a.exe");
  EXPECT_EQ(option_value("/L:RUS ", "/L:"), "RUS");
  EXPECT_EQ(option_value("/E:a.exe ", "/R:"), "");
  // The first character after the colon belongs to the value even when it is a blank.
  EXPECT_EQ(option_value("/O: x ", "/O:"), " x");
  EXPECT_EQ(option_value("/O: ", "/O:"), "");
  // The first occurrence counts.
  EXPECT_EQ(option_value("/O:a /O:b ", "/O:"), "a");
}

TEST(ResourceInfo, ValuesByPositionTrimmedAfterTheFirstEquals) {
  auto v = read_resource_info("ProductName= Pro = X \r\nCompany=ACME\r\nnoequals\r\n");
  ASSERT_EQ(v.size(), 6u);
  EXPECT_EQ(v[0], "Pro = X");
  EXPECT_EQ(v[1], "ACME");
  EXPECT_EQ(v[2], "noequals");
  EXPECT_EQ(v[3], "");
  EXPECT_EQ(v[5], "");
  EXPECT_EQ(read_resource_info(default_resource_info(2031))[3], "(c) , 2031");
}

TEST(Tarnc, NoArgumentsPrintsUsageAndWritesNothing) {
  TempDir dir;
  auto r = run_tarnc({}, "", dir.path());
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out,
            "Tarnwell Compiler Version 3.2. Copyright (c) 2026 Tarnwell developers.\r\n"
            "Use the following syntax:\r\n"
            "tarnc pasfile [/E:exefile] [/R:resfile]  [/O:outputfile] [/L:languageID] [/D]\r\n");
}

TEST(Tarnc, MissingSourceIsReportedAndFails) {
  TempDir dir;
  auto r = run_tarnc({dir.file("none.pas"), "/O:" + dir.file("out.txt")});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(read_file(dir.file("out.txt")), kBanner + "Error: File not found (" + dir.file("none.pas") + ").\r\n");
  EXPECT_FALSE(test::exists(dir.file("none.rs")));
}

TEST(Tarnc, WithoutOutputOptionEverythingGoesToStandardOutput) {
  TempDir dir;
  auto r = run_tarnc({dir.file("none.pas")});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out, kBanner + "Error: File not found (" + dir.file("none.pas") + ").\r\n");
}

TEST(Tarnc, CompileCreatesTheResourceInfoFileAndResTmp) {
  TempDir dir;
  test::write_file(dir.file("p.pas"), crlf(kEmptyProgram));
  auto r = run_tarnc({dir.file("p.pas"), "/O:" + dir.file("out.txt")});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  std::string out = read_file(dir.file("out.txt"));
  EXPECT_EQ(out.rfind(kBanner + dir.file("p.pas") + "\r\n", 0), 0u) << out;
  EXPECT_NE(out.find(" lines.\r\n"), std::string::npos);
  std::string rs = read_file(dir.file("p.rs"));
  EXPECT_EQ(rs.rfind("Company=\r\nDescription=\r\nFileVersion=1.0.0.1\r\nCopyright=(c) , 20", 0), 0u) << rs;
  EXPECT_NE(rs.find("\r\nProductName=\r\nProductVersion=1.0.0.1\r\n"), std::string::npos);
  std::string res = read_file(std::string(getenv("LOCALAPPDATA")) + "/tarnc/res.tmp");
  EXPECT_EQ(res.rfind("\r\n\r\n1.0.0.1\r\n(c) , 20", 0), 0u) << res;

  // A second compile reads the file back; values go by position, keys do not matter.
  test::write_file(dir.file("p.rs"), "x=ACME\r\ny=Tool\r\nz= 2.0 \r\n");
  r = run_tarnc({dir.file("p.pas"), "/O:" + dir.file("out.txt"), "/R:" + dir.file("p.rs")});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(read_file(std::string(getenv("LOCALAPPDATA")) + "/tarnc/res.tmp"), "ACME\r\nTool\r\n2.0\r\n\r\n\r\n\r\n");
}

TEST(Tarnc, SourcePathThatContainsOptionTextSwitchesNothingOn) {
  TempDir dir;
  std::string folder = dir.file("Docs /D /O:x");
  std::filesystem::create_directories(folder);
  test::write_file(folder + "/p.pas", crlf(kEmptyProgram));
  // Debug mode would wait for Enter; with no input the run must still end at once.
  auto r = run_tarnc({folder + "/p.pas", "/O:" + dir.file("out.txt")});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(test::exists(dir.file("out.txt")));
}

TEST(Tarnc, DebugModeWaitsForEnter) {
  TempDir dir;
  test::write_file(dir.file("p.pas"), crlf(kEmptyProgram));
  auto r = run_tarnc({dir.file("p.pas"), "/O:" + dir.file("out.txt"), "/D"}, "\n");
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_NE(r.out.find("\r\nDebug mode.\r\nCompile ...\r\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Done: " + dir.file("p.exe") + "\r\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Press <Enter>"), std::string::npos);
}

TEST(Tarnc, TwoCompilesStartedTogetherBothEnd) {
  TempDir dir;
  test::write_file(dir.file("a.pas"), crlf(kEmptyProgram));
  test::write_file(dir.file("b.pas"), crlf("program q()\nbegin\n;\n;\nend.\n"));
  test::RunResult ra, rb;
  std::thread ta([&] { ra = run_tarnc({dir.file("a.pas"), "/O:" + dir.file("a.txt")}); });
  std::thread tb([&] { rb = run_tarnc({dir.file("b.pas"), "/O:" + dir.file("b.txt")}); });
  ta.join();
  tb.join();
  EXPECT_EQ(ra.exit_code, 0);
  EXPECT_EQ(rb.exit_code, 0);
  EXPECT_NE(read_file(dir.file("a.txt")).find(" lines.\r\n"), std::string::npos);
  EXPECT_NE(read_file(dir.file("b.txt")).find(" lines.\r\n"), std::string::npos);
}

}  // namespace
}  // namespace tarn
