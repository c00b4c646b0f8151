// Expression and assignment templates.
// Input: one postfix record's operands (symbol numbers). Output: instructions
// appended at the image's write position, each listed with its address,
// bytes and assembly text. The short jumps inside a template carry fixed
// 8-bit displacements; the labels e1, e2 ... exist only in the listing text.
#include "codegen/expressions.h"

#include <string>

#include "codegen/code_gen.h"
#include "codegen/generator.h"
#include "codegen/operands.h"
#include "codegen/templates.h"

namespace tarn {

namespace {

// ---- assignment ----------------------------------------------------------

// A := B for strings: copies at most A's capacity and always terminates.
void assign_string(CodeGen& c, int a, int b) {
  lea_esi(c, b, "lea esi,  " + name_of(c, b));
  lea_edi(c, a, "lea edi,  " + name_of(c, a));
  const int cap = symbol_entry(c, a).tag;
  emit(c, "mov ecx, " + std::to_string(cap), "b9", HexText(cap, 8));
  emit(c, "xor edx, edx", "31d2");
  emit(c, "inc ecx", "41");
  emit(c, "e1: dec ecx", "49");
  if (!is_reference(c, a)) {
    emit(c, "jz e2", "740f");
  } else {
    // A `var` string formal carries the formal's capacity (128), not that of
    // the caller's variable, so the copy also stops where the caller's buffer
    // ends: at the 0 byte followed by the sentinel 9 that every string buffer
    // has right after its last character position.
    emit(c, "jz e2", "741c");
    emit(c, "cmp byte ptr[edi+edx], $0", "803c3a00");
    emit(c, "jnz e3", "7507");
    emit(c, "cmp byte ptr[edi+edx+1], $9", "807c3a0109");
    emit(c, "je e2", "740f");
  }
  emit(c, is_reference(c, a) ? "e3: cmp byte ptr[esi+edx], $0" : "cmp byte ptr[esi+edx], $0", "803c3200");
  emit(c, "jz e2", "7409");
  emit(c, "mov al, byte ptr[esi+edx]", "8a0432");
  emit(c, "mov byte ptr[edi+edx], al", "88043a");
  emit(c, "inc edx", "42");
  emit(c, "jmp e1", is_reference(c, a) ? "ebe1" : "ebee");
  emit(c, "e2: mov byte ptr[edi+edx], $0", "c6043a00");
}

// A text-file variable is three dwords.
void assign_text(CodeGen& c, int a, int b) {
  lea_esi(c, b, "lea esi,  " + name_of(c, b));
  lea_edi(c, a, "lea edi,  " + name_of(c, a));
  emit(c, "xor edx, edx", "31d2");
  emit(c, "mov cx, 3", "66b90300");
  emit(c, "a1: mov eax, [esi+edx]", "8b0432");
  emit(c, "mov [edi+edx], eax", "89043a");
  emit(c, "add edx, 4", "83c204");
  emit(c, "dec cx", "6649");
  emit(c, "jz a1", "75f3");
}

void assign_pointer(CodeGen& c, int a, int b) {
  if (is_reference(c, b)) {
    emit_at(c, "mov edx , " + name_of(c, b), "8b15", addr_value(c, b));
    emit(c, "mov eax, [edx]", "8b02");
  } else {
    emit_at(c, "mov eax, " + name_of(c, b), "a1", addr_value(c, b));
  }
  if (is_reference(c, a)) {
    emit_at(c, "mov edx , " + name_of(c, a), "8b15", addr_value(c, a));
    emit(c, "mov [edx], eax", "8902");
  } else {
    emit_at(c, "mov " + name_of(c, a) + ", eax", "a3", addr_value(c, a));
  }
}

// ---- arithmetic ----------------------------------------------------------

void integer_arith(CodeGen& c, int op_code, int a, int b, int r) {
  load_eax(c, a, "mov eax, " + name_of(c, a));
  if (op_code == PLUS_OP) {
    memory_op(c, "add eax, " + name_of(c, b), "0305", b);
  } else if (op_code == MINUS_OP) {
    memory_op(c, "sub eax, " + name_of(c, b), "2b05", b);
  } else {
    load_ebx(c, b, "mov ebx, " + name_of(c, b));
    emit(c, "mul bx", "f7e3");
  }
  store_eax(c, r, "mov " + name_of(c, r) + ", eax");
}

void float_arith(CodeGen& c, int op_code, int a, int b, int r) {
  x87_load(c, a);
  x87_load(c, b);
  switch (op_code) {
    case PLUS_OP: emit(c, "fadd", "dec1"); break;
    case MINUS_OP: emit(c, "fsub", "dee9"); break;
    case MULT_OP: emit(c, "fmul", "dec9"); break;
    default: emit(c, "fdiv", "def9"); break;
  }
  memory_op(c, "fstp " + name_of(c, r), "d91d", r);
}

// R := A + B for strings: A copied whole, then B appended until the byte after
// the next write position is the sentinel 9 that ends R's buffer.
void concatenate(CodeGen& c, int a, int b, int r) {
  lea_esi(c, a, "lea esi,  " + name_of(c, a));
  lea_edi(c, r, "lea edi,  " + name_of(c, r));
  emit(c, "xor edx, edx", "31d2");
  emit(c, "e3: cmp byte ptr[esi+edx], $0", "803c3200");
  emit(c, "jz e4", "7409");
  emit(c, "mov al, byte ptr[esi+edx]", "8a0432");
  emit(c, "mov byte ptr[edi+edx], al", "88043a");
  emit(c, "inc edx", "42");
  emit(c, "jmp e3", "ebf1");
  lea_esi(c, b, "e4: lea esi,  " + name_of(c, b));
  emit(c, "xor ecx, ecx", "31c9");
  emit(c, "e5: cmp byte ptr[esi+ecx], $0", "803c3100");
  emit(c, "jz e6", "7412");
  emit(c, "inc edx", "42");
  emit(c, "cmp byte ptr[edi]+edx, $9", "803c3a09");
  emit(c, "je e7", "740f");
  emit(c, "dec edx", "4a");
  emit(c, "mov al, byte ptr[esi+ecx]", "8a0431");
  emit(c, "mov byte ptr[edi+edx], al", "88043a");
  emit(c, "inc edx", "42");
  emit(c, "inc ecx", "41");
  emit(c, "jmp e5", "ebe8");
  emit(c, "e6: mov byte ptr[edi+edx], $0", "c6043a00");
  emit(c, "e7: nop", "90");
}

// ---- comparisons and logic -----------------------------------------------

struct CondJump {
  int op;
  const char* int_text;
  const char* int_byte;
  const char* float_text;
  const char* float_byte;
};

// Integer and string variants share the signed jumps; the float variant tests
// the x87 flags copied by sahf, which read like an unsigned comparison.
constexpr CondJump kCondJumps[] = {
    {E_OP, "je ", "74", "je ", "74"},     {NE_OP, "jne ", "75", "jne ", "75"},
    {GT_OP, "jg ", "7f", "ja ", "77"},    {LT_OP, "jl ", "7c", "jb ", "72"},
    {GTE_OP, "jge ", "7d", "jae ", "73"}, {LTE_OP, "jle ", "7e", "jbe ", "76"},
};

const CondJump& cond_jump(int op_code) {
  for (const CondJump& j : kCondJumps)
    if (j.op == op_code) return j;
  return kCondJumps[0];
}

const char* comparison_name(int op_code) {
  switch (op_code) {
    case E_OP: return "e_op";
    case NE_OP: return "ne_op";
    case GT_OP: return "gt_op";
    case LT_OP: return "lt_op";
    case GTE_OP: return "gte_op";
    default: return "lte_op";
  }
}

// The jump over "xor dx, dx" and the store of the 0/1 result in edx.
void finish_truth(CodeGen& c, const char* text, const char* byte, int r) {
  emit(c, std::string(text) + "1", std::string(byte) + "02");
  emit(c, "xor dx dx", "31d2");
  emit_at(c, "mov " + name_of(c, r) + ", edx", "8915", addr_value(c, r));
}

// A into eax, B into ebx; integer literals as immediates.
void load_pair(CodeGen& c, int a, int b) {
  if (type_of(c, a) == kTypeIntegerLiteral)
    emit(c, "mov eax, " + name_of(c, a), "b8", HexText(literal_value(c, a), 8));
  else
    load_eax(c, a, "mov eax, " + name_of(c, a));
  if (type_of(c, b) == kTypeIntegerLiteral)
    emit(c, "mov ebx, " + name_of(c, b), "bb", HexText(literal_value(c, b), 8));
  else
    load_ebx(c, b, "mov eax, " + name_of(c, b));
}

void compare_integers(CodeGen& c, const CondJump& j, int a, int b, int r) {
  emit(c, "xor edx, edx", "31d2");
  emit(c, "inc dx", "42");
  load_pair(c, a, b);
  emit(c, "cmp ebx, eax", "39d8");
  finish_truth(c, j.int_text, j.int_byte, r);
}

void compare_floats(CodeGen& c, const CondJump& j, int a, int b, int r) {
  emit(c, "xor edx, edx", "31d2");
  emit(c, "inc dx", "42");
  x87_load(c, b);
  x87_load(c, a);
  emit(c, "fcompp", "ded9");
  emit(c, "fstsw ax", "9bdfe0");
  emit(c, "sahf", "9e");
  finish_truth(c, j.float_text, j.float_byte, r);
}

void compare_strings(CodeGen& c, const CondJump& j, int a, int b, int r) {
  emit(c, "", "31d2");
  emit(c, "inc dx", "42");
  push_offset(c, b, "push " + name_of(c, b));
  push_offset(c, a, "push " + name_of(c, a));
  emit(c, "", "bb", AddressOf(c, "strcmp"));
  emit(c, "", "ffd3");
  emit(c, "test eax, eax", "85c0");
  finish_truth(c, j.int_text, j.int_byte, r);
}

void compare_pointers(CodeGen& c, const CondJump& j, int a, int b, int r) {
  if (is_reference(c, a)) {
    emit_at(c, "mov edx, " + name_of(c, a), "8b15", addr_value(c, a));
    emit(c, "mov eax, [edx]", "8b02");
  } else {
    emit_at(c, "mov eax, " + name_of(c, a), "a1", addr_value(c, a));
  }
  if (is_reference(c, b)) {
    emit_at(c, "mov edx, " + name_of(c, b), "8b15", addr_value(c, b));
    emit(c, "mov ebx, [edx]", "8b1a");
  } else {
    emit_at(c, "mov ebx, " + name_of(c, b), "8b1d", addr_value(c, b));
  }
  emit(c, "xor edx, edx", "31d2");
  emit(c, "inc edx", "42");
  emit(c, "cmp ebx, eax", "39d8");
  finish_truth(c, j.int_text, j.int_byte, r);
}

// ---- functions -------------------------------------------------------------

// Rounding control through a run-time control-word variable: fstcw, then
// and/or on the rounding bits, then fldcw. Listed without text.
void set_rounding(CodeGen& c, const char* variable, const char* and_mask, const char* or_mask) {
  const std::string cw = AddressOf(c, variable);
  emit(c, "", "d93d", cw);
  emit(c, "", "66a1", cw);
  if (and_mask) emit(c, "", std::string("6625") + and_mask);
  emit(c, "", std::string("660d") + or_mask);
  emit(c, "", "66a3", cw);
  emit(c, "", "d92d", cw);
}

}  // namespace

void emit_assign(CodeGen& c, int a, int b, int) {
  listing_header(c, "assign_op", a, b);
  switch (type_of(c, a)) {
    case kTypeInteger:
      load_eax(c, b, "mov eax, " + name_of(c, b));
      store_eax(c, a, "mov " + name_of(c, a) + ", eax");
      break;
    case kTypeFloat:
      if (is_integer_type(type_of(c, b))) {
        memory_op(c, "fild " + name_of(c, b), "db05", b);
        memory_op(c, "fstp " + name_of(c, a), "d91d", a);
      } else {
        load_eax(c, b, "mov eax, " + name_of(c, b));
        store_eax(c, a, "mov " + name_of(c, a) + ", eax");
      }
      break;
    case kTypeString: assign_string(c, a, b); break;
    case kTypeText: assign_text(c, a, b); break;
    case kTypePointer: assign_pointer(c, a, b); break;
    default: generator_fault("cannot assign to '" + name_of(c, a) + "'");
  }
}

void emit_arith(CodeGen& c, int op_code, int a, int b, int r) {
  const char* name = op_code == PLUS_OP    ? "plus_op"
                     : op_code == MINUS_OP ? "minus_op"
                     : op_code == MULT_OP  ? "mult_op"
                                               : "div_op";
  listing_header(c, name, a, b);
  if (op_code == DIV_OP || type_of(c, r) == kTypeFloat)
    float_arith(c, op_code, a, b, r);
  else if (type_of(c, r) == kTypeString)
    concatenate(c, a, b, r);
  else
    integer_arith(c, op_code, a, b, r);
}

void emit_int_division(CodeGen& c, int op_code, int a, int b, int r) {
  listing_header(c, op_code == MOD_OP ? "mod_op" : "div2_op", a, b);
  set_rounding(c, "_crw", nullptr, "000c");
  memory_op(c, "fild " + name_of(c, a), "db05", a);
  memory_op(c, "fidiv " + name_of(c, b), "da35", b);
  memory_op(c, "fistp " + name_of(c, r), "db1d", r);
  if (op_code != MOD_OP) return;
  memory_op(c, "fild " + name_of(c, r), "db05", r);
  memory_op(c, "fimul " + name_of(c, b), "da0d", b);
  emit(c, "fchs", "d9e0");
  memory_op(c, "fiadd " + name_of(c, a), "da05", a);
  memory_op(c, "fistp " + name_of(c, r), "db1d", r);
}

void emit_comparison(CodeGen& c, int op_code, int a, int b, int r) {
  listing_header(c, comparison_name(op_code), a, b);
  const CondJump& j = cond_jump(op_code);
  const int ta = type_of(c, a);
  const int tb = type_of(c, b);
  const bool equality = op_code == E_OP || op_code == NE_OP;
  if (is_string_type(ta))
    compare_strings(c, j, a, b, r);
  else if (is_float_type(ta))
    compare_floats(c, j, a, b, r);
  else if (is_integer_type(ta) && (is_float_type(tb) || op_code == E_OP))
    compare_floats(c, j, a, b, r);
  else if (equality && (ta == kTypePointer || ta == kTypeRecord))
    compare_pointers(c, j, a, b, r);
  else
    compare_integers(c, j, a, b, r);
}

void emit_logical(CodeGen& c, int op_code, int a, int b, int r) {
  const bool is_and = op_code == AND_OP;
  listing_header(c, is_and ? "and_op" : "or_op", a, b);
  emit(c, "xor edx, edx", "31d2");
  emit(c, "inc dx", "42");
  load_pair(c, a, b);
  emit(c, is_and ? "and eax, ebx" : "or eax, ebx", is_and ? "21d8" : "09d8");
  emit(c, "jnz +2", "7502");
  emit(c, "xor dx dx", "31d2");
  emit_at(c, "mov " + name_of(c, r) + ", edx", "8915", addr_value(c, r));
}

void emit_not(CodeGen& c, int a, int b, int r) {
  listing_header(c, "wd_not", a, b);
  emit(c, "xor eax, eax", "31c0");
  load_edx(c, a, "mov edx, " + name_of(c, a));
  emit(c, "test edx, edx", "85d2");
  emit(c, "setz al", "0f94c0");
  store_eax(c, r, "mov " + name_of(c, r) + ", eax");
}

void emit_negate(CodeGen& c, int a, int b, int r) {
  listing_header(c, "u_minus", a, b);
  x87_load(c, a);
  emit(c, "fchs", "d9e0");
  x87_store(c, r);
}

void emit_math(CodeGen& c, int op_code, int a, int b, int r) {
  listing_header(c, "_fun", a, b);
  x87_load(c, a);
  switch (op_code) {
    case SQRT_FUN: emit(c, "fsqrt", "d9fa"); break;
    case SIN_FUN: emit(c, "fsin", "d9fe"); break;
    case COS_FUN: emit(c, "fcos", "d9ff"); break;
    case TG_FUN:
      emit(c, "fptan", "d9f2");
      memory_op(c, "fstp " + name_of(c, r), "d91d", r);  // the 1.0 that fptan pushes
      break;
    case ARCTG_FUN:
      emit(c, "fld1", "d9e8");
      emit(c, "fpatan", "d9f3");
      break;
    case ABS_FUN: emit(c, "abs", "d9e1"); break;
    case ROUND_FUN:
      set_rounding(c, "_crw2", "FFF3", "0000");
      emit(c, "round", "d9fc");
      break;
    case TRUNC_FUN:
      set_rounding(c, "_crw2", nullptr, "000C");
      emit(c, "round", "d9fc");
      break;
    default: break;
  }
  x87_store(c, r);
}

void emit_random(CodeGen& c, int a, int b, int r) {
  listing_header(c, "_fun", a, b);
  const std::string seed = AddressOf(c, "_random_seed");
  emit(c, "push eax", "50");
  emit(c, "push edx", "52");
  emit(c, "rdtsc", "0F31");
  emit(c, "xor eax, edx", "31d0");
  emit(c, "mov [_random_seed], eax", "8905", seed);
  emit(c, "pop edx", "5a");
  emit(c, "pop eax", "58");
  emit(c, "push edx", "52");
  emit(c, "push ecx", "51");
  load_ecx(c, a, "mov ecx, " + name_of(c, a));
  emit(c, "push edx", "52");
  emit(c, "push ecx", "51");
  emit(c, "mov eax, [_random_seed]", "8b05", seed);
  emit(c, "xor edx, edx", "31d2");
  emit(c, "mov ecx, 127773", "b91df30100");
  emit(c, "div ecx", "f7f1");
  emit(c, "mov ecx, eax", "89c1");
  emit(c, "lea eax, 16807", "b8a7410000");
  emit(c, "mul edx", "f7e2");
  emit(c, "mov edx, ecx", "89ca");
  emit(c, "mov ecx, eax", "89c1");
  emit(c, "mov eax, 2836", "b8140b0000");
  emit(c, "mul edx", "f7e2");
  emit(c, "sub ecx, eax", "29c1");
  emit(c, "xor edx, edx", "31d2");
  emit(c, "mov eax, ecx", "89c8");
  emit(c, "mov ecx, 100000", "b9a0860100");
  emit(c, "div ecx", "f7f1");
  emit(c, "mov eax, edx", "89d0");
  emit(c, "pop ecx", "59");
  emit(c, "pop edx", "5a");
  emit(c, "xor edx, edx", "31d2");
  emit(c, "div ecx", "f7f1");
  emit(c, "mov eax, edx", "89d0");
  emit(c, "", "");
  emit(c, "inc eax", "40");
  emit(c, "pop ecx", "59");
  emit(c, "pop edx", "5a");
  emit(c, "mov [_random_seed], eax", "8905", seed);
  emit_at(c, "mov " + name_of(c, r) + ", eax", "8905", addr_value(c, r));
}

void emit_length(CodeGen& c, int a, int b, int r) {
  listing_header(c, "length", a, b);
  push_offset(c, a, "push @" + std::to_string(a));
  emit(c, "call lstrlen", "ff15", AddressOf(c, "lstrlen"));
  store_eax(c, r, "mov " + name_of(c, r) + ", eax");
}

void emit_date(CodeGen& c, int op_code, int a, int b, int r) {
  listing_header(c, "_getlocaltime", a, b);
  const std::string year = AddressOf(c, "_year");
  emit(c, "lea esi, _year", "8d35", year);
  emit(c, "push esi", "56");
  emit(c, "call GetLocalTime", "ff15", AddressOf(c, "GetLocalTime"));
  emit(c, "lea esi, _year", "8d35", year);
  emit(c, "xor eax, eax", "31c0");
  listing_line(c, "mov ax, [esi]+");
  if (op_code == TIME_FUN) {
    // Seconds since midnight reach 86399, past 16 bits: the minutes and the
    // seconds are added with 32-bit additions (01 d0) so no carry is lost.
    emit(c, "", "31c0");
    emit(c, "", "31d2");
    emit(c, "", "31db");
    emit(c, "", "66bb3c00");
    emit(c, "", "668b4608");
    emit(c, "", "f7e3");
    emit(c, "", "668b560a");
    emit(c, "", "01d0");
    emit(c, "", "f7e3");
    emit(c, "", "668b560c");
    emit(c, "", "01d0");
    store_eax(c, r, "");
    return;
  }
  const char* field = op_code == YEAR_FUN        ? "668b4600"
                      : op_code == MONTH_FUN     ? "668b4602"
                      : op_code == DAYOFWEEK_FUN ? "668b4604"
                                                     : "668b4606";
  emit(c, "", field);
  emit_at(c, "mov " + name_of(c, r) + ", ax", "66a3", addr_value(c, r));
}

}  // namespace tarn
