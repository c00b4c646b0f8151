#include "codegen/generator.h"

#include <algorithm>
#include <stdexcept>

#include "common/text.h"
#include "base/compilation.h"

namespace tarn {

namespace {

// The bytes of opcode + reversed operand pairs, and their hex text.
std::string instruction_hex(std::string_view opcode_hex, std::string_view operand_hex) {
  std::string hex(opcode_hex);
  for (size_t i = operand_hex.size(); i >= 2; i -= 2) hex += operand_hex.substr(i - 2, 2);
  return trim(hex);
}

void store_hex(Compilation& c, const std::string& hex) {
  for (uint8_t b : hex_bytes(hex)) put_byte(c.image, b);
}

}  // namespace

void emit_instruction(Compilation& c, std::string_view opcode_hex, std::string_view operand_hex) {
  std::string hex = instruction_hex(opcode_hex, operand_hex);
  listing_write(c, hex + " ");
  store_hex(c, hex);
}

void emit_instruction_silent(Compilation& c, std::string_view opcode_hex, std::string_view operand_hex) {
  store_hex(c, instruction_hex(opcode_hex, operand_hex));
}

void emit(Compilation& c, std::string_view text, std::string_view opcode_hex, std::string_view operand_hex) {
  listing_write(c, HexText(current_address(c.image), 8) + " ");
  emit_instruction(c, opcode_hex, operand_hex);
  listing_line(c, text);
}

std::string HexText(int64_t n, int digits) { return hex_text(n, digits); }

namespace {

// Brings the index up to date with the table: entries appended since it was
// last brought up to date are added (an earlier entry of the same name keeps
// its place); a table that shrank is indexed afresh.
void sync_variable_index(const GeneratorState& g) {
  if (g.variables.size() < g.variables_indexed) {
    g.variable_index.clear();
    g.variables_indexed = 0;
  }
  for (; g.variables_indexed < g.variables.size(); ++g.variables_indexed)
    g.variable_index.emplace(to_lower_ascii(g.variables[g.variables_indexed].Name), g.variables_indexed);
}

}  // namespace

const TVariable* find_variable(const Compilation& c, const std::string& lowered_name) {
  sync_variable_index(c.gen);
  auto it = c.gen.variable_index.find(lowered_name);
  return it == c.gen.variable_index.end() ? nullptr : &c.gen.variables[it->second];
}

uint32_t address_value(const Compilation& c, std::string_view name) {
  const TVariable* v = find_variable(c, to_lower_ascii(trim(name)));
  return v ? v->VarAddr : 0;
}

std::string AddressOf(const Compilation& c, std::string_view name) {
  const TVariable* v = find_variable(c, to_lower_ascii(trim(name)));
  if (v) return HexText(v->VarAddr, 8);
  generator_fault("no address for '" + std::string(name) + "'");
}

void AddVariable(Compilation& c, std::string_view name, uint32_t address) {
  sync_variable_index(c.gen);
  c.gen.variables.push_back(TVariable{address, std::string(name)});
  sync_variable_index(c.gen);
}

void AddLabel(Compilation& c, std::string_view name, uint32_t value, int id) {
  c.gen.labels.push_back(TLabel{std::string(name), value, id});
}

uint32_t FindLabel(const Compilation& c, std::string_view name) {
  for (const TLabel& l : c.gen.labels)
    if (l.Name == name) return l.Virtual_Addr;
  return 0;
}

uint32_t FindLabelById(const Compilation& c, int id) {
  for (const TLabel& l : c.gen.labels)
    if (l.id == id) return l.Virtual_Addr;
  return 0;
}

int32_t add_patch_label(Compilation& c, std::string_view name) {
  const int32_t p = c.image.pos;
  AddLabel(c, name, static_cast<uint32_t>(p));
  c.gen.pending_patches.emplace_back(name);
  return p;
}

void patch_label(Compilation& c, std::string_view name, int length, std::string_view opcode_hex,
                 std::string_view text) {
  auto& pending = c.gen.pending_patches;
  auto it = std::find(pending.begin(), pending.end(), name);
  if (it == pending.end()) generator_fault("no patch waits for label " + std::string(name));
  pending.erase(it);
  const int32_t p = static_cast<int32_t>(FindLabel(c, name));
  const int32_t here = c.image.pos;
  if (p < kCodeFileOffset || p + length > here) generator_fault("patch outside the code: " + std::string(name));
  const int64_t displacement = static_cast<int64_t>(current_address(c.image)) - address_of_offset(p) - length;
  seek(c.image, p);
  emit(c, text, opcode_hex, HexText(displacement, 8));
  seek(c.image, here);
}

void listing_write(Compilation& c, std::string_view text) { c.gen.listing += text; }

void listing_line(Compilation& c, std::string_view text) {
  c.gen.listing += text;
  c.gen.listing += "\r\n";
}

void open_listing(Compilation& c, const std::string& path) {
  c.gen.listing.clear();
  c.gen.listing_path = path;
  if (!platform::write_file(path, "")) throw FileError(FileFailure::kWorkFile, path, platform::last_error());
}

void close_listing(Compilation& c) {
  if (c.gen.listing_path.empty()) return;
  platform::write_file(c.gen.listing_path, c.gen.listing);
}

void generator_fault(const std::string& text) { throw GeneratorFault(text); }

}  // namespace tarn
