// tarnrun, the emulating runner, as the tests and the demo use it: what a
// program sees of its process (command line, files, standard input), how a
// fault or a runaway program ends, and what the runner says of files it
// cannot run. Last, the agreement with Wine over every program of the corpus.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/golden.h"
#include "support/test_support.h"
#include "support/wine.h"

namespace tarn {
namespace {

using namespace tarn::test;

constexpr int kRunnerError = 120, kFault = 121, kLimit = 122;

// Compiles `source` in `dir` as NAME.pas; the executable's path.
std::string compile(const TempDir& dir, const std::string& name, const std::string& source) {
  write_file(dir.file(name + ".pas"), crlf(source));
  auto t = run_tarnc({name + ".pas", "/O:out.txt"}, "", dir.path());
  EXPECT_EQ(t.exit_code, 0) << read_file(dir.file("out.txt"));
  return dir.file(name + ".exe");
}

int lines_of(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

TEST(Runner, TheProgramSeesItsNameAsTypedAndItsArgumentsWithSingleBlanks) {
  TempDir dir;
  compile(dir, "args",
          "program args()\nvar s: string[100];\nbegin\n  s := getcommandline();\n  writeln('[', s, ']');\n"
          "  writeln(paramcount(), ' ', paramstr(2), '|', paramstr(3), '|');\nend.\n");
  auto r = run_process({tarnrun(), "args.exe", "one", "two"}, "", 30, dir.path());
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "[args.exe one two]\r\n3 two||\r\n");
}

TEST(Runner, FilesAreWrittenAppendedAndReadBackAndAMissingOneIsAtItsEnd) {
  TempDir dir;
  compile(dir, "files",
          "program files()\nvar f: text;\n    s: string[80];\nbegin\n"
          "  f := rewrite('data.txt');\n  writestring(f, 'first');\n  writestring(f, 'second');\n  close(f);\n"
          "  f := append('data.txt');\n  writestring(f, 'third');\n  close(f);\n"
          "  f := reset('data.txt');\n  while eof(f) = 0 do\n    s := readstring(f);\n    writeln('<', s, '>');\n  end;\n"
          "  close(f);\n  f := reset('missing.txt');\n  writeln('missing: ', eof(f));\nend.\n");
  auto r = run_under_runner(dir.file("files.exe"), {}, "", 30, dir.path());
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "<first>\r\n<second>\r\n<third>\r\nmissing: 1\r\n");
  EXPECT_EQ(read_file(dir.file("data.txt")), "first\r\nsecond\r\nthird\r\n");
  EXPECT_FALSE(exists(dir.file("missing.txt")));
}

TEST(Runner, StandardInputAtItsEndGivesEmptyLines) {
  TempDir dir;
  compile(dir, "echo",
          "program echo()\nvar s: string[20];\nbegin\n  readln(s);\n  writeln('[', s, ']');\n  readln(s);\n"
          "  writeln('[', s, ']');\nend.\n");
  auto r = run_under_runner(dir.file("echo.exe"), {}, "only line\r\n", 30, dir.path());
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "[only line]\r\n[]\r\n");
}

// The empty program with its first instructions replaced: the runner is
// checked on code tarnc never writes.
std::string with_entry_code(const TempDir& dir, const std::string& code) {
  std::string exe = read_file(compile(dir, "p", "program p()\nbegin\n;\nend.\n"));
  auto u32 = [&](size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(exe[at + static_cast<size_t>(i)]);
    return v;
  };
  const uint32_t pe = u32(0x3c), entry = u32(pe + 40);
  const uint32_t section_rva = u32(pe + 248 + 12), section_raw = u32(pe + 248 + 20);
  exe.replace(entry - section_rva + section_raw, code.size(), code);
  write_file(dir.file("patched.exe"), exe);
  return dir.file("patched.exe");
}

TEST(Runner, TheClockIsFixedByTarnrunTimeAndAMalformedOneIsRefused) {
  TempDir dir;
  const std::string exe = compile(dir, "clock", "program clock()\nbegin\n  writeln(gettime(), ' ', getyear(), ' ', "
                                                "getmonth(), ' ', getday(), ' ', getdayofweek());\nend.\n");
  auto fixed = run_process({"env", "TARNRUN_TIME=2026-12-08 18:12:16.250", tarnrun(), exe}, "", 30, dir.path());
  EXPECT_EQ(fixed.exit_code, 0) << fixed.err;
  EXPECT_EQ(fixed.out, "65536 2026 12 8 2\r\n");  // a Tuesday
  auto malformed = run_process({"env", "TARNRUN_TIME=8.12.2026", tarnrun(), exe}, "", 30, dir.path());
  EXPECT_EQ(malformed.exit_code, kRunnerError);
  EXPECT_NE(malformed.err.find("TARNRUN_TIME"), std::string::npos) << malformed.err;
}

TEST(Runner, AFaultEndsTheProgramWithItsOwnCodeAndOneLineNamingItAndItsAddress) {
  TempDir dir;
  auto divide = run_under_runner(with_entry_code(dir, "\x31\xc9\xf7\xf1"), {}, "", 30, dir.path());  // xor ecx,ecx; div ecx
  EXPECT_EQ(divide.exit_code, kFault);
  EXPECT_NE(divide.err.find("tarnrun: integer divide error"), std::string::npos) << divide.err;
  EXPECT_NE(divide.err.find(" at 0x0040"), std::string::npos) << divide.err;
  EXPECT_EQ(lines_of(divide.err), 1) << divide.err;

  auto store = run_under_runner(with_entry_code(dir, std::string("\xa3\x10\x00\x00\x00", 5)), {}, "", 30, dir.path());
  EXPECT_EQ(store.exit_code, kFault);  // mov [10h], eax
  EXPECT_NE(store.err.find("access violation writing 0x00000010"), std::string::npos) << store.err;

  auto illegal = run_under_runner(with_entry_code(dir, "\x0f\x0b"), {}, "", 30, dir.path());  // ud2
  EXPECT_EQ(illegal.exit_code, kFault);
  EXPECT_NE(illegal.err.find("illegal instruction"), std::string::npos) << illegal.err;
}

TEST(Runner, AnEndlessLoopEndsAtTheInstructionLimitOrTheTimeLimit) {
  TempDir dir;
  const std::string exe = compile(dir, "loop", "program loop()\nvar i: integer;\nbegin\n  i := 0;\n"
                                               "  while i = 0 do\n    i := 0;\n  end;\nend.\n");
  auto counted = run_process({tarnrun(), "--max-instructions", "100000", exe}, "", 30, dir.path());
  EXPECT_EQ(counted.exit_code, kLimit);
  EXPECT_NE(counted.err.find("instruction limit of 100000 reached"), std::string::npos) << counted.err;
  auto timed = run_process({tarnrun(), "--timeout", "0.5", exe}, "", 30, dir.path());
  EXPECT_FALSE(timed.timed_out);
  EXPECT_EQ(timed.exit_code, kLimit);
  EXPECT_NE(timed.err.find("time limit of 0.5 s reached"), std::string::npos) << timed.err;
}

TEST(Runner, TheInstructionCountOfAProgramIsTheSameOnEveryRun) {
  TempDir dir;
  const std::string exe = compile(dir, "sum", "program sum()\nvar i, s: integer;\nbegin\n  s := 0;\n"
                                              "  for i := 1 to 1000 do\n    s := s + i;\n  end;\n  writeln(s);\nend.\n");
  auto first = run_process({tarnrun(), "--count", exe}, "", 30, dir.path());
  auto second = run_process({tarnrun(), "--count", exe}, "", 30, dir.path());
  EXPECT_EQ(first.out, "500500\r\n");
  EXPECT_NE(first.err.find("tarnrun: instructions: "), std::string::npos) << first.err;
  EXPECT_EQ(first.err, second.err);
}

TEST(Runner, AFileItCannotRunGetsOneLineAndItsOwnExitCode) {
  TempDir dir;
  const std::string good = read_file(compile(dir, "p", "program p()\nbegin\n;\nend.\n"));
  std::string unserved = good;
  const size_t name = unserved.find("CharUpperA");
  ASSERT_NE(name, std::string::npos);
  unserved.replace(name, 10, "CharUpperZ");
  std::string amd64 = good;
  amd64[static_cast<size_t>(static_cast<unsigned char>(good[0x3c])) + 4] = '\x64';
  amd64[static_cast<size_t>(static_cast<unsigned char>(good[0x3c])) + 5] = '\x86';
  const struct {
    const char* file;
    std::string bytes;
    const char* says;
  } cases[] = {
      {"text.exe", "program p()\r\n", "is not a Windows executable"},
      {"truncated.exe", good.substr(0, 0x180), "is truncated"},
      {"cut.exe", good.substr(0, 0x400), "is truncated"},
      {"amd64.exe", amd64, "is not a 32-bit x86 (PE32 i386) executable"},
      {"unserved.exe", unserved, "imports User32.dll!CharUpperZ, which the runner does not serve"},
      {"missing.exe", "", "cannot open"},
  };
  for (const auto& k : cases) {
    if (!k.bytes.empty()) write_file(dir.file(k.file), k.bytes);
    auto r = run_under_runner(dir.file(k.file), {}, "", 30, dir.path());
    EXPECT_EQ(r.exit_code, kRunnerError) << k.file;
    EXPECT_NE(r.err.find(k.says), std::string::npos) << k.file << ": " << r.err;
    EXPECT_EQ(lines_of(r.err), 1) << k.file << ": " << r.err;
    EXPECT_EQ(r.out, "");
  }
}

// Every program of tests/programs, with its input and arguments, under Wine
// and under the runner: the same bytes on standard output, the same exit code.
TEST(RunnerAgreesWithWine, EveryProgramOfTheCorpusGivesTheSameBytesAndExitCode) {
  if (!wine_runs_programs()) GTEST_SKIP() << "32-bit Wine cannot run on this host, so there is nothing to agree with";
  const auto pending = words_of(optional_file(test_data("programs/PENDING")));
  int compared = 0;
  for (const std::string& name : golden_cases("programs")) {
    if (std::find(pending.begin(), pending.end(), name) != pending.end()) continue;
    const std::string base = test_data("programs/" + name);
    TempDir dir;
    const std::string exe = compile(dir, name, read_file(base + ".pas"));
    if (!exists(exe)) continue;
    const auto args = words_of(optional_file(base + ".args"));
    const std::string input = optional_file(base + ".in");
    auto wine = run_under_wine(exe, args, input, 30, dir.path());
    auto emulated = run_under_runner(exe, args, input, 30, dir.path());
    EXPECT_EQ(emulated.out, wine.out) << name;
    EXPECT_EQ(emulated.exit_code, wine.exit_code) << name << ": " << emulated.err;
    ++compared;
  }
  EXPECT_GT(compared, 40);
}

}  // namespace
}  // namespace tarn
