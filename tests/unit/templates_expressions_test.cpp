// Assignment, arithmetic, comparison, logic and built-in function templates,
// byte for byte against the documented instruction sequences.
#include "templates_fixture.h"

namespace tarn::test {
namespace {

using ExpressionTemplates = TemplateFixture;

TEST_F(ExpressionTemplates, AssignmentByTargetType) {
  const int i = var("i", 4), j = var("j", 4), x = var("x", 8), y = var("y", 8), lit5 = lit("5", 5);
  run(ASIGN_OP, i, j, 0);
  run(ASIGN_OP, x, i, 0);
  run(ASIGN_OP, x, lit5, 0);
  run(ASIGN_OP, x, y, 0);
  EXPECT_EQ(code(), bytes("a1" + at(j) + "a3" + at(i) +           // integer: a 4-byte copy
                          "db05" + at(i) + "d91d" + at(x) +       // float from integer: fild / fstp
                          "db05" + at(lit5) + "d91d" + at(x) +    // an integer literal too
                          "a1" + at(y) + "a3" + at(x)));          // float from float: a 4-byte copy
}

TEST_F(ExpressionTemplates, StringAssignmentCopiesAtMostTheCapacity) {
  const int s = var("s", 14, 5), t = var("t", 14, 20);
  run(ASIGN_OP, s, t, 0);
  EXPECT_EQ(code(), bytes("8d35" + at(t) + "8d3d" + at(s) +
                          "b9 05000000 31d2 41 49 740f 803c3200 7409 8a0432 88043a 42 ebee c6043a00"));
}

TEST_F(ExpressionTemplates, TextAndPointerAssignment) {
  const int f = var("f", 15), g = var("g", 15);
  run(ASIGN_OP, f, g, 0);
  EXPECT_EQ(code(), bytes("8d35" + at(g) + "8d3d" + at(f) + "31d2 66b90300 8b0432 89043a 83c204 6649 75f3"));

  struct Case {
    bool target_ref, source_ref;
    std::string (*expected)(int p, int q);
  } cases[] = {
      {false, false, [](int p, int q) { return "a1" + at(q) + "a3" + at(p); }},
      {false, true, [](int p, int q) { return "8b15" + at(q) + "8b02" + "a3" + at(p); }},
      {true, false, [](int p, int q) { return "a1" + at(q) + "8b15" + at(p) + "8902"; }},
      {true, true, [](int p, int q) { return "8b15" + at(q) + "8b02" + "8b15" + at(p) + "8902"; }},
  };
  for (const Case& k : cases) {
    const int p = sym("p", 21, 21), q = sym("q", 21, 21);
    S(p).tag5 = k.target_ref;
    S(q).tag5 = k.source_ref;
    const int32_t from = c.image.pos;
    run(ASIGN_OP, p, q, 0);
    EXPECT_EQ(code_from(from), bytes(k.expected(p, q))) << k.target_ref << k.source_ref;
  }
}

TEST_F(ExpressionTemplates, IntegerFloatAndStringArithmeticByResultType) {
  const int a = var("a", 4), b = var("b", 4), f = var("f", 8);
  struct Case {
    int op, a, b, rtype;
    std::string tail;  // after the operand loads, before the store
  } cases[] = {
      {PLUS_OP, a, b, 4, "0305" + at(b)},
      {MINUS_OP, a, b, 4, "2b05" + at(b)},
      {MULT_OP, a, b, 4, "8b1d" + at(b) + "f7e3"},
  };
  for (const Case& k : cases) {
    const int r = var("_t", k.rtype);
    const int32_t from = c.image.pos;
    run(k.op, k.a, k.b, r);
    EXPECT_EQ(code_from(from), bytes("a1" + at(a) + k.tail + "a3" + at(r))) << k.op;
  }
  const char* float_ops[][2] = {{"-1", "dec1"}, {"-2", "dee9"}, {"-3", "dec9"}, {"-6", "def9"}};
  for (auto& fo : float_ops) {
    const int r = var("_t", 8);
    const int32_t from = c.image.pos;
    run(std::stoi(fo[0]), a, f, r);
    EXPECT_EQ(code_from(from), bytes("db05" + at(a) + "d905" + at(f) + fo[1] + "d91d" + at(r))) << fo[0];
  }
  const int s = var("s", 14, 10), t = var("t", 14, 10), r = var("_t", 14, 21);
  const int32_t from = c.image.pos;
  run(PLUS_OP, s, t, r);
  EXPECT_EQ(code_from(from),
            bytes("8d35" + at(s) + "8d3d" + at(r) + "31d2 803c3200 7409 8a0432 88043a 42 ebf1" + "8d35" + at(t) +
                  "31c9 803c3100 7412 42 803c3a09 740f 4a 8a0431 88043a 42 41 ebe8 c6043a00 90"));
}

TEST_F(ExpressionTemplates, IntegerDivisionAndRemainderTruncateOnTheX87) {
  const int a = var("a", 4), b = var("b", 4), r = var("_t", 4), m = var("_t", 4);
  const std::string cw = named("_crw");
  const std::string truncate = "d93d" + cw + "66a1" + cw + "660d000c 66a3" + cw + "d92d" + cw;
  run(DIV2_OP, a, b, r);
  EXPECT_EQ(code(), bytes(truncate + "db05" + at(a) + "da35" + at(b) + "db1d" + at(r)));
  const int32_t from = c.image.pos;
  run(MOD_OP, a, b, m);
  EXPECT_EQ(code_from(from), bytes(truncate + "db05" + at(a) + "da35" + at(b) + "db1d" + at(m) + "db05" + at(m) +
                                   "da0d" + at(b) + "d9e0 da05" + at(a) + "db1d" + at(m)));
}

TEST_F(ExpressionTemplates, ComparisonVariantsAndTheirJumps) {
  const int i = var("i", 4), j = var("j", 4), x = var("x", 8), s = var("s", 14, 10), t = lit("abc", 7);
  const int p = sym("p", 21, 21), q = sym("q", 21, 21), f = var("f", 15), five = lit("5", 5), seven = lit("-7", 5);
  const std::string result_tail = "31d2 8915";
  struct Case {
    int op, a, b;
    std::string body;  // between "31 d2 42" and the jcc
    const char* jcc;
  } cases[] = {
      {LT_OP, i, j, "a1" + at(i) + "8b1d" + at(j) + "39d8", "7c"},
      {NE_OP, i, j, "a1" + at(i) + "8b1d" + at(j) + "39d8", "75"},
      {GTE_OP, five, seven, "b8 05000000 bb f9ffffff 39d8", "7d"},
      {LTE_OP, f, j, "a1" + at(f) + "8b1d" + at(j) + "39d8", "7e"},
      {E_OP, i, j, "db05" + at(j) + "db05" + at(i) + "ded9 9bdfe0 9e", "74"},  // every numeric "=" on the x87
      {GT_OP, i, x, "d905" + at(x) + "db05" + at(i) + "ded9 9bdfe0 9e", "77"},
      {LT_OP, x, i, "db05" + at(i) + "d905" + at(x) + "ded9 9bdfe0 9e", "72"},
      {GTE_OP, x, x, "d905" + at(x) + "d905" + at(x) + "ded9 9bdfe0 9e", "73"},
      {LTE_OP, x, i, "db05" + at(i) + "d905" + at(x) + "ded9 9bdfe0 9e", "76"},
      {GT_OP, s, t, "68" + at(t) + "68" + at(s) + "bb" + named("strcmp") + "ffd3 85c0", "7f"},
      {E_OP, t, s, "68" + at(s) + "68" + at(t) + "bb" + named("strcmp") + "ffd3 85c0", "74"},
  };
  for (const Case& k : cases) {
    const int r = var("_t", 4);
    const int32_t from = c.image.pos;
    run(k.op, k.a, k.b, r);
    EXPECT_EQ(code_from(from), bytes("31d2 42" + k.body + k.jcc + "02" + result_tail + at(r))) << k.op;
  }
  S(p).tag5 = 1;
  const int r = var("_t", 4);
  const int32_t from = c.image.pos;
  run(NE_OP, p, q, r);
  EXPECT_EQ(code_from(from),
            bytes("8b15" + at(p) + "8b02 8b1d" + at(q) + "31d2 42 39d8 7502 31d2 8915" + at(r)));
}

TEST_F(ExpressionTemplates, LogicalOperatorsAreBitwiseWithATruthResult) {
  const int a = var("a", 4), b = var("b", 4), r = var("_t", 4), n = var("_t", 4);
  run(AND_OP, a, b, r);
  run(OR_OP, a, lit("2", 5), r);
  run(WD_NOT, a, 0, n);
  EXPECT_EQ(code(), bytes("31d2 42 a1" + at(a) + "8b1d" + at(b) + "21d8 7502 31d2 8915" + at(r) +
                          "31d2 42 a1" + at(a) + "bb 02000000 09d8 7502 31d2 8915" + at(r) +
                          "31c0 8b15" + at(a) + "85d2 0f94c0 a3" + at(n)));
}

TEST_F(ExpressionTemplates, NegationAndMathematicalFunctions) {
  const int i = var("i", 4), x = var("x", 8);
  const std::string cw = named("_crw2");
  const std::string control = "d93d" + cw + "66a1" + cw;
  struct Case {
    int op, a, rtype;
    std::string middle;
  } cases[] = {
      {U_MINUS, i, 4, "d9e0"},
      {U_MINUS, x, 8, "d9e0"},
      {SQRT_FUN, i, 8, "d9fa"},
      {SIN_FUN, x, 8, "d9fe"},
      {COS_FUN, x, 8, "d9ff"},
      {ARCTG_FUN, x, 8, "d9e8 d9f3"},
      {ABS_FUN, i, 4, "d9e1"},
      {ROUND_FUN, x, 4, control + "6625fff3 660d0000 66a3" + cw + "d92d" + cw + "d9fc"},
      {TRUNC_FUN, x, 4, control + "660d000c 66a3" + cw + "d92d" + cw + "d9fc"},
  };
  for (const Case& k : cases) {
    const int r = var("_t", k.rtype);
    const int32_t from = c.image.pos;
    run(k.op, k.a, 0, r);
    const std::string load = (k.a == i ? "db05" : "d905") + at(k.a);
    const std::string store = (k.rtype == 8 ? "d91d" : "db1d") + at(r);
    EXPECT_EQ(code_from(from), bytes(load + k.middle + store)) << k.op;
  }
  const int r = var("_t", 8);
  const int32_t from = c.image.pos;
  run(TG_FUN, x, 0, r);  // fptan's 1.0 is stored away first
  EXPECT_EQ(code_from(from), bytes("d905" + at(x) + "d9f2 d91d" + at(r) + "d91d" + at(r)));
}

TEST_F(ExpressionTemplates, RandomLengthAndDate) {
  const int n = var("n", 4), r = var("_t", 4), s = var("s", 14, 10), len = var("_t", 4);
  const std::string seed = named("_random_seed");
  run(RANDOM_FUN, n, 0, r);
  EXPECT_EQ(code(), bytes("50 52 0f31 31d0 8905" + seed + "5a 58 52 51 8b0d" + at(n) + "52 51 8b05" + seed +
                          "31d2 b91df30100 f7f1 89c1 b8a7410000 f7e2 89ca 89c1 b8140b0000 f7e2 29c1 31d2 89c8 "
                          "b9a0860100 f7f1 89d0 59 5a 31d2 f7f1 89d0 40 59 5a 8905" +
                          seed + "8905" + at(r)));
  int32_t from = c.image.pos;
  run(LENGTH_FUN, s, 0, len);
  EXPECT_EQ(code_from(from), bytes("68" + at(s) + "ff15" + named("lstrlen") + "a3" + at(len)));

  const std::string head = "8d35" + named("_year") + "56 ff15" + named("GetLocalTime") + "8d35" + named("_year") + "31c0";
  const std::pair<int, const char*> fields[] = {
      {YEAR_FUN, "00"}, {MONTH_FUN, "02"}, {DAYOFWEEK_FUN, "04"}, {DAY_FUN, "06"}};
  for (auto [code_op, offset] : fields) {
    const int d = var("_t", 4);
    from = c.image.pos;
    run(code_op, 0, 0, d);
    EXPECT_EQ(code_from(from), bytes(head + "668b46" + offset + "66a3" + at(d))) << code_op;
  }
  // Seconds since midnight with 32-bit additions (01 d0), so 23:59:59 = 86399 keeps its carry.
  const int t = var("_t", 4);
  from = c.image.pos;
  run(TIME_FUN, 0, 0, t);
  EXPECT_EQ(code_from(from), bytes(head + "31c0 31d2 31db 66bb3c00 668b4608 f7e3 668b560a 01d0 f7e3 668b560c 01d0 a3" +
                                   at(t)));
}

TEST_F(ExpressionTemplates, ReferenceOperandsAreReachedThroughTheirAddress) {
  const int v = var("v", 4), w = var("w", 8), b = var("b", 4), r = var("_t", 4);
  S(v).tag5 = 1;
  S(w).tag5 = 1;
  run(ASIGN_OP, v, b, 0);  // store through the address held by v
  run(ASIGN_OP, b, v, 0);  // load through it
  run(ASIGN_OP, w, v, 0);  // fild [ecx] / fstp [ecx]
  run(PLUS_OP, b, v, r);   // add eax, [ecx]
  run(FOR_INC, v, 0, 0);   // inc dword [ecx]
  EXPECT_EQ(code(), bytes("a1" + at(b) + "8b0d" + at(v) + "8901" +
                          "a1" + at(v) + "8b00 a3" + at(b) +
                          "8b0d" + at(v) + "db01 8b0d" + at(w) + "d919" +
                          "a1" + at(b) + "8b0d" + at(v) + "0301 a3" + at(r) +
                          "8b0d" + at(v) + "ff01"));
}

TEST_F(ExpressionTemplates, ListingHasHeaderAndInstructionLines) {
  const int a = var("count", 4), b = var("b", 4);
  run(ASIGN_OP, a, b, 0);
  const std::string expected = "assign_op " + std::to_string(a) + " " + std::to_string(b) + "\r\n" +
                               "00401200 a1" + hex_text(0, 2) + "524000 mov eax, b\r\n" +
                               "00401205 a3" + "00514000 mov count, eax\r\n";
  EXPECT_EQ(c.gen.listing, expected);
}

TEST_F(ExpressionTemplates, UpperAndLowerCaseHexStoreTheSameBytes) {
  emit(c.code, "call ebx", "FFD3");
  emit(c.code, "call ebx", "ffd3");
  emit(c.code, "mov ebx, x", "BB", "00ABCDEF");
  emit(c.code, "mov ebx, x", "bb", "00abcdef");
  EXPECT_EQ(code(), bytes("ffd3 ffd3 bb efcdab00 bb efcdab00"));
}

}  // namespace
}  // namespace tarn::test
