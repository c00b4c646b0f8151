#include "codegen/operands.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "codegen/code_gen.h"
#include "codegen/generator.h"
#include "common/text.h"
#include "tables/symbol_fields.h"

namespace tarn {

namespace {

void check_operand(const CodeGen& c, int n) {
  if (n <= 0 || n > c.sym.count) generator_fault("unknown operand " + std::to_string(n));
}

}  // namespace

TSymbolbableRecord& symbol_entry(CodeGen& c, int n) {
  check_operand(c, n);
  return sym_at(c.sym, n);
}

const TSymbolbableRecord& symbol_entry(const CodeGen& c, int n) {
  check_operand(c, n);
  return sym_at(c.sym, n);
}

int symbol_count(const CodeGen& c) { return c.sym.count; }

std::string addr(const CodeGen& c, int n) { return HexText(data_item_address(c, n), 8); }

const std::string& name_of(const CodeGen& c, int n) { return symbol_entry(c, n).name; }
TypeNumber type_of(const CodeGen& c, int n) { return symbol_entry(c, n).symboltype; }
bool is_reference(const CodeGen& c, int n) { return is_reference(symbol_entry(c, n)); }
bool is_integer_type(TypeNumber t) { return t == TypeNumber::kInteger || t == TypeNumber::kIntegerLiteral; }
bool is_float_type(TypeNumber t) { return t == TypeNumber::kFloat || t == TypeNumber::kFloatLiteral; }
bool is_string_type(TypeNumber t) { return t == TypeNumber::kStringLiteral || t == TypeNumber::kString; }

int32_t literal_value(const CodeGen& c, int n) {
  int64_t v = 0;
  if (!parse_int64(trim(name_of(c, n)), v)) return 0;
  return static_cast<int32_t>(static_cast<uint32_t>(v));
}

namespace {

// ModRM of the same instruction addressing [ecx] instead of an absolute address.
std::string ecx_form(std::string_view plain_op) {
  uint64_t modrm = 0;
  parse_hex(plain_op.substr(2, 2), modrm);
  return std::string(plain_op.substr(0, 2)) + HexText(static_cast<int64_t>((modrm & 0x38) | 0x01), 2);
}

}  // namespace

void load_eax(CodeGen& c, int n, Asm text) {
  emit_at(c, text.listing(), "a1", addr_value(c, n));
  if (is_reference(c, n)) emit(c, "mov eax, [eax]", "8b00");
}

void load_ebx(CodeGen& c, int n, Asm text) {
  emit_at(c, text.listing(), "8b1d", addr_value(c, n));
  if (is_reference(c, n)) emit(c, "mov ebx, [ebx]", "8b1b");
}

void load_edx(CodeGen& c, int n, Asm text) {
  emit_at(c, text.listing(), "8b15", addr_value(c, n));
  if (is_reference(c, n)) emit(c, "mov edx, [edx]", "8b12");
}

void load_ecx(CodeGen& c, int n, Asm text) {
  emit_at(c, text.listing(), "8b0d", addr_value(c, n));
  if (is_reference(c, n)) emit(c, "mov ecx, [ecx]", "8b09");
}

void store_eax(CodeGen& c, int n, Asm text) {
  if (!is_reference(c, n)) {
    emit_at(c, text.listing(), "a3", addr_value(c, n));
    return;
  }
  emit_at(c, "mov ecx, " + name_of(c, n), "8b0d", addr_value(c, n));
  emit(c, "mov [ecx], eax", "8901");
}

void memory_op(CodeGen& c, Asm text, std::string_view plain_op, int n) {
  if (!is_reference(c, n)) {
    emit_at(c, text.listing(), plain_op, addr_value(c, n));
    return;
  }
  emit_at(c, "mov ecx, " + name_of(c, n), "8b0d", addr_value(c, n));
  emit(c, std::string(text.listing()) + " [ecx]", ecx_form(plain_op));
}

void load_eax(InstructionRun& run, const CodeGen& c, int n, std::string_view text) {
  run.op_at(text, {0xa1}, addr_value(c, n));
  if (is_reference(c, n)) run.op("mov eax, [eax]", {0x8b, 0x00});
}

void load_ebx(InstructionRun& run, const CodeGen& c, int n, std::string_view text) {
  run.op_at(text, {0x8b, 0x1d}, addr_value(c, n));
  if (is_reference(c, n)) run.op("mov ebx, [ebx]", {0x8b, 0x1b});
}

void store_eax(InstructionRun& run, const CodeGen& c, int n, std::string_view text) {
  if (!is_reference(c, n)) {
    run.op_at(text, {0xa3}, addr_value(c, n));
    return;
  }
  run.op_at("mov ecx, " + name_of(c, n), {0x8b, 0x0d}, addr_value(c, n));
  run.op("mov [ecx], eax", {0x89, 0x01});
}

void memory_op(InstructionRun& run, const CodeGen& c, std::string_view text, uint8_t opcode, uint8_t modrm, int n) {
  if (!is_reference(c, n)) {
    run.op_at(text, {opcode, modrm}, addr_value(c, n));
    return;
  }
  run.op_at("mov ecx, " + name_of(c, n), {0x8b, 0x0d}, addr_value(c, n));
  run.op(std::string(text) + " [ecx]", {opcode, static_cast<uint8_t>((modrm & 0x38) | 0x01)});
}

void x87_load(CodeGen& c, int n) {
  if (is_integer_type(type_of(c, n)))
    memory_op(c, "fild " + name_of(c, n), "db05", n);
  else
    memory_op(c, "fld " + name_of(c, n), "d905", n);
}

void x87_store(CodeGen& c, int n) {
  if (type_of(c, n) == TypeNumber::kFloat)
    memory_op(c, "fstp " + name_of(c, n), "d91d", n);
  else
    memory_op(c, "fistp " + name_of(c, n), "db1d", n);
}

void lea_esi(CodeGen& c, int n, Asm text) {
  emit_at(c, text.listing(), is_reference(c, n) ? "8b35" : "8d35", addr_value(c, n));
}

void lea_esi(TemplateBuilder& t, int n, Asm text) {
  t.op_at(std::move(text), is_reference(t.code(), n) ? "8b35" : "8d35", addr_value(t.code(), n));
}

void lea_edi(CodeGen& c, int n, Asm text) {
  emit_at(c, text.listing(), is_reference(c, n) ? "8b3d" : "8d3d", addr_value(c, n));
}

void mov_esi_offset(CodeGen& c, int n, Asm text) {
  emit_at(c, text.listing(), is_reference(c, n) ? "8b35" : "be", addr_value(c, n));
}

void push_offset(CodeGen& c, int n, Asm text) {
  emit_at(c, text.listing(), is_reference(c, n) ? "ff35" : "68", addr_value(c, n));
}

void push_small(CodeGen& c, int value, Asm text) {
  if (value >= 0 && value <= 127) emit(c, text.listing(), "6a" + HexText(value, 2));
  else emit(c, text.listing(), "68", HexText(value, 8));
}

void call_routine(CodeGen& c, std::string_view routine, const Asm& mov_text, const Asm& call_text) {
  emit_call_through_ebx(c, mov_text.listing(), required_address(c, routine), call_text.listing());
}

void ImportCall(CodeGen& c, std::string_view function) {
  emit_at(c, "call " + std::string(function), "ff15", required_address(c, function));
}

void copy_string_bounded(CodeGen& c, int capacity, bool to_caller_buffer) {
  TemplateBuilder t(c);
  const TemplateLabel e1 = t.label("e1"), e2 = t.label("e2"), e3 = t.label("e3");
  t.mov_imm("ecx", capacity);
  t.op("xor edx, edx", "31d2");
  t.op("inc ecx", "41");
  t.bind(e1);
  t.op("dec ecx", "49");
  t.jump("jz", e2);
  if (to_caller_buffer) {
    t.op("cmp byte ptr[edi+edx], $0", "803c3a00");
    t.jump("jnz", e3);
    t.op("cmp byte ptr[edi+edx+1], $9", "807c3a0109");
    t.jump("je", e2);
    t.bind(e3);
  }
  t.op("cmp byte ptr[esi+edx], $0", "803c3200");
  t.jump("jz", e2);
  t.op("mov al, byte ptr[esi+edx]", "8a0432");
  t.op("mov byte ptr[edi+edx], al", "88043a");
  t.op("inc edx", "42");
  t.jump("jmp", e1);
  t.bind(e2);
  t.op("mov byte ptr[edi+edx], $0", "c6043a00");
  t.finish();
}

void listing_label(CodeGen& c, std::string_view text) {
  std::string line = HexText(current_address(c.image), 8);
  line += ' ';
  line += text;
  listing_line(c, line);
}

void listing_header(CodeGen& c, std::string_view op_name, int a, int b) {
  // "name a b" put together in place: it heads most operations.
  constexpr size_t kName = 32, kNumber = 11;  // an int takes at most 11 characters
  char line[kName + 2 * (1 + kNumber)];
  if (op_name.size() > kName) {
    listing_line(c, std::string(op_name) + " " + std::to_string(a) + " " + std::to_string(b));
    return;
  }
  size_t n = op_name.size();
  std::copy(op_name.begin(), op_name.end(), line);
  for (const int value : {a, b}) {
    line[n++] = ' ';
    n = static_cast<size_t>(std::to_chars(line + n, line + n + kNumber, value).ptr - line);
  }
  listing_line(c, std::string_view(line, n));
}

}  // namespace tarn
