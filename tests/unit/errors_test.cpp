// Every tests/errors/NAME.pas must fail to compile with exactly the report in
// NAME.err: the lines after the banner, with the source named NAME.pas.
// Options (for example /L:RU) come from NAME.args.
#include <gtest/gtest.h>

#include "support/golden.h"
#include "support/test_support.h"

namespace tarn {
namespace {

using namespace tarn::test;

class ErrorReport : public ::testing::TestWithParam<std::string> {};

TEST_P(ErrorReport, MatchesTheExpectedReport) {
  const std::string name = GetParam();
  const std::string base = test_data("errors/" + name);
  TempDir dir;
  write_file(dir.file(name + ".pas"), read_file(base + ".pas"));
  std::vector<std::string> args{name + ".pas", "/O:out.txt"};
  for (const std::string& a : words_of(optional_file(base + ".args"))) args.push_back(a);
  auto r = run_tarnc(args, "", dir.path());
  EXPECT_EQ(r.exit_code, 1);
  std::string out = read_file(dir.file("out.txt"));
  std::string report = out.substr(std::min(out.size(), out.find("\r\n") + 2));
  EXPECT_TRUE(matches_golden(base + ".err", report)) << "report of " << name << ":\n" << report;
  EXPECT_FALSE(exists(dir.file(name + ".exe")));
}

INSTANTIATE_TEST_SUITE_P(Errors, ErrorReport, ::testing::ValuesIn(golden_cases("errors")),
                         [](const auto& info) { return test_name(info.param); });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ErrorReport);

}  // namespace
}  // namespace tarn
