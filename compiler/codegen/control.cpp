// Templates of control flow: the program's entry jump, and (to come) if/else,
// loops and goto. Forward jumps go through the patch labels of the generator
// core; backward jumps through target labels holding a virtual address.
#include "codegen/emitters.h"

#include "codegen/generator.h"
#include "driver/compilation.h"

namespace tarn {

namespace {

constexpr const char* kStartLabel = "_start";
constexpr int kJumpLength = 5;  // e9 and a 32-bit displacement

}  // namespace

void emit_start_jump(Compilation& c) {
  add_patch_label(c, kStartLabel);
  emit(c, "jmp start", "e9", "00000000");
}

// The main body begins after every routine: the entry jump lands here.
void gen_program(Compilation& c, const PostfixRecord&) { patch_label(c, kStartLabel, kJumpLength, "e9", "jmp start"); }

void gen_if(Compilation&, const PostfixRecord&) {}
void gen_else(Compilation&, const PostfixRecord&) {}
void gen_end_if(Compilation&, const PostfixRecord&) {}
void gen_loop_head(Compilation&, const PostfixRecord&) {}
void gen_do(Compilation&, const PostfixRecord&) {}
void gen_end_loop(Compilation&, const PostfixRecord&) {}
void gen_repeat(Compilation&, const PostfixRecord&) {}
void gen_until(Compilation&, const PostfixRecord&) {}
void gen_for_inc(Compilation&, const PostfixRecord&) {}
void gen_goto(Compilation&, const PostfixRecord&) {}
void gen_mark(Compilation&, const PostfixRecord&) {}

}  // namespace tarn
