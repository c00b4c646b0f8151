// The postfix operation codes and the table that maps each code to its
// instruction template. The reader loop calls the template of a record's op
// with the record's three operand values exactly as read from "postfix.tmp":
//     if (TemplateEmitter e = find_template(op)) e(c, a, b, r);
// A code without a template here emits nothing (the array, record and heap
// operations have their own table).
#pragma once

namespace tarn {

struct Compilation;

namespace op {
constexpr int PLUS_OP = -1;
constexpr int MINUS_OP = -2;
constexpr int MULT_OP = -3;
constexpr int ASIGN_OP = -4;
constexpr int DIV_OP = -6;
constexpr int WD_PROG = -10;
constexpr int WD_PROC = -11;
constexpr int WD_IF = -14;
constexpr int WD_ELSE = -16;
constexpr int WD_WHILE = -17;
constexpr int WD_DO = -18;
constexpr int WD_READLN = -21;
constexpr int WRITE = -22;
constexpr int WD_WRITELN = -23;
constexpr int END_PROC = -24;
constexpr int END_IF = -25;
constexpr int END_WHILE = -26;
constexpr int WD_NOT = -29;
constexpr int LT_OP = -34;
constexpr int LTE_OP = -35;
constexpr int GT_OP = -36;
constexpr int GTE_OP = -37;
constexpr int E_OP = -38;
constexpr int NE_OP = -39;
constexpr int AND_OP = -40;
constexpr int OR_OP = -41;
constexpr int SQRT_FUN = -44;
constexpr int U_MINUS = -45;
constexpr int SIN_FUN = -46;
constexpr int COS_FUN = -47;
constexpr int READ_ARR = -54;
constexpr int WD_READLN0 = -55;
constexpr int WD_FOR = -56;
constexpr int END_FOR = -58;
constexpr int WD_REPEAT = -59;
constexpr int WD_UNTIL = -60;
constexpr int FOR_INC = -61;
constexpr int PAR_CALL = -63;
constexpr int CALL = -64;
constexpr int GET_PAR = -65;
constexpr int END_PROG = -66;
constexpr int WD_FUN = -67;
constexpr int END_FUN = -68;
constexpr int WD_RETURN = -69;
constexpr int CALL_FUN = -70;
constexpr int ROUND_FUN = -71;
constexpr int ABS_FUN = -72;
constexpr int TRUNC_FUN = -73;
constexpr int RANDOM_FUN = -74;
constexpr int LENGTH_FUN = -76;
constexpr int ARCTG_FUN = -97;
constexpr int TG_FUN = -98;
constexpr int DAY_FUN = -99;
constexpr int MONTH_FUN = -100;
constexpr int YEAR_FUN = -101;
constexpr int TIME_FUN = -102;
constexpr int DAYOFWEEK_FUN = -103;
constexpr int MOD_OP = -105;
constexpr int DIV2_OP = -106;
constexpr int GOTO = -108;
constexpr int MARK = -109;
constexpr int P_PAR_CALL = -112;
constexpr int GET_P_PAR = -113;
constexpr int P_P_PAR_CALL = -125;
}  // namespace op

using TemplateEmitter = void (*)(Compilation& c, int a, int b, int r);

struct TemplateEntry {
  int op;
  TemplateEmitter emit;
};

// The template of an op code, or nullptr when it has none here.
TemplateEmitter find_template(int op_code);

// Every entry, for the dispatcher's own table and for tests.
const TemplateEntry* template_table(int& count);

}  // namespace tarn
