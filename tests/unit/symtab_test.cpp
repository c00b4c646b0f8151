// The symbol table: keyword positions, scopes, limits, the stacks and the
// round trip through "symtab.tmp".
#include <gtest/gtest.h>

#include "tables/symtab.h"
#include "frontend_fixture.h"

namespace tarn {
namespace {

TEST(KeywordTable, EntriesStandAtTheirFixedPositions) {
  test::FrontEndRun fe;
  Compilation& c = fe.start("");
  const SymbolTable& t = c.sym;
  struct Row {
    int position;
    const char* name;
    int symbol_class;
    int location;
  };
  // 27 keywords, 15 built-in functions, 9 keywords, 22 library routines, 3 keywords.
  const Row rows[] = {{1, "var", 3, -9},        {4, "function", 3, -67},  {16, "write", 3, -22},
                      {27, "free", 3, -122},    {28, "sqrt", 11, -44},    {42, "getdayofweek", 11, -103},
                      {43, "array", 3, -48},    {51, "case", 3, -119},    {52, "pos", 13, 52},
                      {59, "close", 2, 59},     {73, "showcursor", 2, 73}, {74, "mod", 3, -105},
                      {76, "nil", 3, -124}};
  ASSERT_EQ(t.count, 76);
  for (const Row& r : rows) {
    const TSymbolbableRecord& e = sym_at(t, r.position);
    EXPECT_EQ(e.name, r.name) << r.position;
    EXPECT_EQ(static_cast<int>(e.symbolclass), r.symbol_class) << r.name;
    EXPECT_EQ(e.location, r.location) << r.name;
    EXPECT_EQ(e.procname, 0) << r.name;
  }
}

TEST(KeywordTable, LibraryRoutinesHaveTheirSignatures) {
  test::FrontEndRun fe;
  Compilation& c = fe.start("");
  ASSERT_EQ(c.sym.functions.size(), 22u);
  const TTblFun* substr = find_signature(c.sym, 53);
  ASSERT_NE(substr, nullptr);
  EXPECT_EQ(param_count(*substr), 3);
  EXPECT_EQ(param_type(*substr, 1), TypeNumber::kString);
  EXPECT_EQ(param_type(*substr, 3), TypeNumber::kInteger);
  EXPECT_FALSE(param_is_reference(*substr, 1));
  EXPECT_EQ(substr->result_type, TypeNumber::kString);
  EXPECT_EQ(sym_at(c.sym, 53).tag, 3);
  const TTblFun* writestring = find_signature(c.sym, 62);
  ASSERT_NE(writestring, nullptr);
  EXPECT_EQ(sym_at(c.sym, 62).name, "writestring");
  EXPECT_EQ(writestring->result_type, TypeNumber::kInteger);
  EXPECT_EQ(param_count(*find_signature(c.sym, 70)), 0);  // getcommandline
  EXPECT_EQ(find_signature(c.sym, 28), nullptr);         // sqrt is the expression parser's own
  EXPECT_EQ(function_listing(c.sym).substr(0, 36), "Function table\r\n52 ( 14, 14 ) :4\r\n53");
}

TEST(SymbolTable, DuplicatesAreCheckedPerScope) {
  test::FrontEndRun fe;
  Compilation& c = fe.start("");
  int global = declare_named(c.sym, c.errors, c.lex.current_procedure, "x", SymbolClass::kVariable);
  c.lex.current_procedure = 5;
  SymbolClass cls = SymbolClass::kLocal;
  int local = 0;
  symbol(c.sym, c.errors, c.lex.current_procedure, kDeclare, "x", cls, 5, local);
  EXPECT_NE(local, global);
  EXPECT_EQ(sym_at(c.sym, local).procname, 5);
  SymbolClass found_class = SymbolClass::kNone;
  int code = 0;
  symbol(c.sym, c.errors, c.lex.current_procedure, kResolve, "x", found_class, 5, code);
  EXPECT_EQ(code, local);
  symbol(c.sym, c.errors, c.lex.current_procedure, kResolve, "x", found_class, 6, code);
  EXPECT_EQ(code, global);
  symbol(c.sym, c.errors, c.lex.current_procedure, kDeclareAlways, "x", cls, 5, code);  // mode 2 never checks
  EXPECT_EQ(fe.report_of([&] { symbol(c.sym, c.errors, c.lex.current_procedure, kDeclare, "x", cls, 5, code); }),
            "src.pas(1): Error 4: Duplicate identifier: 'x'.\r\n\r\n^\r\n");
}

TEST(SymbolTable, ResolveSearchesOnlyTheInnermostEnclosingRoutine) {
  test::FrontEndRun fe;
  Compilation& c = fe.start("");
  c.lex.current_procedure = 3;
  SymbolClass cls = SymbolClass::kLocal;
  int outer = 0, inner = 0;
  symbol(c.sym, c.errors, c.lex.current_procedure, kDeclare, "deep", cls, 3, outer);
  c.lex.current_procedure = 5;
  cls = SymbolClass::kLocal;
  symbol(c.sym, c.errors, c.lex.current_procedure, kDeclare, "near", cls, 5, inner);
  push_scope(c.sym, 3);
  push_scope(c.sym, 5);
  int code = 0;
  symbol(c.sym, c.errors, c.lex.current_procedure, kResolve, "near", cls, 9, code);
  EXPECT_EQ(code, inner);
  EXPECT_EQ(fe.report_of([&] { symbol(c.sym, c.errors, c.lex.current_procedure, kResolve, "deep", cls, 9, code); }),
            "src.pas(1): Error 3: Unknown identifier: 'deep'.\r\n\r\n^\r\n");
}

TEST(SymbolTable, KeywordsAreNeverShadowed) {
  test::FrontEndRun fe;
  Compilation& c = fe.start("");
  SymbolClass cls = SymbolClass::kNone;
  int code = 0;
  c.lex.current_procedure = 80;
  ASSERT_TRUE(look_up(c.sym, "begin", 80, cls, code));
  EXPECT_EQ(code, kBegin);
  ASSERT_TRUE(look_up(c.sym, "pos", 80, cls, code));
  EXPECT_EQ(code, 52);
  cls = SymbolClass::kLocal;
  EXPECT_EQ(fe.report_of([&] { symbol(c.sym, c.errors, c.lex.current_procedure, kDeclare, "integer", cls, 80, code); }),
            "src.pas(1): Error 4: Duplicate identifier: 'integer'.\r\n\r\n^\r\n");
}

TEST(SymbolTable, LookUpSkipsStringLiterals) {
  test::FrontEndRun fe;
  Compilation& c = fe.start("");
  SymbolClass cls = SymbolClass::kLiteral;
  int code = 0;
  symbol(c.sym, c.errors, c.lex.current_procedure, kDeclare, "abc", cls, 0, code);
  sym_at(c.sym, code).symboltype = TypeNumber::kStringLiteral;
  EXPECT_FALSE(look_up(c.sym, "abc", 0, cls, code));
  int again = 0;
  cls = SymbolClass::kLiteral;
  symbol(c.sym, c.errors, c.lex.current_procedure, kDeclare, "abc", cls, 7, again);  // literals of any scope are shared
  EXPECT_EQ(again, code);
}

TEST(SymbolTable, TemporariesBelongToTheCurrentRoutine) {
  test::FrontEndRun fe;
  Compilation& c = fe.start("");
  c.lex.current_procedure = 12;
  int t = declare_temporary(c.sym, c.errors, c.lex.current_procedure, "_t1", TypeNumber::kFloat);
  EXPECT_EQ(sym_at(c.sym, t).symbolclass, SymbolClass::kVariable);
  EXPECT_EQ(sym_at(c.sym, t).symboltype, TypeNumber::kFloat);
  EXPECT_EQ(sym_at(c.sym, t).procname, 12);
  int raw = add_raw_entry(c.sym, c.errors, "r", SymbolClass::kArray, 4);
  EXPECT_EQ(sym_at(c.sym, raw).location, 0);
  EXPECT_EQ(sym_at(c.sym, raw).procname, 4);
}

TEST(SymbolTable, TheSixHundredFiftiethEntryIsTheLast) {
  test::FrontEndRun fe;
  Compilation& c = fe.start("");
  while (c.sym.count < kSymbolCapacity - 1) declare_named(c.sym, c.errors, c.lex.current_procedure, test::numbered("n", c.sym.count), SymbolClass::kVariable);
  EXPECT_EQ(declare_named(c.sym, c.errors, c.lex.current_procedure, "last", SymbolClass::kVariable), 650);
  EXPECT_EQ(fe.report_of([&] { declare_named(c.sym, c.errors, c.lex.current_procedure, "more", SymbolClass::kVariable); }),
            "src.pas(1): Error 0: 'Symboltable overflow'\r\n\r\n^\r\n");
}

TEST(SymbolTable, OperandStackHoldsFiftyValues) {
  test::FrontEndRun fe;
  Compilation& c = fe.start("");
  for (int i = 1; i <= 50; ++i) EXPECT_EQ(push_operand(c.front, i), i);
  EXPECT_EQ(pop_operand(c.front), 50);
  push_operand(c.front, 51);
  EXPECT_EQ(fe.report_of([&] { push_operand(c.front, 52); }), "src.pas(1): Error 0: 'Stack_put: stack overflow'\r\n\r\n^\r\n");
}

TEST(SymbolTable, PoppingAnEmptyOperandStackIsAnError) {
  test::FrontEndRun fe;
  Compilation& c = fe.start("");
  push_operand(c.front, 7);
  EXPECT_EQ(pop_operand(c.front), 7);
  EXPECT_EQ(c.post.operands[0], 0);
  EXPECT_EQ(fe.report_of([&] { pop_operand(c.front); }), "src.pas(1): Error 0: 'Stack_get: stack is empty'\r\n\r\n^\r\n");
}

TEST(SymbolTable, ScopeAndNameStacksReportFullAndEmpty) {
  SymbolTable t;
  EXPECT_EQ(pop_scope(t), -1);
  EXPECT_EQ(top_scope(t), -1);
  for (int i = 1; i <= 10; ++i) EXPECT_EQ(push_scope(t, 100 + i), i);
  EXPECT_EQ(push_scope(t, 1), -1);
  EXPECT_EQ(top_scope(t), 110);
  EXPECT_EQ(pop_scope(t), 110);
  EXPECT_EQ(pop_name(t), "");
  EXPECT_EQ(push_name(t, "averyveryverylongname"), 1);
  for (int i = 2; i <= 10; ++i) EXPECT_EQ(push_name(t, "n"), i);
  EXPECT_EQ(push_name(t, "n"), -1);
  for (int i = 2; i <= 10; ++i) pop_name(t);
  EXPECT_EQ(pop_name(t), "averyveryverylo");
}

TEST(SymbolTable, DumpAndReloadReproduceTheDumpedFields) {
  test::FrontEndRun fe;
  Compilation& c = fe.start("");
  int x = declare_named(c.sym, c.errors, c.lex.current_procedure, "x", SymbolClass::kVariable);
  TSymbolbableRecord& e = sym_at(c.sym, x);
  e.symboltype = TypeNumber::kString;
  e.tag = 200;
  e.tag2 = -123456;
  e.tag3 = 9;
  c.lex.current_procedure = 52;
  SymbolClass cls = SymbolClass::kLiteral;
  int lit = 0;
  symbol(c.sym, c.errors, c.lex.current_procedure, kDeclare, "hello world", cls, 52, lit);
  std::vector<TSymbolbableRecord> before(c.sym.entries.begin() + 1, c.sym.entries.begin() + c.sym.count + 1);
  dump_symbol_table(c.sym, work_file(c, "symtab.tmp"));
  std::string dumped = test::read_file(fe.dir().file("symtab.tmp"));
  EXPECT_EQ(dumped.rfind("var\r\n3\r\n0\r\n-9\r\n0\r\n0\r\n0\r\nprogram\r\n", 0), 0u);
  EXPECT_NE(dumped.find("x\r\n1\r\n14\r\n77\r\n0\r\n200\r\n-123456\r\nhello world\r\n5\r\n0\r\n78\r\n52\r\n0\r\n0\r\n"),
            std::string::npos);
  Compilation fresh;
  fresh.drv.work_folder = c.drv.work_folder;
  reload_symbol_table(fresh.sym, work_file(fresh, "symtab.tmp"));
  ASSERT_EQ(fresh.sym.count, c.sym.count);
  for (int i = 1; i <= c.sym.count; ++i) {
    const TSymbolbableRecord& a = before[i - 1];
    const TSymbolbableRecord& b = sym_at(fresh.sym, i);
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.symbolclass, b.symbolclass);
    EXPECT_EQ(a.symboltype, b.symboltype);
    EXPECT_EQ(a.location, b.location);
    EXPECT_EQ(a.procname, b.procname);
    EXPECT_EQ(a.tag, b.tag);
    EXPECT_EQ(a.tag2, b.tag2);
  }
  EXPECT_EQ(sym_at(fresh.sym, x).tag3, 0);  // not carried by the file
}

TEST(SymbolTable, ListingLinesAreRightAligned) {
  test::FrontEndRun fe;
  Compilation& c = fe.start("");
  std::string listing = symbol_listing(c.sym);
  EXPECT_EQ(listing.rfind("\r\n--- Symboltable ---\r\n       var   -9   3   0    0    0    0    0    0    0\r\n", 0), 0u);
  EXPECT_EQ(listing.substr(listing.size() - 22), "--------------------\r\n");
}

}  // namespace
}  // namespace tarn
