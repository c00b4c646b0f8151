// Templates of routines, parameters, calls and the console statements.
//
// Calling convention: every actual is pushed as an address (the last nearest
// the return address); a function gets the address of the caller's result
// temporary pushed last; the caller removes everything after the call. The
// callee copies value parameters into its static formals (GET_PAR) and keeps
// the address for `var` formals (GET_P_PAR). Routines have no frames: around a
// call that may re-enter an active routine, the caller saves that routine's
// data on the stack and restores it afterwards (see calls.cpp).
#pragma once

namespace tarn {

struct CodeGen;

// WD_PROC, WD_FUN: the routine's entry point.
void emit_routine_start(CodeGen& c, int a, int b, int r);
// END_PROC, END_FUN.
void emit_routine_end(CodeGen& c, int a, int b, int r);
void emit_par_call(CodeGen& c, int a, int b, int r);
void emit_p_par_call(CodeGen& c, int a, int b, int r);
void emit_p_p_par_call(CodeGen& c, int a, int b, int r);
void emit_get_par(CodeGen& c, int a, int b, int r);
void emit_get_p_par(CodeGen& c, int a, int b, int r);
void emit_call(CodeGen& c, int a, int b, int r);
void emit_call_fun(CodeGen& c, int a, int b, int r);
void emit_return(CodeGen& c, int a, int b, int r);

// Console statements.
void emit_write(CodeGen& c, int a, int b, int r);
void emit_writeln(CodeGen& c, int a, int b, int r);
// WD_READLN (the variable in a); READ_ARR passes its result temporary as a.
void emit_readln(CodeGen& c, int a, int b, int r);
void emit_readln0(CodeGen& c, int a, int b, int r);

}  // namespace tarn
