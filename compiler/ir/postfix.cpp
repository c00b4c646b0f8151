// The postfix emitter: operation table, type checks, result temporaries and
// both record formats.
//
// "postfix.tmp": four signed decimal lines per record (op, A, B, R or the
// result temporary); operands stand as their symbols' `location`, except where
// an operand is a small number (parameter ordinals, field numbers, counts,
// sizes). "postfix_.tmp": the same records with names, one line per present
// item. Both files end their lines with CR LF; names are code page 1251.
#include "ir/postfix.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>

#include "platform/platform.h"
#include "tables/symbol_fields.h"
#include "tables/symtab.h"
#include "tables/types.h"

namespace tarn {

namespace {

struct OpInfo {
  int code;
  const char* name;  // empty: written as its code in "postfix_.tmp"
  int arity;
  int result;  // 1: yields a value
};

constexpr OpInfo kOps[] = {
    {PLUS_OP, "PLUS_OP", 2, 1},        {MINUS_OP, "MINUS_OP", 2, 1},     {MULT_OP, "MULT_OP", 2, 1},
    {ASIGN_OP, "ASIGN_OP", 2, 0},      {DIV_OP, "DIV_OP", 2, 1},         {WD_PROG, "WD_PROG", 1, 0},
    {WD_PROC, "WD_PROC", 1, 0},        {WD_IF, "WD_IF", 2, 0},           {WD_ELSE, "WD_ELSE", 2, 0},
    {WD_WHILE, "WD_WHILE", 1, 0},      {WD_DO, "WD_DO", 2, 0},           {WD_READLN, "", 1, 0},
    {WRITE, "WRITE", 3, 0},            {WD_WRITELN, "", 0, 0},           {END_PROC, "END_PROC", 0, 0},
    {END_IF, "END_IF", 1, 0},          {END_WHILE, "END_WHILE", 2, 0},   {WD_NOT, "WD_NOT", 1, 1},
    {LT_OP, "LT_OP", 2, 1},            {LTE_OP, "LTE_OP", 2, 1},         {GT_OP, "GT_OP", 2, 1},
    {GTE_OP, "GTE_OP", 2, 1},          {E_OP, "E_OP", 2, 1},             {NE_OP, "NE_OP", 2, 1},
    {AND_OP, "AND_OP", 2, 1},          {OR_OP, "OR_OP", 2, 1},           {SQRT_FUN, "SQRT_FUN", 1, 1},
    {U_MINUS, "U_MINUS", 1, 1},        {SIN_FUN, "SIN_FUN", 1, 1},       {COS_FUN, "COS_FUN", 1, 1},
    {GET_ARR, "GET_ARR", 2, 1},        {SET_ARR, "SET_ARR", 3, 0},       {READ_ARR, "", 1, 1},
    {WD_READLN0, "", 0, 0},            {WD_FOR, "", 1, 0},               {END_FOR, "", 2, 0},
    {WD_REPEAT, "", 1, 0},             {WD_UNTIL, "", 2, 0},             {FOR_INC, "", 1, 0},
    {PAR_CALL, "PAR_CALL", 3, 0},      {CALL, "CALL", 2, 0},             {GET_PAR, "GET_PAR", 3, 0},
    {END_PROG, "END_PROG", 0, 0},      {WD_FUN, "WD_FUN", 1, 0},         {END_FUN, "END_FUN", 0, 0},
    {WD_RETURN, "WD_RETURN", 2, 0},    {CALL_FUN, "CALL_FUN", 2, 1},     {ROUND_FUN, "ROUND_FUN", 1, 1},
    {ABS_FUN, "ABS_FUN", 1, 1},        {TRUNC_FUN, "TRUNC_FUN", 1, 1},   {RANDOM_FUN, "RANDOM_FUN", 1, 1},
    {LENGTH_FUN, "LENGTH_FUN", 1, 1},  {POS_FUN, "POS_FUN", 2, 1},       {SUBSTR_FUN, "SUBSTR_FUN", 3, 1},
    {-79, "", 1, 1},                   {-80, "", 1, 1},                  {INDEX_OP, "INDEX_OP", 2, 1},
    {INDEX_OP2, "INDEX_OP2", 2, 1},    {RESET_FUN, "RESET_FUN", 1, 1},   {EOF_FUN, "EOF_FUN", 1, 1},
    {READSTRING_FUN, "READSTRING_FUN", 1, 1},   {CLOSE_FILE_FUN, "CLOSE_FILE_FUN", 1, 0},
    {REWRITE_FUN, "REWRITE_FUN", 1, 1},         {WRITESTRING_FUN, "WRITESTRING_FUN", 2, 2},
    {ARCTG_FUN, "ARCTG_FUN", 1, 1},    {TG_FUN, "TG_FUN", 1, 1},
    {DAY_FUN, "DAY_FUN", 0, 1},        {MONTH_FUN, "MONTH_FUN", 0, 1},   {YEAR_FUN, "YEAR_FUN", 0, 1},
    {TIME_FUN, "TIME_FUN", 0, 1},      {DAYOFWEEK_FUN, "DAYOFWEEK_FUN", 0, 1},
    {MOD_OP, "MOD_OP", 2, 1},          {DIV2_OP, "DIV2_OP", 2, 1},       {GOTO, "GOTO", 1, 0},
    {MARK, "MARK", 1, 0},              {P_PAR_CALL, "P_PAR_CALL", 3, 0}, {GET_P_PAR, "GET_P_PAR", 3, 0},
    {GET_FLD, "GET_FLD", 2, 1},        {SET_FLD, "SET_FLD", 3, 0},       {GET_FLD_A, "GET_FLD_A", 2, 1},
    {SET_FLD_A, "SET_FLD_A", 3, 0},    {INDEX_OP3, "INDEX_OP3", 3, 0},   {WD_NEW, "WD_NEW", 2, 0},
    {WD_FREE, "WD_FREE", 1, 0},        {GET_HEAP_PROC, "GET_HEAP_PROC", 0, 0},
    {WD_NIL, "WD_NIL", 0, 1},          {P_P_PAR_CALL, "P_P_PAR_CALL", 3, 0},
};

bool is_int(TypeNumber type) { return type == TypeNumber::kInteger || type == TypeNumber::kIntegerLiteral; }
bool is_float(TypeNumber type) { return type == TypeNumber::kFloat || type == TypeNumber::kFloatLiteral; }
bool is_string(TypeNumber type) { return type == TypeNumber::kString || type == TypeNumber::kStringLiteral; }

bool is_comparison(int op) { return op <= LT_OP && op >= NE_OP; }

// A is written as a plain number where it is an ordinal, a field number or
// the variable's own position.
bool plain_a(int op) {
  switch (op) {
    case GET_PAR: case PAR_CALL: case GET_P_PAR: case P_PAR_CALL: case SET_FLD: case SET_FLD_A:
    case GET_FLD: case GET_FLD_A:
      return true;
    default:
      return false;
  }
}

struct Operands {
  int a = 0, b = 0, r = 0;
};

void check_types(PostfixContext& c, int op, const Operands& o) {
  const SymbolTable& t = c.sym;
  auto type = [&](int position) { return position > 0 ? sym_at(t, position).symboltype : TypeNumber::kNone; };
  auto cls = [&](int position) { return position > 0 ? sym_at(t, position).symbolclass : SymbolClass::kNone; };
  const TypeNumber ta = type(o.a), tb = type(o.b), tr = type(o.r);
  switch (op) {
    case ASIGN_OP: {
      bool ok = true;
      if (ta == TypeNumber::kInteger) ok = is_int(tb);
      else if (ta == TypeNumber::kFloat) ok = is_int(tb) || is_float(tb);
      else if (ta == TypeNumber::kString) ok = is_string(tb);
      else if (ta == TypeNumber::kText) ok = tb == TypeNumber::kText;
      if (!ok) report_error(c.errors, ErrorCode::kTypeMismatch);
      if (cls(o.a) == SymbolClass::kPointer && cls(o.b) == SymbolClass::kPointer &&
          record_type(sym_at(t, o.a)) != record_type(sym_at(t, o.b)))
        report_error(c.errors, ErrorCode::kTypeMismatch);
      break;
    }
    case WD_RETURN: {
      const TTblFun* f = find_signature(t, o.a);
      TypeNumber result = f ? f->result_type : ta;
      // A string literal is a string function's value as much as an integer
      // literal is an integer function's.
      bool ok = tb == result || (result == TypeNumber::kInteger && tb == TypeNumber::kIntegerLiteral) ||
                (result == TypeNumber::kFloat && tb == TypeNumber::kFloatLiteral) ||
                (result == TypeNumber::kString && tb == TypeNumber::kStringLiteral);
      if (!ok) report_error(c.errors, ErrorCode::kTypeMismatch);
      break;
    }
    case GET_ARR:
      if (!is_int(tb)) report_error(c.errors, ErrorCode::kIndexNotInteger);
      break;
    case SET_ARR: {
      if (!is_int(ta)) report_error(c.errors, ErrorCode::kIndexNotInteger);
      bool ok = true;
      if (tr == TypeNumber::kInteger) ok = is_int(tb);
      else if (tr == TypeNumber::kFloat) ok = is_int(tb) || is_float(tb);
      else if (tr == TypeNumber::kString) ok = is_string(tb);
      else ok = false;
      if (!ok) report_error(c.errors, ErrorCode::kTypeMismatch);
      break;
    }
    case PAR_CALL: {
      const TTblFun* f = find_signature(t, o.b);
      TypeNumber formal = f ? param_type(*f, o.a) : TypeNumber::kNone;
      bool ok = true;
      if (formal == TypeNumber::kInteger) ok = is_int(tr);
      else if (formal == TypeNumber::kFloat) ok = is_float(tr);
      else if (formal == TypeNumber::kString) ok = is_string(tr);
      else if (const TTypeDesc* d = type_by_number(c.types, formal)) {
        if (d->kind == kKindPointer) {
          ok = tr == TypeNumber::kPointer;
        } else if (d->kind == kKindArray && o.r > 0) {
          // Arrays of records are told apart by their record type, arrays
          // of simple elements by their element type (element_number).
          const TSymbolbableRecord& actual = sym_at(t, o.r);
          ok = actual.symbolclass == SymbolClass::kArray && element_number(actual) == d->attr1;
        }
      }
      if (!ok) report_error(c.errors, ErrorCode::kIncompatibleActual);
      break;
    }
    case P_PAR_CALL: {
      const TTblFun* f = find_signature(t, o.b);
      const TTypeDesc* d = f ? type_by_number(c.types, param_type(*f, o.a)) : nullptr;
      if (o.r <= 0 || d == nullptr || record_type(sym_at(t, o.r)) != d->attr1)
        report_error(c.errors, ErrorCode::kIncompatibleActual);
      break;
    }
    case MOD_OP:
    case DIV2_OP:
      if (!is_int(ta) || !is_int(tb)) report_error(c.errors, ErrorCode::kTypeMismatch);
      break;
    case INDEX_OP2:
      if (!is_int(ta)) report_error(c.errors, ErrorCode::kIndexNotInteger);
      break;
    case INDEX_OP:
      if (!is_int(tb)) report_error(c.errors, ErrorCode::kIndexNotInteger);
      break;
    case LENGTH_FUN:
      if (!is_string(ta)) report_error(c.errors, ErrorCode::kIncompatibleActual);
      break;
    default:
      break;
  }
  if (op == PLUS_OP || is_comparison(op)) {
    if ((is_string(ta) || is_string(tb)) && o.b != 0 && !(is_string(ta) && is_string(tb)))
      report_error(c.errors, ErrorCode::kOperandsMustBeStrings);
    if ((ta == TypeNumber::kPointer || tb == TypeNumber::kPointer) && op != E_OP && op != NE_OP)
      report_error(c.errors, ErrorCode::kBadPointerComparison);
  }
}

TypeNumber value_type(TypeNumber type) {
  if (type == TypeNumber::kIntegerLiteral) return TypeNumber::kInteger;
  if (type == TypeNumber::kFloatLiteral) return TypeNumber::kFloat;
  return type;
}

// The type of an operation's result temporary, and for strings its capacity.
void result_type(const PostfixContext& c, int op, const Operands& o, TypeNumber& type, int& capacity) {
  const SymbolTable& t = c.sym;
  auto ty = [&](int position) { return position > 0 ? sym_at(t, position).symboltype : TypeNumber::kNone; };
  const TypeNumber ta = ty(o.a), tb = ty(o.b);
  capacity = 0;
  if (o.a > 0 && sym_at(t, o.a).symbolclass == SymbolClass::kFunction) {
    const TTblFun* f = find_signature(t, o.a);
    type = f ? f->result_type : ta;
    capacity = 128;
    return;
  }
  switch (op) {
    case PLUS_OP: case MINUS_OP: case MULT_OP: case DIV_OP:
      type = op == DIV_OP || is_float(ta) || is_float(tb) ? TypeNumber::kFloat : TypeNumber::kInteger;
      if (is_string(ta) || is_string(tb)) type = TypeNumber::kString;
      break;
    case GET_FLD:
    case GET_FLD_A: {
      const TField* f = o.a > 0 ? field_of(c.types, record_type(sym_at(t, o.a)), o.b) : nullptr;
      type = f ? f->type : TypeNumber::kNone;
      capacity = f && f->length >= 2 ? f->length - 2 : 0;
      return;
    }
    case SQRT_FUN: case SIN_FUN: case COS_FUN: case ARCTG_FUN: case TG_FUN:
      type = TypeNumber::kFloat;
      break;
    case U_MINUS:
      type = is_float(ta) ? TypeNumber::kFloat : TypeNumber::kInteger;
      break;
    case ABS_FUN:
      // A temporary is a variable: an absolute literal value is still a number.
      type = value_type(ta);
      break;
    case GET_ARR:
    case READ_ARR:
      type = ta;
      break;
    case WD_NIL:
      type = TypeNumber::kPointer;
      break;
    case POS_FUN: case EOF_FUN: type = TypeNumber::kInteger; break;
    case SUBSTR_FUN: case READSTRING_FUN: type = TypeNumber::kString; break;
    case RESET_FUN: case REWRITE_FUN: type = TypeNumber::kText; break;
    default:
      type = TypeNumber::kInteger;
      break;
  }
  if (type == TypeNumber::kString) {
    int sum = 0;
    for (int p : {o.a, o.b})
      if (p > 0 && is_string(ty(p))) sum += tarn::capacity(sym_at(t, p));
    capacity = sum < 127 ? sum + 1 : 128;
  }
}

// The name of an operation in "postfix_.tmp", by -code; empty for those
// written as codes.
constexpr std::array<std::string_view, 1 - kLowestOp> kOperationNames = [] {
  std::array<std::string_view, 1 - kLowestOp> names{};
  for (const OpInfo& op : kOps) names[static_cast<size_t>(-op.code)] = op.name;
  return names;
}();

// The room a line of a record takes at most, but for a symbol's name.
constexpr size_t kLineRoom = 24;

// One line of a postfix file, written at `out`: a number or a text, and CR LF.
char* end_line(char* out) {
  out[0] = '\r';
  out[1] = '\n';
  return out + 2;
}

char* put_line(char* out, int value) {
  uint32_t u = static_cast<uint32_t>(value);
  if (value < 0) {
    *out++ = '-';
    u = 0u - u;
  }
  if (u < 10) {
    *out++ = static_cast<char>('0' + u);
  } else if (u < 100) {
    out[0] = static_cast<char>('0' + u / 10);
    out[1] = static_cast<char>('0' + u % 10);
    out += 2;
  } else if (u < 1000) {
    out[0] = static_cast<char>('0' + u / 100);
    out[1] = static_cast<char>('0' + u / 10 % 10);
    out[2] = static_cast<char>('0' + u % 10);
    out += 3;
  } else {
    out = std::to_chars(out, out + 10, u).ptr;
  }
  return end_line(out);
}

char* put_line(char* out, std::string_view text) {
  std::memcpy(out, text.data(), text.size());
  return end_line(out + text.size());
}

// An operand in "postfix_.tmp": small values as numbers, others by name.
bool named_operand(int value) { return value >= 26; }

char* put_readable_operand(const PostfixContext& c, char* out, int value) {
  if (named_operand(value)) return put_line(out, sym_at(c.sym, value).name);
  return put_line(out, value);
}

int location_of(const PostfixContext& c, int position) {
  return position > 0 && position <= c.sym.count ? sym_at(c.sym, position).location : position;
}

void write_record(PostfixContext& c, int op, const Operands& o, int temporary) {
  PostfixState& p = c.post;
  int a = o.a == 0 ? 0 : plain_a(op) ? o.a : location_of(c, o.a);
  int b = o.b == 0 ? 0 : (o.b < 26 || op == WD_NEW) ? o.b : location_of(c, o.b);
  int r = o.r != 0 ? location_of(c, o.r) : temporary != 0 ? location_of(c, temporary) : 0;
  char* out = p.numeric.room(4 * kLineRoom);
  for (int v : {op, a, b, r}) out = put_line(out, v);
  p.numeric.commit(out);

  // The operation and up to three operands; names need their own room.
  const int result = o.r != 0 ? o.r : temporary;
  size_t room = 4 * kLineRoom;
  if (o.a != 0 && named_operand(o.a)) room += sym_at(c.sym, o.a).name.size();
  if (o.b != 0 && op != WD_NEW && named_operand(o.b)) room += sym_at(c.sym, o.b).name.size();
  if (result != 0) room += sym_at(c.sym, result).name.size();
  out = p.readable.room(room);
  const std::string_view name = operation_name(op);
  out = name.empty() ? put_line(out, op) : put_line(out, name);
  if (o.a != 0) out = put_readable_operand(c, out, o.a);
  if (o.b != 0) out = op == WD_NEW ? put_line(out, o.b) : put_readable_operand(c, out, o.b);
  if (result != 0) out = put_line(out, sym_at(c.sym, result).name);
  p.readable.commit(out);
}

// prefix + n, made in one piece: the names of temporaries and labels are
// short enough to need no allocation.
std::string numbered(std::string_view prefix, int n) {
  char text[32];
  std::memcpy(text, prefix.data(), prefix.size());
  char* end = std::to_chars(text + prefix.size(), text + sizeof text, n).ptr;
  return std::string(text, static_cast<size_t>(end - text));
}

void write_work_file(const std::string& work_folder, const char* name, const GrowingText& text) {
  const std::string path = work_folder + name;
  if (!platform::write_file(path, text.text())) throw FileError(FileFailure::kWorkFile, path, platform::last_error());
}

void create_work_file(const std::string& work_folder, const char* name) {
  const std::string path = work_folder + name;
  if (!platform::create_file(path)) throw FileError(FileFailure::kWorkFile, path, platform::last_error());
}

}  // namespace

std::string_view operation_name(int code) {
  return code <= 0 && code >= kLowestOp ? kOperationNames[static_cast<size_t>(-code)] : std::string_view();
}

void build_operation_table(PostfixState& p) {
  p.arity.fill(0);
  p.result_flag.fill(0);
  for (const OpInfo& op : kOps) {
    p.arity[-op.code] = op.arity;
    p.result_flag[-op.code] = op.result;
  }
}

void open_postfix_files(PostfixState& p, const std::string& work_folder) {
  p.numeric.clear();
  p.readable.clear();
  // Room for a long program's records, so that they are rarely copied while
  // they grow.
  p.numeric.room(64 * 1024);
  p.readable.room(64 * 1024);
  // Created here so that a work folder that cannot be written stops the
  // compile before the source is read; their bytes are written on closing.
  create_work_file(work_folder, "postfix_.tmp");
  create_work_file(work_folder, "postfix.tmp");
  p.open = true;
}

void close_postfix_files(PostfixState& p, const std::string& work_folder) {
  if (!p.open) return;
  p.open = false;
  write_work_file(work_folder, "postfix_.tmp", p.readable);
  write_work_file(work_folder, "postfix.tmp", p.numeric);
}

void emit_postfix(PostfixContext& c, int value) {
  if (value == 0) return;
  if (value > 0) {
    push_operand(c, value);
    return;
  }
  if (value == EMPTY_OPERAND) {
    push_operand(c, 0);
    return;
  }
  const int op = value;
  const bool known = op >= kLowestOp;
  const int arity = known ? c.post.arity[-op] : 0;
  Operands o;
  if (arity == 1) {
    o.a = pop_operand(c);
  } else if (arity == 2) {
    o.b = pop_operand(c);
    o.a = pop_operand(c);
  } else if (arity == 3) {
    o.b = pop_operand(c);
    o.a = pop_operand(c);
    o.r = pop_operand(c);
  }
  check_types(c, op, o);
  int temporary = 0;
  if (known && c.post.result_flag[-op] == 1) {
    TypeNumber type = TypeNumber::kNone;
    int capacity = 0;
    result_type(c, op, o, type, capacity);
    temporary = declare_temporary(c.sym, c.errors, c.owner, numbered("_t", c.post.temporary_counter++), type);
    if (type == TypeNumber::kString) set_capacity(sym_at(c.sym, temporary), capacity);
  }
  write_record(c, op, o, temporary);
  if (temporary != 0) push_operand(c, temporary);
}

int new_sys_label(PostfixContext& c) {
  return declare_label(c.sym, c.errors, c.owner, numbered("_sys", c.post.label_counter++));
}

int push_operand(PostfixContext& c, int value) {
  PostfixState& t = c.post;
  if (t.operand_pointer >= kOperandStackCapacity)
    report_error(c.errors, ErrorCode::kInternal, "Stack_put: stack overflow");
  t.operands[t.operand_pointer++] = value;
  return t.operand_pointer;
}

int pop_operand(PostfixContext& c) {
  PostfixState& t = c.post;
  if (t.operand_pointer <= 0) report_error(c.errors, ErrorCode::kInternal, "Stack_get: stack is empty");
  int value = t.operands[--t.operand_pointer];
  t.operands[t.operand_pointer] = 0;
  return value;
}

}  // namespace tarn
