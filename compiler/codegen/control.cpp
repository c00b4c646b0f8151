// Control-flow templates. Jump labels are the "_sys" symbols of the statement
// code, keyed in the label table by their name; patch labels hold file
// offsets, target labels virtual addresses. Every displacement to them is
// 32-bit; the one jump inside a template goes to a builder label.
#include "codegen/control.h"

#include <string>

#include "codegen/code_gen.h"
#include "codegen/generator.h"
#include "codegen/operands.h"
#include "codegen/template_builder.h"
#include "image/image.h"
#include "tables/symbol_fields.h"

namespace tarn {

namespace {

constexpr const char* kStartLabel = "_start";

// The condition's truth value into eax, compared with 0.
void test_condition(CodeGen& c, int cond) {
  load_eax(c, cond, "mov eax," + name_of(c, cond));
  emit(c, "cmp eax $00", "83f800");
}

// e9 back to a loop head recorded as a target label.
void jump_back(TemplateBuilder& t, int head) {
  CodeGen& c = t.code();
  const int64_t disp = static_cast<int64_t>(FindLabel(c, name_of(c, head))) - t.address_here() - 5;
  t.op("jmp " + name_of(c, head), "e9", HexText(disp, 8));
}

}  // namespace

void emit_program_start(CodeGen& c) {
  add_patch_label(c, kStartLabel);
  emit(c, "jmp start", "e9", "00000000");
}

void emit_wd_prog(CodeGen& c, int, int, int) {
  c.tmpl.routines.clear();
  patch_label(c, kStartLabel, 5, "e9", "jmp start");
}

void emit_wd_if(CodeGen& c, int a, int b, int) {
  test_condition(c, a);
  // jz near: the opcode, then its displacement as a placeholder listed under
  // the label's name, patched when the label is placed.
  emit(c, "jz ", "0f84");
  add_patch_label(c, name_of(c, b));
  emit(c, name_of(c, b) + ":", "00000000");
}

void emit_wd_else(CodeGen& c, int a, int b, int) {
  // The nop lets the if-part's jz land after this jmp, on the else part.
  emit(c, "jmp ", "90e9");
  add_patch_label(c, name_of(c, b));
  emit(c, name_of(c, b) + ":", "00000000");
  patch_label(c, name_of(c, a), 4, "", "");
}

void emit_end_if(CodeGen& c, int a, int, int) {
  patch_label(c, name_of(c, a), 4, "", "");
  listing_label(c, name_of(c, a) + ":");
}

void emit_loop_head(CodeGen& c, int a, int, int) {
  listing_label(c, name_of(c, a) + ":");
  AddLabel(c, name_of(c, a), current_address(c.image));
}

void emit_wd_do(CodeGen& c, int a, int b, int) {
  test_condition(c, a);
  add_patch_label(c, name_of(c, b));
  emit(c, "jz 0x????????", "0f84", "00000000");
}

void emit_end_loop(CodeGen& c, int a, int b, int) {
  TemplateBuilder t(c);
  jump_back(t, a);
  patch_label(c, name_of(c, b), 6, "0f84", "jz " + name_of(c, b));
  listing_label(c, name_of(c, b) + ":");
}

void emit_wd_until(CodeGen& c, int a, int b, int) {
  test_condition(c, a);
  TemplateBuilder t(c);
  const TemplateLabel done = t.label("done");
  t.jump_near("jnz", done, "jnz +05");
  jump_back(t, b);
  t.bind_unlisted(done);
  t.finish();
}

void emit_for_inc(CodeGen& c, int a, int, int) {
  memory_op(c, "inc " + name_of(c, a), "ff05", a);
}

void emit_mark(CodeGen& c, int a, int, int) {
  // The label's slot receives the address it stands for; goto reads it at run time.
  const int32_t slot = label_slot(symbol_entry(c, a));
  if (slot > 0) put_dword_at(c.image, slot, current_address(c.image));
  listing_label(c, name_of(c, a) + ":");
}

void emit_goto(CodeGen& c, int a, int, int) {
  // Through the label's slot, which MARK filled with the address it stands for.
  TemplateBuilder t(c);
  t.op(Asm("jmp [" + name_of(c, a) + "]").listed_as("jmp " + name_of(c, a)), "FF25", HexText(FindLabelById(c, a), 8));
}

}  // namespace tarn
