// Templates of the entry jump, if/else, the three loops and goto.
// Forward jumps are back-patched: a patch label (a file offset) is recorded
// under the jump label's name where the displacement or the whole jump goes,
// and the record that reaches the target writes it there. Backward jumps use
// target labels holding the loop head's virtual address. goto jumps through
// the user label's data slot, which MARK fills in the image.
#pragma once


namespace tarn {

struct CodeGen;

// The program's first instruction, "jmp start", patched by WD_PROG.
void emit_program_start(CodeGen& c);

void emit_wd_prog(CodeGen& c, int a, int b, int r);
void emit_wd_if(CodeGen& c, int a, int b, int r);
void emit_wd_else(CodeGen& c, int a, int b, int r);
void emit_end_if(CodeGen& c, int a, int b, int r);
// WD_WHILE, WD_FOR and WD_REPEAT: the loop head.
void emit_loop_head(CodeGen& c, int a, int b, int r);
void emit_wd_do(CodeGen& c, int a, int b, int r);
// END_WHILE and END_FOR.
void emit_end_loop(CodeGen& c, int a, int b, int r);
void emit_wd_until(CodeGen& c, int a, int b, int r);
void emit_for_inc(CodeGen& c, int a, int b, int r);
void emit_mark(CodeGen& c, int a, int b, int r);
void emit_goto(CodeGen& c, int a, int b, int r);

}  // namespace tarn
