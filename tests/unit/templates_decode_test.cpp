// Every template, run once into one code block and read back by a real
// disassembler (objdump): no byte is undecodable, every instruction the
// listing names starts where objdump finds an instruction, and every direct
// jump lands on an instruction start inside the block.
#include <regex>
#include <set>
#include <sstream>

#include "codegen/control.h"
#include "support/test_support.h"
#include "templates_fixture.h"

namespace tarn::test {
namespace {

struct DecodeTemplates : TemplateFixture {
  void emit_everything() {
    const int i = var("i", 4), j = var("j", 4), x = var("x", 8), s = var("s", 14, 10), s2 = var("s2", 14, 20);
    const int f1 = var("f1", 15), f2 = var("f2", 15), p = sym("p", 21, 21), q = sym("q", 21, 21);
    const int five = lit("5", 5), two = lit("2", 5), t = var("_t", 4), tf = var("_t", 8), ts = var("_t", 14, 31);
    emit_program_start(c.code);
    for (int a : {i, x, s, f1, p}) run(ASIGN_OP, a, a == i ? j : a == x ? i : a == s ? s2 : a == f1 ? f2 : q, 0);
    for (int o : {PLUS_OP, MINUS_OP, MULT_OP}) run(o, i, j, t);
    for (int o : {PLUS_OP, MINUS_OP, MULT_OP, DIV_OP}) run(o, i, x, tf);
    run(PLUS_OP, s, s2, ts);
    run(DIV2_OP, i, j, t);
    run(MOD_OP, i, j, t);
    for (int o : {E_OP, NE_OP, GT_OP, LT_OP, GTE_OP, LTE_OP}) {
      run(o, i, j, t);
      run(o, five, two, t);
      run(o, x, i, t);
      run(o, s, s2, t);
    }
    run(NE_OP, p, q, t);
    run(AND_OP, i, j, t);
    run(OR_OP, i, five, t);
    run(WD_NOT, i, 0, t);
    run(U_MINUS, x, 0, tf);
    for (int o : {SQRT_FUN, SIN_FUN, COS_FUN, TG_FUN, ARCTG_FUN, ABS_FUN, ROUND_FUN,
                  TRUNC_FUN})
      run(o, x, 0, o == ROUND_FUN || o == TRUNC_FUN ? t : tf);
    run(RANDOM_FUN, i, 0, t);
    run(LENGTH_FUN, s, 0, t);
    for (int o : {DAY_FUN, MONTH_FUN, YEAR_FUN, TIME_FUN, DAYOFWEEK_FUN}) run(o, 0, 0, t);

    // References: every access form through the held address.
    const int vi = var("vi", 4), vx = var("vx", 8), vs = var("vs", 14, 128), vp = sym("vp", 21, 21);
    for (int v : {vi, vx, vs, vp}) S(v).tag5 = 1;
    run(ASIGN_OP, vi, j, 0);
    run(ASIGN_OP, vx, vi, 0);
    run(ASIGN_OP, vs, s, 0);
    run(ASIGN_OP, s, vs, 0);
    run(ASIGN_OP, vp, q, 0);
    run(PLUS_OP, vi, vi, t);
    run(MULT_OP, vi, vi, t);
    run(PLUS_OP, vx, vi, tf);
    run(MOD_OP, vi, vi, t);
    run(LT_OP, vi, vi, t);
    run(WD_NOT, vi, 0, t);
    run(RANDOM_FUN, vi, 0, t);
    run(WRITE, 0, 0, vp);

    // Control flow.
    const int l0 = sym("_sys0", 6, 0), l1 = sym("_sys1", 6, 0), l2 = sym("_sys2", 6, 0), l3 = sym("_sys3", 6, 0);
    const int l4 = sym("_sys4", 6, 0);
    run(WD_IF, t, l0, 0);
    run(ASIGN_OP, i, j, 0);
    run(WD_ELSE, l0, l1, 0);
    run(ASIGN_OP, i, j, 0);
    run(END_IF, l1, 0, 0);
    run(WD_WHILE, l2, 0, 0);
    run(WD_DO, t, l3, 0);
    run(FOR_INC, vi, 0, 0);
    run(END_WHILE, l2, l3, 0);
    run(WD_REPEAT, l4, 0, 0);
    run(FOR_INC, i, 0, 0);
    run(WD_UNTIL, t, l4, 0);

    // A recursive function with a nested procedure, strings and var formals.
    const int fn = sym("fn", 13, 4, 2), n = sym("n", 4, 4, 0, fn), vr = sym("vr", 4, 4, 0, fn);
    const int loc = sym("loc", 4, 14, 12, fn), tn = sym("_t", 1, 4, 0, fn), res = sym("_t", 1, 4, 0, fn);
    const int inner = sym("inner", 2, 0, 0);
    run(WD_FUN, fn, 0, 0);
    run(GET_PAR, 1, fn, n);
    run(GET_P_PAR, 2, fn, vr);
    run(WD_PROC, inner, 0, 0);
    run(CALL_FUN, fn, 0, res);
    run(END_PROC, 0, 0, 0);
    run(PAR_CALL, 1, fn, tn);
    run(PAR_CALL, 2, fn, vr);
    run(CALL_FUN, fn, 2, res);
    run(PAR_CALL, 1, fn, n);
    run(P_PAR_CALL, 2, fn, p);
    run(CALL_FUN, fn, 2, res);
    run(WD_RETURN, fn, loc, 0);
    run(WD_RETURN, fn, vr, 0);
    run(END_FUN, 0, 0, 0);

    // Arrays, records, pointers and the heap, plain and through references.
    TTypeDesc rec;
    rec.name = "rt";
    rec.kind = kKindRecord;
    add_field(c.errors, rec, "n", TypeNumber::kInteger);
    add_field(c.errors, rec, "f", TypeNumber::kFloat);
    add_field(c.errors, rec, "s", TypeNumber::kString, 6);
    add_field(c.errors, rec, "p", TypeNumber::kPointer);
    const int rt = add_type(c.types, c.errors, rec);
    const int ai = sym("ai", 12, 4, 5), ax = sym("ax", 12, 8, 5), as = sym("as", 12, 14, 6);
    const int ar = sym("ar", 12, 25, 3), ar1 = sym("ar1", 12, 25, 3), rv = sym("rv", 20, 25, 28);
    const int pr = sym("pr", 21, 21, 8), vpr = sym("vpr", 21, 21, 8), va = sym("va", 12, 4, 5);
    const int tp = var("_t", 21), fs = var("_t", 14, 6);
    S(ai).tag3 = 2;
    S(as).tag2 = 3;
    S(ar).tag3 = 2;
    for (int v : {ar, ar1, rv, pr, vpr}) S(v).tag4 = static_cast<uint8_t>(rt);
    S(vpr).tag5 = 1;
    S(va).tag5 = 1;
    run(INDEX_OP2, i, ai, t);
    run(INDEX_OP, t, j, t);
    run(GET_ARR, ai, t, t);
    run(SET_ARR, t, i, ai);
    run(SET_ARR, vi, i, ax);
    run(GET_ARR, va, vi, t);
    run(SET_ARR, i, vi, va);
    run(GET_ARR, as, i, fs);
    run(SET_ARR, i, vs, as);
    run(GET_FLD, rv, 1, t);
    run(GET_FLD, vpr, 3, fs);
    run(GET_FLD, pr, 4, tp);
    run(SET_FLD, 2, i, rv);
    run(SET_FLD, 3, s, vpr);
    run(SET_FLD, 4, vp, pr);
    run(INDEX_OP3, ar, j, i);
    run(GET_FLD_A, ar, 3, fs);
    run(INDEX_OP3, ar1, 0, vi);
    run(SET_FLD_A, 2, five, ar1);
    run(GET_HEAP_PROC, 0, 0, 0);
    run(WD_NEW, pr, 28, 0);
    run(WD_NEW, vpr, 28, 0);
    run(WD_NIL, 0, 0, tp);
    run(WD_FREE, pr, 0, 0);
    run(WD_FREE, vpr, 0, 0);

    // Console statements.
    run(WRITE, five, 0, i);
    run(WRITE, five, two, x);
    run(WRITE, 0, 0, s);
    run(WRITE, 0, 0, p);
    run(WD_WRITELN, 0, 0, 0);
    run(WD_READLN, s, 0, 0);
    run(WD_READLN, vs, 0, 0);
    run(WD_READLN0, 0, 0, 0);
    run(WD_PROG, 0, 0, 0);
  }
};

TEST_F(DecodeTemplates, ObjdumpDecodesEveryTemplateAndEveryJumpLandsOnAnInstruction) {
  emit_everything();
  TempDir dir;
  const std::string path = dir.file("code.bin");
  std::string raw(c.image.bytes.begin() + kCodeStart, c.image.bytes.begin() + c.image.pos);
  write_file(path, raw);
  const uint32_t start = address_of_offset(kCodeStart), end = here();
  const RunResult r = run_process({"objdump", "-D", "-b", "binary", "-m", "i386", "--adjust-vma=" +
                                   std::to_string(start), path});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out.find("(bad)"), std::string::npos) << r.out;

  std::set<uint32_t> starts;
  std::vector<std::pair<uint32_t, uint32_t>> jumps;  // (where, target)
  const std::regex line(R"(^\s*([0-9a-f]+):\t[0-9a-f ]+\t(j\w+)\s+(0x)?([0-9a-f]+)?.*$)");
  const std::regex any(R"(^\s*([0-9a-f]+):\t)");
  std::istringstream in(r.out);
  for (std::string l; std::getline(in, l);) {
    std::smatch m;
    if (!std::regex_search(l, m, any)) continue;
    const uint32_t a = static_cast<uint32_t>(std::stoul(m[1], nullptr, 16));
    starts.insert(a);
    if (std::regex_match(l, m, line) && m[4].matched && l.find('*') == std::string::npos)
      jumps.emplace_back(a, static_cast<uint32_t>(std::stoul(m[4], nullptr, 16)));
  }
  ASSERT_GT(jumps.size(), 40u);
  for (auto [where, target] : jumps) {
    EXPECT_TRUE(target >= start && target <= end) << std::hex << where << " -> " << target;
    if (target < end) {
      EXPECT_TRUE(starts.count(target)) << std::hex << where << " -> " << target;
    }
  }

  // Each listed instruction (in address order; back-patches and placeholders
  // are listed out of order or under a label) begins an instruction.
  std::istringstream listing(c.gen.listing);
  uint32_t next = 0;
  int checked = 0;
  for (std::string l; std::getline(listing, l);) {
    if (l.size() < 11 || l[8] != ' ' || l.find_first_not_of("0123456789abcdef") != 8) continue;
    const uint32_t a = static_cast<uint32_t>(std::stoul(l.substr(0, 8), nullptr, 16));
    const size_t hex_end = l.find(' ', 9);
    const std::string text = hex_end == std::string::npos ? "" : l.substr(hex_end + 1);
    if (hex_end == 9 || a < next || (!text.empty() && text.find(':') == text.size() - 2)) continue;
    EXPECT_TRUE(starts.count(a)) << l;
    next = a + static_cast<uint32_t>(hex_end - 9) / 2;
    ++checked;
  }
  EXPECT_GT(checked, 300);
}

}  // namespace
}  // namespace tarn::test
