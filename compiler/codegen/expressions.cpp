// Expression and assignment templates.
// Input: one postfix record's operands (symbol numbers). Output: instructions
// appended at the image's write position, each listed with its address,
// bytes and assembly text. The short jumps inside a template go to the
// builder's local labels (e1, e2 ...), named so in the listing.
#include "codegen/expressions.h"

#include <string>

#include "codegen/code_gen.h"
#include "codegen/generator.h"
#include "codegen/operands.h"
#include "codegen/template_builder.h"
#include "codegen/templates.h"
#include "tables/symbol_fields.h"

namespace tarn {

namespace {

// ---- assignment ----------------------------------------------------------

// A := B for strings: copies at most A's capacity and always terminates.
void assign_string(CodeGen& c, int a, int b) {
  lea_esi(c, b, "lea esi,  " + name_of(c, b));
  lea_edi(c, a, "lea edi,  " + name_of(c, a));
  copy_string_bounded(c, capacity(symbol_entry(c, a)), is_reference(c, a));
}

// A text-file variable is three dwords.
void assign_text(CodeGen& c, int a, int b) {
  lea_esi(c, b, "lea esi,  " + name_of(c, b));
  lea_edi(c, a, "lea edi,  " + name_of(c, a));
  TemplateBuilder t(c);
  const TemplateLabel a1 = t.label("a1");
  t.op("xor edx, edx", "31d2");
  t.op("mov cx, 3", "66b90300");
  t.bind(a1);
  t.op("mov eax, [esi+edx]", "8b0432");
  t.op("mov [edi+edx], eax", "89043a");
  t.op("add edx, 4", "83c204");
  t.op("dec cx", "6649");
  t.jump("jnz", a1, "jz a1");  // the listing has always said jz here
  t.finish();
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

// Written as one run; what came before a fault is written as the plain emits
// would have left it.
void integer_arith(CodeGen& c, int op_code, int a, int b, int r) {
  InstructionRun run(c);
  try {
    load_eax(run, c, a, "mov eax, " + name_of(c, a));
    if (op_code == PLUS_OP) {
      memory_op(run, c, "add eax, " + name_of(c, b), 0x03, 0x05, b);
    } else if (op_code == MINUS_OP) {
      memory_op(run, c, "sub eax, " + name_of(c, b), 0x2b, 0x05, b);
    } else {
      load_ebx(run, c, b, "mov ebx, " + name_of(c, b));
      run.op(Asm("mul ebx").listed_as("mul bx").listing(), {0xf7, 0xe3});
    }
    store_eax(run, c, r, "mov " + name_of(c, r) + ", eax");
  } catch (...) {
    run.commit();
    throw;
  }
  run.commit();
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
  TemplateBuilder t(c);
  const TemplateLabel e3 = t.label("e3"), e4 = t.label("e4"), e5 = t.label("e5"), e6 = t.label("e6"),
                      e7 = t.label("e7");
  t.op("xor edx, edx", "31d2");
  t.bind(e3);
  t.op("cmp byte ptr[esi+edx], $0", "803c3200");
  t.jump("jz", e4);
  t.op("mov al, byte ptr[esi+edx]", "8a0432");
  t.op("mov byte ptr[edi+edx], al", "88043a");
  t.op("inc edx", "42");
  t.jump("jmp", e3);
  t.bind(e4);
  lea_esi(t, b, "lea esi,  " + name_of(c, b));
  t.op("xor ecx, ecx", "31c9");
  t.bind(e5);
  t.op("cmp byte ptr[esi+ecx], $0", "803c3100");
  t.jump("jz", e6);
  t.op("inc edx", "42");
  t.op("cmp byte ptr[edi]+edx, $9", "803c3a09");
  t.jump("je", e7);
  t.op("dec edx", "4a");
  t.op("mov al, byte ptr[esi+ecx]", "8a0431");
  t.op("mov byte ptr[edi+edx], al", "88043a");
  t.op("inc edx", "42");
  t.op("inc ecx", "41");
  t.jump("jmp", e5);
  t.bind(e6);
  t.op("mov byte ptr[edi+edx], $0", "c6043a00");
  t.bind(e7);
  t.op("nop", "90");
  t.finish();
}

// ---- comparisons and logic -----------------------------------------------

struct CondJump {
  int op;
  const char* int_jump;
  const char* float_jump;
};

// Integer and string variants share the signed jumps; the float variant tests
// the x87 flags copied by sahf, which read like an unsigned comparison.
constexpr CondJump kCondJumps[] = {
    {E_OP, "je", "je"}, {NE_OP, "jne", "jne"}, {GT_OP, "jg", "ja"},
    {LT_OP, "jl", "jb"}, {GTE_OP, "jge", "jae"}, {LTE_OP, "jle", "jbe"},
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

// edx holds 1: the jump keeps it when the condition holds, else it is
// cleared; the 0/1 result is stored. The listing names the jump's target
// "1", the one instruction it skips.
void finish_truth(CodeGen& c, const char* jump, int r) {
  TemplateBuilder t(c);
  const TemplateLabel keep = t.label("1");
  t.jump(jump, keep);
  t.op(Asm("xor edx, edx").listed_as("xor dx dx"), "31d2");
  t.bind_unlisted(keep);
  t.op_at("mov " + name_of(c, r) + ", edx", "8915", addr_value(c, r));
  t.finish();
}

// xor edx, edx / inc edx: the 1 that finish_truth keeps or clears.
void start_truth(TemplateBuilder& t, Asm clear = "xor edx, edx") {
  t.op(std::move(clear), "31d2");
  t.op(Asm("inc edx").listed_as("inc dx"), "42");
}

// A into eax, B into ebx; integer literals as immediates.
void load_pair(CodeGen& c, int a, int b) {
  if (type_of(c, a) == TypeNumber::kIntegerLiteral)
    emit(c, "mov eax, " + name_of(c, a), "b8", HexText(literal_value(c, a), 8));
  else
    load_eax(c, a, "mov eax, " + name_of(c, a));
  if (type_of(c, b) == TypeNumber::kIntegerLiteral)
    emit(c, "mov ebx, " + name_of(c, b), "bb", HexText(literal_value(c, b), 8));
  else
    load_ebx(c, b, Asm("mov ebx, " + name_of(c, b)).listed_as("mov eax, " + name_of(c, b)));
}

void compare_integers(CodeGen& c, const CondJump& j, int a, int b, int r) {
  TemplateBuilder t(c);
  start_truth(t);
  load_pair(c, a, b);
  t.op("cmp ebx, eax", "39d8");
  finish_truth(c, j.int_jump, r);
}

void compare_floats(CodeGen& c, const CondJump& j, int a, int b, int r) {
  TemplateBuilder t(c);
  start_truth(t);
  x87_load(c, b);
  x87_load(c, a);
  t.op("fcompp", "ded9");
  t.op("fstsw ax", "9bdfe0");
  t.op("sahf", "9e");
  finish_truth(c, j.float_jump, r);
}

void compare_strings(CodeGen& c, const CondJump& j, int a, int b, int r) {
  TemplateBuilder t(c);
  start_truth(t, Asm("xor edx, edx").listed_as(""));
  push_offset(c, b, "push " + name_of(c, b));
  push_offset(c, a, "push " + name_of(c, a));
  t.op(Asm("mov ebx, strcmp").listed_as(""), "bb", AddressOf(c, "strcmp"));
  t.op(Asm("call ebx").listed_as(""), "ffd3");
  t.op("test eax, eax", "85c0");
  finish_truth(c, j.int_jump, r);
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
  finish_truth(c, j.int_jump, r);
}

// ---- functions -------------------------------------------------------------

// The immediate of an and/or on the control word: its bytes as the listing
// has always shown them (upper case in places), and its value.
struct ControlMask {
  const char* bytes;
  const char* value;
};
constexpr ControlMask kRoundNearest{"FFF3", "0f3ffh"};  // clears the rounding bits 10 and 11
constexpr ControlMask kNoBits{"0000", "0"};
constexpr ControlMask kChop{"000c", "0c00h"};  // both rounding bits: towards zero
constexpr ControlMask kChopUpper{"000C", "0c00h"};

// Rounding control through a run-time control-word variable: fstcw, then
// and/or on the rounding bits, then fldcw. Listed without text.
void set_rounding(CodeGen& c, const char* variable, const ControlMask* and_mask, const ControlMask& or_mask) {
  const std::string cw = AddressOf(c, variable);
  const std::string v = variable;
  TemplateBuilder t(c);
  t.op(Asm("fnstcw " + v).listed_as(""), "d93d", cw);
  t.op(Asm("mov ax, " + v).listed_as(""), "66a1", cw);
  if (and_mask)
    t.op(Asm(std::string("and ax, ") + and_mask->value).listed_as(""), std::string("6625") + and_mask->bytes);
  t.op(Asm(std::string("or ax, ") + or_mask.value).listed_as(""), std::string("660d") + or_mask.bytes);
  t.op(Asm("mov " + v + ", ax").listed_as(""), "66a3", cw);
  t.op(Asm("fldcw " + v).listed_as(""), "d92d", cw);
}

}  // namespace

void emit_assign(CodeGen& c, int a, int b, int) {
  listing_header(c, "assign_op", a, b);
  switch (type_of(c, a)) {
    case TypeNumber::kInteger: {
      InstructionRun run(c);
      try {
        load_eax(run, c, b, "mov eax, " + name_of(c, b));
        store_eax(run, c, a, "mov " + name_of(c, a) + ", eax");
      } catch (...) {
        run.commit();
        throw;
      }
      run.commit();
      break;
    }
    case TypeNumber::kFloat:
      if (is_integer_type(type_of(c, b))) {
        memory_op(c, "fild " + name_of(c, b), "db05", b);
        memory_op(c, "fstp " + name_of(c, a), "d91d", a);
      } else {
        load_eax(c, b, "mov eax, " + name_of(c, b));
        store_eax(c, a, "mov " + name_of(c, a) + ", eax");
      }
      break;
    case TypeNumber::kString: assign_string(c, a, b); break;
    case TypeNumber::kText: assign_text(c, a, b); break;
    case TypeNumber::kPointer: assign_pointer(c, a, b); break;
    default: generator_fault("cannot assign to '" + name_of(c, a) + "'");
  }
}

void emit_arith(CodeGen& c, int op_code, int a, int b, int r) {
  const char* name = op_code == PLUS_OP    ? "plus_op"
                     : op_code == MINUS_OP ? "minus_op"
                     : op_code == MULT_OP  ? "mult_op"
                                               : "div_op";
  listing_header(c, name, a, b);
  if (op_code == DIV_OP || type_of(c, r) == TypeNumber::kFloat)
    float_arith(c, op_code, a, b, r);
  else if (type_of(c, r) == TypeNumber::kString)
    concatenate(c, a, b, r);
  else
    integer_arith(c, op_code, a, b, r);
}

void emit_int_division(CodeGen& c, int op_code, int a, int b, int r) {
  listing_header(c, op_code == MOD_OP ? "mod_op" : "div2_op", a, b);
  set_rounding(c, "_crw", nullptr, kChop);
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
  const TypeNumber ta = type_of(c, a);
  const TypeNumber tb = type_of(c, b);
  const bool equality = op_code == E_OP || op_code == NE_OP;
  if (is_string_type(ta))
    compare_strings(c, j, a, b, r);
  else if (is_float_type(ta))
    compare_floats(c, j, a, b, r);
  else if (is_integer_type(ta) && (is_float_type(tb) || op_code == E_OP))
    compare_floats(c, j, a, b, r);
  else if (equality && (ta == TypeNumber::kPointer || ta == TypeNumber::kRecord))
    compare_pointers(c, j, a, b, r);
  else
    compare_integers(c, j, a, b, r);
}

void emit_logical(CodeGen& c, int op_code, int a, int b, int r) {
  const bool is_and = op_code == AND_OP;
  listing_header(c, is_and ? "and_op" : "or_op", a, b);
  TemplateBuilder t(c);
  start_truth(t);
  load_pair(c, a, b);
  t.op(is_and ? "and eax, ebx" : "or eax, ebx", is_and ? "21d8" : "09d8");
  const TemplateLabel keep = t.label("keep");
  t.jump("jnz", keep, "jnz +2");
  t.op(Asm("xor edx, edx").listed_as("xor dx dx"), "31d2");
  t.bind_unlisted(keep);
  t.op_at("mov " + name_of(c, r) + ", edx", "8915", addr_value(c, r));
  t.finish();
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
  TemplateBuilder t(c);
  switch (op_code) {
    case SQRT_FUN: t.op("fsqrt", "d9fa"); break;
    case SIN_FUN: t.op("fsin", "d9fe"); break;
    case COS_FUN: t.op("fcos", "d9ff"); break;
    case TG_FUN:
      t.op("fptan", "d9f2");
      memory_op(c, "fstp " + name_of(c, r), "d91d", r);  // the 1.0 that fptan pushes
      break;
    case ARCTG_FUN:
      t.op("fld1", "d9e8");
      t.op("fpatan", "d9f3");
      break;
    case ABS_FUN: t.op(Asm("fabs").listed_as("abs"), "d9e1"); break;
    case ROUND_FUN:
      set_rounding(c, "_crw2", &kRoundNearest, kNoBits);
      t.op(Asm("frndint").listed_as("round"), "d9fc");
      break;
    case TRUNC_FUN:
      set_rounding(c, "_crw2", nullptr, kChopUpper);
      t.op(Asm("frndint").listed_as("round"), "d9fc");
      break;
    default: break;
  }
  x87_store(c, r);
}

void emit_random(CodeGen& c, int a, int b, int r) {
  listing_header(c, "_fun", a, b);
  const std::string seed = AddressOf(c, "_random_seed");
  TemplateBuilder t(c);
  t.op("push eax", "50");
  t.op("push edx", "52");
  t.op("rdtsc", "0F31");
  t.op("xor eax, edx", "31d0");
  t.op("mov [_random_seed], eax", "8905", seed);
  t.op("pop edx", "5a");
  t.op("pop eax", "58");
  t.op("push edx", "52");
  t.op("push ecx", "51");
  load_ecx(c, a, "mov ecx, " + name_of(c, a));
  t.op("push edx", "52");
  t.op("push ecx", "51");
  t.op("mov eax, [_random_seed]", "8b05", seed);
  t.op("xor edx, edx", "31d2");
  t.op("mov ecx, 127773", "b91df30100");
  t.op("div ecx", "f7f1");
  t.op("mov ecx, eax", "89c1");
  t.op(Asm("mov eax, 16807").listed_as("lea eax, 16807"), "b8a7410000");
  t.op("mul edx", "f7e2");
  t.op("mov edx, ecx", "89ca");
  t.op("mov ecx, eax", "89c1");
  t.op("mov eax, 2836", "b8140b0000");
  t.op("mul edx", "f7e2");
  t.op("sub ecx, eax", "29c1");
  t.op("xor edx, edx", "31d2");
  t.op("mov eax, ecx", "89c8");
  t.op("mov ecx, 100000", "b9a0860100");
  t.op("div ecx", "f7f1");
  t.op("mov eax, edx", "89d0");
  t.op("pop ecx", "59");
  t.op("pop edx", "5a");
  t.op("xor edx, edx", "31d2");
  t.op("div ecx", "f7f1");
  t.op("mov eax, edx", "89d0");
  t.blank_line();  // the listing has always had an empty line here
  t.op("inc eax", "40");
  t.op("pop ecx", "59");
  t.op("pop edx", "5a");
  t.op("mov [_random_seed], eax", "8905", seed);
  t.op_at("mov " + name_of(c, r) + ", eax", "8905", addr_value(c, r));
}

void emit_length(CodeGen& c, int a, int b, int r) {
  listing_header(c, "length", a, b);
  push_offset(c, a, "push @" + std::to_string(a));
  ImportCall(c, "lstrlen");
  store_eax(c, r, "mov " + name_of(c, r) + ", eax");
}

void emit_date(CodeGen& c, int op_code, int a, int b, int r) {
  listing_header(c, "_getlocaltime", a, b);
  const std::string year = AddressOf(c, "_year");
  TemplateBuilder t(c);
  t.op("lea esi, _year", "8d35", year);
  t.op("push esi", "56");
  t.call_import("GetLocalTime");
  t.op("lea esi, _year", "8d35", year);
  t.op("xor eax, eax", "31c0");
  listing_line(c, "mov ax, [esi]+");
  // The fields of the SYSTEMTIME at _year are words: year, month, day of the
  // week, day, hour, minute, second. The listing shows their loads, and the
  // arithmetic of the time, without text.
  if (op_code == TIME_FUN) {
    // Seconds since midnight reach 86399, past 16 bits: the minutes and the
    // seconds are added with 32-bit additions (01 d0) so no carry is lost.
    t.op(Asm("xor eax, eax").listed_as(""), "31c0");
    t.op(Asm("xor edx, edx").listed_as(""), "31d2");
    t.op(Asm("xor ebx, ebx").listed_as(""), "31db");
    t.op(Asm("mov bx, 60").listed_as(""), "66bb3c00");
    t.op(Asm("mov ax, [esi+8]").listed_as(""), "668b4608");  // the hour
    t.op(Asm("mul ebx").listed_as(""), "f7e3");
    t.op(Asm("mov dx, [esi+10]").listed_as(""), "668b560a");  // the minute
    t.op(Asm("add eax, edx").listed_as(""), "01d0");
    t.op(Asm("mul ebx").listed_as(""), "f7e3");
    t.op(Asm("mov dx, [esi+12]").listed_as(""), "668b560c");  // the second
    t.op(Asm("add eax, edx").listed_as(""), "01d0");
    store_eax(c, r, Asm("mov " + name_of(c, r) + ", eax").listed_as(""));
    return;
  }
  const int offset = op_code == YEAR_FUN        ? 0
                     : op_code == MONTH_FUN     ? 2
                     : op_code == DAYOFWEEK_FUN ? 4
                                                : 6;
  t.op(Asm("mov ax, [esi+" + std::to_string(offset) + "]").listed_as(""), "668b46", HexText(offset, 2));
  t.op_at("mov " + name_of(c, r) + ", ax", "66a3", addr_value(c, r));
}

}  // namespace tarn
