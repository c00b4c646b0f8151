// The console routines run under Wine: fields of strings, integers and
// hexadecimal numbers, the line end, and readln of strings, integers and
// floats from standard input, line after line.
#include <gtest/gtest.h>

#include "support/runtime_program.h"
#include "support/wine.h"

namespace tarn {
namespace {

using P = test::RuntimeProgram;

std::string run(P& p, const std::string& input = {}, const std::vector<std::string>& args = {}) {
  test::TempDir dir;
  p.write(dir.file("t.exe"));
  test::RunResult r = test::run_program(dir.file("t.exe"), args, input, 30, dir.path());
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.exit_code, 0) << r.err;
  return r.out;
}

// Writes "|" between fields so that spaces show.
void bar(RoutineBuilder& r, uint32_t text) {
  P::push(r, text);
  P::call(r, "_wrst");
}

TEST(ConsoleRoutines, StringFieldsPadCutOrTakeTheWholeText) {
  P p;
  const uint32_t abc = p.string("abc"), abcdef = p.string("abcdef"), sep = p.string("|");
  const uint32_t long_text = p.string(std::string(128, 'x'));
  const uint32_t longer = p.string(std::string(100, 'y') + std::string(100, 'z'), 200);
  struct Field {
    uint32_t text;
    int width;
  };
  const std::vector<Field> fields = {{abc, 6}, {abcdef, 3}, {abc, 0}, {abc, 200}, {long_text, 127}, {abc, 3},
                                     {longer, 0},    {longer, 250},  {longer, 180}, {longer, 100}};
  p.build([&](RoutineBuilder& r) {
    for (const Field& f : fields) {
      P::push_byte(r, f.width);
      P::push(r, f.text);
      P::call(r, "_wrstf");
      bar(r, sep);
    }
  });
  // Widths are bytes 0..255; spaces beyond 130 characters are left out, but
  // a text longer than the buffer is still written whole or cut at the width.
  const std::string y(100, 'y'), z(100, 'z');
  EXPECT_EQ(run(p), "abc   |abc|abc|abc" + std::string(127, ' ') + "|" + std::string(127, 'x') + "|abc|" + y + z + "|" +
                        y + z + std::string(50, ' ') + "|" + y + z.substr(0, 80) + "|" + y + "|");
}

TEST(ConsoleRoutines, IntegersAreRightAlignedAndNeverCut) {
  P p;
  const uint32_t sep = p.string("|");
  struct Field {
    int32_t value;
    int width;
  };
  const std::vector<Field> fields = {{42, 5}, {12345, 2}, {-7, 0}, {0, 1}, {-2147483647 - 1, 0}, {7, 127}, {7, 200}};
  std::vector<uint32_t> cells;
  for (const Field& f : fields) cells.push_back(p.integer(f.value));
  p.build([&](RoutineBuilder& r) {
    for (size_t i = 0; i < fields.size(); ++i) {
      P::push_byte(r, fields[i].width);
      P::push(r, cells[i]);
      P::call(r, "_int2st");
      bar(r, sep);
    }
  });
  EXPECT_EQ(run(p), "   42|12345|-7|0|-2147483648|" + std::string(126, ' ') + "7|" + std::string(129, ' ') + "7|");
}

TEST(ConsoleRoutines, HexadecimalKeepsEightDigitsAndWritelnIsCrLf) {
  P p;
  const uint32_t sep = p.string("|");
  p.build([&](RoutineBuilder& r) {
    for (uint32_t v : {0xffu, 0xdeadbeefu, 0u}) {
      P::push_byte(r, 0);
      r.op("push", "68", v);
      P::call(r, "_int2hst");
      bar(r, sep);
    }
    P::writeln(r);
    P::writeln(r);
  });
  EXPECT_EQ(run(p), "000000FF|DEADBEEF|00000000|\r\n\r\n");
}

TEST(ConsoleRoutines, ReadlnTakesOneLineAtATime) {
  P p;
  const uint32_t s = p.string("", 20), short_s = p.string("", 3), n = p.integer(99), f = p.single(0);
  const uint32_t sep = p.string("|");
  auto read = [&](RoutineBuilder& r, uint32_t target, int type, int capacity) {
    if (type == 14) P::push_byte(r, capacity);
    P::push_byte(r, type);
    P::push(r, target);
    P::call(r, "readln", type == 14 ? 12 : 8);
  };
  auto show_string = [&](RoutineBuilder& r, uint32_t target) {
    P::push(r, target);
    P::call(r, "_wrst");
    bar(r, sep);
  };
  auto show_integer = [&](RoutineBuilder& r) {
    P::push_byte(r, 0);
    P::push(r, n);
    P::call(r, "_int2st");
    bar(r, sep);
  };
  p.build([&](RoutineBuilder& r) {
    read(r, s, 14, 20);
    show_string(r, s);
    read(r, short_s, 14, 3);
    show_string(r, short_s);
    for (int i = 0; i < 3; ++i) {
      read(r, n, 4, 0);
      show_integer(r);
    }
    read(r, f, 8, 0);
    P::push_byte(r, 2);
    P::push_byte(r, 8);
    P::push(r, f);
    P::call(r, "_si2st");
    bar(r, sep);
    // A line consumed without a variable, then the end of the input.
    read(r, s, 0, 0);
    read(r, s, 14, 20);
    show_string(r, s);
    read(r, n, 4, 0);
    show_integer(r);
  });
  EXPECT_EQ(run(p, "first line\r\nhello\r\n12abc\n-5\r\n\r\n3.25\r\nskipped\r\n"),
            "first line|hel|12|-5|0|    3.25||0|");
}

TEST(ConsoleRoutines, ReadlnFromARedirectedFileGetsConsecutiveLines) {
  P p;
  const uint32_t s = p.string("", 20), sep = p.string("|");
  p.build([&](RoutineBuilder& r) {
    for (int i = 0; i < 4; ++i) {
      P::push_byte(r, 20);
      P::push_byte(r, 14);
      P::push(r, s);
      P::call(r, "readln", 12);
      P::push(r, s);
      P::call(r, "_wrst");
      bar(r, sep);
    }
  });
  test::TempDir dir;
  p.write(dir.file("t.exe"));
  test::write_file(dir.file("in.txt"), "one\r\ntwo\r\nthree\r\n");
  test::RunResult r = test::run_process({"sh", "-c", "\"$0\" t.exe < in.txt", test::run_program_script()}, "", 30, dir.path());
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "one|two|three||");
}

TEST(ConsoleRoutines, AnOverlongLineKeepsItsFirst128Bytes) {
  P p;
  const uint32_t s = p.string("", 128), sep = p.string("|");
  p.build([&](RoutineBuilder& r) {
    for (int i = 0; i < 2; ++i) {
      P::push_byte(r, 128);  // the largest capacity: the byte 80
      P::push_byte(r, 14);
      P::push(r, s);
      P::call(r, "readln", 12);
      P::push(r, s);
      P::call(r, "_wrst");
      bar(r, sep);
    }
  });
  const std::string line = std::string(100, 'a') + std::string(100, 'b');
  EXPECT_EQ(run(p, line + "\r\nnext\r\n"), std::string(100, 'a') + std::string(28, 'b') + "|next|");
}

}  // namespace
}  // namespace tarn
