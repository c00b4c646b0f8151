// String, text-file and command-line routines under Wine.
#include <gtest/gtest.h>

#include "support/runtime_program.h"
#include "support/wine.h"

namespace tarn {
namespace {

using P = test::RuntimeProgram;

struct Outcome {
  std::string out;
  std::string folder_file(const std::string& name) const { return test::read_file(dir->file(name)); }
  std::shared_ptr<test::TempDir> dir;
};

Outcome run(P& p, const std::vector<std::string>& args = {},
        const std::vector<std::pair<std::string, std::string>>& files = {}) {
  Outcome result{"", std::make_shared<test::TempDir>()};
  for (const auto& [name, bytes] : files) test::write_file(result.dir->file(name), bytes);
  p.write(result.dir->file("t.exe"));
  test::RunResult r = test::run_program(result.dir->file("t.exe"), args, "", 30, result.dir->path());
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.exit_code, 0) << r.err;
  result.out = r.out;
  return result;
}

void call_function(RoutineBuilder& r, const char* name, const std::vector<uint32_t>& actuals, uint32_t result) {
  for (uint32_t a : actuals) P::push(r, a);
  P::push(r, result);
  P::call(r, name, 4 * static_cast<int>(actuals.size() + 1));
}

void call_procedure(RoutineBuilder& r, const char* name, const std::vector<uint32_t>& actuals) {
  for (uint32_t a : actuals) P::push(r, a);
  P::call(r, name, 4 * static_cast<int>(actuals.size()));
}

void write_string(RoutineBuilder& r, uint32_t s) {
  P::push(r, s);
  P::call(r, "_wrst");
}

void write_integer(RoutineBuilder& r, uint32_t cell) {
  P::push_byte(r, 0);
  P::push(r, cell);
  P::call(r, "_int2st");
}

TEST(StringRoutines, CaseConversionKnowsTheRussianLettersOfCodePage866IncludingYo) {
  P p;
  // "Привет, world Ёё" in code page 866.
  const std::string mixed = "\x8f\xe0\xa8\xa2\xa5\xe2, world \xf0\xf1";
  const uint32_t text = p.string(mixed), result = p.string("", 40), sep = p.string("|");
  p.build([&](RoutineBuilder& r) {
    call_function(r, "upcase", {text}, result);
    write_string(r, result);
    write_string(r, sep);
    call_function(r, "lowcase", {text}, result);
    write_string(r, result);
    write_string(r, sep);
    call_function(r, "upcase", {result}, result);  // in place
    write_string(r, result);
  });
  EXPECT_EQ(run(p).out, "\x8f\x90\x88\x82\x85\x92, WORLD \xf0\xf0|\xaf\xe0\xa8\xa2\xa5\xe2, world \xf1\xf1|"
                        "\x8f\x90\x88\x82\x85\x92, WORLD \xf0\xf0");
}

TEST(StringRoutines, PosFindsTheFirstOccurrence) {
  const std::vector<std::tuple<std::string, std::string, int>> cases = {
      {"lo", "hello", 4}, {"xyz", "hello", 0}, {"hellos", "hello", 0}, {"", "hello", 6}, {"", "", 1},
      {"l", "hello", 3},  {"hello", "hello", 1}, {"o", "hello", 5},   {"ab", "aab", 2},
  };
  P p;
  const uint32_t n = p.integer(-1), sep = p.string("|");
  std::vector<std::pair<uint32_t, uint32_t>> args;
  for (const auto& [pattern, text, expected] : cases) args.push_back({p.string(pattern), p.string(text)});
  std::string expected;
  p.build([&](RoutineBuilder& r) {
    for (size_t i = 0; i < cases.size(); ++i) {
      call_function(r, "pos", {args[i].first, args[i].second}, n);
      write_integer(r, n);
      write_string(r, sep);
      expected += std::to_string(std::get<2>(cases[i])) + "|";
    }
  });
  EXPECT_EQ(run(p).out, expected);
}

TEST(StringRoutines, SubstrTakesAtMostCountCharactersFromTheStart) {
  const std::vector<std::tuple<int, int, std::string>> cases = {
      {2, 3, "ell"}, {4, 10, "lo"}, {6, 1, ""}, {0, 2, ""}, {1, 0, ""}, {2, -1, "ello"}, {-3, 2, ""}, {5, 1, "o"},
  };
  P p;
  const uint32_t text = p.string("hello"), result = p.string("#####", 20), sep = p.string("|");
  std::vector<std::pair<uint32_t, uint32_t>> args;
  for (const auto& [start, count, expected] : cases) args.push_back({p.integer(start), p.integer(count)});
  std::string expected;
  p.build([&](RoutineBuilder& r) {
    for (size_t i = 0; i < cases.size(); ++i) {
      call_function(r, "substr", {text, args[i].first, args[i].second}, result);
      write_string(r, result);
      write_string(r, sep);
      expected += std::get<2>(cases[i]) + "|";
    }
  });
  EXPECT_EQ(run(p).out, expected);
}

TEST(StringRoutines, StrcmpOrdersBytesUnsignedAndKeepsEdx) {
  const std::vector<std::tuple<std::string, std::string, int>> cases = {
      {"abc", "abd", -1}, {"abd", "abc", 1}, {"ab", "abc", -1}, {"abc", "ab", 1},
      {"", "", 0},        {"abc", "abc", 0}, {"\x80", "z", 1},  {"", "a", -1},
  };
  P p;
  const uint32_t n = p.integer(0), kept = p.integer(0), sep = p.string("|");
  std::vector<std::pair<uint32_t, uint32_t>> args;
  for (const auto& [a, b, expected] : cases) args.push_back({p.string(a), p.string(b)});
  std::string expected;
  p.build([&](RoutineBuilder& r) {
    for (size_t i = 0; i < cases.size(); ++i) {
      r.op("mov edx, 1234", "ba", 1234);
      P::push(r, args[i].second);
      P::push(r, args[i].first);
      P::call(r, "strcmp");  // removes its arguments
      r.op("mov [n], eax", "a3", n);
      r.op("mov [kept], edx", "8915", kept);
      write_integer(r, n);
      write_integer(r, kept);
      write_string(r, sep);
      expected += std::to_string(std::get<2>(cases[i])) + "1234|";
    }
  });
  EXPECT_EQ(run(p).out, expected);
}

// Text files, called as the generated code calls them.
struct Files {
  P& p;
  uint32_t line, eof_cell, sep;
  Files(P& program) : p(program), line(p.string("", 128)), eof_cell(p.integer(-1)), sep(p.string("|")) {}
  uint32_t file() { return p.bytes(std::string(12, '\0')); }
  void reset(RoutineBuilder& r, uint32_t f, uint32_t name) { call_function(r, "reset", {name}, f); }
  void rewrite(RoutineBuilder& r, uint32_t f, uint32_t name) { call_function(r, "rewrite", {name}, f); }
  void append(RoutineBuilder& r, uint32_t f, uint32_t name) { call_function(r, "append", {name}, f); }
  void close(RoutineBuilder& r, uint32_t f) { call_procedure(r, "close", {f}); }
  void writestring(RoutineBuilder& r, uint32_t f, uint32_t s) { call_procedure(r, "writestring", {f, s}); }
  // readstring(f) into `line`, then "line|eof|".
  void readstring(RoutineBuilder& r, uint32_t f, int capacity = 128) {
    P::push(r, f);
    r.op("mov word ptr [_strmaxlen], capacity", "66c705", p.address("_strmaxlen"), HexText(capacity, 2) + "00");
    P::push(r, p.address("_strmaxlen"));
    P::push(r, line);
    P::call(r, "readstring");
    write_string(r, line);
    write_string(r, sep);
    show_eof(r, f);
  }
  void show_eof(RoutineBuilder& r, uint32_t f) {
    call_function(r, "eof", {f}, eof_cell);
    write_integer(r, eof_cell);
    write_string(r, sep);
  }
};

TEST(TextFileRoutines, LinesEndAtLineFeedsAndEofLooksAhead) {
  P p;
  Files io(p);
  const uint32_t f = io.file(), g = io.file(), h = io.file();
  const uint32_t crlf = p.string("crlf.txt"), lf = p.string("lf.txt"), empty = p.string("empty.txt");
  const uint32_t missing = p.string("missing.txt");
  p.build([&](RoutineBuilder& r) {
    io.reset(r, f, crlf);
    io.show_eof(r, f);
    io.readstring(r, f);
    io.readstring(r, f);
    io.readstring(r, f);  // at the end: empty
    io.close(r, f);
    io.show_eof(r, f);
    io.reset(r, g, lf);
    io.readstring(r, g);
    io.reset(r, g, missing);  // a failed open leaves no look-ahead behind
    io.show_eof(r, g);
    io.readstring(r, g);
    io.reset(r, h, empty);
    io.show_eof(r, h);
    io.readstring(r, h);
  });
  Outcome result = run(p, {}, {{"crlf.txt", "ab\r\nd"}, {"lf.txt", "one\ntwo\n"}, {"empty.txt", ""}});
  EXPECT_EQ(result.out, "0|ab|0|d|1||1|1|one|0|1||1|1||1|");
}

TEST(TextFileRoutines, LongLinesAreCutAndTheirRestSkipped) {
  P p;
  Files io(p);
  const uint32_t f = io.file(), name = p.string("t.txt");
  p.build([&](RoutineBuilder& r) {
    io.reset(r, f, name);
    io.readstring(r, f, 3);
    io.readstring(r, f, 3);
    io.readstring(r, f, 3);
  });
  Outcome result = run(p, {}, {{"t.txt", "hello\r\nabc\r\nxy"}});
  EXPECT_EQ(result.out, "hel|0|abc|0|xy|1|");
}

TEST(TextFileRoutines, RussianLettersAreConvertedBetween1251And866) {
  P p;
  Files io(p);
  const uint32_t in = io.file(), out = io.file();
  const uint32_t in_name = p.string("in.txt"), out_name = p.string("out.txt");
  // "Привет", "Ёё", "Ая", "pq" in code page 866.
  const uint32_t text = p.string("\x8f\xe0\xa8\xa2\xa5\xe2 \xf0\xf1\x80\xefpq");
  p.build([&](RoutineBuilder& r) {
    io.reset(r, in, in_name);
    io.readstring(r, in);
    io.rewrite(r, out, out_name);
    io.writestring(r, out, text);
    io.writestring(r, out, io.line);
    io.close(r, out);
  });
  Outcome result = run(p, {}, {{"in.txt", "\xcf\xf0\xe8\xe2\xe5\xf2 \xc0\xff\xa8\xb8\r\n"}});
  EXPECT_EQ(result.out, "\x8f\xe0\xa8\xa2\xa5\xe2 \x80\xef\xf0\xf1|1|");
  // Ё and ё (866 F0, F1) are letters too: 1251 A8, B8.
  EXPECT_EQ(result.folder_file("out.txt"),
            "\xcf\xf0\xe8\xe2\xe5\xf2 \xa8\xb8\xc0\xffpq\r\n\xcf\xf0\xe8\xe2\xe5\xf2 \xc0\xff\xa8\xb8\r\n");
}

TEST(TextFileRoutines, AStringLongerThanTheOutputBufferIsWrittenWhole) {
  P p;
  Files io(p);
  const uint32_t f = io.file(), name = p.string("t.txt");
  std::string text;
  for (int i = 0; i < 300; ++i) text += static_cast<char>('a' + i % 26);
  const uint32_t s = p.string(text, 300);
  p.build([&](RoutineBuilder& r) {
    io.rewrite(r, f, name);
    io.writestring(r, f, s);
    io.close(r, f);
    io.close(r, f);  // a second close does nothing
  });
  Outcome result = run(p);
  EXPECT_EQ(result.folder_file("t.txt"), text + "\r\n");
}

TEST(TextFileRoutines, RewriteEmptiesAndAppendAddsAfterTheLastByte) {
  P p;
  Files io(p);
  const uint32_t f = io.file(), name = p.string("t.txt"), a = p.string("a"), b = p.string("b");
  p.build([&](RoutineBuilder& r) {
    io.rewrite(r, f, name);
    io.writestring(r, f, a);
    io.close(r, f);
    io.append(r, f, name);
    io.writestring(r, f, b);
    io.close(r, f);
  });
  Outcome result = run(p, {}, {{"t.txt", "old contents\r\n"}});
  EXPECT_EQ(result.folder_file("t.txt"), "a\r\nb\r\n");
}

TEST(CommandLineRoutines, WordsAreSeparatedBySpaces) {
  P p;
  const uint32_t n = p.integer(0), text = p.string("", 128), sep = p.string("|");
  std::vector<uint32_t> indexes;
  for (int k : {1, 2, 3, -1}) indexes.push_back(p.integer(k));
  p.build([&](RoutineBuilder& r) {
    call_function(r, "paramcount", {}, n);
    write_integer(r, n);
    write_string(r, sep);
    for (uint32_t k : indexes) {
      call_function(r, "paramstr", {k}, text);
      write_string(r, text);
      write_string(r, sep);
    }
    call_function(r, "getcommandline", {}, text);
    write_string(r, text);
    write_string(r, sep);
    call_procedure(r, "ClrScr", {});
    call_procedure(r, "PosCursor", {n, n});
    call_procedure(r, "HideCursor", {});
    call_procedure(r, "ShowCursor", {});
  });
  const std::string out = run(p, {"alpha", "b"}).out;
  EXPECT_EQ(out.substr(0, 12), "3|alpha|b|||");
  // The whole line ends with the two arguments; the console routines wrote
  // nothing into the redirected output.
  EXPECT_NE(out.find("t.exe"), std::string::npos) << out;  // Wine quotes the program's path, the runner not
  EXPECT_EQ(out.substr(out.size() - 9), " alpha b|");
}

}  // namespace
}  // namespace tarn
