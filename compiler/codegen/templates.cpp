// One row per op code of expressions, control flow, procedures and console
// statements: the op and the template that the reader loop calls with the
// record's operands (a, b, r). Only the program's entry has its code so far;
// the other rows reach a template that emits nothing yet.
#include "codegen/templates.h"

#include <iterator>

#include "codegen/control.h"

namespace tarn {

namespace {

void not_yet(Compilation&, int, int, int) {}

constexpr TemplateEntry kTable[] = {
    {PLUS_OP, not_yet},     {MINUS_OP, not_yet},   {MULT_OP, not_yet},      {ASIGN_OP, not_yet},
    {DIV_OP, not_yet},      {WD_PROG, emit_wd_prog}, {WD_PROC, not_yet},    {WD_IF, not_yet},
    {WD_ELSE, not_yet},     {WD_WHILE, not_yet},   {WD_DO, not_yet},        {WD_READLN, not_yet},
    {WRITE, not_yet},       {WD_WRITELN, not_yet}, {END_PROC, not_yet},     {END_IF, not_yet},
    {END_WHILE, not_yet},   {WD_NOT, not_yet},     {LT_OP, not_yet},        {LTE_OP, not_yet},
    {GT_OP, not_yet},       {GTE_OP, not_yet},     {E_OP, not_yet},         {NE_OP, not_yet},
    {AND_OP, not_yet},      {OR_OP, not_yet},      {SQRT_FUN, not_yet},     {U_MINUS, not_yet},
    {SIN_FUN, not_yet},     {COS_FUN, not_yet},    {READ_ARR, not_yet},     {WD_READLN0, not_yet},
    {WD_FOR, not_yet},      {END_FOR, not_yet},    {WD_REPEAT, not_yet},    {WD_UNTIL, not_yet},
    {FOR_INC, not_yet},     {PAR_CALL, not_yet},   {CALL, not_yet},         {GET_PAR, not_yet},
    {WD_FUN, not_yet},      {END_FUN, not_yet},    {WD_RETURN, not_yet},    {CALL_FUN, not_yet},
    {ROUND_FUN, not_yet},   {ABS_FUN, not_yet},    {TRUNC_FUN, not_yet},    {RANDOM_FUN, not_yet},
    {LENGTH_FUN, not_yet},  {ARCTG_FUN, not_yet},  {TG_FUN, not_yet},       {DAY_FUN, not_yet},
    {MONTH_FUN, not_yet},   {YEAR_FUN, not_yet},   {TIME_FUN, not_yet},     {DAYOFWEEK_FUN, not_yet},
    {MOD_OP, not_yet},      {DIV2_OP, not_yet},    {GOTO, not_yet},         {MARK, not_yet},
    {P_PAR_CALL, not_yet},  {GET_P_PAR, not_yet},  {P_P_PAR_CALL, not_yet},
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
