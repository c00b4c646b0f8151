// gettime and the date functions of a compiled program read a clock the test
// chooses: each "push esi; call GetLocalTime" of the executable becomes seven
// nops and the 16-byte SYSTEMTIME the code reads is written into the file's
// data. So the seconds-since-midnight arithmetic runs on the x86 for times
// where a 16-bit addition would lose its carry (18:12:16 and later).
#include <gtest/gtest.h>

#include <cstdint>

#include "support/test_support.h"
#include "support/wine.h"

namespace tarn {
namespace {

using namespace tarn::test;

const char kSource[] =
    "program clock()\n"
    "var t, y, mo, d, w: integer;\n"
    "begin\n"
    "  t := gettime();\n"
    "  y := getyear();\n"
    "  mo := getmonth();\n"
    "  d := getday();\n"
    "  w := getdayofweek();\n"
    "  writeln(t, ' ', y, ' ', mo, ' ', d, ' ', w);\n"
    "end.\n";

struct Clock {
  int hour, minute, second;
  const char* expected;  // what the program prints
};

uint32_t le32(const std::string& b, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<size_t>(i)]);
  return v;
}

std::string word(int v) { return {static_cast<char>(v & 0xff), static_cast<char>((v >> 8) & 0xff)}; }

TEST(TimeOfDay, SecondsSinceMidnightAndTheDateFieldsComeFromTheSystemTime) {
  TempDir dir;
  write_file(dir.file("clock.pas"), crlf(kSource));
  ASSERT_EQ(run_tarnc({"clock.pas", "/O:out.txt"}, "", dir.path()).exit_code, 0);
  const std::string exe = read_file(dir.file("clock.exe"));

  // lea esi, _year / push esi / call [GetLocalTime]
  const std::string call("\x56\xff\x15\x2c\x10\x40\x00", 7);
  std::vector<size_t> calls;
  for (size_t at = exe.find(call); at != std::string::npos; at = exe.find(call, at + 1)) calls.push_back(at);
  ASSERT_EQ(calls.size(), 5u);
  ASSERT_EQ(exe.substr(calls[0] - 6, 2), "\x8d\x35");
  const uint32_t year_va = le32(exe, calls[0] - 4);
  const size_t year_at = year_va - 0x00401000 + 0x200;

  const Clock clocks[] = {
      {0, 0, 0, "0 2026 12 8 2\r\n"},
      {12, 34, 56, "45296 2026 12 8 2\r\n"},
      {18, 12, 15, "65535 2026 12 8 2\r\n"},
      {18, 12, 16, "65536 2026 12 8 2\r\n"},
      {19, 0, 0, "68400 2026 12 8 2\r\n"},
      {23, 59, 59, "86399 2026 12 8 2\r\n"},
  };
  for (const Clock& k : clocks) {
    std::string patched = exe;
    for (size_t at : calls) patched.replace(at, call.size(), std::string(call.size(), '\x90'));
    // year, month, day of week, day, hour, minute, second, milliseconds
    patched.replace(year_at, 16, word(2026) + word(12) + word(2) + word(8) + word(k.hour) + word(k.minute) +
                                     word(k.second) + word(999));
    write_file(dir.file("clock.exe"), patched);
    const RunResult r = run_program(dir.file("clock.exe"), {}, "", 30, dir.path());
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, k.expected) << k.hour << ":" << k.minute << ":" << k.second;
  }
}

}  // namespace
}  // namespace tarn
