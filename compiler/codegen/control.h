// Templates of control flow: the program's entry jump so far.
#pragma once

namespace tarn {

struct Compilation;

// The program's first instruction, "jmp start", patched by WD_PROG.
void emit_program_start(Compilation& c);

// The main body begins after every routine: the entry jump lands here.
void emit_wd_prog(Compilation& c, int a, int b, int r);

}  // namespace tarn
