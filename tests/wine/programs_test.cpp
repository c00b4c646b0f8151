// Every tests/programs/NAME.pas is compiled with the native tarnc as a learner
// would; when NAME.out exists the executable runs under Wine (standard input
// from NAME.in, arguments from NAME.args) and its output must match NAME.out
// byte for byte. Names listed in tests/programs/PENDING are only compiled:
// they wait for the part of the code generator that runs them.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/golden.h"
#include "support/test_support.h"
#include "support/wine.h"

namespace tarn {
namespace {

using namespace tarn::test;

class Program : public ::testing::TestWithParam<std::string> {};

TEST_P(Program, CompilesAndPrintsItsExpectedOutput) {
  const std::string name = GetParam();
  const std::string base = test_data("programs/" + name);
  TempDir dir;
  write_file(dir.file(name + ".pas"), read_file(base + ".pas"));
  auto compile = run_tarnc({name + ".pas", "/O:out.txt"}, "", dir.path());
  ASSERT_EQ(compile.exit_code, 0) << read_file(dir.file("out.txt")) << compile.err;

  if (!exists(base + ".out")) return;
  const auto pending = words_of(optional_file(test_data("programs/PENDING")));
  if (std::find(pending.begin(), pending.end(), name) != pending.end())
    GTEST_SKIP() << name << " is compiled only (listed in PENDING)";
  ASSERT_TRUE(exists(dir.file(name + ".exe"))) << "no executable written";
  auto run = run_program(dir.file(name + ".exe"), words_of(optional_file(base + ".args")), optional_file(base + ".in"),
                      30, dir.path());
  EXPECT_FALSE(run.timed_out) << name << " did not end within 30 s";
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_TRUE(matches_golden(base + ".out", run.out)) << "output of " << name << ":\n" << run.out;
}

INSTANTIATE_TEST_SUITE_P(Programs, Program, ::testing::ValuesIn(golden_cases("programs")),
                         [](const auto& info) { return test_name(info.param); });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Program);

}  // namespace
}  // namespace tarn
