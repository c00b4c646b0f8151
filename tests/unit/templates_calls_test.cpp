// Routine, parameter, call, return and console templates, including the
// save and restore around calls that re-enter an active routine.
#include "tables/types.h"
#include "templates_fixture.h"

namespace tarn::test {
namespace {

struct CallTemplates : TemplateFixture {
  // A routine symbol (class 2 procedure, 13 function) with n parameters.
  int routine(const std::string& name, int cls, int params, int result_type = 0) {
    const int r = sym(name, cls, result_type, params);
    return r;
  }
  int local(const std::string& name, int owner, int type = 4, int tag = 0) { return sym(name, 4, type, tag, owner); }
  int temp(int owner, int type = 4) { return sym("_t", 1, type, type == 14 ? 128 : 0, owner); }
  uint32_t entry_of(const std::string& name) const { return address_value(c.code, name); }
  std::string since(int32_t from) const { return code_from(from); }
};

TEST_F(CallTemplates, ParameterOffsetsOfProceduresAndFunctions) {
  const int p = routine("p", 2, 3), f = routine("f", 13, 2, 4);
  const int a = local("a", p), b = local("b", p), d = local("d", p), s = local("s", f, 14, 128), g = local("g", f);
  run(GET_PAR, 1, p, a);
  run(GET_PAR, 2, p, b);
  run(GET_PAR, 3, p, d);
  EXPECT_EQ(code(), bytes("8b74240c bf" + at(a) + "8b06 8907" + "8b742408 bf" + at(b) + "8b06 8907" +
                          "8b742404 bf" + at(d) + "8b06 8907"));
  int32_t from = c.image.pos;
  run(GET_PAR, 1, f, s);  // a string value is copied with its terminator
  run(GET_P_PAR, 2, f, g);
  EXPECT_EQ(since(from), bytes("8b74240c bf" + at(s) + "31d2 803c3200 7409 8a0432 88043a 42 ebf1 c6043a00" +
                               "8b5c2408 891d" + at(g)));
  EXPECT_EQ(S(g).tag5, 1) << "a var formal is reached through its address from now on";
}

TEST_F(CallTemplates, RoutineEntryCallAndStackAdjustment) {
  const int p = routine("p", 2, 2), f = routine("f", 13, 0, 4);
  const uint32_t entry = here();
  run(WD_PROC, p, 0, 0);
  run(END_PROC, 0, 0, 0);
  EXPECT_EQ(entry_of("p"), entry);
  EXPECT_NE(c.gen.listing.find("procedure p\r\nret\r\n"), std::string::npos);
  const int x = var("x", 4), y = var("y", 4), r = var("_t", 4);
  int32_t from = c.image.pos;
  run(PAR_CALL, 1, p, x);
  run(PAR_CALL, 2, p, y);
  run(CALL, p, 2, 0);
  EXPECT_EQ(since(from), bytes("68" + at(x) + "68" + at(y) + "bb" + le(entry) + "ffd3 83c408"));
  run(WD_FUN, f, 0, 0);
  run(END_FUN, 0, 0, 0);
  from = c.image.pos;
  run(CALL, p, 0, 0);        // no actuals: no adjustment
  run(CALL_FUN, f, 0, r);    // a function always removes its result address
  EXPECT_EQ(since(from), bytes("bb" + le(entry) + "ffd3" + "68" + at(r) + "bb" + le(entry_of("f")) + "ffd3 83c404"));
}

TEST_F(CallTemplates, AUserRoutineNamedLikeARunTimeVariableIsCalledAtItsOwnEntry) {
  const int p = routine("count", 2, 0);  // "count" is also a run-time variable, entered first
  run(WD_PROC, p, 0, 0);
  const uint32_t entry = address_of_offset(kCodeStart);
  run(END_PROC, 0, 0, 0);
  const int32_t from = c.image.pos;
  run(CALL, p, 0, 0);
  EXPECT_EQ(since(from), bytes("bb" + le(entry) + "ffd3"));
  EXPECT_NE(le(entry), named("count"));
}

TEST_F(CallTemplates, ReturnStoresTheResultAndLeaves) {
  const int f = routine("f", 13, 0, 4), b = var("b", 4), s = var("s", 14, 10);
  run(WD_RETURN, f, b, 0);
  EXPECT_EQ(code(), bytes("8b5c2404 a1" + at(b) + "8903 c3"));
  int32_t from = c.image.pos;
  run(WD_RETURN, f, s, 0);
  // A string result is copied and the function is left there too.
  EXPECT_EQ(since(from), bytes("8b7c2404 be" + at(s) + "31d2 803c3200 7409 8a0432 88043a 42 ebf1 c6043a00 c3"));
}

TEST_F(CallTemplates, RecursiveCallSavesAndRestoresTheRoutinesData) {
  const int f = routine("f", 13, 1, 4);
  const int n = local("n", f), first = local("first", f), second = local("second", f), s = local("s", f, 14, 10);
  const int t1 = temp(f), r = temp(f);
  run(WD_FUN, f, 0, 0);
  run(GET_PAR, 1, f, n);
  int32_t from = c.image.pos;
  run(PAR_CALL, 1, f, t1);
  run(CALL_FUN, f, 1, r);
  const std::string entry = le(entry_of("f"));
  EXPECT_EQ(since(from),
            bytes(
                // save, in table order, before the first actual
                "ff35" + at(n) + "ff35" + at(first) + "ff35" + at(second) + "81ec 10000000 be" + at(s) +
                "89e7 b9 0e000000 f3a4" + "ff35" + at(t1) + "ff35" + at(r) +
                // the call
                "68" + at(t1) + "68" + at(r) + "bb" + entry + "ffd3 83c408" +
                // restore in reverse; the result's saved copy is dropped
                "83c404" + "8f05" + at(t1) + "89e6 bf" + at(s) + "b9 0e000000 f3a4 83c410" + "8f05" + at(second) +
                "8f05" + at(first) + "8f05" + at(n)));
}

TEST_F(CallTemplates, EveryByteOfEachKindOfDataItemIsSaved) {
  TTypeDesc record;
  record.number = 101;
  record.kind = kKindRecord;
  record.attr2 = 10;  // bytes
  c.types.types.push_back(record);
  const int f = routine("f", 13, 0, 4);
  const int text = local("text", f, 15);
  const int ints = sym("ints", 12, 4, 10, f);                     // 10 integers
  const int strs = sym("strs", 12, 14, 5, f);                     // 3 strings of capacity 5
  S(strs).tag2 = 3;
  const int recs = sym("recs", 12, 25, 2, f);                     // 2 x 3 records of 10 bytes
  S(recs).tag3 = 3;
  S(recs).tag4 = 101;
  const int rec = sym("rec", 20, 0, 6, f);                        // a 6-byte record
  const int listed = sym("listed", 12, 4, 0, f);                  // an initial list of two values
  sym("1", 16, 4, 0, f);
  sym("2", 16, 4, 0, f);
  S(listed + 1).location = S(listed + 2).location = listed;
  const int constant = local("k", f);
  S(constant).tag3 = 1;                                           // read-only: not saved
  lit("7", 5);
  S(symbol_count(c.code)).procname = f;                                // literals neither
  const int ref = local("ref", f, 14, 128);
  S(ref).tag5 = 1;                                                // only the address it holds
  run(WD_FUN, f, 0, 0);
  const int r = temp(f);
  const int32_t from = c.image.pos;
  run(CALL_FUN, f, 0, r);
  auto block = [](int n, uint32_t size) {
    return "81ec" + le((size + 3) / 4 * 4) + "be" + at(n) + "89e7 b9" + le(size) + "f3a4";
  };
  const std::string saves = block(text, 12) + block(ints, 44) + block(strs, 4 + 3 * 9) + block(recs, 4 + 60) +
                            block(rec, 12) + block(listed, 12) + "ff35" + at(ref) + "ff35" + at(r);
  EXPECT_EQ(since(from).substr(0, bytes(saves).size()), bytes(saves));
}

TEST_F(CallTemplates, NamedActualsOfARecursiveCallArePassedFromTheirSavedCopies) {
  const int p = routine("p", 2, 2);
  const int a = local("a", p), b = local("b", p);
  run(WD_PROC, p, 0, 0);
  const int32_t from = c.image.pos;
  run(PAR_CALL, 1, p, b);  // p(b, a) inside p(a, b)
  run(PAR_CALL, 2, p, a);
  run(CALL, p, 2, 0);
  // After the save a lies at esp+4, b at esp; the second actual sees one more push.
  EXPECT_EQ(since(from), bytes("ff35" + at(a) + "ff35" + at(b) + "8d8424 00000000 50" + "8d8424 08000000 50" + "bb" +
                               le(entry_of("p")) + "ffd3 83c408 8f05" + at(b) + "8f05" + at(a)));
}

TEST_F(CallTemplates, AReferenceToASavedVariableIsPassedAsItsSavedCopy) {
  // q, nested in p, passes on its var formal r (which may hold the address of
  // p's own x) to p: if it does, p's saved copy of x is passed instead.
  const int p = routine("p", 2, 1), q = routine("q", 2, 1);
  const int d = local("d", p), x = local("x", p), r = local("r", q);
  run(WD_PROC, p, 0, 0);
  run(GET_P_PAR, 1, p, d);
  run(WD_PROC, q, 0, 0);
  run(GET_P_PAR, 1, q, r);
  const int32_t from = c.image.pos;
  run(PAR_CALL, 1, p, r);
  run(CALL, p, 1, 0);
  // saved: r (q's, a reference), then d (a reference) and x; x lies at esp
  EXPECT_EQ(since(from), bytes("ff35" + at(r) + "ff35" + at(d) + "ff35" + at(x) +
                               "a1" + at(r) + "3d" + at(x) + "7507 8d8424 00000000 50" +
                               "bb" + le(entry_of("p")) + "ffd3 83c404 8f05" + at(x) + "8f05" + at(d) + "8f05" +
                               at(r)));
}

TEST_F(CallTemplates, RecursiveCallWithoutActualsSavesAtTheCall) {
  const int f = routine("f", 13, 0, 4);
  const int k = local("k", f), r = temp(f);
  run(WD_FUN, f, 0, 0);
  const int32_t from = c.image.pos;
  run(CALL_FUN, f, 0, r);
  EXPECT_EQ(since(from), bytes("ff35" + at(k) + "ff35" + at(r) + "68" + at(r) + "bb" + le(entry_of("f")) +
                               "ffd3 83c404 83c404 8f05" + at(k)));
}

TEST_F(CallTemplates, OnlyCallsThatMayReenterAnActiveRoutineSave) {
  const int p = routine("p", 2, 1), q = routine("q", 2, 0);
  const int x = local("x", p), y = local("y", q), g = var("g", 4);
  run(WD_PROC, p, 0, 0);
  run(WD_PROC, q, 0, 0);  // q nested in p
  // q calling p: both routines' data is saved, q's first.
  int32_t from = c.image.pos;
  run(CALL, p, 0, 0);
  EXPECT_EQ(since(from), bytes("ff35" + at(y) + "ff35" + at(x) + "bb" + le(entry_of("p")) + "ffd3 8f05" + at(x) +
                               "8f05" + at(y)));
  run(END_PROC, 0, 0, 0);
  run(END_PROC, 0, 0, 0);
  from = c.image.pos;
  run(PAR_CALL, 1, p, g);  // from the main program: nothing to save
  run(CALL, p, 1, 0);
  EXPECT_EQ(since(from), bytes("68" + at(g) + "bb" + le(entry_of("p")) + "ffd3 83c404"));
}

TEST_F(CallTemplates, ANestedRoutineIsJumpedOver) {
  const int p = routine("p", 2, 0), q = routine("q", 2, 0);
  run(WD_PROC, p, 0, 0);
  const int32_t from = c.image.pos;
  run(WD_PROC, q, 0, 0);
  run(END_PROC, 0, 0, 0);
  EXPECT_EQ(since(from), bytes("e9 01000000 c3"));
  EXPECT_EQ(entry_of("q"), address_of_offset(from) + 5);
}

TEST_F(CallTemplates, ReferenceActualsPassTheAddressTheyHold) {
  const int f = routine("f", 2, 2), v = var("v", 4), ptr = sym("p", 21, 21), pr = sym("pr", 21, 21);
  S(v).tag5 = 1;
  S(pr).tag5 = 1;
  AddVariable(c.code, "f", 0x00402000);  // the routine's code, emitted earlier
  const std::string call = "bb" + le(entry_of("f")) + "ffd3 83c408";
  run(PAR_CALL, 1, f, v);
  run(P_PAR_CALL, 2, f, ptr);
  run(CALL, f, 2, 0);
  EXPECT_EQ(code(), bytes("ff35" + at(v) + "b8" + at(ptr) + "50" + call));
  const int32_t from = c.image.pos;
  run(P_P_PAR_CALL, 1, f, pr);
  run(P_PAR_CALL, 2, f, pr);  // a reference pointer is passed on even through P_PAR_CALL
  run(CALL, f, 2, 0);
  EXPECT_EQ(since(from), bytes("b8" + at(pr) + "8b00 50 b8" + at(pr) + "8b00 50" + call));
}

TEST_F(CallTemplates, ReadstringCallPassesTheCapacity) {
  const int rs = routine("readstring", 13, 1, 14), file = var("f", 15), r = var("_t", 14, 128);
  run(PAR_CALL, 1, rs, file);
  run(CALL_FUN, rs, 1, r);
  EXPECT_EQ(code(), bytes("68" + at(file) + "66c705" + named("_strmaxlen") + "8000" + "68" + named("_strmaxlen") +
                          "68" + at(r) + "bb" + named("readstring") + "ffd3"));
}

TEST_F(CallTemplates, WriteOfEveryKindOfValue) {
  const int i = var("i", 4), x = var("x", 8), s = var("s", 14, 10), p = sym("p", 21, 21);
  const int five = lit("5", 5), two = lit("2", 5), eight = lit("8", 5), wide = lit("200", 5), huge = lit("300", 5), fl = lit("1.5", 9);
  const int sl = lit("hi", 7);
  struct Case {
    int a, b, r;
    std::string expected;
  } cases[] = {
      {five, 0, i, "6a05 68" + at(i) + "bb" + named("_int2st") + "ffd3"},
      {0, 0, five, "6a00 68" + at(five) + "bb" + named("_int2st") + "ffd3"},  // a literal is written too
      {eight, two, x, "6a02 6a08 68" + at(x) + "bb" + named("_si2st") + "ffd3"},
      {0, 0, fl, "6a00 6a00 68" + at(fl) + "bb" + named("_si2st") + "ffd3"},
      {0, 0, s, "6a00 68" + at(s) + "bb" + named("_wrstf") + "ffd3"},
      {five, 0, sl, "6a05 68" + at(sl) + "bb" + named("_wrstf") + "ffd3"},
      {0, 0, p, "6a00 8b3d" + at(p) + "57 bb" + named("_int2hst") + "ffd3"},
      {wide, 0, i, "68 c8000000 68" + at(i) + "bb" + named("_int2st") + "ffd3"},  // no sign extension
      {huge, 0, sl, "68 ff000000 68" + at(sl) + "bb" + named("_wrstf") + "ffd3"},  // not 300 mod 256
      {huge, huge, x, "68 ff000000 68 ff000000 68" + at(x) + "bb" + named("_si2st") + "ffd3"},
  };
  for (const Case& k : cases) {
    const int32_t from = c.image.pos;
    run(WRITE, k.a, k.b, k.r);
    EXPECT_EQ(since(from), bytes(k.expected)) << name_of(c.code, k.r);
  }
  const int32_t from = c.image.pos;
  run(WD_WRITELN, 0, 0, 0);
  EXPECT_EQ(since(from), bytes("bb" + named("writeln") + "ffd3"));
  EXPECT_NE(c.gen.listing.find("write(i)\r\n"), std::string::npos);
  EXPECT_NE(c.gen.listing.find("WRITE('s')\r\n"), std::string::npos);
}

TEST_F(CallTemplates, ReadlnPushesCapacityTypeAndAddress) {
  const int s = var("s", 14, 20), i = var("i", 4), formal = var("v", 14, 128), arr = sym("a", 12, 8), r = var("_t", 8);
  S(formal).tag5 = 1;
  const std::string call = "bb" + named("readln") + "ffd3";
  run(WD_READLN, s, 0, 0);
  EXPECT_EQ(code(), bytes("6a14 6a0e 68" + at(s) + call + "83c40c"));
  int32_t from = c.image.pos;
  run(WD_READLN, i, 0, 0);
  run(READ_ARR, arr, 0, r);  // reads into its result temporary
  run(WD_READLN, formal, 0, 0);
  run(WD_READLN0, 0, 0, 0);
  EXPECT_EQ(since(from), bytes("6a04 68" + at(i) + call + "83c408" + "6a08 68" + at(r) + call + "83c408" +
                               "8b3d" + at(formal) + "31c9 803c0f00 7507 807c0f0109 7409 41 81f9 80000000 72ea 51" +  // its real capacity
                               "6a0e ff35" + at(formal) + call + "83c40c" +
                               // a line is consumed through readln with type 0
                               "6a00 6a00 6a00" + call + "83c40c"));
}

}  // namespace
}  // namespace tarn::test
