// Every examples/NAME.pas, the programs a teacher hands out, is compiled with
// the native tarnc and run (standard input from NAME.in, arguments from
// NAME.args); its output must match NAME.out byte for byte.
#include <gtest/gtest.h>

#include "support/golden.h"
#include "support/test_support.h"
#include "support/wine.h"

namespace tarn {
namespace {

using namespace tarn::test;

const std::string kExamples = "../examples";

class Example : public ::testing::TestWithParam<std::string> {};

TEST_P(Example, CompilesAndPrintsItsExpectedOutput) {
  const std::string name = GetParam();
  const std::string base = test_data(kExamples + "/" + name);
  ASSERT_TRUE(exists(base + ".out")) << "every example carries its expected output";
  TempDir dir;
  write_file(dir.file(name + ".pas"), read_file(base + ".pas"));
  auto compile = run_tarnc({name + ".pas", "/O:out.txt"}, "", dir.path());
  ASSERT_EQ(compile.exit_code, 0) << read_file(dir.file("out.txt")) << compile.err;
  auto run = run_program(dir.file(name + ".exe"), words_of(optional_file(base + ".args")), optional_file(base + ".in"),
                         30, dir.path());
  EXPECT_FALSE(run.timed_out) << name << " did not end within 30 s";
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_TRUE(matches_golden(base + ".out", run.out)) << "output of " << name << ":\n" << run.out;
}

TEST(Examples, AreTheGradedSetWithHeaders) {
  const auto names = golden_cases(kExamples);
  EXPECT_GE(names.size(), 12u);
  EXPECT_LE(names.size(), 20u);
  for (const auto& name : names) {
    const std::string text = read_file(test_data(kExamples + "/" + name + ".pas"));
    EXPECT_EQ(text.rfind("{ " + name + ": ", 0), 0u) << name << ".pas should open with a comment saying what it teaches";
  }
}

INSTANTIATE_TEST_SUITE_P(Examples, Example, ::testing::ValuesIn(golden_cases(kExamples)),
                         [](const auto& info) { return test_name(info.param); });

}  // namespace
}  // namespace tarn
