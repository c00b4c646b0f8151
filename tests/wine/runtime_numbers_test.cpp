// Number conversion under Wine: floats written in fixed and scientific form
// with their digits cut from the exact value, floattostr, strtofloat and the
// readln parser with their exact single results, strtoint and inttostr.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "support/runtime_program.h"
#include "support/wine.h"

namespace tarn {
namespace {

using P = test::RuntimeProgram;

std::string run(P& p, const std::string& input = {}) {
  test::TempDir dir;
  p.write(dir.file("t.exe"));
  test::RunResult r = test::run_program(dir.file("t.exe"), {}, input, 30, dir.path());
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.exit_code, 0) << r.err;
  return r.out;
}

std::string bits_text(float f) {
  uint32_t v;
  std::memcpy(&v, &f, 4);
  static const char digits[] = "0123456789ABCDEF";
  std::string s;
  for (int i = 7; i >= 0; --i) s += digits[(v >> (4 * i)) & 15];
  return s;
}

// A function of the library as the generated code calls it: the actuals'
// addresses in order, then the result's, and the caller removes them all.
void call_function(RoutineBuilder& r, const char* name, const std::vector<uint32_t>& actuals, uint32_t result) {
  for (uint32_t a : actuals) P::push(r, a);
  P::push(r, result);
  P::call(r, name, 4 * static_cast<int>(actuals.size() + 1));
}

void write_string(RoutineBuilder& r, uint32_t s) {
  P::push(r, s);
  P::call(r, "_wrst");
}

// The bits of the single at `cell` as 8 hexadecimal digits.
void write_bits(RoutineBuilder& r, uint32_t cell) {
  P::push_byte(r, 0);
  r.op("mov edi, [cell]", "8b3d", cell);
  r.op("push edi", "57");
  P::call(r, "_int2hst");
}

// Leaves the x87 truncating, as div, mod and trunc do in a program.
void truncate_conversions(RoutineBuilder& r, uint32_t cell) {
  r.op("fnstcw [cell]", "d93d", cell);
  r.op("or word ptr [cell], 0c00h", "66810d", cell, "000c");
  r.op("fldcw [cell]", "d92d", cell);
}

struct FloatField {
  float value;
  int width, decimals;
  std::string text;
};

TEST(NumberRoutines, FloatsAreWrittenWithTheirDigitsCutFromTheExactValue) {
  const std::vector<FloatField> fields = {
      {3.14159f, 8, 2, "    3.14"},
      {3.14159f, 0, 0, " 3.141590E+00"},
      {-0.05f, 0, 0, "-5.000000E-02"},
      {-0.05f, 6, 2, " -0.05"},
      {1234567.0f, 10, 2, " 1.234567E+06"},
      {0.0f, 6, 2, "  0.00"},
      {0.0f, 0, 0, " 0.000000E+00"},
      {13.0f, 6, 2, " 13.00"},
      {2.6749999f, 6, 2, "  2.67"},
      {0.5f, 6, 2, "  0.50"},
      {100000.0f, 10, 1, "  100000.0"},
      {1234.5f, 8, 1, "  1234.5"},
      {0.7f, 6, 2, "  0.69"},  // the single is 0.69999998...
      {1.5f, 8, 3, "   1.500"},
      {-123456.7f, 0, 0, "-1.234567E+05"},
      {1e20f, 0, 0, " 1.000000E+20"},
      {1e-10f, 0, 0, " 1.000000E-10"},
      {3.4028235e38f, 0, 0, " 3.402823E+38"},
      {0.001f, 8, 3, "   0.001"},
      {0.001f, 8, 2, " 1.000000E-03"},
      {0.5f, 30, 20, std::string(8, ' ') + "0.50000000000000000000"},
      {-7.25f, 1, 2, "-7.250000E+00"},
      {99.99f, 3, 2, " 99.98"},  // 99.9899978...
      // Widths and decimals are bytes 0..255, cut to 127 and 100 to fit the buffer.
      {1.5f, 200, 1, std::string(124, ' ') + "1.5"},
      {0.5f, 130, 120, std::string(25, ' ') + "0.5" + std::string(99, '0')},
  };
  P p;
  const uint32_t sep = p.string("|");
  std::vector<uint32_t> cells;
  for (const FloatField& f : fields) cells.push_back(p.single(f.value));
  std::string expected;
  p.build([&](RoutineBuilder& r) {
    for (size_t i = 0; i < fields.size(); ++i) {
      P::push_byte(r, fields[i].decimals);
      P::push_byte(r, fields[i].width);
      P::push(r, cells[i]);
      P::call(r, "_si2st");
      write_string(r, sep);
      expected += fields[i].text + "|";
    }
  });
  EXPECT_EQ(run(p), expected);
}

TEST(NumberRoutines, InfinitiesAndNaNsEndTheirWriteAndTheProgram) {
  P p;
  const uint32_t sep = p.string("|");
  std::vector<uint32_t> cells;
  for (uint32_t bits : {0x7f800000u, 0xff800000u, 0x7fc00000u}) cells.push_back(p.single_bits(bits));
  p.build([&](RoutineBuilder& r) {
    for (uint32_t cell : cells) {
      P::push_byte(r, 2);
      P::push_byte(r, 10);
      P::push(r, cell);
      P::call(r, "_si2st");
      write_string(r, sep);
    }
  });
  const std::string out = run(p);
  EXPECT_EQ(std::count(out.begin(), out.end(), '|'), 3) << out;
}

TEST(NumberRoutines, FloattostrHasTwoDecimalsAndNoSpaceForThePlusSign) {
  const std::vector<std::pair<float, std::string>> cases = {
      {3.14159f, "3.14"}, {-3.14159f, "-3.14"}, {0.5f, "0.50"},   {1234567.0f, "1.234567E+06"},
      {13.0f, "13.00"},   {0.0f, "0.00"},       {-0.05f, "-0.05"}, {0.001f, "1.000000E-03"},
  };
  P p;
  const uint32_t sep = p.string("|"), text = p.string("", 128);
  std::vector<uint32_t> cells;
  for (const auto& c : cases) cells.push_back(p.single(c.first));
  std::string expected;
  p.build([&](RoutineBuilder& r) {
    for (size_t i = 0; i < cases.size(); ++i) {
      call_function(r, "floattostr", {cells[i]}, text);
      write_string(r, text);
      write_string(r, sep);
      expected += cases[i].second + "|";
    }
  });
  EXPECT_EQ(run(p), expected);
}

TEST(NumberRoutines, StrtofloatReadsItsOwnGrammarToTheNearestSingle) {
  const std::vector<std::pair<std::string, float>> cases = {
      {"1.5E+3", 1500.0f}, {"2.5E-2", 0.025f}, {"1.5E3", 1.5f},   {"-12", -12.0f},
      {"15E+2", 15.0f},    {"1x5", 1.5f},      {"3.25", 3.25f},   {"3.14159265358979", 3.14159265358979f},
      {"0.1", 0.1f},       {"", 0.0f},         {"12345678901.5", 12345678901.5f}, {"7.5E-1x", 0.75f},
  };
  P p;
  const uint32_t sep = p.string("|"), result = p.single(0), control = p.integer(0);
  std::vector<uint32_t> texts;
  for (const auto& c : cases) texts.push_back(p.string(c.first));
  std::string expected;
  p.build([&](RoutineBuilder& r) {
    truncate_conversions(r, control);
    for (size_t i = 0; i < cases.size(); ++i) {
      call_function(r, "strtofloat", {texts[i]}, result);
      write_bits(r, result);
      write_string(r, sep);
      expected += bits_text(cases[i].second) + "|";
    }
  });
  EXPECT_EQ(run(p), expected);
}

TEST(NumberRoutines, ReadlnOfFloatsKeepsEightSignificantDigits) {
  const std::vector<std::pair<std::string, float>> cases = {
      {"3.25", 3.25f},         {"-0.5", -0.5f}, {"123456789", 123456700.0f}, {"1.5E3", 1.5f},
      {"0.05", 0.05f},         {"", 0.0f},      {"007.125", 7.125f},         {"1234567.89", 1234567.8f},
      {"0.000123456789", 0.00012345678f}, {"0.1", 0.1f},
  };
  P p;
  const uint32_t sep = p.string("|"), result = p.single(0), control = p.integer(0);
  std::string input, expected;
  p.build([&](RoutineBuilder& r) {
    truncate_conversions(r, control);
    for (const auto& c : cases) {
      P::push_byte(r, 8);
      P::push(r, result);
      P::call(r, "readln", 8);
      write_bits(r, result);
      write_string(r, sep);
      input += c.first + "\r\n";
      expected += bits_text(c.second) + "|";
    }
  });
  EXPECT_EQ(run(p, input), expected);
}

TEST(NumberRoutines, StrtointAndInttostrRoundTrip) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"123", "123"}, {"-45", "-45"}, {"7a", "7"}, {"", "0"}, {"-", "0"}, {"-2147483648", "-2147483648"},
      {"2147483647", "2147483647"},
  };
  P p;
  const uint32_t sep = p.string("|"), n = p.integer(0), text = p.string("", 20);
  std::vector<uint32_t> texts;
  for (const auto& c : cases) texts.push_back(p.string(c.first));
  std::string expected;
  p.build([&](RoutineBuilder& r) {
    for (size_t i = 0; i < cases.size(); ++i) {
      call_function(r, "strtoint", {texts[i]}, n);
      call_function(r, "inttostr", {n}, text);
      write_string(r, text);
      write_string(r, sep);
      expected += cases[i].second + "|";
    }
  });
  EXPECT_EQ(run(p), expected);
}

}  // namespace
}  // namespace tarn
