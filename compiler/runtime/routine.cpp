#include "runtime/routine.h"

#include <stdexcept>

#include "codegen/generator.h"
#include "codegen/jumps.h"
#include "common/text.h"

namespace tarn {

namespace {

const JumpForm& jump_form(std::string_view mnemonic) {
  if (const JumpForm* f = find_jump(mnemonic)) return *f;
  throw std::logic_error("unknown jump " + std::string(mnemonic));
}

}  // namespace

RoutineBuilder::RoutineBuilder(Emitter& c) : c_(c), start_(current_address(c.image)) {
  code_.reserve(256);
  texts_.reserve(4096);
  bytes_.reserve(1024);
}

uint32_t RoutineBuilder::at(std::string_view name, int offset) const {
  if (const TVariable* v = find_variable(c_, name))
    return v->VarAddr + static_cast<uint32_t>(offset);
  throw std::logic_error("run-time library refers to an undeclared name: " + std::string(name));
}

void RoutineBuilder::begin(std::string_view text) {
  if (finished_) throw std::logic_error("instruction after the end of a routine");
  code_.push_back(Instruction{static_cast<uint32_t>(texts_.size()), 0, static_cast<uint32_t>(bytes_.size()), 0});
  add_text(text);
}

void RoutineBuilder::add_text(std::string_view text) {
  texts_.append(text);
  code_.back().text_size += static_cast<uint32_t>(text.size());
}

void RoutineBuilder::put(uint8_t b) {
  bytes_.push_back(b);
  ++code_.back().bytes_size;
  ++size_;
}

void RoutineBuilder::put_hex(std::string_view hex) {
  const size_t before = bytes_.size();
  append_hex_bytes(bytes_, hex);
  const auto n = static_cast<uint32_t>(bytes_.size() - before);
  code_.back().bytes_size += n;
  size_ += static_cast<int>(n);
}

std::string_view RoutineBuilder::text_of(const Instruction& i) const {
  return std::string_view(texts_).substr(i.text_at, i.text_size);
}

void RoutineBuilder::op(std::string_view text, std::string_view hex) {
  begin(text);
  put_hex(hex);
}

void RoutineBuilder::op(std::string_view text, std::string_view hex, uint32_t value, std::string_view tail_hex) {
  begin(text);
  put_hex(hex);
  for (int i = 0; i < 4; ++i) put(static_cast<uint8_t>(value >> (8 * i)));
  put_hex(tail_hex);
}

void RoutineBuilder::call_import(std::string_view function) {
  const uint32_t slot = at(function);
  begin("call [");
  add_text(function);
  add_text("]");
  put(0xff);
  put(0x15);
  for (int i = 0; i < 4; ++i) put(static_cast<uint8_t>(slot >> (8 * i)));
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
  const Instruction& i = code_[f.instruction];
  uint8_t* end = bytes_.data() + i.bytes_at + i.bytes_size;
  if (f.width == 1) {
    if (displacement < -128 || displacement > 127)
      throw std::logic_error("short jump out of range: " + std::string(text_of(i)));
    end[-1] = static_cast<uint8_t>(displacement);
    return;
  }
  for (int k = 0; k < 4; ++k) end[k - 4] = static_cast<uint8_t>(static_cast<uint32_t>(displacement) >> (8 * k));
}

void RoutineBuilder::bind(LocalLabel l) {
  LabelState& s = state(l);
  if (s.offset >= 0) throw std::logic_error("label bound twice: " + s.name);
  s.offset = size_;
  for (const Fixup& f : s.pending) patch(f, s.offset);
  s.pending.clear();
  begin(s.name);
  add_text(":");
}

// A jump or call to a local label: the displacement is patched now when the
// label is bound, else when it is.
void RoutineBuilder::jump_to(LocalLabel target, int width) {
  const Fixup f{code_.size() - 1, width, size_};
  LabelState& s = state(target);
  if (s.offset >= 0)
    patch(f, s.offset);
  else
    s.pending.push_back(f);
}

void RoutineBuilder::jump(std::string_view mnemonic, LocalLabel target) {
  const JumpForm& form = jump_form(mnemonic);
  const std::string& name = state(target).name;
  begin(mnemonic);
  add_text(" ");
  add_text(name);
  put(form.short_opcode);
  put(0);
  jump_to(target, 1);
}

void RoutineBuilder::jump_near(std::string_view mnemonic, LocalLabel target) {
  const JumpForm& form = jump_form(mnemonic);
  if (mnemonic != "jmp" && form.near_second == 0) throw std::logic_error("no near form of " + std::string(mnemonic));
  const std::string& name = state(target).name;
  begin(mnemonic);
  add_text(" ");
  add_text(name);
  if (mnemonic == "jmp") {
    put(0xe9);
  } else {
    put(0x0f);
    put(form.near_second);
  }
  for (int k = 0; k < 4; ++k) put(0);
  jump_to(target, 4);
}

void RoutineBuilder::call(LocalLabel target) {
  const std::string& name = state(target).name;
  begin("call ");
  add_text(name);
  put(0xe8);
  for (int k = 0; k < 4; ++k) put(0);
  jump_to(target, 4);
}

void RoutineBuilder::finish() {
  for (const LabelState& s : labels_)
    if (!s.pending.empty()) throw std::logic_error("label never bound: " + s.name);
  if (current_address(c_.image) != start_) throw std::logic_error("code emitted inside a routine");
  finished_ = true;
  for (const Instruction& i : code_) {
    if (i.bytes_size == 0) {
      listing_line(c_, text_of(i));  // a label line
      continue;
    }
    emit_bytes(c_, text_of(i), bytes_.data() + i.bytes_at, i.bytes_size);
  }
}

}  // namespace tarn
