// The statements and expressions parsers: every error they report, through
// the real report.
#include <gtest/gtest.h>

#include <set>

#include "frontend_fixture.h"

namespace tarn {
namespace {

struct ErrorCase {
  const char* name;
  const char* source;  // LF line ends; compiled with CR LF
  const char* report;  // the three report lines after "src.pas"
};

const ErrorCase kErrors[] = {
    {"ProcedureCallWithoutParentheses", "procedure q()\nbegin ; end;\nprogram p()\nbegin\n  q;\nend.",
     "(5): Error 99: '(' expected.\r\n  q;\r\n   ^\r\n"},
    {"WidthNotALiteral", "program p()\nvar x, n: integer;\nbegin\n  write(x:n);\nend.",
     "(4): Error 115: Integer conctant expected.\r\n  write(x:n);\r\n          ^\r\n"},
    {"ReadlnTwoTargets", "program p()\nvar a, b: integer;\nbegin\n  readln(a, b);\nend.",
     "(4): Error 99: ')' expected.\r\n  readln(a, b);\r\n          ^\r\n"},
    {"ReadlnLiteral", "program p()\nbegin\n  readln(5);\nend.",
     "(3): Error 105: Variable name expected, but '5' found.\r\n  readln(5);\r\n         ^\r\n"},
    {"ReadlnWithoutParentheses", "program p()\nvar a: integer;\nbegin\n  readln a;\nend.",
     "(4): Error 99: '(' expected.\r\n  readln a;\r\n         ^\r\n"},
    {"LabelPlacedTwice", "program p()\nlabel l;\nbegin\n  l: ;\n  l: ;\nend.",
     "(5): Error 133: Duplicate label 'l'.\r\n  l: ;\r\n  ^\r\n"},
    {"LabelWithoutColon", "program p()\nlabel l;\nbegin\n  l ;\nend.",
     "(4): Error 134: Colon expected but ';' found.\r\n  l ;\r\n    ^\r\n"},
    {"ConditionInParentheses", "program p()\nvar x, a, b: integer;\nbegin\n  x := (a < b);\nend.",
     "(4): Error 99: ')' expected.\r\n  x := (a < b);\r\n          ^\r\n"},
    {"NotAfterAnd", "program p()\nvar a, b: integer;\nbegin\n  if a = 1 and not b = 2 then a := 0; end;\nend.",
     "(4): Error 102: Variable, constant or '(' expected, but 'not' found.\r\n  if a = 1 and not b = 2 then a := 0; end;\r\n               ^\r\n"},
    {"NilLessThanPointer", "program p()\ntype r = record n: integer; end;\nvar q: ^r;\nbegin\n  if nil < q then q := nil; end;\nend.",
     "(5): Error 142: Invalid comparison operator. Expected '=' or '!='.\r\n  if nil < q then q := nil; end;\r\n         ^\r\n"},
    {"PointerGreaterThanNil", "program p()\ntype r = record n: integer; end;\nvar q: ^r;\nbegin\n  if q > nil then q := nil; end;\nend.",
     "(5): Error 142: Invalid comparison operator. Expected '=' or '!='.\r\n  if q > nil then q := nil; end;\r\n             ^\r\n"},
    {"LengthOfNumber", "program p()\nvar n: integer;\nbegin\n  n := length(5);\nend.",
     "(4): Error 113: Incompatible types (actual and formal parameters).\r\n  n := length(5);\r\n               ^\r\n"},
    {"SubstrWithTwoArguments", "program p()\nvar s: string[10];\nbegin\n  s := substr(s, 1);\nend.",
     "(4): Error 112: Not enough actual parameters.\r\n  s := substr(s, 1);\r\n                  ^\r\n"},
    {"SubstrWithFourArguments", "program p()\nvar s: string[10];\nbegin\n  s := substr(s, 1, 2, 3);\nend.",
     "(4): Error 111: Too many actual parameters.\r\n  s := substr(s, 1, 2, 3);\r\n                     ^\r\n"},
    {"IntegerForFloatFormal", "program p()\nvar s: string[10];\nbegin\n  s := floattostr(1);\nend.",
     "(4): Error 113: Incompatible types (actual and formal parameters).\r\n  s := floattostr(1);\r\n                   ^\r\n"},
    {"FloatFunctionReturnsInteger", "function f(): float\nbegin\n  return 1;\nend;\nprogram p()\nbegin ; end.",
     "(3): Error 26: Type mismatch.\r\n  return 1;\r\n          ^\r\n"},
    {"ReturnOutsideFunction", "program p()\nbegin\n  return 1;\nend.",
     "(3): Error 107: Statement expected, but 'return' found.\r\n  return 1;\r\n  ^\r\n"},
    {"FloatLoopVariable", "program p()\nvar f: float;\nbegin\n  for f := 1 to 2 do ; end;\nend.",
     "(4): Error 110: Integer variable expected, but 'f' found.\r\n  for f := 1 to 2 do ; end;\r\n      ^\r\n"},
    {"ForWithoutTo", "program p()\nvar i: integer;\nbegin\n  for i := 1 do ; end;\nend.",
     "(4): Error 99: 'to' expected.\r\n  for i := 1 do ; end;\r\n             ^\r\n"},
    {"CaseBranchWithoutDo", "program p()\nvar n, a: integer;\nbegin\n  case n of 1: a := 1; end;\n  end;\nend.",
     "(4): Error 99: 'do' expected.\r\n  case n of 1: a := 1; end;\r\n               ^\r\n"},
    {"CaseBranchConstant", "program p()\nconst one = 1;\nvar n, a: integer;\nbegin\n  case n of one: do a := 1; end; end;\nend.",
     "(5): Error 128: Integer constant expected.\r\n  case n of one: do a := 1; end; end;\r\n            ^\r\n"},
    {"CaseBranchWithoutColon", "program p()\nvar n, a: integer;\nbegin\n  case n of 1 do a := 1; end; end;\nend.",
     "(4): Error 86: ':' expected.\r\n  case n of 1 do a := 1; end; end;\r\n              ^\r\n"},
    {"CaseFloatSelector", "program p()\nvar f: float;\n  a: integer;\nbegin\n  case f of 1: do a := 1; end; end;\nend.",
     "(5): Error 138: The selector must be an integer variable or expression.\r\n  case f of 1: do a := 1; end; end;\r\n         ^\r\n"},
    {"CaseWithoutOf", "program p()\nvar n, a: integer;\nbegin\n  case n 1: do a := 1; end; end;\nend.",
     "(4): Error 137: Keyword 'of' expected, but '1' found.\r\n  case n 1: do a := 1; end; end;\r\n         ^\r\n"},
    {"CaseWithoutEnd", "program p()\nvar n, a: integer;\nbegin\n  case n of 1: do a := 1; end; a := 2;\nend.",
     "(4): Error 103: Keyword 'end' expected, but 'a' found.\r\n  case n of 1: do a := 1; end; a := 2;\r\n                               ^\r\n"},
    {"IfWithoutThen", "program p()\nvar a: integer;\nbegin\n  if a > 0 a := 1; end;\nend.",
     "(4): Error 104: Keyword 'then' expected, but 'a' found.\r\n  if a > 0 a := 1; end;\r\n           ^\r\n"},
    {"IfWithoutEnd", "program p()\nvar a: integer;\nbegin\n  if a > 0 then a := 1; until a = 0;\nend.",
     "(4): Error 103: Keyword 'end' expected, but 'until' found.\r\n  if a > 0 then a := 1; until a = 0;\r\n                        ^\r\n"},
    {"WhileWithoutDo", "program p()\nvar a: integer;\nbegin\n  while a > 0 a := 1; end;\nend.",
     "(4): Error 99: 'do' expected.\r\n  while a > 0 a := 1; end;\r\n              ^\r\n"},
    {"RepeatWithoutUntil", "program p()\nvar a: integer;\nbegin\n  repeat a := 1; end;\nend.",
     "(4): Error 99: 'until' expected.\r\n  repeat a := 1; end;\r\n                 ^\r\n"},
    {"AssignmentWithoutAssignSign", "program p()\nvar a: integer;\nbegin\n  a = 1;\nend.",
     "(4): Error 0: 'assign operator expected, but '=' found'\r\n  a = 1;\r\n    ^\r\n"},
    {"AssignmentWithoutSemicolon", "program p()\nvar a: integer;\nbegin\n  a := 1\nend.",
     "(5): Error 85: ';' expected.\r\nend.\r\n^\r\n"},
    {"AssignToConstant", "program p()\nconst k = 1;\nbegin\n  k := 2;\nend.",
     "(4): Error 125: You can't change constant value.\r\n  k := 2;\r\n  ^\r\n"},
    {"KeywordThatStartsNoStatement", "program p()\nbegin\n  then;\nend.",
     "(3): Error 99: 'end' expected.\r\n  then;\r\n  ^\r\n"},
    {"DelimiterThatStartsNoStatement", "program p()\nbegin\n  );\nend.",
     "(3): Error 121: Identifier expected, but ')' found.\r\n  );\r\n  ^\r\n"},
    {"LiteralThatStartsNoStatement", "program p()\nbegin\n  5 := 1;\nend.",
     "(3): Error 0: 'Error in statement'\r\n  5 := 1;\r\n  ^\r\n"},
    {"StatementAfterEndWithoutSemicolon", "program p()\nvar a: integer;\nbegin\n  if a > 0 then a := 1; end a := 2;\nend.",
     "(4): Error 99: ';' expected.\r\n  if a > 0 then a := 1; end a := 2;\r\n                            ^\r\n"},
    {"GotoNotALabel", "program p()\nvar a: integer;\nbegin\n  goto a;\nend.",
     "(4): Error 132: Label expected.\r\n  goto a;\r\n       ^\r\n"},
    {"GotoLabelNeverPlaced", "program p()\nlabel l;\nbegin\n  goto l;\nend.",
     "(5): Error 132: Label expected.\r\nend.\r\n^\r\n"},
    {"NewOfNonPointer", "program p()\nvar a: integer;\nbegin\n  new(a);\nend.",
     "(4): Error 140: Error in type (pointer to an record type expected).\r\n  new(a);\r\n      ^\r\n"},
    {"RecordElementWithoutDot", "program p()\ntype r = record n: integer; end;\nvar a: array [1..3] of r;\nbegin\n  a[1] := 2;\nend.",
     "(5): Error 90: '.'\r\n  a[1] := 2;\r\n     ^\r\n"},
    {"UnknownField", "program p()\ntype r = record n: integer; end;\nvar v: r;\nbegin\n  v.m := 2;\nend.",
     "(5): Error 136: 'm' - bad record field name.\r\n  v.m := 2;\r\n    ^\r\n"},
    {"PointerFromInteger", "program p()\ntype r = record n: integer; end;\nvar q: ^r;\n  a: integer;\nbegin\n  q := a;\nend.",
     "(6): Error 26: Type mismatch.\r\n  q := a;\r\n       ^\r\n"},
    {"PointerFromArrayElement", "program p()\ntype r = record n: integer; end;\nvar q: ^r;\n  a: array [1..2] of integer;\nbegin\n  q := a[1];\nend.",
     "(6): Error 26: Type mismatch.\r\n  q := a[1];\r\n       ^\r\n"},
    {"PointersToDifferentRecords", "program p()\ntype r = record n: integer; end;\n  s = record m: integer; end;\nvar q: ^r;\n  t: ^s;\nbegin\n  q := t;\nend.",
     "(7): Error 26: Type mismatch.\r\n  q := t;\r\n        ^\r\n"},
    {"BuiltinWithoutParentheses", "program p()\nvar f: float;\nbegin\n  f := sqrt f;\nend.",
     "(4): Error 99: '(' expected.\r\n  f := sqrt f;\r\n            ^\r\n"},
    {"BuiltinWithoutClosingParenthesis", "program p()\nvar f: float;\nbegin\n  f := sqrt(f;\nend.",
     "(4): Error 99: ')' expected.\r\n  f := sqrt(f;\r\n             ^\r\n"},
    {"TooManyProcedureArguments", "procedure q(a: integer)\nbegin ; end;\nprogram p()\nbegin\n  q(1, 2);\nend.",
     "(5): Error 111: Too many actual parameters.\r\n  q(1, 2);\r\n     ^\r\n"},
    {"TooFewProcedureArguments", "procedure q(a: integer, b: integer)\nbegin ; end;\nprogram p()\nbegin\n  q(1);\nend.",
     "(5): Error 112: Not enough actual parameters.\r\n  q(1);\r\n     ^\r\n"},
    {"ProcedureCallWithoutSemicolon", "procedure q()\nbegin ; end;\nprogram p()\nbegin\n  q() q();\nend.",
     "(5): Error 99: ';' expected.\r\n  q() q();\r\n      ^\r\n"},
    {"ArgumentsWithoutComma", "procedure q(a: integer, b: integer)\nbegin ; end;\nprogram p()\nbegin\n  q(1 2);\nend.",
     "(5): Error 99: ',' expected.\r\n  q(1 2);\r\n      ^\r\n"},
    {"StringPlusNumber", "program p()\nvar s: string[5];\nbegin\n  s := s + 1;\nend.",
     "(4): Error 120: Operands must be string expression.\r\n  s := s + 1;\r\n            ^\r\n"},
    {"ModOfFloat", "program p()\nvar f: float;\n  a: integer;\nbegin\n  a := f mod 2;\nend.",
     "(5): Error 26: Type mismatch.\r\n  a := f mod 2;\r\n              ^\r\n"},
    {"FloatIndex", "program p()\nvar a: array [1..3] of integer;\n  f: float;\nbegin\n  a[f] := 1;\nend.",
     "(5): Error 109: Error in type (index expression mast be integer type).\r\n  a[f] := 1;\r\n           ^\r\n"},
    {"AssignStringToInteger", "program p()\nvar a: integer;\nbegin\n  a := 'x';\nend.",
     "(4): Error 26: Type mismatch.\r\n  a := 'x';\r\n          ^\r\n"},
    {"WriteWithoutParentheses", "program p()\nvar a: integer;\nbegin\n  write a;\nend.",
     "(4): Error 99: '(' expected.\r\n  write a;\r\n        ^\r\n"},
    {"MinusStartsNoCondition", "program p()\nvar a: integer;\nbegin\n  if -a > 0 then a := 1; end;\nend.",
     "(4): Error 102: Variable, constant or '(' expected, but '-' found.\r\n  if -a > 0 then a := 1; end;\r\n     ^\r\n"},
    {"UnknownIdentifier", "program p()\nbegin\n  x := 1;\nend.",
     "(3): Error 3: Unknown identifier: 'x'.\r\n  x := 1;\r\n  ^\r\n"},
    {"StringForIntegerFormal", "procedure q(var t: integer)\nbegin ; end;\nprogram p()\nvar s: string[4];\nbegin\n  q(s);\nend.",
     "(6): Error 113: Incompatible types (actual and formal parameters).\r\n  q(s);\r\n     ^\r\n"},
    // A `var` formal would write into the constant's own data.
    {"LiteralForVarFormal", "procedure q(var t: integer)\nbegin ; end;\nprogram p()\nbegin\n  q(5);\nend.",
     "(5): Error 113: Incompatible types (actual and formal parameters).\r\n  q(5);\r\n     ^\r\n"},
    {"StringLiteralForVarFormal", "procedure q(var t: string)\nbegin ; end;\nprogram p()\nbegin\n  q('ab');\nend.",
     "(5): Error 113: Incompatible types (actual and formal parameters).\r\n  q('ab');\r\n        ^\r\n"},
    {"NamedConstantForVarFormal",
     "procedure q(var t: float)\nbegin ; end;\nprogram p()\nconst f = 1.5;\nbegin\n  q(f);\nend.",
     "(6): Error 113: Incompatible types (actual and formal parameters).\r\n  q(f);\r\n     ^\r\n"},
    {"SourceEndsInsideBlock", "program p()\nvar a: integer;\nbegin\n  a := 1;\n",
     "(5): Error 99: 'end' expected.\r\n\r\n^\r\n"},
    {"SourceEndsInsideParentheses", "program p()\nvar a: integer;\nbegin\n  a := (",
     "(4): Error 102: Variable, constant or '(' expected, but '' found.\r\n  a := (\r\n       ^\r\n"},
    {"SourceEndsAfterMinus", "program p()\nvar a: integer;\nbegin\n  a := -",
     "(4): Error 102: Variable, constant or '(' expected, but '' found.\r\n  a := -\r\n       ^\r\n"},
    {"SourceEndsInsideRecord", "program p()\ntype r = record a: integer;",
     "(2): Error 136: '' - bad record field name.\r\ntype r = record a: integer;\r\n                          ^\r\n"},
    {"BuiltinWithoutItsArgument", "program p()\nvar f: float;\nbegin\n  f := sqrt();\nend.",
     "(4): Error 102: Variable, constant or '(' expected, but ')' found.\r\n  f := sqrt();\r\n            ^\r\n"},
    {"BuiltinWithAnArgumentItTakesNot", "program p()\nvar a: integer;\nbegin\n  a := getday(1);\nend.",
     "(4): Error 99: ')' expected.\r\n  a := getday(1);\r\n              ^\r\n"},
};

class StatementErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(StatementErrors, ReportThroughTheRealReport) {
  const ErrorCase& e = GetParam();
  test::FrontEndRun fe;
  EXPECT_EQ(fe.compile_error(test::crlf(e.source)), std::string("src.pas") + e.report);
}

INSTANTIATE_TEST_SUITE_P(Statements, StatementErrors, ::testing::ValuesIn(kErrors),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tarn

namespace tarn {
namespace {

struct CodeSource {
  int code;
  const char* source;
};

// One source per message code that the front end reports.
const CodeSource kCodeSources[] = {
    {0, "program p()\nbegin\n  5 := 1;\nend."},
    {2, "program p()\nvar 5: integer;\nbegin ; end."},
    {3, "program p()\nbegin\n  x := 1;\nend."},
    {4, "program p()\nvar x, x: integer;\nbegin ; end."},
    {21, "program p()\nvar x: thing;\nbegin ; end."},
    {22, "program p()\nvar a: array [1..n] of integer;\nbegin ; end."},
    {23, "procedure q(x: thing)\nbegin ; end;\nprogram p()\nbegin ; end."},
    {26, "program p()\nvar a: integer;\nbegin\n  a := 'x';\nend."},
    {85, "program p()\nvar a: integer;\nbegin\n  a := 1\nend."},
    {86, "program p()\nvar a integer;\nbegin ; end."},
    {90, "program p()\ntype r = record n: integer; end;\nvar a: array [1..3] of r;\nbegin\n  a[1] := 2;\nend."},
    {99, "program p\nbegin ; end."},
    {102, "program p()\nvar a: integer;\nbegin\n  a := * 2;\nend."},
    {103, "program p()\nvar a: integer;\nbegin\n  if a > 0 then a := 1; until a = 0;\nend."},
    {104, "program p()\nvar a: integer;\nbegin\n  if a > 0 a := 1; end;\nend."},
    {105, "program p()\nbegin\n  readln(5);\nend."},
    {107, "program p()\nbegin end."},
    {108, "begin end."},
    {109, "program p()\nvar a: array [1..3] of integer;\n  f: float;\nbegin\n  a[f] := 1;\nend."},
    {110, "program p()\nvar f: float;\nbegin\n  for f := 1 to 2 do ; end;\nend."},
    {111, "program p()\nvar s: string[10];\nbegin\n  s := substr(s, 1, 2, 3);\nend."},
    {112, "program p()\nvar s: string[10];\nbegin\n  s := substr(s, 1);\nend."},
    {113, "program p()\nvar n: integer;\nbegin\n  n := length(5);\nend."},
    {114, "function f(): thing\nbegin ; end;\nprogram p()\nbegin ; end."},
    {115, "program p()\nvar x, n: integer;\nbegin\n  write(x:n);\nend."},
    {116, "program p()\nvar s: string[0];\nbegin ; end."},
    {118, "function begin(): integer\nbegin ; end;\nprogram p()\nbegin ; end."},
    {120, "program p()\nvar s: string[5];\nbegin\n  s := s + 1;\nend."},
    {121, "program p()\nbegin\n  );\nend."},
    {122, "program p()\nvar sqrt: integer;\nbegin ; end."},
    {123, "program p()\nvar a, b, c, d, e, f, g, h, i, j, k: integer;\nbegin ; end."},
    {124, "program p()\nconst n = -5;\nbegin ; end."},
    {125, "program p()\nconst k = 1;\nbegin\n  k := 2;\nend."},
    {126, "program p()\nvar a: array [1..256] of integer;\nbegin ; end."},
    {127, "program p()\nvar a: integer;\nbegin\n  a := 2147483648;\nend."},
    {128, "program p()\nvar a: array [1..2] of integer = 1, 2.5;\nbegin ; end."},
    {129, "program p()\nvar a: array [1..2] of float = 1, 'x';\nbegin ; end."},
    {130, "program p()\nvar a: array [1..2] of string[4] = 'a', 2;\nbegin ; end."},
    {131, "program p()\nvar a: array [1..3] of integer = 1, 2;\nbegin ; end."},
    {132, "program p()\nvar a: integer;\nbegin\n  goto a;\nend."},
    {133, "program p()\nlabel l;\nbegin\n  l: ;\n  l: ;\nend."},
    {134, "program p()\nlabel l;\nbegin\n  l ;\nend."},
    {135, "program p()\ntype r = record a: integer; a: float; end;\nbegin ; end."},
    {136, "program p()\ntype r = record n: integer; end;\nvar v: r;\nbegin\n  v.m := 2;\nend."},
    {137, "program p()\nvar n: integer;\nbegin\n  case n 1: do ; end; end;\nend."},
    {138, "program p()\nvar f: float;\nbegin\n  case f of 1: do ; end; end;\nend."},
    {139, "program p()\ntype r = record a: text; end;\nbegin ; end."},
    {140, "program p()\nvar a: integer;\nbegin\n  new(a);\nend."},
    {142, "program p()\ntype r = record n: integer; end;\nvar q: ^r;\nbegin\n  if nil < q then q := nil; end;\nend."},
    {143, "program p()\ntype t = ^r;\nbegin ; end."},
    {144, "program p()\nvar f: float;\nbegin\n  f := 1.5e10;\nend."},
};

TEST(MessageCodes, EveryCodeTheFrontEndReportsHasASourceThatTriggersIt) {
  // Codes no pass of the front end reports: never used, or the back end's.
  const std::set<int> unreported = {8, 100, 101, 106, 117, 119, 141, 201, 202};
  std::set<int> covered;
  for (const CodeSource& cs : kCodeSources) {
    test::FrontEndRun fe;
    std::string report = fe.compile_error(test::crlf(cs.source));
    std::string line = report.substr(0, report.find("\r\n"));
    EXPECT_NE(line.find("Error " + std::to_string(cs.code) + ":"), std::string::npos) << cs.source << "\n" << line;
    covered.insert(cs.code);
  }
  for (const termsg& m : message_table())
    if (!unreported.count(m.code)) {
      EXPECT_TRUE(covered.count(m.code)) << "no source for code " << m.code;
    }
}

}  // namespace
}  // namespace tarn

namespace tarn {
namespace {

std::string repeated(const std::string& s, int n) {
  std::string r;
  for (int i = 0; i < n; ++i) r += s;
  return r;
}

TEST(Nesting, DeepSourcesAreReportedNotOverflowTheStack) {
  const std::string head = "program p()\r\nvar a: integer;\r\nbegin\r\n";
  struct Row {
    int depth;
    const char* message;  // empty: accepted
  };
  for (const Row& r : {Row{150, ""}, Row{5000, "Error 0: 'Expression nested too deeply'"}}) {
    test::FrontEndRun fe;
    std::string source = head + "  a := " + repeated("(", r.depth) + "1" + repeated(")", r.depth) + ";\r\nend.\r\n";
    if (*r.message == 0) {
      fe.start(source);
      EXPECT_NO_THROW(fe.compile());
    } else {
      EXPECT_NE(fe.compile_error(source).find(r.message), std::string::npos);
    }
  }
  for (const Row& r : {Row{150, ""}, Row{3000, "Error 0: 'Statements nested too deeply'"}}) {
    test::FrontEndRun fe;
    std::string source = head + repeated("if a = 1 then ", r.depth) + "a := 1; " + repeated("end; ", r.depth) + "\r\nend.\r\n";
    if (*r.message == 0) {
      fe.start(source);
      EXPECT_NO_THROW(fe.compile());
    } else {
      EXPECT_NE(fe.compile_error(source).find(r.message), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace tarn
