// The empty program runs under Windows (Wine): built in-process from the
// postfix records the front end writes for it, and by tarnc end to end.
#include <gtest/gtest.h>

#include "image/resource.h"
#include "support/image_build.h"
#include "support/wine.h"

namespace tarn {
namespace {

using test::TempDir;

TEST(EmptyProgramUnderWine, BuiltFromItsPostfixRecordsExitsWithZeroAndPrintsNothing) {
  TempDir dir;
  // The work folder of this test process, as tarnc would use it.
  const std::string work = std::string(getenv("LOCALAPPDATA"));
  auto c = test::image_compilation(work, test::empty_program_postfix(), "\r\n\r\n1.0.0.1\r\n\r\n\r\n1.0.0.1\r\n");
  ASSERT_EQ(test::build_code_section(*c), 0);
  build_version_resource(c->image, work_file(*c, "res.tmp"), "p.exe");
  ASSERT_TRUE(write_image_file(c->image, dir.file("p.exe")));
  auto r = test::run_program(dir.file("p.exe"), {}, "", 30, dir.path());
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "");
}

TEST(EmptyProgramUnderWine, TarncWritesAnExecutableThatRuns) {
  TempDir dir;
  test::write_file(dir.file("p.pas"), test::crlf("program p()\nbegin\n;\nend.\n"));
  auto t = test::run_tarnc({"p.pas", "/O:out.txt"}, "", dir.path());
  ASSERT_EQ(t.exit_code, 0) << test::read_file(dir.file("out.txt"));
  ASSERT_TRUE(test::exists(dir.file("p.exe")));
  auto r = test::run_program(dir.file("p.exe"), {}, "", 30, dir.path());
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "");
}

}  // namespace
}  // namespace tarn
