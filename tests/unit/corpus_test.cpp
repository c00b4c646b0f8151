// Every program of the corpus (tests/programs/NAME.pas) passes through the
// front end without an error; the Wine runner later also runs them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "frontend_fixture.h"

namespace tarn {
namespace {

std::vector<std::string> corpus() {
  std::vector<std::string> names;
  for (const auto& f : std::filesystem::directory_iterator(test::test_data("programs")))
    if (f.path().extension() == ".pas") names.push_back(f.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

class Corpus : public ::testing::TestWithParam<std::string> {};

TEST_P(Corpus, PassesTheFrontEnd) {
  test::FrontEndRun fe;
  const std::string source = test::read_file(test::test_data("programs/" + GetParam() + ".pas"));
  ASSERT_NE(source.find("\r\n"), std::string::npos) << "corpus sources have CR LF line ends";
  fe.start(source);
  try {
    fe.compile();
  } catch (const CompileError&) {
    fe.c().drv.out.close();
    FAIL() << test::read_file(fe.dir().file("out.txt"));
  }
  EXPECT_EQ(fe.c().post.operand_pointer, 0) << "operands left on the stack";
}

INSTANTIATE_TEST_SUITE_P(Programs, Corpus, ::testing::ValuesIn(corpus()), [](const auto& info) { return info.param; });

}  // namespace
}  // namespace tarn
