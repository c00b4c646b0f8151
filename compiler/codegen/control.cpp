// Control-flow templates. Jump labels are the "_sys" symbols of the statement
// code, keyed in the label table by their name; patch labels hold file
// offsets, target labels virtual addresses. Every displacement is 32-bit.
#include "codegen/control.h"

#include <string>

#include "codegen/generator.h"
#include "codegen/operands.h"
#include "driver/compilation.h"
#include "image/image.h"

namespace tarn {

namespace {

constexpr const char* kStartLabel = "_start";

// The file offset recorded under a patch label's name; -1 when the label was
// never recorded (a lookup that finds nothing gives 0, and writing there would
// overwrite the MZ header, so a missing patch place is skipped instead).
int32_t patch_place(const Compilation& c, const std::string& name) {
  for (const TLabel& l : c.gen.labels)
    if (l.Name == name) return static_cast<int32_t>(l.Virtual_Addr);
  return -1;
}

// Writes opcode + 32-bit displacement at file offset p, so that the jump whose
// bytes end `length` bytes after p lands on the current address; the listing
// line shows p's address. The write position is restored.
void patch(Compilation& c, int32_t p, const char* opcode, int length, const std::string& text) {
  const uint32_t target = current_address(c.image);
  const int32_t here = c.image.pos;
  const int64_t disp = static_cast<int64_t>(target) - address_of_offset(p) - length;
  seek(c.image, p);
  emit(c, text, opcode, HexText(disp, 8));
  seek(c.image, here);
}

// The condition's truth value into eax, compared with 0.
void test_condition(Compilation& c, int cond) {
  load_eax(c, cond, "mov eax," + name_of(c, cond));
  emit(c, "cmp eax $00", "83f800");
}

// e9 back to a loop head recorded as a target label.
void jump_back(Compilation& c, int head) {
  const int64_t disp = static_cast<int64_t>(FindLabel(c, name_of(c, head))) - current_address(c.image) - 5;
  emit(c, "jmp " + name_of(c, head), "e9", HexText(disp, 8));
}

}  // namespace

void emit_program_start(Compilation& c) {
  AddLabel(c, kStartLabel, static_cast<uint32_t>(c.image.pos));
  emit(c, "jmp start", "e9", "00000000");
}

void emit_wd_prog(Compilation& c, int, int, int) {
  c.tmpl.routines.clear();
  const int32_t p = patch_place(c, kStartLabel);
  if (p >= 0) patch(c, p, "e9", 5, "jmp start");
}

void emit_wd_if(Compilation& c, int a, int b, int) {
  test_condition(c, a);
  emit(c, "jz ", "0f84");
  AddLabel(c, name_of(c, b), static_cast<uint32_t>(c.image.pos));
  emit(c, name_of(c, b) + ":", "00000000");
}

void emit_wd_else(Compilation& c, int a, int b, int) {
  // The nop lets the if-part's jz land after this jmp, on the else part.
  emit(c, "jmp ", "90e9");
  AddLabel(c, name_of(c, b), static_cast<uint32_t>(c.image.pos));
  emit(c, name_of(c, b) + ":", "00000000");
  const int32_t p = patch_place(c, name_of(c, a));
  if (p >= 0) patch(c, p, "", 4, "");
}

void emit_end_if(Compilation& c, int a, int, int) {
  const int32_t p = patch_place(c, name_of(c, a));
  if (p >= 0) patch(c, p, "", 4, "");
  listing_label(c, name_of(c, a) + ":");
}

void emit_loop_head(Compilation& c, int a, int, int) {
  listing_label(c, name_of(c, a) + ":");
  AddLabel(c, name_of(c, a), current_address(c.image));
}

void emit_wd_do(Compilation& c, int a, int b, int) {
  test_condition(c, a);
  AddLabel(c, name_of(c, b), static_cast<uint32_t>(c.image.pos));
  emit(c, "jz 0x????????", "0f84", "00000000");
}

void emit_end_loop(Compilation& c, int a, int b, int) {
  jump_back(c, a);
  const int32_t p = patch_place(c, name_of(c, b));
  if (p >= 0) patch(c, p, "0f84", 6, "jz " + name_of(c, b));
  listing_label(c, name_of(c, b) + ":");
}

void emit_wd_until(Compilation& c, int a, int b, int) {
  test_condition(c, a);
  emit(c, "jnz +05", "0f8505000000");
  jump_back(c, b);
}

void emit_for_inc(Compilation& c, int a, int, int) {
  memory_op(c, "inc " + name_of(c, a), "ff05", a);
}

void emit_mark(Compilation& c, int a, int, int) {
  // The label's slot receives the address it stands for; goto reads it at run time.
  const uint32_t here_address = current_address(c.image);
  const int32_t here = c.image.pos;
  const int32_t slot = symbol_entry(c, a).tag2;
  if (slot > 0) {
    seek(c.image, slot);
    put_dword(c.image, here_address);
    seek(c.image, here);
  }
  listing_label(c, name_of(c, a) + ":");
}

void emit_goto(Compilation& c, int a, int, int) {
  emit(c, "jmp " + name_of(c, a), "FF25", HexText(FindLabelById(c, a), 8));
}

}  // namespace tarn
