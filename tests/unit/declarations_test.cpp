// The declarations parser: every error it reports, through the real report.
#include <gtest/gtest.h>

#include "tables/types.h"
#include "frontend_fixture.h"

namespace tarn {
namespace {

struct ErrorCase {
  const char* name;
  const char* source;  // LF line ends; compiled with CR LF
  const char* report;  // the three report lines after "src.pas"
};

const ErrorCase kErrors[] = {
    {"StringWithoutCapacity", "program p()\nvar s: string;\nbegin ; end.",
     "(2): Error 99: '[' expected.\r\nvar s: string;\r\n             ^\r\n"},
    {"StringCapacityZero", "program p()\nvar s: string[0];\nbegin ; end.",
     "(2): Error 116: String lenght out of range.\r\nvar s: string[0];\r\n              ^\r\n"},
    {"StringCapacity129", "program p()\nvar s: string[129];\nbegin ; end.",
     "(2): Error 116: String lenght out of range.\r\nvar s: string[129];\r\n              ^\r\n"},
    {"StringCapacityNotConstant", "program p()\nvar s: string[k];\nbegin ; end.",
     "(2): Error 115: Integer conctant expected.\r\nvar s: string[k];\r\n              ^\r\n"},
    {"StringMissingBracket", "program p()\nvar s: string[10;\nbegin ; end.",
     "(2): Error 99: ']' expected.\r\nvar s: string[10;\r\n                ^\r\n"},
    {"LowerBoundZero", "program p()\nvar a: array [0..10] of integer;\nbegin ; end.",
     "(2): Error 99: '1..' expected.\r\nvar a: array [0..10] of integer;\r\n              ^\r\n"},
    {"LowerBoundWithoutRange", "program p()\nvar a: array [1 10] of integer;\nbegin ; end.",
     "(2): Error 99: '..' expected.\r\nvar a: array [1 10] of integer;\r\n                ^\r\n"},
    {"UpperBound256", "program p()\nvar a: array [1..256] of integer;\nbegin ; end.",
     "(2): Error 126: Array size must not exceed 255.\r\nvar a: array [1..256] of integer;\r\n                 ^\r\n"},
    {"UpperBoundNotConstant", "program p()\nvar a: array [1..n] of integer;\nbegin ; end.",
     "(2): Error 22: Integer constant expected, but 'n' found.\r\nvar a: array [1..n] of integer;\r\n                 ^\r\n"},
    {"ArrayMissingBracket", "program p()\nvar a: array [1..5 of integer;\nbegin ; end.",
     "(2): Error 99: ']' expected.\r\nvar a: array [1..5 of integer;\r\n                   ^\r\n"},
    {"ArrayMissingOf", "program p()\nvar a: array [1..5] integer;\nbegin ; end.",
     "(2): Error 99: 'of' expected.\r\nvar a: array [1..5] integer;\r\n                    ^\r\n"},
    {"ArrayUnknownElement", "program p()\nvar a: array [1..5] of thing;\nbegin ; end.",
     "(2): Error 23: Error in type ('integer', 'float', 'string' or user type expected).\r\nvar a: array [1..5] of thing;\r\n                       ^\r\n"},
    {"ElevenNames", "program p()\nvar a, b, c, d, e, f, g, h, i, j, k: integer;\nbegin ; end.",
     "(2): Error 123: The number of variables in the list should not be more than 10\r\nvar a, b, c, d, e, f, g, h, i, j, k: integer;\r\n                                  ^\r\n"},
    {"InitialListTooLong", "program p()\nvar a: array [1..3] of integer = 1, 2, 3, 4;\nbegin ; end.",
     "(2): Error 131: List length does not match the number of array elements.\r\nvar a: array [1..3] of integer = 1, 2, 3, 4;\r\n                                           ^\r\n"},
    {"InitialListFloatInIntegers", "program p()\nvar a: array [1..2] of integer = 1, 2.5;\nbegin ; end.",
     "(2): Error 128: Integer constant expected.\r\nvar a: array [1..2] of integer = 1, 2.5;\r\n                                    ^\r\n"},
    {"InitialListStringInFloats", "program p()\nvar a: array [1..2] of float = 1, 'x';\nbegin ; end.",
     "(2): Error 129: Float or integer constant expected.\r\nvar a: array [1..2] of float = 1, 'x';\r\n                                   ^\r\n"},
    {"InitialListNumberInStrings", "program p()\nvar a: array [1..2] of string[4] = 'a', 2;\nbegin ; end.",
     "(2): Error 130: String constant expected.\r\nvar a: array [1..2] of string[4] = 'a', 2;\r\n                                        ^\r\n"},
    {"InitialListBadSeparator", "program p()\nvar a: array [1..2] of integer = 1 2;\nbegin ; end.",
     "(2): Error 85: ';' expected.\r\nvar a: array [1..2] of integer = 1 2;\r\n                                   ^\r\n"},
    {"FunctionNamedSqrt", "function sqrt(x: float): float\nbegin ; end;\nprogram p()\nbegin ; end.",
     "(1): Error 122: Bad identifier name: 'sqrt' \r\nfunction sqrt(x: float): float\r\n         ^\r\n"},
    {"FunctionNamedKeyword", "function begin(): integer\nbegin ; end;\nprogram p()\nbegin ; end.",
     "(1): Error 118: Bad function name.\r\nfunction begin(): integer\r\n         ^\r\n"},
    {"BlankBetweenParentheses", "procedure q( )\nbegin ; end;\nprogram p()\nbegin ; end.",
     "(1): Error 2: Identifier expected.\r\nprocedure q( )\r\n             ^\r\n"},
    {"FormalWithoutColon", "procedure q(x integer)\nbegin ; end;\nprogram p()\nbegin ; end.",
     "(1): Error 86: ':' expected.\r\nprocedure q(x integer)\r\n              ^\r\n"},
    {"FormalUnknownType", "procedure q(x: thing)\nbegin ; end;\nprogram p()\nbegin ; end.",
     "(1): Error 23: Error in type ('integer', 'float', 'string' or user type expected).\r\nprocedure q(x: thing)\r\n               ^\r\n"},
    {"FormalsSeparatedBySemicolon", "procedure q(x: integer; y: integer)\nbegin ; end;\nprogram p()\nbegin ; end.",
     "(1): Error 99: '\",\" or \")\"' expected.\r\nprocedure q(x: integer; y: integer)\r\n                      ^\r\n"},
    {"FunctionWithoutResult", "function f(x: integer)\nbegin ; end;\nprogram p()\nbegin ; end.",
     "(2): Error 99: ':' expected.\r\nbegin ; end;\r\n^\r\n"},
    {"FunctionUnknownResult", "function f(): thing\nbegin ; end;\nprogram p()\nbegin ; end.",
     "(1): Error 114: Function need result type.\r\nfunction f(): thing\r\n              ^\r\n"},
    {"ProcedureHeaderWithSemicolon", "procedure q();\nbegin ; end;\nprogram p()\nbegin ; end.",
     "(1): Error 99: ' const, var or begin' expected.\r\nprocedure q();\r\n             ^\r\n"},
    {"LabelInProcedure", "procedure q()\nlabel l;\nbegin ; end;\nprogram p()\nbegin ; end.",
     "(2): Error 99: ' const, var or begin' expected.\r\nlabel l;\r\n^\r\n"},
    {"RoutineWithoutSemicolon", "procedure q()\nbegin ; end\nprogram p()\nbegin ; end.",
     "(3): Error 85: ';' expected.\r\nprogram p()\r\n^\r\n"},
    {"EmptyStatementList", "program p()\nbegin end.",
     "(2): Error 107: Statement expected, but 'end' found.\r\nbegin end.\r\n      ^\r\n"},
    {"MissingFullStop", "program p()\nbegin ; end",
     "(2): Error 99: '.' expected.\r\nbegin ; end\r\n        ^\r\n"},
    {"MissingOpenParenthesis", "program p\nbegin ; end.",
     "(2): Error 99: '(' expected.\r\nbegin ; end.\r\n^\r\n"},
    {"MissingCloseParenthesis", "program p(\nbegin ; end.",
     "(2): Error 99: ')' expected.\r\nbegin ; end.\r\n^\r\n"},
    {"NoSectionAfterHeading", "program p()\nx := 1;",
     "(2): Error 99: ' label, const, type, var, procedure, function, begin' expected.\r\nx := 1;\r\n^\r\n"},
    {"LabelListWithoutSemicolon", "program p()\nlabel a b;\nbegin ; end.",
     "(2): Error 85: ';' expected.\r\nlabel a b;\r\n        ^\r\n"},
    {"SecondLabelSection", "program p()\nlabel a;\nlabel b;\nbegin ; end.",
     "(3): Error 99: ' const, type, var, procedure, function, begin' expected.\r\nlabel b;\r\n^\r\n"},
    {"ConstWithoutEquals", "program p()\nconst n := 5;\nbegin ; end.",
     "(2): Error 99: '=' expected.\r\nconst n := 5;\r\n        ^\r\n"},
    {"ConstNotLiteral", "program p()\nconst n = -5;\nbegin ; end.",
     "(2): Error 124: Integer, float or string constant expected.\r\nconst n = -5;\r\n          ^\r\n"},
    {"ConstWithoutSemicolon", "program p()\nconst n = 5\nbegin ; end.",
     "(3): Error 85: ';' expected.\r\nbegin ; end.\r\n^\r\n"},
    {"TypeAfterVar", "program p()\nvar x: integer;\ntype t = ^r;\nbegin ; end.",
     "(3): Error 99: 'var or begin' expected.\r\ntype t = ^r;\r\n^\r\n"},
    {"PointerToUnknownType", "program p()\ntype t = ^r;\nbegin ; end.",
     "(2): Error 143: Record type expected.\r\ntype t = ^r;\r\n          ^\r\n"},
    {"TypeAlias", "program p()\ntype t = integer;\nbegin ; end.",
     "(2): Error 21: Error in type ('integer', 'float', 'string' , 'array' or usert type expected).\r\ntype t = integer;\r\n         ^\r\n"},
    {"DuplicateField", "program p()\ntype r = record a: integer; b, a: float; end;\nbegin ; end.",
     "(2): Error 135: Duplicate declaration a record field\r\ntype r = record a: integer; b, a: float; end;\r\n                               ^\r\n"},
    {"ElevenFieldNames", "program p()\ntype r = record a, b, c, d, e, f, g, h, i, j, k: integer; end;\nbegin ; end.",
     "(2): Error 0: 'Access stack error'\r\ntype r = record a, b, c, d, e, f, g, h, i, j, k: integer; end;\r\n                                              ^\r\n"},
    {"BadFieldType", "program p()\ntype r = record a: text; end;\nbegin ; end.",
     "(2): Error 139: Error in type ('integer', 'float', 'string'  or pointer to an record type expected).\r\ntype r = record a: text; end;\r\n                   ^\r\n"},
    {"BadFieldName", "program p()\ntype r = record begin: integer; end;\nbegin ; end.",
     "(2): Error 136: 'begin' - bad record field name.\r\ntype r = record begin: integer; end;\r\n                ^\r\n"},
    {"FieldWithoutColon", "program p()\ntype r = record a integer; end;\nbegin ; end.",
     "(2): Error 86: ':' expected.\r\ntype r = record a integer; end;\r\n                  ^\r\n"},
    {"UnknownVarType", "program p()\nvar x: thing;\nbegin ; end.",
     "(2): Error 21: Error in type ('integer', 'float', 'string' , 'array' or usert type expected).\r\nvar x: thing;\r\n       ^\r\n"},
    {"VarWithoutColon", "program p()\nvar x integer;\nbegin ; end.",
     "(2): Error 86: ':' expected.\r\nvar x integer;\r\n      ^\r\n"},
    {"VarNotAName", "program p()\nvar 5: integer;\nbegin ; end.",
     "(2): Error 2: Identifier expected.\r\nvar 5: integer;\r\n    ^\r\n"},
    {"DuplicateVariable", "program p()\nvar x: integer;\n  x: float;\nbegin ; end.",
     "(3): Error 4: Duplicate identifier: 'x'.\r\n  x: float;\r\n  ^\r\n"},
    {"SecondVarSectionBeforeRoutine", "program p()\nvar x: integer;\nprocedure q()\nbegin ; end;\nconst k = 1;\nbegin ; end.",
     "(5): Error 99: 'var or begin' expected.\r\nconst k = 1;\r\n^\r\n"},
    {"NotAProgram", "unit u;",
     "(1): Error 108: 'procedure' or 'program' expected, but 'unit' found.\r\nunit u;\r\n^\r\n"},
};

class DeclarationErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(DeclarationErrors, ReportThroughTheRealReport) {
  const ErrorCase& e = GetParam();
  test::FrontEndRun fe;
  EXPECT_EQ(fe.compile_error(test::crlf(e.source)), std::string("src.pas") + e.report);
}

INSTANTIATE_TEST_SUITE_P(Declarations, DeclarationErrors, ::testing::ValuesIn(kErrors),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tarn

namespace tarn {
namespace {

TEST(Declarations, RecordFieldsOfOneLineAreLaidOutLastFirst) {
  test::FrontEndRun fe;
  fe.start(test::crlf("program p()\ntype point = record x, y: integer; s: string[10]; end;\nbegin ; end.\n"));
  fe.compile();
  const TTypeDesc* d = find_type(fe.c().types, "point");
  ASSERT_NE(d, nullptr);
  ASSERT_EQ(d->fields.size(), 3u);
  EXPECT_EQ(d->fields[0].name, "y");
  EXPECT_EQ(d->fields[0].offset, 0);
  EXPECT_EQ(d->fields[1].name, "x");
  EXPECT_EQ(d->fields[1].offset, 4);
  EXPECT_EQ(d->fields[2].name, "s");
  EXPECT_EQ(d->fields[2].offset, 8);
  EXPECT_EQ(d->fields[2].length, 12);
  EXPECT_EQ(d->attr2, 20);
}

TEST(Declarations, AcceptedForms) {
  const char* sources[] = {
      "program p()\nvar a: array [1..255, 1..255] of integer;\nbegin ; end.",
      "program p()\nvar a: array [1..10] of integer;\nbegin ; end.",
      "program p()\nconst n = 3;\nvar a: array [1..n] of string[n] = 'a', 'b', 'c';\nbegin ; end.",
      "procedure q(s: string)\nbegin ; end;\nprogram p()\nbegin ; end.",
      "procedure q()\nbegin ; end;\nfunction f(): float\nbegin ; end;\nprogram p()\nbegin ; end.",
      "program p()\nvar x: integer;\nprocedure q()\nbegin ; end;\nvar y: integer;\nbegin ; end.",
      "program p()\nlabel a, b;\nconst k = 'x';\ntype r = record n: integer; end;\nvar v: r;\nbegin ; end.",
      "PROGRAM P()\nVAR X: INTEGER;\nBEGIN ; END.",
  };
  for (const char* source : sources) {
    test::FrontEndRun fe;
    fe.start(test::crlf(source));
    EXPECT_NO_THROW(fe.compile()) << source;
  }
}

TEST(Declarations, StringFormalsHoldUpTo128Characters) {
  test::FrontEndRun fe;
  fe.start(test::crlf("procedure q(s: string, var n: integer)\nbegin ; end;\nprogram p()\nbegin ; end.\n"));
  fe.compile();
  SymbolClass cls = SymbolClass::kNone;
  int code = 0;
  ASSERT_TRUE(look_up(fe.c().sym, "s", 77, cls, code));
  EXPECT_EQ(sym_at(fe.c().sym, code).tag, 128);
  const TTblFun* f = find_signature(fe.c().sym, 77);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(param_count(*f), 2);
  EXPECT_FALSE(param_is_reference(*f, 2));  // bound by GET_P_PAR, recorded as a value formal
  EXPECT_NE(fe.work_file("postfix_.tmp").find("GET_P_PAR\r\n2\r\nq\r\nn\r\n"), std::string::npos);
}

}  // namespace
}  // namespace tarn
