// Every examples/NAME.pas, the programs a teacher hands out, is compiled with
// the native tarnc and run (standard input from NAME.in, arguments from
// NAME.args); its output must match NAME.out byte for byte. The examples run
// side by side in one test to keep the suite quick.
#include <gtest/gtest.h>

#include "parallel_runs.h"
#include "support/golden.h"
#include "support/test_support.h"
#include "support/wine.h"

namespace tarn {
namespace {

using namespace tarn::test;

const std::string kExamples = "../examples";

TEST(Examples, CompileAndPrintTheirExpectedOutput) {
  const auto names = golden_cases(kExamples);
  ASSERT_FALSE(names.empty());
  std::vector<std::string> faults(names.size());
  run_in_parallel(names.size(), [&](std::size_t i) {
    const std::string& name = names[i];
    const std::string base = test_data(kExamples + "/" + name);
    if (!exists(base + ".out")) {
      faults[i] = "no expected output " + name + ".out";
      return;
    }
    TempDir dir;
    write_file(dir.file(name + ".pas"), read_file(base + ".pas"));
    auto compile = run_tarnc({name + ".pas", "/O:out.txt"}, "", dir.path());
    if (compile.exit_code != 0) {
      faults[i] = "does not compile:\n" + read_file(dir.file("out.txt")) + compile.err;
      return;
    }
    auto run = run_program(dir.file(name + ".exe"), words_of(optional_file(base + ".args")),
                           optional_file(base + ".in"), 30, dir.path());
    if (run.timed_out || run.exit_code != 0)
      faults[i] = "ended with " + std::to_string(run.exit_code) + (run.timed_out ? " (timed out)" : "") + run.err;
    else if (!matches_golden(base + ".out", run.out))
      faults[i] = "printed:\n" + run.out;
  });
  for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(faults[i], "") << "examples/" << names[i] << ".pas";
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

}  // namespace
}  // namespace tarn
