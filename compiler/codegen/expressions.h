// Templates of assignment, arithmetic, comparison, logic and the built-in
// functions. Each takes the record's operands as postfix values (symbol
// numbers): a and b the operands, r the result temporary; each loads what it
// needs, computes, and leaves the result in r's data item. No register value
// survives from one template to the next.
#pragma once

namespace tarn {

struct CodeGen;

void emit_assign(CodeGen& c, int a, int b, int r);
// PLUS_OP, MINUS_OP, MULT_OP (by r's type: integer, float or concatenation), DIV_OP.
void emit_arith(CodeGen& c, int op, int a, int b, int r);
// DIV2_OP and MOD_OP through the x87 with truncation.
void emit_int_division(CodeGen& c, int op, int a, int b, int r);
// E_OP .. LTE_OP.
void emit_comparison(CodeGen& c, int op, int a, int b, int r);
// AND_OP, OR_OP.
void emit_logical(CodeGen& c, int op, int a, int b, int r);
void emit_not(CodeGen& c, int a, int b, int r);
void emit_negate(CodeGen& c, int a, int b, int r);
// SQRT_FUN, SIN_FUN, COS_FUN, TG_FUN, ARCTG_FUN, ABS_FUN, ROUND_FUN, TRUNC_FUN.
void emit_math(CodeGen& c, int op, int a, int b, int r);
void emit_random(CodeGen& c, int a, int b, int r);
void emit_length(CodeGen& c, int a, int b, int r);
// DAY_FUN, MONTH_FUN, YEAR_FUN, TIME_FUN, DAYOFWEEK_FUN.
void emit_date(CodeGen& c, int op, int a, int b, int r);

}  // namespace tarn
