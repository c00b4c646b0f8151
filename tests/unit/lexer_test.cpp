// The character reader and both token readers, over real sources, with every
// error checked through the real report (message, echoed line, caret).
#include <gtest/gtest.h>

#include <vector>

#include "frontend/declarations.h"
#include "frontend/lexer.h"
#include "tables/symtab.h"
#include "frontend_fixture.h"

namespace tarn {
namespace {

constexpr int kPosition = 1000;  // expected code: some symbol-table position
constexpr int kKept = 1001;      // expected kind or code: the previous token's

struct Expect {
  bool raw;
  int kind;
  int code;
  const char* text;
  bool delivered = true;
};

struct Case {
  const char* name;
  const char* source;
  std::vector<Expect> tokens;
};

// Names are read in declaration mode so that they need no earlier declaration.
const Case kCases[] = {
    {"KeywordsIgnoreCase", "WriteLn writeln BEGIN", {{false, 3, -23, "writeln"}, {false, 3, -23, "writeln"}, {false, 3, -12, "begin"}}},
    {"NotEqualBothWays", "a<>b c!=d", {{false, 2, kPosition, "a"}, {false, 6, -39, "<"}, {false, 2, kPosition, "b"},
                                       {false, 2, kPosition, "c"}, {false, 6, -39, "!"}, {false, 2, kPosition, "d"}}},
    {"LoneBangIsKindZero", "! =", {{false, 0, kKept, "!"}, {false, 6, -38, "="}}},
    {"Relations", "< <= > >= =", {{false, 6, -34, "<"}, {false, 6, -35, "<="}, {false, 6, -36, ">"}, {false, 6, -37, ">="},
                                  {false, 6, -38, "="}}},
    {"Separators", ":= : ( ) , ; [ ] ^", {{false, 2, -4, ":="}, {false, 2, -42, ":"}, {false, 2, -30, "("}, {false, 2, -31, ")"},
                                          {false, 2, -32, ","}, {false, 2, -43, ";"}, {false, 2, -52, "["}, {false, 2, -53, "]"},
                                          {false, 2, -120, "^"}}},
    {"Arithmetic", "+-*/", {{false, 1, -1, "+"}, {false, 1, -2, "-"}, {false, 1, -3, "*"}, {false, 1, -6, "/"}}},
    {"RangeAfterInteger", "x:=1..5", {{false, 2, kPosition, "x"}, {false, 2, -4, ":="}, {false, 5, kPosition, "1"},
                                      {false, kKept, kKept, "..", false}, {false, 5, kPosition, "5"}}},
    {"DotsCarryNoKind", "; . ..", {{false, 2, -43, ";"}, {false, 2, -43, "."}, {false, 2, -43, ".."}}},
    {"FloatWithExponent", "1.5e+10 2.25E-03 3.5", {{false, 5, kPosition, "1.5e+10"}, {false, 5, kPosition, "2.25E-03"},
                                                   {false, 5, kPosition, "3.5"}}},
    {"ExponentSignWithoutDigits", "1.5e+ x", {{false, 5, kPosition, "1.5e+"}, {false, 2, kPosition, "x"}}},
    {"ThirdExponentDigitIsNotPartOfTheLiteral", "1.5e+123", {{false, 5, kPosition, "1.5e+12"}, {false, 5, kPosition, "3"}}},
    {"LargestInteger", "2147483647", {{false, 5, kPosition, "2147483647"}}},
    {"RawTrailingDot", "12. ", {{true, 9, -1, "12."}}},
    {"RawBoundsThenMain", "1..10", {{true, 9, -1, "1."}, {false, 9, -1, "."}, {false, 5, kPosition, "10"}}},
    {"RawSigns", "< = > ! . 7 'ab'", {{true, 0, kKept, "<"}, {true, 0, kKept, "="}, {true, 0, kKept, ">"}, {true, 0, kKept, "!"},
                                      {true, 2, -33, "."}, {true, 5, -1, "7"}, {true, 7, -1, "ab"}}},
    {"RawUnknownNameIsNotDeclared", "zork", {{true, 4, -1, "zork"}}},
    {"RawKeyword", "Integer", {{true, 3, -19, "integer"}}},
    {"BraceCommentIsOneBlank", "a{note}b", {{false, 2, kPosition, "a"}, {false, 2, kPosition, "b"}}},
    {"SlashBeforeBlank", "/ x", {{false, 1, -6, "/"}, {false, 2, kPosition, "x"}}},
    {"SlashBeforeLineEnd", "a /\r\nb", {{false, 2, kPosition, "a"}, {false, 1, -6, "/"}, {false, 2, kPosition, "b"}}},
    {"UnclosedString", "'abc\r\nx", {{false, 10, kKept, "abc", false}, {false, 2, kPosition, "x"}}},
    {"StringAtEndOfFile", "'abc", {{false, 10, kKept, "abc", false}}},
    {"CommentInsideString", "'a{x}b//c'", {{false, 5, kPosition, "a b//c"}}},
    {"OtherCharacters", "# $ _", {{false, 0, kKept, "#"}, {false, 0, kKept, "$"}, {false, 0, kKept, "_"}}},
    {"NameStopsAtNonAsciiLetter", "ab\xc0", {{false, 2, kPosition, "ab"}, {false, 0, kKept, "\xc0"}}},
    {"EndOfFileKeepsTheToken", "x", {{false, 2, kPosition, "x"}, {false, 2, kKept, "x", false}, {false, 2, kKept, "x", false}}},
};

class Tokens : public ::testing::TestWithParam<Case> {};

TEST_P(Tokens, ReadAsExpected) {
  const Case& cs = GetParam();
  test::FrontEndRun fe;
  Compilation& c = fe.start(cs.source);
  c.lex.declaration_mode = true;
  Token tok;
  tok.kind = static_cast<TokenKind>(77);
  tok.code = 77;
  for (size_t i = 0; i < cs.tokens.size(); ++i) {
    const Expect& e = cs.tokens[i];
    Token before = tok;
    bool delivered = e.raw ? read_raw_token(c.front, tok) : read_token(c.front, tok);
    EXPECT_EQ(delivered, e.delivered) << "token " << i;
    EXPECT_EQ(tok.text, e.text) << "token " << i;
    EXPECT_EQ(static_cast<int>(tok.kind), e.kind == kKept ? static_cast<int>(before.kind) : e.kind) << "token " << i;
    if (e.code == kPosition) {
      EXPECT_GT(tok.code, 0) << "token " << i;
      EXPECT_LE(tok.code, c.sym.count) << "token " << i;
    } else {
      EXPECT_EQ(tok.code, e.code == kKept ? before.code : e.code) << "token " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Lexer, Tokens, ::testing::ValuesIn(kCases), [](const auto& info) { return info.param.name; });

TEST(Lexer, LiteralsShareAnEntryOnlyWithALiteralOfTheSameKind) {
  test::FrontEndRun fe;
  Compilation& c = fe.start("12 '12' 12 '12' 1.5 '1.5'");
  Token a, b, d, e, f, g;
  for (Token* t : {&a, &b, &d, &e, &f, &g}) read_token(c.front, *t);
  EXPECT_NE(a.code, b.code);  // the number and the text need data of different shapes
  EXPECT_EQ(d.code, a.code);
  EXPECT_EQ(e.code, b.code);
  EXPECT_NE(f.code, g.code);
  EXPECT_EQ(sym_at(c.sym, a.code).symbolclass, SymbolClass::kLiteral);
  EXPECT_EQ(sym_at(c.sym, a.code).symboltype, TypeNumber::kIntegerLiteral);
  EXPECT_EQ(sym_at(c.sym, b.code).symboltype, TypeNumber::kStringLiteral);
  EXPECT_EQ(sym_at(c.sym, f.code).symboltype, TypeNumber::kFloatLiteral);
  EXPECT_EQ(sym_at(c.sym, g.code).symboltype, TypeNumber::kStringLiteral);
  for (const Token* t : {&a, &b, &f, &g}) EXPECT_EQ(sym_at(c.sym, t->code).location, t->code);
}

TEST(Lexer, NamesAreDeclaredWithTheClassOfTheirPlace) {
  test::FrontEndRun fe;
  Compilation& c = fe.start("p f l");
  c.lex.declaration_mode = true;
  Token tok;
  c.lex.heading_kind = 1;
  read_token(c.front, tok);
  EXPECT_EQ(tok.kind, token_kind_of(SymbolClass::kProcedure));
  c.lex.heading_kind = 2;
  read_token(c.front, tok);
  EXPECT_EQ(tok.kind, token_kind_of(SymbolClass::kFunction));
  c.lex.current_procedure = tok.code;
  read_token(c.front, tok);
  EXPECT_EQ(tok.kind, token_kind_of(SymbolClass::kLocal));
  EXPECT_EQ(sym_at(c.sym, tok.code).procname, c.lex.current_procedure);
}

TEST(Lexer, ResolvedNamesGiveTheirClassAndPosition) {
  test::FrontEndRun fe;
  Compilation& c = fe.start("count COUNT pos Sqrt getdayofweek");
  SymbolClass symbol_class = SymbolClass::kVariable;
  int position = declare_named(c.sym, c.errors, c.lex.current_procedure, "count", symbol_class);
  Token tok;
  read_token(c.front, tok);
  EXPECT_EQ(tok.kind, token_kind_of(SymbolClass::kVariable));
  EXPECT_EQ(tok.code, position);
  read_token(c.front, tok);
  EXPECT_EQ(tok.code, position);
  read_token(c.front, tok);
  EXPECT_EQ(tok.kind, TokenKind::kFunction);
  EXPECT_EQ(sym_at(c.sym, tok.code).name, "pos");
  read_token(c.front, tok);
  EXPECT_EQ(tok.kind, TokenKind::kMathFunction);
  EXPECT_EQ(tok.code, kSqrt);
  read_token(c.front, tok);
  EXPECT_EQ(tok.code, kGetdayofweek);
}

TEST(Lexer, LineEndsCountInCommentsToo) {
  test::FrontEndRun fe;
  Compilation& c = fe.start("a {one\r\ntwo} b // rest\r\n\r\nc\r\n");
  c.lex.declaration_mode = true;
  Token tok;
  read_token(c.front, tok);
  EXPECT_EQ(c.lex.line_number, 1);
  read_token(c.front, tok);
  EXPECT_EQ(tok.text, "b");
  EXPECT_EQ(c.lex.line_number, 2);
  read_token(c.front, tok);
  EXPECT_EQ(tok.text, "c");
  EXPECT_EQ(c.lex.line_number, 4);
  EXPECT_EQ(c.lex.line_text, "c");
}

// Error reports: the whole source line is echoed and the caret stands under
// the offending text.
struct ErrorCase {
  const char* name;
  const char* source;
  bool raw;
  const char* report;
};

const ErrorCase kErrors[] = {
    {"IntegerTooLarge", "x := 2147483648;\r\nnext\r\n", true,
     "(1): Error 127: Not valid integer constant value\r\nx := 2147483648;\r\n     ^\r\n"},
    {"IntegerBeyondAnyConversion", "n = 99999999999999999999999;", false,
     "(1): Error 127: Not valid integer constant value\r\nn = 99999999999999999999999;\r\n    ^\r\n"},
    {"ExponentWithoutSign", "y := 1.5e10;", true, "(1): Error 144: Bad float constant.\r\ny := 1.5e10;\r\n     ^\r\n"},
    {"ExponentWithOneDigit", "y := 1.5e+5;", false, "(1): Error 144: Bad float constant.\r\ny := 1.5e+5;\r\n     ^\r\n"},
    {"DigitsAndDot", "a[12. ]", false, "(1): Error 0: 'Syntax error.'\r\na[12. ]\r\n  ^\r\n"},
    {"AfterLineComment", "a // note\r\n  b := 12.;\r\n", false,
     "(2): Error 0: 'Syntax error.'\r\n  b := 12.;\r\n       ^\r\n"},
    {"AfterBraceCommentAcrossLines", "a { note\r\n  more } b := 12.;\r\n", false,
     "(2): Error 0: 'Syntax error.'\r\n  b := 12.;\r\n       ^\r\n"},
    {"BuiltinAsNewName", "var sqrt", false, "(1): Error 122: Bad identifier name: 'sqrt' \r\nvar sqrt\r\n    ^\r\n"},
    {"LibraryFunctionAsNewName", "x: pos;", false, "(1): Error 122: Bad identifier name: 'pos' \r\nx: pos;\r\n   ^\r\n"},
};

class LexerErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(LexerErrors, ReportThroughTheRealReport) {
  const ErrorCase& e = GetParam();
  test::FrontEndRun fe;
  Compilation& c = fe.start(e.source);
  c.lex.declaration_mode = true;
  std::string report = fe.report_of([&] {
    Token tok;
    for (int i = 0; i < 20; ++i) e.raw ? read_raw_token(c.front, tok) : read_token(c.front, tok);
  });
  EXPECT_EQ(report, std::string("src.pas") + e.report);
}

INSTANTIATE_TEST_SUITE_P(Lexer, LexerErrors, ::testing::ValuesIn(kErrors), [](const auto& info) { return info.param.name; });

TEST(LexerReport, SeesTheCharacterAfterASlash) {
  test::FrontEndRun fe;
  Compilation& c = fe.start("a := b /c + d;\r\nnext\r\n");
  c.lex.declaration_mode = true;
  Token tok;
  for (int i = 0; i < 4; ++i) read_token(c.front, tok);
  EXPECT_EQ(tok.text, "/");
  EXPECT_EQ(fe.report_of([&] { report_error(c, ErrorCode::kTypeMismatch); }),
            "src.pas(1): Error 26: Type mismatch.\r\na := b /c + d;\r\n       ^\r\n");
}

TEST(LexerReport, UnknownNameOnResolve) {
  test::FrontEndRun fe;
  Compilation& c = fe.start("  total := 1;");
  EXPECT_EQ(fe.report_of([&] {
              Token tok;
              read_token(c.front, tok);
            }),
            "src.pas(1): Error 3: Unknown identifier: 'total'.\r\n  total := 1;\r\n  ^\r\n");
}

}  // namespace
}  // namespace tarn

namespace tarn {
namespace {

TEST(SourceFile, AnyOtherFirstWordThanARoutineOrProgramIsError108) {
  test::FrontEndRun fe;
  Compilation& c = fe.start("{ a program }\r\n  begin\r\n");
  EXPECT_EQ(fe.report_of([&] { parse_source_file(c.front); }),
            "src.pas(2): Error 108: 'procedure' or 'program' expected, but 'begin' found.\r\n  begin\r\n  ^\r\n");
}

}  // namespace
}  // namespace tarn
