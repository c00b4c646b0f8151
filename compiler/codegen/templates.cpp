// One row per op code: the op and the template that the reader loop calls
// with the record's operands (a, b, r). Templates shared by several ops get
// the op through a small adapter; READ_ARR reads into its result temporary.
#include "codegen/templates.h"

#include <array>

#include "codegen/calls.h"
#include "codegen/control.h"
#include "codegen/expressions.h"

namespace tarn {

namespace {

template <int Op>
void arith(CodeGen& c, int a, int b, int r) {
  emit_arith(c, Op, a, b, r);
}
template <int Op>
void int_division(CodeGen& c, int a, int b, int r) {
  emit_int_division(c, Op, a, b, r);
}
template <int Op>
void comparison(CodeGen& c, int a, int b, int r) {
  emit_comparison(c, Op, a, b, r);
}
template <int Op>
void logical(CodeGen& c, int a, int b, int r) {
  emit_logical(c, Op, a, b, r);
}
template <int Op>
void math(CodeGen& c, int a, int b, int r) {
  emit_math(c, Op, a, b, r);
}
template <int Op>
void date(CodeGen& c, int a, int b, int r) {
  emit_date(c, Op, a, b, r);
}
void read_arr(CodeGen& c, int a, int b, int r) { emit_readln(c, r, a, b); }

constexpr TemplateEntry kTable[] = {
    {PLUS_OP, arith<PLUS_OP>},
    {MINUS_OP, arith<MINUS_OP>},
    {MULT_OP, arith<MULT_OP>},
    {ASIGN_OP, emit_assign},
    {DIV_OP, arith<DIV_OP>},
    {WD_PROG, emit_wd_prog},
    {WD_PROC, emit_routine_start},
    {WD_IF, emit_wd_if},
    {WD_ELSE, emit_wd_else},
    {WD_WHILE, emit_loop_head},
    {WD_DO, emit_wd_do},
    {WD_READLN, emit_readln},
    {WRITE, emit_write},
    {WD_WRITELN, emit_writeln},
    {END_PROC, emit_routine_end},
    {END_IF, emit_end_if},
    {END_WHILE, emit_end_loop},
    {WD_NOT, emit_not},
    {LT_OP, comparison<LT_OP>},
    {LTE_OP, comparison<LTE_OP>},
    {GT_OP, comparison<GT_OP>},
    {GTE_OP, comparison<GTE_OP>},
    {E_OP, comparison<E_OP>},
    {NE_OP, comparison<NE_OP>},
    {AND_OP, logical<AND_OP>},
    {OR_OP, logical<OR_OP>},
    {SQRT_FUN, math<SQRT_FUN>},
    {U_MINUS, emit_negate},
    {SIN_FUN, math<SIN_FUN>},
    {COS_FUN, math<COS_FUN>},
    {READ_ARR, read_arr},
    {WD_READLN0, emit_readln0},
    {WD_FOR, emit_loop_head},
    {END_FOR, emit_end_loop},
    {WD_REPEAT, emit_loop_head},
    {WD_UNTIL, emit_wd_until},
    {FOR_INC, emit_for_inc},
    {PAR_CALL, emit_par_call},
    {CALL, emit_call},
    {GET_PAR, emit_get_par},
    {WD_FUN, emit_routine_start},
    {END_FUN, emit_routine_end},
    {WD_RETURN, emit_return},
    {CALL_FUN, emit_call_fun},
    {ROUND_FUN, math<ROUND_FUN>},
    {ABS_FUN, math<ABS_FUN>},
    {TRUNC_FUN, math<TRUNC_FUN>},
    {RANDOM_FUN, emit_random},
    {LENGTH_FUN, emit_length},
    {ARCTG_FUN, math<ARCTG_FUN>},
    {TG_FUN, math<TG_FUN>},
    {DAY_FUN, date<DAY_FUN>},
    {MONTH_FUN, date<MONTH_FUN>},
    {YEAR_FUN, date<YEAR_FUN>},
    {TIME_FUN, date<TIME_FUN>},
    {DAYOFWEEK_FUN, date<DAYOFWEEK_FUN>},
    {MOD_OP, int_division<MOD_OP>},
    {DIV2_OP, int_division<DIV2_OP>},
    {GOTO, emit_goto},
    {MARK, emit_mark},
    {P_PAR_CALL, emit_p_par_call},
    {GET_P_PAR, emit_get_p_par},
    {P_P_PAR_CALL, emit_p_p_par_call},
};

}  // namespace

TemplateEmitter find_template(int op_code) {
  // Indexed by -op_code, built once from the table (the first row of an op wins).
  static const std::array<TemplateEmitter, 1 - kLowestOp> by_op = [] {
    std::array<TemplateEmitter, 1 - kLowestOp> table{};
    for (const TemplateEntry& e : kTable)
      if (e.op <= 0 && e.op >= kLowestOp && table[-e.op] == nullptr) table[-e.op] = e.emit;
    return table;
  }();
  if (op_code <= 0 && op_code >= kLowestOp) return by_op[-op_code];
  for (const TemplateEntry& e : kTable)
    if (e.op == op_code) return e.emit;
  return nullptr;
}

}  // namespace tarn
