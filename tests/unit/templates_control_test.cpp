// Control-flow templates: the bytes of each form and where every patched or
// backward jump lands.
#include "codegen/control.h"
#include "templates_fixture.h"

namespace tarn::test {
namespace {

struct ControlTemplates : TemplateFixture {
  int cond = var("_t0", 4);
  int x = var("x", 4);
  int y = var("y", 4);
  int label(const std::string& name) { return sym(name, 6, 0); }
  // A statement of a known size: x := y, 10 bytes.
  void statement() { run(ASIGN_OP, x, y, 0); }
  static std::string disp(int64_t v) { return le(static_cast<uint32_t>(v)); }
};

TEST_F(ControlTemplates, EntryJumpIsPatchedToTheMainBody) {
  emit_program_start(c.code);
  statement();  // stands for the run-time library and the routines
  const uint32_t body = here();
  run(WD_PROG, 0, 0, 0);
  EXPECT_EQ(code().substr(0, 14), bytes("e9" + disp(body - address_of_offset(kCodeStart) - 5)));
  EXPECT_NE(c.gen.listing.find("00401200 e90a000000 jmp start"), std::string::npos);
}

TEST_F(ControlTemplates, IfWithoutElseSkipsExactlyTheThenPart) {
  const int l = label("_sys0");
  run(WD_IF, cond, l, 0);
  statement();
  run(END_IF, l, 0, 0);
  EXPECT_EQ(code(), bytes("a1" + at(cond) + "83f800 0f84 0a000000" + "a1" + at(y) + "a3" + at(x)));
  // The patch is listed at the displacement's own address.
  EXPECT_NE(c.gen.listing.find("0040120a 0a000000 "), std::string::npos);
  EXPECT_NE(c.gen.listing.find("00401218 _sys0:"), std::string::npos);
}

TEST_F(ControlTemplates, IfElseJumpsLandAfterTheJmpAndAfterTheElsePart) {
  const int l1 = label("_sys0"), l2 = label("_sys1");
  run(WD_IF, cond, l1, 0);
  statement();
  run(WD_ELSE, l1, l2, 0);
  statement();
  run(END_IF, l2, 0, 0);
  EXPECT_EQ(code(), bytes("a1" + at(cond) + "83f800 0f84 10000000" + "a1" + at(y) + "a3" + at(x) +
                          "90 e9 0a000000" + "a1" + at(y) + "a3" + at(x)));
}

TEST_F(ControlTemplates, WhileAndForRewriteTheWholeExitJump) {
  for (int loop_op : {END_WHILE, END_FOR}) {
    const int head = label("_sys_h" + std::to_string(loop_op)), exit = label("_sys_e" + std::to_string(loop_op));
    const int32_t from = c.image.pos;
    const uint32_t head_address = here();
    run(loop_op == END_WHILE ? WD_WHILE : WD_FOR, head, 0, 0);
    run(WD_DO, cond, exit, 0);
    statement();
    if (loop_op == END_FOR) run(FOR_INC, x, 0, 0);
    const uint32_t jmp_address = here();
    run(loop_op, head, exit, 0);
    const uint32_t after = here();
    const uint32_t jz_address = head_address + 8;
    const std::string inc = loop_op == END_FOR ? "ff05" + at(x) : "";
    const int body = loop_op == END_FOR ? 16 : 10;
    EXPECT_EQ(code_from(from), bytes("a1" + at(cond) + "83f800 0f84" + disp(after - jz_address - 6) + "a1" + at(y) +
                                     "a3" + at(x) + inc + "e9" + disp(int64_t(head_address) - jmp_address - 5)))
        << loop_op;
    EXPECT_EQ(after - jz_address - 6, static_cast<uint32_t>(body + 5));
  }
}

TEST_F(ControlTemplates, RepeatJumpsBackUnlessTheConditionHolds) {
  const int head = label("_sys0");
  const uint32_t head_address = here();
  run(WD_REPEAT, head, 0, 0);
  statement();
  run(WD_UNTIL, cond, head, 0);
  const uint32_t jmp_address = here() - 5;
  EXPECT_EQ(code(), bytes("a1" + at(y) + "a3" + at(x) + "a1" + at(cond) + "83f800 0f85 05000000 e9" +
                          disp(int64_t(head_address) - jmp_address - 5)));
}

TEST_F(ControlTemplates, GotoJumpsThroughTheSlotThatMarkFills) {
  // The data step gives a user label a slot and a target label with its symbol number.
  const int done = sym("done", 7, 0);
  const int32_t slot = 0x300;
  S(done).tag2 = slot;
  AddLabel(c.code, "done", address_of_offset(slot), done);
  run(GOTO, done, 0, 0);  // a goto before its label
  statement();
  const uint32_t target = here();
  run(MARK, done, 0, 0);
  EXPECT_EQ(code(), bytes("ff25" + le(address_of_offset(slot)) + "a1" + at(y) + "a3" + at(x)));
  uint32_t stored = 0;
  for (int i = 0; i < 4; ++i) stored |= uint32_t(c.image.bytes[size_t(slot + i)]) << (8 * i);
  EXPECT_EQ(stored, target);
}

TEST_F(ControlTemplates, ALabelThatWasNeverRecordedFailsInsteadOfPatchingAnywhere) {
  // (the compile then fails as a whole: the code would jump anywhere)
  statement();
  const std::string before = code();
  EXPECT_THROW(run(END_IF, label("_sys9"), 0, 0), GeneratorFault);
  EXPECT_EQ(code(), before);
  EXPECT_THROW(run(END_WHILE, label("_sys10"), label("_sys11"), 0), GeneratorFault);
}

}  // namespace
}  // namespace tarn::test
