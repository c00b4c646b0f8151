// Control-flow templates. Forward jumps go through the patch labels of the
// generator core; backward jumps through target labels holding a virtual address.
#include "codegen/control.h"

#include "codegen/generator.h"
#include "driver/compilation.h"

namespace tarn {

namespace {

constexpr const char* kStartLabel = "_start";
constexpr int kJumpLength = 5;  // e9 and a 32-bit displacement

}  // namespace

void emit_program_start(Compilation& c) {
  add_patch_label(c, kStartLabel);
  emit(c, "jmp start", "e9", "00000000");
}

void emit_wd_prog(Compilation& c, int, int, int) { patch_label(c, kStartLabel, kJumpLength, "e9", "jmp start"); }

}  // namespace tarn
