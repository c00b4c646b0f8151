// The templates behind the postfix operations: one emitter per operation (or
// per family of operations that share a template, with the op passed along).
// Each takes the record as the reader found it; operands are symbol numbers
// (`location` values) or plain numbers, as the front end wrote them.
#pragma once

namespace tarn {

struct Compilation;

struct PostfixRecord {
  int op = 0;
  int a = 0;
  int b = 0;
  int r = 0;
};

using Emitter = void (*)(Compilation&, const PostfixRecord&);

// Expressions and assignment.
void gen_plus(Compilation& c, const PostfixRecord& rec);
void gen_minus(Compilation& c, const PostfixRecord& rec);
void gen_mult(Compilation& c, const PostfixRecord& rec);
void gen_assign(Compilation& c, const PostfixRecord& rec);
void gen_divide(Compilation& c, const PostfixRecord& rec);
void gen_not(Compilation& c, const PostfixRecord& rec);
void gen_compare(Compilation& c, const PostfixRecord& rec);     // LT_OP .. NE_OP
void gen_and(Compilation& c, const PostfixRecord& rec);
void gen_or(Compilation& c, const PostfixRecord& rec);
void gen_math_fun(Compilation& c, const PostfixRecord& rec);    // SQRT_FUN, SIN_FUN, ...
void gen_negate(Compilation& c, const PostfixRecord& rec);
void gen_random(Compilation& c, const PostfixRecord& rec);
void gen_length(Compilation& c, const PostfixRecord& rec);
void gen_date_fun(Compilation& c, const PostfixRecord& rec);    // DAY_FUN .. DAYOFWEEK_FUN
void gen_mod(Compilation& c, const PostfixRecord& rec);
void gen_div(Compilation& c, const PostfixRecord& rec);

// Control flow.
// The program's first instruction, "jmp start", patched when the main body begins.
void emit_start_jump(Compilation& c);
void gen_program(Compilation& c, const PostfixRecord& rec);     // WD_PROG
void gen_if(Compilation& c, const PostfixRecord& rec);
void gen_else(Compilation& c, const PostfixRecord& rec);
void gen_end_if(Compilation& c, const PostfixRecord& rec);
void gen_loop_head(Compilation& c, const PostfixRecord& rec);   // WD_WHILE, WD_FOR
void gen_do(Compilation& c, const PostfixRecord& rec);
void gen_end_loop(Compilation& c, const PostfixRecord& rec);    // END_WHILE, END_FOR
void gen_repeat(Compilation& c, const PostfixRecord& rec);
void gen_until(Compilation& c, const PostfixRecord& rec);
void gen_for_inc(Compilation& c, const PostfixRecord& rec);
void gen_goto(Compilation& c, const PostfixRecord& rec);
void gen_mark(Compilation& c, const PostfixRecord& rec);

// Procedures, calls and console statements.
void gen_proc_entry(Compilation& c, const PostfixRecord& rec);  // WD_PROC
void gen_readln(Compilation& c, const PostfixRecord& rec);      // WD_READLN, READ_ARR
void gen_write(Compilation& c, const PostfixRecord& rec);
void gen_writeln(Compilation& c, const PostfixRecord& rec);
void gen_proc_return(Compilation& c, const PostfixRecord& rec); // END_PROC
void gen_readln0(Compilation& c, const PostfixRecord& rec);
void gen_par_call(Compilation& c, const PostfixRecord& rec);
void gen_call(Compilation& c, const PostfixRecord& rec);
void gen_get_par(Compilation& c, const PostfixRecord& rec);
void gen_fun_entry(Compilation& c, const PostfixRecord& rec);   // WD_FUN
void gen_fun_return(Compilation& c, const PostfixRecord& rec);  // END_FUN
void gen_return(Compilation& c, const PostfixRecord& rec);      // WD_RETURN
void gen_call_fun(Compilation& c, const PostfixRecord& rec);
void gen_p_par_call(Compilation& c, const PostfixRecord& rec);
void gen_get_p_par(Compilation& c, const PostfixRecord& rec);
void gen_p_p_par_call(Compilation& c, const PostfixRecord& rec);

// Arrays, records, pointers and the heap.
void gen_get_arr(Compilation& c, const PostfixRecord& rec);
void gen_set_arr(Compilation& c, const PostfixRecord& rec);
void gen_index_column(Compilation& c, const PostfixRecord& rec);  // INDEX_OP
void gen_index_row(Compilation& c, const PostfixRecord& rec);     // INDEX_OP2
void gen_get_fld(Compilation& c, const PostfixRecord& rec);
void gen_set_fld(Compilation& c, const PostfixRecord& rec);
void gen_get_fld_a(Compilation& c, const PostfixRecord& rec);
void gen_set_fld_a(Compilation& c, const PostfixRecord& rec);
void gen_index_record(Compilation& c, const PostfixRecord& rec);  // INDEX_OP3
void gen_new(Compilation& c, const PostfixRecord& rec);
void gen_free(Compilation& c, const PostfixRecord& rec);
void gen_get_heap(Compilation& c, const PostfixRecord& rec);      // GET_HEAP_PROC
void gen_nil(Compilation& c, const PostfixRecord& rec);

}  // namespace tarn
