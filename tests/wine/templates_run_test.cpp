// The instruction templates run for real: a program goes through the front
// end, its postfix records through the templates, and the code into a bare
// PE image (one section, no imports) that Wine runs. The main body ends with
// "mov eax, result; ret", so the program's global `result` becomes the exit
// code. Only the templates are exercised: the programs use no console
// statements and no run-time routine but a small strcmp of their own.
#include <gtest/gtest.h>

#include <cstring>

#include "codegen/control.h"
#include "codegen/data.h"
#include "codegen/generator.h"
#include "codegen/templates.h"
#include "common/text.h"
#include "image/image.h"
#include "support/test_support.h"
#include "support/wine.h"
#include "unit/frontend_fixture.h"

namespace tarn::test {
namespace {

void poke(std::vector<uint8_t>& b, size_t at, uint32_t v, int n = 4) {
  for (int i = 0; i < n; ++i) b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

// The program's data as the data step lays it out, and the run-time
// variables the templates use.
void lay_out_data(Compilation& c) {
  declare_user_data(c.code);
  for (const char* v : {"_crw", "_crw2", "_random_seed"}) DeclareDword(c.code, v, 0);
}

// The string comparison the templates call: strcmp(a, b) gives in eax a value
// whose sign orders a against b, and removes its two arguments.
void emit_strcmp(Compilation& c) {
  AddVariable(c.code, "strcmp", current_address(c.image));
  emit(c.code, "push esi", "56");
  emit(c.code, "push edi", "57");
  emit(c.code, "mov esi, [esp+12]", "8b74240c");
  emit(c.code, "mov edi, [esp+16]", "8b7c2410");
  emit(c.code, "l: mov al, [esi]", "8a06");
  emit(c.code, "mov dl, [edi]", "8a17");
  emit(c.code, "cmp al, dl", "38d0");
  emit(c.code, "jne diff", "7508");
  emit(c.code, "test al, al", "84c0");
  emit(c.code, "jz equal", "740e");
  emit(c.code, "inc esi", "46");
  emit(c.code, "inc edi", "47");
  emit(c.code, "jmp l", "ebf0");
  emit(c.code, "diff: movzx eax, al", "0fb6c0");
  emit(c.code, "movzx edx, dl", "0fb6d2");
  emit(c.code, "sub eax, edx", "29d0");
  emit(c.code, "jmp out", "eb02");
  emit(c.code, "equal: xor eax, eax", "31c0");
  emit(c.code, "out: pop edi", "5f");
  emit(c.code, "pop esi", "5e");
  emit(c.code, "ret 8", "c20800");
}

// A PE32 console image around the section that starts at file offset 0x200.
void write_headers(std::vector<uint8_t>& b, uint32_t entry_rva) {
  b.resize((b.size() + 511) / 512 * 512, 0);
  const uint32_t raw = static_cast<uint32_t>(b.size()) - 0x200;
  std::fill(b.begin(), b.begin() + 0x200, 0);
  b[0] = 'M', b[1] = 'Z';
  poke(b, 0x3c, 0x40);
  b[0x40] = 'P', b[0x41] = 'E';
  poke(b, 0x44, 0x14c, 2);   // i386
  poke(b, 0x46, 1, 2);       // one section
  poke(b, 0x54, 0xe0, 2);    // optional header size
  poke(b, 0x56, 0x0103, 2);  // executable, 32-bit, no relocations
  poke(b, 0x58, 0x10b, 2);
  poke(b, 0x5c, raw);
  poke(b, 0x68, entry_rva);
  poke(b, 0x6c, 0x1000);
  poke(b, 0x70, 0x1000);
  poke(b, 0x74, kImageBase);
  poke(b, 0x78, 0x1000);
  poke(b, 0x7c, 0x200);
  poke(b, 0x80, 4, 2);
  poke(b, 0x88, 4, 2);
  poke(b, 0x90, 0x1000 + (raw + 0xfff) / 0x1000 * 0x1000);
  poke(b, 0x94, 0x200);
  poke(b, 0x9c, 3, 2);  // console
  poke(b, 0xa0, 0x100000);
  poke(b, 0xa4, 0x1000);
  poke(b, 0xa8, 0x100000);
  poke(b, 0xac, 0x1000);
  poke(b, 0xb4, 16);
  std::memcpy(&b[0x138], ".text", 5);
  poke(b, 0x140, raw);
  poke(b, 0x144, 0x1000);
  poke(b, 0x148, raw);
  poke(b, 0x14c, 0x200);
  poke(b, 0x15c, 0xe0000060);  // code, data, read, write, execute
}

// Compiles `source`, runs it, and gives the exit code (the value of `result`, mod 256).
int compile_and_run(const std::string& source) {
  FrontEndRun fe;
  Compilation& c = fe.start(crlf(source));
  try {
    fe.compile();
  } catch (const CompileError&) {
    c.drv.out.close();
    ADD_FAILURE() << read_file(fe.dir().file("out.txt"));
    return -1;
  }
  seek(c.image, 0x200);
  lay_out_data(c);
  const uint32_t entry = current_address(c.image) - kImageBase;
  emit_program_start(c.code);
  emit_strcmp(c);
  const std::string postfix = fe.work_file("postfix.tmp");
  std::vector<int> v;
  for (size_t p = 0; p < postfix.size();) {
    const size_t e = postfix.find("\r\n", p);
    v.push_back(std::stoi(postfix.substr(p, e - p)));
    p = e + 2;
  }
  for (size_t k = 0; k + 3 < v.size(); k += 4)
    if (TemplateEmitter t = find_template(v[k])) t(c.code, v[k + 1], v[k + 2], v[k + 3]);
  int result_code = 0;
  for (int i = c.sym.count; i >= 1; --i)
    if (sym_at(c.sym, i).name == "result") result_code = i;
  emit(c.code, "mov eax, result", "a1", AddressOf(c.code, std::to_string(result_code)));
  emit(c.code, "ret", "c3");
  std::vector<uint8_t> image = c.image.bytes;
  image.resize(static_cast<size_t>(c.image.pos));
  write_headers(image, entry);
  const std::string exe = fe.dir().file("p.exe");
  write_file(exe, std::string(image.begin(), image.end()));
  const RunResult r = run_program(exe, {}, {}, 30, fe.dir().path());
  EXPECT_FALSE(r.timed_out);
  return r.exit_code;
}

struct Case {
  const char* name;
  int expected;
  const char* source;
};

// Each program leaves in `result` the value to check, or the number of the
// first failed check (0: all passed) when it checks several things.
const Case kCases[] = {
    {"Arithmetic", 42, "program p()\nvar result: integer;\nbegin\nresult := 6 * 8 - 7 + 1;\nend.\n"},
    {"DivModNegative", 0,
     "program p()\nvar result, a, b: integer;\nbegin\nresult := 0;\na := -7;\nb := 2;\n"
     "if a div b <> -3 then result := 1; end;\nif a mod b <> -1 then result := 2; end;\nend.\n"},
    {"WhileForRepeat", 0,
     "program p()\nvar result, i, s, n: integer;\nbegin\nresult := 0;\ns := 0;\ni := 10;\n"
     "while i < 5 do s := 100; end;\nif s <> 0 then result := 1; end;\n"
     "for i := 1 to 10 do s := s + i; end;\nif s <> 55 then result := 2; end;\n"
     "n := 0;\nrepeat n := n + 1; until n > 0;\nif n <> 1 then result := 3; end;\nend.\n"},
    {"IfElseChain", 2,
     "program p()\nvar result, x: integer;\nbegin\nx := 7;\nif x < 5 then result := 1; else "
     "if x < 10 then result := 2; else result := 3; end; end;\nend.\n"},
    {"Goto", 5,
     "program p()\nlabel skip, back;\nvar result, n: integer;\nbegin\nresult := 0;\nn := 0;\n"
     "back: n := n + 1;\nif n < 5 then goto back; end;\ngoto skip;\nresult := 99;\nskip: result := n;\nend.\n"},
    {"Factorial", 120,
     "function fact(n: integer): integer\nbegin\nif n <= 1 then return 1; end;\nreturn n * fact(n - 1);\nend;\n"
     "program p()\nvar result: integer;\nbegin\nresult := fact(5);\nend.\n"},
    {"FibonacciKeepsItsFirstResult", 0,
     "function fib(n: integer): integer\nbegin\nif n < 2 then return n; end;\nreturn fib(n - 1) + fib(n - 2);\nend;\n"
     "program p()\nvar result: integer;\nbegin\nresult := 0;\nif fib(20) <> 6765 then result := 1; end;\nend.\n"},
    {"Ackermann", 9,
     "function ack(m: integer, n: integer): integer\nbegin\nif m = 0 then return n + 1; end;\n"
     "if n = 0 then return ack(m - 1, 1); end;\nreturn ack(m - 1, ack(m, n - 1));\nend;\n"
     "program p()\nvar result: integer;\nbegin\nresult := ack(2, 3);\nend.\n"},
    {"HanoiProcedureKeepsItsParameters", 7,
     "program p()\nvar result: integer;\n"
     "procedure hanoi(n: integer, a: integer, b: integer, c: integer)\nbegin\nif n > 0 then\n"
     "hanoi(n - 1, a, c, b);\nresult := result + 1;\nhanoi(n - 1, c, b, a);\nend;\nend;\n"
     "begin\nresult := 0;\nhanoi(3, 1, 2, 3);\nend.\n"},
    {"SwapByVar", 0,
     "program p()\nvar result, x, y: integer;\n"
     "procedure swap(var a: integer, var b: integer)\nvar t: integer;\nbegin\nt := a;\na := b;\nb := t;\nend;\n"
     "begin\nresult := 0;\nx := 1;\ny := 2;\nswap(x, y);\nif x <> 2 then result := 1; end;\n"
     "if y <> 1 then result := 2; end;\nend.\n"},
    {"VarPassedOnAndRecursive", 10,
     "program p()\nvar result: integer;\n"
     "procedure add(var total: integer, n: integer)\nbegin\ntotal := total + n;\nend;\n"
     "procedure count(var total: integer, n: integer)\nbegin\nif n > 0 then\nadd(total, n);\n"
     "count(total, n - 1);\nend;\nend;\n"
     "begin\nresult := 0;\ncount(result, 4);\nend.\n"},
    {"VarOfARecursiveCallersLocal", 3,
     "program p()\nvar result: integer;\n"
     "procedure depth(var d: integer, n: integer)\nvar mine: integer;\nbegin\nmine := 0;\n"
     "if n > 0 then depth(mine, n - 1); end;\nd := mine + 1;\nend;\n"
     "begin\nresult := 0;\ndepth(result, 2);\nend.\n"},
    {"SwappedArgumentsOfARecursiveCall", 21,
     "function f(a: integer, b: integer): integer\nbegin\nif a > b then return a * 10 + b; end;\n"
     "return f(b, a);\nend;\n"
     "program p()\nvar result: integer;\nbegin\nresult := f(1, 2);\nend.\n"},
    {"RecursionWithoutParameters", 4,
     "program p()\nvar result, n: integer;\n"
     "function down(): integer\nvar mine: integer;\nbegin\nmine := n;\nif n = 0 then return 0; end;\n"
     "n := n - 1;\nreturn down() + mine - mine + 1;\nend;\n"
     "begin\nn := 4;\nresult := down();\nend.\n"},
    {"StringLocalsSurviveRecursion", 0,
     "function f(n: integer): integer\nvar s: string[20];\nbegin\ns := 'abc';\n"
     "if n > 0 then\nif f(n - 1) <> 0 then return 9; end;\nend;\nif s <> 'abc' then return 1; end;\n"
     "return 0;\nend;\n"
     "program p()\nvar result: integer;\nbegin\nresult := f(3);\nend.\n"},
    {"StringReturnLeaves", 0,
     "function g(): string\nbegin\nreturn 'first';\nreturn 'second';\nend;\n"
     "program p()\nvar result: integer;\nvar s: string[10];\nbegin\nresult := 0;\ns := g();\n"
     "if s <> 'first' then result := 1; end;\nend.\n"},
    {"VarStringAndFloat", 0,
     "program p()\nvar result: integer;\ns: string[5];\nx: float;\n"
     "procedure fill(var t: string, var y: float)\nbegin\nt := 'abcdefgh';\ny := y * 2;\nend;\n"
     "begin\nresult := 0;\nx := 1.5;\nfill(s, x);\nif s <> 'abcde' then result := 1; end;\n"
     "if x <> 3.0 then result := 2; end;\nend.\n"},
    {"NestedRoutineReentersItsOuterRoutine", 0,
     "program p()\nvar result: integer;\n"
     "procedure outer(n: integer)\nvar x: integer;\n"
     "procedure inner(k: integer)\nbegin\nif k > 0 then outer(k - 1); end;\nend;\n"
     "begin\nx := n;\ninner(n);\nif x <> n then result := result + 1; end;\nend;\n"
     "begin\nresult := 0;\nouter(3);\nend.\n"},
    {"RecursiveStringFunction", 0,
     "function rep(n: integer): string\nbegin\nif n = 1 then return 'a'; end;\n"
     "return rep(n - 1) + 'b';\nend;\n"
     "program p()\nvar result: integer;\ns: string[20];\nbegin\nresult := 0;\ns := rep(4);\n"
     "if s <> 'abbb' then result := 1; end;\nend.\n"},
    {"FloatArithmeticAndRounding", 0,
     "program p()\nvar result, i: integer;\nx, y: float;\nbegin\nresult := 0;\nx := 1.5;\ny := x * 2 + 1;\n"
     "if y <> 4.0 then result := 1; end;\ni := trunc(7.9);\nif i <> 7 then result := 2; end;\n"
     "i := round(2.5 * 3);\nif i <> 8 then result := 3; end;\ny := -x;\nif y >= 0 then result := 4; end;\n"
     "end.\n"},
    {"CaseWithRangesAndElse", 30,
     "program p()\nvar result, k: integer;\nbegin\nresult := 0;\nk := 7;\ncase k of\n1: do result := 1; end;\n"
     "2..5: do result := 2; end;\nelse do result := result + 3; end;\nend;\n"
     "case k - 3 of\n1: do result := 10; end;\n2..5: do result := result * 10; end;\nend;\nend.\n"},
    {"NestedRoutinePassesItsOuterRoutinesVariableBack", 4,
     "program p()\nvar result: integer;\n"
     "procedure outer(var d: integer, n: integer)\nvar x: integer;\n"
     "procedure inner(var r: integer, k: integer)\nbegin\nouter(r, k);\nend;\n"
     "begin\nx := 0;\nif n > 0 then inner(x, n - 1); end;\nd := x + 1;\nend;\n"
     "begin\nresult := 0;\nouter(result, 3);\nend.\n"},
    {"Comparisons", 0,
     "program p()\nvar result, a: integer;\nvar x: float;\nbegin\nresult := 0;\na := 3;\nx := 2.5;\n"
     "if a < x then result := 1; end;\nif a <> 3 then result := 2; end;\n"
     "if 'abd' < 'abc' then result := 3; end;\nif 1 and 2 then result := 4; end;\n"
     "if not (a = 3) then result := 5; end;\nend.\n"},
};

class TemplatesRun : public ::testing::TestWithParam<Case> {};

TEST_P(TemplatesRun, ProgramLeavesItsExpectedResult) {
  const Case& k = GetParam();
  EXPECT_EQ(compile_and_run(k.source), k.expected) << k.source;
}

INSTANTIATE_TEST_SUITE_P(Programs, TemplatesRun, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarn::test
