#include "runtime/routine.h"

#include <stdexcept>

#include "codegen/generator.h"
#include "common/text.h"

namespace tarn {

namespace {

struct JumpForm {
  std::string_view mnemonic;
  uint8_t short_opcode;  // 0: no short form
  uint8_t near_second;   // the byte after 0f of the near form; 0: e9/none
};

// Condition codes as the processor numbers them: short 70+cc, near 0f 80+cc.
constexpr JumpForm kJumps[] = {
    {"jo", 0x70, 0x80},  {"jno", 0x71, 0x81}, {"jb", 0x72, 0x82}, {"jc", 0x72, 0x82}, {"jae", 0x73, 0x83},
    {"jnc", 0x73, 0x83}, {"jz", 0x74, 0x84},
    {"je", 0x74, 0x84},  {"jnz", 0x75, 0x85}, {"jne", 0x75, 0x85}, {"jbe", 0x76, 0x86}, {"ja", 0x77, 0x87},
    {"js", 0x78, 0x88},  {"jns", 0x79, 0x89}, {"jl", 0x7c, 0x8c}, {"jge", 0x7d, 0x8d}, {"jle", 0x7e, 0x8e},
    {"jg", 0x7f, 0x8f},  {"jmp", 0xeb, 0},    {"loop", 0xe2, 0},
};

const JumpForm& jump_form(std::string_view mnemonic) {
  for (const JumpForm& f : kJumps)
    if (f.mnemonic == mnemonic) return f;
  throw std::logic_error("unknown jump " + std::string(mnemonic));
}

}  // namespace

RoutineBuilder::RoutineBuilder(Emitter& c) : c_(c), start_(current_address(c.image)) {}

uint32_t RoutineBuilder::at(std::string_view name, int offset) const {
  if (const TVariable* v = find_variable(c_, to_lower_ascii(name)))
    return v->VarAddr + static_cast<uint32_t>(offset);
  throw std::logic_error("run-time library refers to an undeclared name: " + std::string(name));
}

void RoutineBuilder::add(std::string text, std::vector<uint8_t> bytes) {
  if (finished_) throw std::logic_error("instruction after the end of a routine");
  size_ += static_cast<int>(bytes.size());
  code_.push_back(Instruction{std::move(text), std::move(bytes)});
}

void RoutineBuilder::op(std::string text, std::string_view hex) {
  std::vector<uint8_t> bytes;
  bytes.reserve(hex.size() / 2);
  append_hex_bytes(bytes, hex);
  add(std::move(text), std::move(bytes));
}

void RoutineBuilder::op(std::string text, std::string_view hex, uint32_t value, std::string_view tail_hex) {
  std::vector<uint8_t> bytes;
  bytes.reserve(hex.size() / 2 + 4 + tail_hex.size() / 2);
  append_hex_bytes(bytes, hex);
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
  append_hex_bytes(bytes, tail_hex);
  add(std::move(text), std::move(bytes));
}

void RoutineBuilder::call_import(std::string_view function) {
  op("call [" + std::string(function) + "]", "ff15", at(function));
}

void RoutineBuilder::call_routine(std::string_view routine) {
  op("mov ebx, " + std::string(routine), "bb", at(routine));
  op("call ebx", "ffd3");
}

LocalLabel RoutineBuilder::label(std::string name) {
  labels_.push_back(LabelState{std::move(name), -1, {}});
  return LocalLabel{static_cast<int>(labels_.size()) - 1};
}

RoutineBuilder::LabelState& RoutineBuilder::state(LocalLabel l) {
  if (l.id < 0 || l.id >= static_cast<int>(labels_.size())) throw std::logic_error("label of another routine");
  return labels_[static_cast<size_t>(l.id)];
}

void RoutineBuilder::patch(const Fixup& f, int target) {
  const int displacement = target - f.next_offset;
  std::vector<uint8_t>& bytes = code_[f.instruction].bytes;
  if (f.width == 1) {
    if (displacement < -128 || displacement > 127)
      throw std::logic_error("short jump out of range: " + code_[f.instruction].text);
    bytes.back() = static_cast<uint8_t>(displacement);
    return;
  }
  for (int i = 0; i < 4; ++i)
    bytes[bytes.size() - 4 + static_cast<size_t>(i)] = static_cast<uint8_t>(static_cast<uint32_t>(displacement) >> (8 * i));
}

void RoutineBuilder::bind(LocalLabel l) {
  LabelState& s = state(l);
  if (s.offset >= 0) throw std::logic_error("label bound twice: " + s.name);
  s.offset = size_;
  for (const Fixup& f : s.pending) patch(f, s.offset);
  s.pending.clear();
  add(s.name + ":", {});
}

void RoutineBuilder::jump(std::string_view mnemonic, LocalLabel target) {
  const JumpForm& form = jump_form(mnemonic);
  add(std::string(mnemonic) + " " + state(target).name, {form.short_opcode, 0});
  const Fixup f{code_.size() - 1, 1, size_};
  if (state(target).offset >= 0)
    patch(f, state(target).offset);
  else
    state(target).pending.push_back(f);
}

void RoutineBuilder::jump_near(std::string_view mnemonic, LocalLabel target) {
  const JumpForm& form = jump_form(mnemonic);
  std::vector<uint8_t> bytes;
  if (mnemonic == "jmp")
    bytes = {0xe9};
  else if (form.near_second != 0)
    bytes = {0x0f, form.near_second};
  else
    throw std::logic_error("no near form of " + std::string(mnemonic));
  bytes.insert(bytes.end(), 4, 0);
  add(std::string(mnemonic) + " " + state(target).name, std::move(bytes));
  const Fixup f{code_.size() - 1, 4, size_};
  if (state(target).offset >= 0)
    patch(f, state(target).offset);
  else
    state(target).pending.push_back(f);
}

void RoutineBuilder::call(LocalLabel target) {
  add("call " + state(target).name, {0xe8, 0, 0, 0, 0});
  const Fixup f{code_.size() - 1, 4, size_};
  if (state(target).offset >= 0)
    patch(f, state(target).offset);
  else
    state(target).pending.push_back(f);
}

void RoutineBuilder::finish() {
  for (const LabelState& s : labels_)
    if (!s.pending.empty()) throw std::logic_error("label never bound: " + s.name);
  if (current_address(c_.image) != start_) throw std::logic_error("code emitted inside a routine");
  finished_ = true;
  for (const Instruction& i : code_) {
    if (i.bytes.empty()) {
      listing_line(c_, i.text);  // a label line
      continue;
    }
    emit_bytes(c_, i.text, i.bytes.data(), i.bytes.size());
  }
}

}  // namespace tarn
