// The postfix emitter: record formats, result temporaries and type checks.
#include <gtest/gtest.h>

#include "frontend_fixture.h"
#include "ir/postfix.h"

namespace tarn {
namespace {

// A compilation ready to emit, with a few named symbols of given types.
class PostfixEmitter : public ::testing::Test {
 protected:
  void SetUp() override {
    fe.start("");
    build_operation_table(c().post);
    open_postfix_files(c().post, c().drv.work_folder);
  }
  Compilation& c() { return fe.c(); }
  int var(const char* name, TypeNumber type, int tag = 0, SymbolClass symbol_class = SymbolClass::kVariable) {
    int p = declare_named(c().sym, c().errors, c().lex.current_procedure, name, symbol_class);
    sym_at(c().sym, p).symboltype = type;
    sym_at(c().sym, p).tag = static_cast<uint8_t>(tag);
    return p;
  }
  int literal(const char* text, TypeNumber type) {
    SymbolClass cls = SymbolClass::kLiteral;
    int code = 0;
    symbol(c().sym, c().errors, c().lex.current_procedure, kDeclare, text, cls, 0, code);
    sym_at(c().sym, code).symboltype = type;
    return code;
  }
  void ops(std::initializer_list<int> values) {
    for (int v : values) emit_postfix(c().front, v);
  }
  std::string numeric() {
    close_postfix_files(c().post, c().drv.work_folder);
    return fe.work_file("postfix.tmp");
  }
  std::string readable() {
    close_postfix_files(c().post, c().drv.work_folder);
    return fe.work_file("postfix_.tmp");
  }
  std::string error_of(std::initializer_list<int> values) {
    return fe.report_of([&] { ops(values); });
  }
  TypeNumber top_type() { return sym_at(c().sym, c().post.operands[c().post.operand_pointer - 1]).symboltype; }
  int top_tag() { return sym_at(c().sym, c().post.operands[c().post.operand_pointer - 1]).tag; }
  test::FrontEndRun fe;
};

TEST_F(PostfixEmitter, IntegerPlusFloatGivesAFloatTemporary) {
  int x = var("x", TypeNumber::kFloat);
  int two = literal("2", TypeNumber::kIntegerLiteral);
  int f = literal("3.5", TypeNumber::kFloatLiteral);
  ops({x, two, f, PLUS_OP, ASIGN_OP});
  const int t = x + 3;
  EXPECT_EQ(sym_at(c().sym, t).name, "_t0");
  EXPECT_EQ(sym_at(c().sym, t).symboltype, TypeNumber::kFloat);
  EXPECT_EQ(numeric(), "-1\r\n" + std::to_string(two) + "\r\n" + std::to_string(f) + "\r\n" + std::to_string(t) +
                           "\r\n-4\r\n" + std::to_string(x) + "\r\n" + std::to_string(t) + "\r\n0\r\n");
  EXPECT_EQ(readable(), "PLUS_OP\r\n2\r\n3.5\r\n_t0\r\nASIGN_OP\r\nx\r\n_t0\r\n");
}

TEST_F(PostfixEmitter, ResultTypes) {
  struct Row {
    int op;
    TypeNumber a_type, b_type;
    TypeNumber result;
  };
  const Row rows[] = {
      {PLUS_OP, TypeNumber::kInteger, TypeNumber::kIntegerLiteral, TypeNumber::kInteger}, {MINUS_OP, TypeNumber::kFloatLiteral, TypeNumber::kInteger, TypeNumber::kFloat},
      {MULT_OP, TypeNumber::kInteger, TypeNumber::kFloat, TypeNumber::kFloat},            {DIV_OP, TypeNumber::kInteger, TypeNumber::kInteger, TypeNumber::kFloat},
      {PLUS_OP, TypeNumber::kString, TypeNumber::kStringLiteral, TypeNumber::kString},    {LT_OP, TypeNumber::kFloat, TypeNumber::kInteger, TypeNumber::kInteger},
      {MOD_OP, TypeNumber::kInteger, TypeNumber::kInteger, TypeNumber::kInteger},         {AND_OP, TypeNumber::kInteger, TypeNumber::kInteger, TypeNumber::kInteger},
  };
  for (const Row& r : rows) {
    int a = var(test::numbered("a", c().sym.count).c_str(), r.a_type);
    int b = var(test::numbered("b", c().sym.count).c_str(), r.b_type);
    ops({a, b, r.op});
    EXPECT_EQ(top_type(), r.result) << operation_name(r.op);
  }
  int f = var("f", TypeNumber::kFloatLiteral);
  ops({f, U_MINUS});
  EXPECT_EQ(top_type(), TypeNumber::kFloat);
  ops({f, ABS_FUN});
  EXPECT_EQ(top_type(), TypeNumber::kFloat);
  int i = var("i", TypeNumber::kInteger);
  ops({i, SQRT_FUN});
  EXPECT_EQ(top_type(), TypeNumber::kFloat);
  ops({WD_NIL});
  EXPECT_EQ(top_type(), TypeNumber::kPointer);
  ops({52, i, i, CALL_FUN});  // pos gives an integer
  EXPECT_EQ(top_type(), TypeNumber::kInteger);
}

TEST_F(PostfixEmitter, StringTemporariesAddTheirCapacities) {
  ops({var("a", TypeNumber::kString, 20), var("b", TypeNumber::kString, 30), PLUS_OP});
  EXPECT_EQ(top_tag(), 51);
  ops({var("c", TypeNumber::kString, 100), var("d", TypeNumber::kString, 100), PLUS_OP});
  EXPECT_EQ(top_tag(), 128);
  ops({var("e", TypeNumber::kString, 60), var("f", TypeNumber::kString, 66), PLUS_OP});
  EXPECT_EQ(top_tag(), 127);
  ops({var("g", TypeNumber::kString, 60), var("h", TypeNumber::kString, 67), PLUS_OP});
  EXPECT_EQ(top_tag(), 128);
  ops({54, var("s", TypeNumber::kString, 5), CALL_FUN});  // lowcase
  EXPECT_EQ(top_type(), TypeNumber::kString);
  EXPECT_EQ(top_tag(), 128);
}

TEST_F(PostfixEmitter, SmallNumbersAndOrdinalsAreWrittenPlain) {
  int proc = var("q", TypeNumber::kNone, 0, SymbolClass::kProcedure);
  int formal = var("n", TypeNumber::kInteger);
  sym_at(c().sym, formal).location = 999;  // shows where a location is written
  ops({formal, 1, proc, GET_PAR});
  ops({proc, EMPTY_OPERAND, CALL});
  int p = var("p", TypeNumber::kPointer, 8, SymbolClass::kPointer);
  ops({p, 24, WD_NEW});
  ops({p, 3, formal, SET_FLD});
  EXPECT_EQ(numeric(), "-65\r\n1\r\n" + std::to_string(proc) + "\r\n999\r\n" +  // GET_PAR
                           "-64\r\n" + std::to_string(proc) + "\r\n0\r\n0\r\n" +  // CALL with no arguments
                           "-121\r\n" + std::to_string(p) + "\r\n24\r\n0\r\n" +   // WD_NEW with its size
                           "-115\r\n3\r\n999\r\n" + std::to_string(p) + "\r\n");  // SET_FLD
  EXPECT_EQ(readable(), "GET_PAR\r\n1\r\nq\r\nn\r\nCALL\r\nq\r\nWD_NEW\r\np\r\n24\r\nSET_FLD\r\n3\r\nn\r\np\r\n");
}

TEST_F(PostfixEmitter, UnnamedOperationsAreWrittenAsCodes) {
  int x = var("x", TypeNumber::kInteger);
  ops({x, WD_READLN, WD_WRITELN, x, FOR_INC});
  EXPECT_EQ(readable(), "-21\r\nx\r\n-23\r\n-61\r\nx\r\n");
}

TEST_F(PostfixEmitter, TheFiftyFirstOperandOverflows) {
  int x = var("x", TypeNumber::kInteger);
  for (int i = 0; i < 50; ++i) emit_postfix(c().front, x);
  EXPECT_EQ(fe.report_of([&] { emit_postfix(c().front, EMPTY_OPERAND); }),
            "src.pas(1): Error 0: 'Stack_put: stack overflow'\r\n\r\n^\r\n");
}

struct CheckCase {
  const char* name;
  int op;
  TypeNumber a_type, b_type;
  int code;  // 0: accepted
};

const CheckCase kChecks[] = {
    {"AssignFloatToInteger", ASIGN_OP, TypeNumber::kInteger, TypeNumber::kFloat, 26},
    {"AssignIntegerToFloat", ASIGN_OP, TypeNumber::kFloat, TypeNumber::kIntegerLiteral, 0},
    {"AssignNumberToString", ASIGN_OP, TypeNumber::kString, TypeNumber::kIntegerLiteral, 26},
    {"AssignStringLiteral", ASIGN_OP, TypeNumber::kString, TypeNumber::kStringLiteral, 0},
    {"AssignStringToText", ASIGN_OP, TypeNumber::kText, TypeNumber::kString, 26},
    {"ConcatenateStringAndNumber", PLUS_OP, TypeNumber::kString, TypeNumber::kInteger, 120},
    {"CompareNumberAndString", LT_OP, TypeNumber::kInteger, TypeNumber::kStringLiteral, 120},
    {"PointerLessThanNil", LT_OP, TypeNumber::kPointer, TypeNumber::kPointer, 142},
    {"NilGreaterThanPointer", GT_OP, TypeNumber::kPointer, TypeNumber::kPointer, 142},
    {"PointerEqualsNil", E_OP, TypeNumber::kPointer, TypeNumber::kPointer, 0},
    {"PointerNotEqual", NE_OP, TypeNumber::kPointer, TypeNumber::kPointer, 0},
    {"ModOfFloat", MOD_OP, TypeNumber::kFloat, TypeNumber::kInteger, 26},
    {"DivOfIntegers", DIV2_OP, TypeNumber::kInteger, TypeNumber::kIntegerLiteral, 0},
    {"FloatIndex", GET_ARR, TypeNumber::kInteger, TypeNumber::kFloat, 109},
    {"RowIndexFloat", INDEX_OP2, TypeNumber::kFloatLiteral, TypeNumber::kInteger, 109},
    {"ColumnIndexFloat", INDEX_OP, TypeNumber::kInteger, TypeNumber::kFloat, 109},
};

class EmitterChecks : public PostfixEmitter, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(EmitterChecks, ReportTheirCode) {
  const CheckCase& k = GetParam();
  int a = var("a", k.a_type);
  int b = var("b", k.b_type);
  if (k.code == 0) {
    EXPECT_NO_THROW(ops({a, b, k.op}));
  } else {
    std::string report = error_of({a, b, k.op});
    EXPECT_EQ(report.substr(0, report.find(':', 12)), "src.pas(1): Error " + std::to_string(k.code));
  }
}

INSTANTIATE_TEST_SUITE_P(Emitter, EmitterChecks, ::testing::ValuesIn(kChecks), [](const auto& info) { return info.param.name; });

TEST_F(PostfixEmitter, ReturnAcceptsLiteralsOfTheResultType) {
  auto function = [&](const char* name, TypeNumber result) {
    int f = var(name, result, 0, SymbolClass::kFunction);
    append_signature(c().sym, create_signature(f, result));
    return f;
  };
  int fi = function("fi", TypeNumber::kInteger), fs = function("fs", TypeNumber::kString), ff = function("ff", TypeNumber::kFloat);
  int one = literal("1", TypeNumber::kIntegerLiteral);
  int abc = literal("abc", TypeNumber::kStringLiteral);
  EXPECT_NO_THROW(ops({fi, one, WD_RETURN}));
  EXPECT_NO_THROW(ops({fs, abc, WD_RETURN}));
  std::string report = error_of({ff, one, WD_RETURN});
  EXPECT_EQ(report.substr(0, 33), "src.pas(1): Error 26: Type mismat");
}

TEST_F(PostfixEmitter, ParameterChecksFollowTheFormalTypes) {
  // substr(string, integer, integer): a float for the second formal is rejected.
  int s = var("s", TypeNumber::kString, 10);
  int i = var("i", TypeNumber::kInteger);
  int f = var("f", TypeNumber::kFloat);
  EXPECT_NO_THROW(ops({s, 1, 53, PAR_CALL, i, 2, 53, PAR_CALL}));
  std::string report = error_of({f, 3, 53, PAR_CALL});
  EXPECT_EQ(report.substr(0, 22), "src.pas(1): Error 113:");
}

TEST_F(PostfixEmitter, ArraysOfSimpleElementsPassToArrayFormals) {
  TTypeDesc vec;
  vec.name = "vec";
  vec.kind = kKindArray;
  vec.attr1 = static_cast<int>(TypeNumber::kInteger);
  int number = add_type(c().types, c().errors, vec);
  int q = var("q", TypeNumber::kNone, 0, SymbolClass::kProcedure);
  TTblFun sig = create_signature(q, TypeNumber::kNone);
  add_value_param(sig, user_type(number));
  append_signature(c().sym, sig);
  int a = var("a", TypeNumber::kInteger, 3, SymbolClass::kArray);
  int fl = var("fl", TypeNumber::kFloat, 3, SymbolClass::kArray);
  EXPECT_NO_THROW(ops({a, 1, q, PAR_CALL}));
  std::string report = error_of({fl, 1, q, PAR_CALL});
  EXPECT_EQ(report.substr(0, 22), "src.pas(1): Error 113:");
}

}  // namespace
}  // namespace tarn
