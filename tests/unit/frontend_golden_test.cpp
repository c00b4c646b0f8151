// Golden files of the front end: for each tests/golden/NAME.pas, the exact
// "postfix.tmp", "postfix_.tmp" and "symtab.tmp" it leaves, checked in as
// NAME.postfix.tmp, NAME.postfix_.tmp and NAME.symtab.tmp. With
// TARN_UPDATE_GOLDEN=1 a mismatch (or a missing file) writes NAME.*.new for
// review instead of anyone editing expectations by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "frontend_fixture.h"

namespace tarn {
namespace {

std::vector<std::string> golden_sources() {
  std::vector<std::string> names;
  for (const auto& f : std::filesystem::directory_iterator(test::test_data("golden")))
    if (f.path().extension() == ".pas") names.push_back(f.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

bool updating() {
  const char* v = std::getenv("TARN_UPDATE_GOLDEN");
  return v != nullptr && std::string(v) == "1";
}

void compare(const std::string& expected_path, const std::string& actual, const std::string& what) {
  std::string expected = test::exists(expected_path) ? test::read_file(expected_path) : std::string("<missing>");
  if (expected == actual) return;
  if (updating()) test::write_file(expected_path + ".new", actual);
  ADD_FAILURE() << what << " differs from " << expected_path << (updating() ? " (wrote .new)" : "") << ":\n"
                << actual;
}

class FrontEndGolden : public ::testing::TestWithParam<std::string> {};

TEST_P(FrontEndGolden, WritesTheExpectedFiles) {
  const std::string base = test::test_data("golden/" + GetParam());
  test::FrontEndRun fe;
  fe.start(test::read_file(base + ".pas"));
  fe.compile();
  for (const char* file : {"postfix.tmp", "postfix_.tmp", "symtab.tmp"})
    compare(base + "." + file, fe.work_file(file), file);
}

INSTANTIATE_TEST_SUITE_P(Golden, FrontEndGolden, ::testing::ValuesIn(golden_sources()),
                         [](const auto& info) { return info.param; });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(FrontEndGolden);

}  // namespace
}  // namespace tarn
