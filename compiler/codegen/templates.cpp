// One row per op code: the op and the template that the reader loop calls
// with the record's operands (a, b, r). Templates shared by several ops get
// the op through a small adapter; READ_ARR reads into its result temporary.
#include "codegen/templates.h"

#include <iterator>

#include "codegen/calls.h"
#include "codegen/control.h"
#include "codegen/expressions.h"

namespace tarn {

namespace {

template <int Op>
void arith(Compilation& c, int a, int b, int r) {
  emit_arith(c, Op, a, b, r);
}
template <int Op>
void int_division(Compilation& c, int a, int b, int r) {
  emit_int_division(c, Op, a, b, r);
}
template <int Op>
void comparison(Compilation& c, int a, int b, int r) {
  emit_comparison(c, Op, a, b, r);
}
template <int Op>
void logical(Compilation& c, int a, int b, int r) {
  emit_logical(c, Op, a, b, r);
}
template <int Op>
void math(Compilation& c, int a, int b, int r) {
  emit_math(c, Op, a, b, r);
}
template <int Op>
void date(Compilation& c, int a, int b, int r) {
  emit_date(c, Op, a, b, r);
}
void read_arr(Compilation& c, int a, int b, int r) { emit_readln(c, r, a, b); }

constexpr TemplateEntry kTable[] = {
    {op::PLUS_OP, arith<op::PLUS_OP>},
    {op::MINUS_OP, arith<op::MINUS_OP>},
    {op::MULT_OP, arith<op::MULT_OP>},
    {op::ASIGN_OP, emit_assign},
    {op::DIV_OP, arith<op::DIV_OP>},
    {op::WD_PROG, emit_wd_prog},
    {op::WD_PROC, emit_routine_start},
    {op::WD_IF, emit_wd_if},
    {op::WD_ELSE, emit_wd_else},
    {op::WD_WHILE, emit_loop_head},
    {op::WD_DO, emit_wd_do},
    {op::WD_READLN, emit_readln},
    {op::WRITE, emit_write},
    {op::WD_WRITELN, emit_writeln},
    {op::END_PROC, emit_routine_end},
    {op::END_IF, emit_end_if},
    {op::END_WHILE, emit_end_loop},
    {op::WD_NOT, emit_not},
    {op::LT_OP, comparison<op::LT_OP>},
    {op::LTE_OP, comparison<op::LTE_OP>},
    {op::GT_OP, comparison<op::GT_OP>},
    {op::GTE_OP, comparison<op::GTE_OP>},
    {op::E_OP, comparison<op::E_OP>},
    {op::NE_OP, comparison<op::NE_OP>},
    {op::AND_OP, logical<op::AND_OP>},
    {op::OR_OP, logical<op::OR_OP>},
    {op::SQRT_FUN, math<op::SQRT_FUN>},
    {op::U_MINUS, emit_negate},
    {op::SIN_FUN, math<op::SIN_FUN>},
    {op::COS_FUN, math<op::COS_FUN>},
    {op::READ_ARR, read_arr},
    {op::WD_READLN0, emit_readln0},
    {op::WD_FOR, emit_loop_head},
    {op::END_FOR, emit_end_loop},
    {op::WD_REPEAT, emit_loop_head},
    {op::WD_UNTIL, emit_wd_until},
    {op::FOR_INC, emit_for_inc},
    {op::PAR_CALL, emit_par_call},
    {op::CALL, emit_call},
    {op::GET_PAR, emit_get_par},
    {op::WD_FUN, emit_routine_start},
    {op::END_FUN, emit_routine_end},
    {op::WD_RETURN, emit_return},
    {op::CALL_FUN, emit_call_fun},
    {op::ROUND_FUN, math<op::ROUND_FUN>},
    {op::ABS_FUN, math<op::ABS_FUN>},
    {op::TRUNC_FUN, math<op::TRUNC_FUN>},
    {op::RANDOM_FUN, emit_random},
    {op::LENGTH_FUN, emit_length},
    {op::ARCTG_FUN, math<op::ARCTG_FUN>},
    {op::TG_FUN, math<op::TG_FUN>},
    {op::DAY_FUN, date<op::DAY_FUN>},
    {op::MONTH_FUN, date<op::MONTH_FUN>},
    {op::YEAR_FUN, date<op::YEAR_FUN>},
    {op::TIME_FUN, date<op::TIME_FUN>},
    {op::DAYOFWEEK_FUN, date<op::DAYOFWEEK_FUN>},
    {op::MOD_OP, int_division<op::MOD_OP>},
    {op::DIV2_OP, int_division<op::DIV2_OP>},
    {op::GOTO, emit_goto},
    {op::MARK, emit_mark},
    {op::P_PAR_CALL, emit_p_par_call},
    {op::GET_P_PAR, emit_get_p_par},
    {op::P_P_PAR_CALL, emit_p_p_par_call},
};

}  // namespace

TemplateEmitter find_template(int op_code) {
  for (const TemplateEntry& e : kTable)
    if (e.op == op_code) return e.emit;
  return nullptr;
}

const TemplateEntry* template_table(int& count) {
  count = static_cast<int>(std::size(kTable));
  return kTable;
}

}  // namespace tarn
