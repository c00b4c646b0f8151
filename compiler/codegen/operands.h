// Operand access shared by every instruction template.
//
// An operand is a symbol number; its data item is named by that number in
// decimal. Most operands hold their value in their data item and are reached
// with the plain forms (a1 [X], 8d 35 [X], 68 [X] ...). A reference formal
// (`tag5` set: a `var` formal, bound by GET_P_PAR) holds the address of the
// caller's variable instead, so every access goes one step further: the same
// instruction is emitted against a register loaded from the data item. Plain
// operands therefore keep exactly their template bytes, and a template never
// needs to know whether an operand is a reference.
//
// Register use of the reference forms: loads into eax or ebx use the target
// register itself; x87 operands, stores of eax and `inc` go through ecx, which
// no template keeps live across those instructions.
#pragma once

#include <string>
#include <string_view>

#include "codegen/code_gen.h"
#include "codegen/generator.h"
#include "codegen/symbol_view.h"
#include "codegen/template_builder.h"

namespace tarn {

struct CodeGen;

std::string addr(const CodeGen& c, int n);  // AddressOf(decimal n)
inline uint32_t addr_value(const CodeGen& c, int n) { return data_item_address(c, n); }  // the same address as a number
const std::string& name_of(const CodeGen& c, int n);
TypeNumber type_of(const CodeGen& c, int n);
bool is_reference(const CodeGen& c, int n);
bool is_integer_type(TypeNumber t);  // variables and literals
bool is_float_type(TypeNumber t);
bool is_string_type(TypeNumber t);
// An integer literal's value (its name is the number).
int32_t literal_value(const CodeGen& c, int n);

// Each helper below takes the instruction's text from the caller: the
// listing shows it (or its `listed_as` override) on the instruction's line.
//
// "mov eax, X" (a1) / "mov ebx, X" (8b 1d).
void load_eax(CodeGen& c, int n, Asm text);
void load_ebx(CodeGen& c, int n, Asm text);
// "mov edx, X" (8b 15), "mov ecx, X" (8b 0d).
void load_edx(CodeGen& c, int n, Asm text);
void load_ecx(CodeGen& c, int n, Asm text);
// "mov X, eax" (a3).
void store_eax(CodeGen& c, int n, Asm text);

// The same into a run (the opcodes as bytes), for templates written as one.
void load_eax(InstructionRun& run, const CodeGen& c, int n, std::string_view text);
void load_ebx(InstructionRun& run, const CodeGen& c, int n, std::string_view text);
void store_eax(InstructionRun& run, const CodeGen& c, int n, std::string_view text);
void memory_op(InstructionRun& run, const CodeGen& c, std::string_view text, uint8_t opcode, uint8_t modrm, int n);

// An instruction with one memory operand X: `plain_op` is the opcode with the
// absolute form's ModRM ("db05" fild, "d91d" fstp, "0305" add eax ...); the
// reference form loads ecx from X and uses the same opcode with the [ecx]
// ModRM (reg field kept, mod/rm 001).
void memory_op(CodeGen& c, Asm text, std::string_view plain_op, int n);
// fild for integer operands (types 4, 5), fld for the others.
void x87_load(CodeGen& c, int n);
// fstp for a float result, fistp for the others.
void x87_store(CodeGen& c, int n);

// "lea esi, X" (8d 35), "lea edi, X" (8d 3d): the address of X's value; for
// a reference the address it holds, "mov esi, X" (8b 35), under the same
// listing text.
void lea_esi(CodeGen& c, int n, Asm text);
void lea_esi(TemplateBuilder& t, int n, Asm text);
void lea_edi(CodeGen& c, int n, Asm text);
// "mov esi, offset X" (be); for a reference "mov esi, X" (8b 35).
void mov_esi_offset(CodeGen& c, int n, Asm text);
// "push offset X" (68): the address of X's value; for a reference
// "push X" (ff 35), the address it holds.
void push_offset(CodeGen& c, int n, Asm text);

// push imm: 6a + one byte for 0..127, else 68 + 4 bytes (a one-byte push is
// sign-extended, so 128 and above would arrive negative).
void push_small(CodeGen& c, int value, Asm text);

// A call of a run-time routine through ebx: "mov ebx, <text>"; bb + its address / ff d3.
void call_routine(CodeGen& c, std::string_view routine, const Asm& mov_text, const Asm& call_text);
// "call <function>" through its import slot: ff 15 and the slot's address.
void ImportCall(CodeGen& c, std::string_view function);

// The bounded copy of a string from esi to edi: at most `capacity`
// characters, and the terminator always. A `var` string formal carries the
// formal's capacity (128), not that of the caller's variable: with
// `to_caller_buffer` the copy also stops where the caller's buffer ends, at
// the 0 byte followed by the sentinel 9 that every string buffer has right
// after its last character position.
void copy_string_bounded(CodeGen& c, int capacity, bool to_caller_buffer = false);

// A listing line of its own: the current address, a blank and the text ("_sys3:").
void listing_label(CodeGen& c, std::string_view text);
// The header line of an operation: "name a b".
void listing_header(CodeGen& c, std::string_view op_name, int a, int b);

}  // namespace tarn
