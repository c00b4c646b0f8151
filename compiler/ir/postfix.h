// The postfix emitter and the two postfix files.
//
// The parser feeds one entry point, emit_postfix(), with symbol positions
// (operands) and negative operation codes in postfix order. Operands wait on
// the emitter's operand stack; an operation pops its operands, checks their
// types, makes a result temporary "_t<n>" when it yields a value, and appends
// one record to "postfix.tmp" (four numbers, read by the generator) and to
// "postfix_.tmp" (names, for people). The temporary is pushed in its turn.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "base/diagnostics.h"
#include "common/growing_array.h"
#include "tables/symtab.h"
#include "tables/types.h"

namespace tarn {

// Operation codes the parser writes (the sign and keyword codes of the lexer
// where both exist).
enum PostfixOp {
  PLUS_OP = -1, MINUS_OP = -2, MULT_OP = -3, ASIGN_OP = -4, DIV_OP = -6, WD_PROG = -10, WD_PROC = -11,
  WD_IF = -14, WD_ELSE = -16, WD_WHILE = -17, WD_DO = -18, WD_READLN = -21, WRITE = -22, WD_WRITELN = -23,
  END_PROC = -24, END_IF = -25, END_WHILE = -26, WD_NOT = -29, LT_OP = -34, LTE_OP = -35, GT_OP = -36,
  GTE_OP = -37, E_OP = -38, NE_OP = -39, AND_OP = -40, OR_OP = -41, SQRT_FUN = -44, U_MINUS = -45,
  SIN_FUN = -46, COS_FUN = -47, GET_ARR = -50, SET_ARR = -51, READ_ARR = -54, WD_READLN0 = -55, WD_FOR = -56,
  END_FOR = -58, WD_REPEAT = -59, WD_UNTIL = -60, FOR_INC = -61, PAR_CALL = -63, CALL = -64, GET_PAR = -65,
  END_PROG = -66, WD_FUN = -67, END_FUN = -68, WD_RETURN = -69, CALL_FUN = -70, ROUND_FUN = -71,
  ABS_FUN = -72, TRUNC_FUN = -73, RANDOM_FUN = -74, LENGTH_FUN = -76, POS_FUN = -77, SUBSTR_FUN = -78,
  EMPTY_OPERAND = -81, INDEX_OP = -82, INDEX_OP2 = -83, RESET_FUN = -84, EOF_FUN = -85, READSTRING_FUN = -86,
  CLOSE_FILE_FUN = -87, REWRITE_FUN = -88, WRITESTRING_FUN = -90, ARCTG_FUN = -97, TG_FUN = -98, DAY_FUN = -99,
  MONTH_FUN = -100, YEAR_FUN = -101, TIME_FUN = -102, DAYOFWEEK_FUN = -103, MOD_OP = -105, DIV2_OP = -106, GOTO = -108, MARK = -109,
  P_PAR_CALL = -112, GET_P_PAR = -113, GET_FLD = -114, SET_FLD = -115, GET_FLD_A = -116, SET_FLD_A = -117,
  INDEX_OP3 = -118, WD_NEW = -121, WD_FREE = -122, GET_HEAP_PROC = -123, WD_NIL = -124, P_P_PAR_CALL = -125,
};

constexpr int kLowestOp = -125;

constexpr int kOperandStackCapacity = 50;

// A work file's text while it grows: records are written straight into its
// buffer, without a check and a copy per piece.
class GrowingText {
 public:
  // Room for `n` more bytes at the end: write them there, then commit the end.
  char* room(size_t n) {
    buffer_.reserve(size_, size_ + n);
    return buffer_.data.get() + size_;
  }
  void commit(const char* end) { size_ = static_cast<size_t>(end - buffer_.data.get()); }
  void clear() { size_ = 0; }
  std::string_view text() const { return {buffer_.data.get(), size_}; }

 private:
  GrowingArray<char> buffer_;
  size_t size_ = 0;
};

struct PostfixState {
  // Indexed by -code: operands popped, and 1 when the operation yields a value.
  std::array<int, 126> arity{};
  std::array<int, 126> result_flag{};
  int temporary_counter = 0;  // "_t" + n
  int label_counter = 0;      // "_sys" + n
  GrowingText numeric;        // "postfix.tmp" so far
  GrowingText readable;       // "postfix_.tmp" so far
  bool open = false;
  std::array<int, kOperandStackCapacity> operands{};  // the emitter's operand stack
  int operand_pointer = 0;  // 0 = empty
};

}  // namespace tarn

namespace tarn {

// What the postfix emitter works on: the tables it checks operands against
// and enters temporaries and labels in, its own state, the report, and the
// routine whose statements are being read (temporaries and labels belong to
// it; the front end keeps it up to date).
struct PostfixContext {
  SymbolTable& sym;
  TypeTable& types;
  PostfixState& post;
  ErrorReporter& errors;
  const int& owner;
};

void build_operation_table(PostfixState& p);
// "postfix.tmp" and "postfix_.tmp" in the work folder (which ends with a
// separator), created empty.
void open_postfix_files(PostfixState& p, const std::string& work_folder);
// Writes what was emitted so far (also after an error, for inspection).
void close_postfix_files(PostfixState& p, const std::string& work_folder);

// 0: ignored; positive: push the symbol position; -81: push an empty operand;
// other codes: perform the operation.
void emit_postfix(PostfixContext& c, int value);

// A new jump label "_sys<n>" (class 6); its position.
int new_sys_label(PostfixContext& c);

// The name of an operation in "postfix_.tmp"; empty for those written as codes.
std::string_view operation_name(int code);

// Operand stack of the postfix emitter: error 0 on overflow or when empty.
int push_operand(PostfixContext& c, int value);
int pop_operand(PostfixContext& c);

}  // namespace tarn
