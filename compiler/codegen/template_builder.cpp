#include "codegen/template_builder.h"

#include "codegen/generator.h"
#include "codegen/code_gen.h"
#include "codegen/jumps.h"
#include "common/hex.h"
#include "image/image.h"

namespace tarn {

namespace {

const JumpForm& jump_form(std::string_view mnemonic) {
  if (const JumpForm* f = find_jump(mnemonic)) return *f;
  generator_fault("a template jumps with an unknown instruction: " + std::string(mnemonic));
}

int register_number(std::string_view reg) {
  constexpr std::string_view kRegisters[] = {"eax", "ecx", "edx", "ebx", "esp", "ebp", "esi", "edi"};
  for (int i = 0; i < 8; ++i)
    if (kRegisters[i] == reg) return i;
  generator_fault("a template names an unknown register: " + std::string(reg));
}

}  // namespace

namespace {

// Emptied tables of builders that are done, for the next ones.
template <typename Tables>
std::vector<Tables>& spare_tables() {
  thread_local std::vector<Tables> spare;
  return spare;
}

}  // namespace

TemplateBuilder::TemplateBuilder(CodeGen& c) : c_(c) {
  std::vector<Tables>& spare = spare_tables<Tables>();
  if (!spare.empty()) {
    tables_ = std::move(spare.back());
    spare.pop_back();
  }
}

TemplateBuilder::~TemplateBuilder() {
  tables_.waiting.clear();
  tables_.labels.clear();
  tables_.fixups.clear();
  std::vector<Tables>& spare = spare_tables<Tables>();
  if (spare.size() < 8) spare.push_back(std::move(tables_));
}

uint32_t TemplateBuilder::address_here() const {
  return waiting_.empty() ? current_address(c_.image) : waiting_start_ + waiting_bytes_;
}

std::string TemplateBuilder::take_prefix(std::string listing) {
  if (!prefix_pending_) return listing;
  prefix_pending_ = false;
  return std::move(prefix_) + listing;
}

void TemplateBuilder::add(std::string listing, std::string opcode, std::string operand) {
  listing = take_prefix(std::move(listing));
  if (waiting_.empty() && open_fixups_ == 0) {
    emit(c_, listing, opcode, operand);
    return;
  }
  if (waiting_.empty()) {
    waiting_start_ = current_address(c_.image);
    waiting_bytes_ = 0;
  }
  waiting_bytes_ += static_cast<uint32_t>((opcode.size() + operand.size()) / 2);
  waiting_.push_back(Waiting{std::move(listing), std::move(opcode), std::move(operand)});
}

void TemplateBuilder::op(const Asm& text, std::string_view opcode_hex, std::string_view operand_hex) {
  if (waiting_.empty() && open_fixups_ == 0 && !prefix_pending_) {
    emit(c_, text.listing(), opcode_hex, operand_hex);
    return;
  }
  if (waiting_.empty() && open_fixups_ == 0) {
    emit(c_, take_prefix(std::string(text.listing())), opcode_hex, operand_hex);
    return;
  }
  add(std::string(text.listing()), std::string(opcode_hex), std::string(operand_hex));
}

void TemplateBuilder::op_at(const Asm& text, std::string_view opcode_hex, uint32_t address) {
  if (waiting_.empty() && open_fixups_ == 0 && !prefix_pending_) {
    emit_at(c_, text.listing(), opcode_hex, address);
    return;
  }
  if (waiting_.empty() && open_fixups_ == 0) {
    emit_at(c_, take_prefix(std::string(text.listing())), opcode_hex, address);
    return;
  }
  add(std::string(text.listing()), std::string(opcode_hex), HexText(address, 8));
}

void TemplateBuilder::blank_line() { add("", "", ""); }

void TemplateBuilder::mov_imm(std::string_view reg, int32_t value) {
  op("mov " + std::string(reg) + ", " + std::to_string(value), HexText(0xb8 + register_number(reg), 2),
     HexText(value, 8));
}

void TemplateBuilder::store_eax_to(std::string_view variable) {
  op_at("mov " + std::string(variable) + ", eax", "a3", required_address(c_, variable));
}

void TemplateBuilder::push_variable(std::string_view variable) {
  op_at("push " + std::string(variable), "ff35", required_address(c_, variable));
}

void TemplateBuilder::push_imm(int32_t value) { op("push " + std::to_string(value), "68", HexText(value, 8)); }

void TemplateBuilder::call_import(std::string_view function) {
  op_at("call " + std::string(function), "ff15", required_address(c_, function));
}

TemplateLabel TemplateBuilder::label(std::string name) {
  labels_.push_back(LabelState{std::move(name), false, 0});
  return TemplateLabel{static_cast<int>(labels_.size()) - 1};
}

TemplateBuilder::LabelState& TemplateBuilder::state(TemplateLabel l) {
  if (l.id < 0 || l.id >= static_cast<int>(labels_.size())) generator_fault("a label of another template");
  return labels_[static_cast<size_t>(l.id)];
}

void TemplateBuilder::place(TemplateLabel l, std::string prefix) {
  LabelState& s = state(l);
  if (s.bound) generator_fault("template label bound twice: " + s.name);
  if (prefix_pending_) generator_fault("two template labels on one instruction: " + s.name);
  s.bound = true;
  s.address = address_here();
  if (!prefix.empty()) {
    prefix_ = std::move(prefix);
    prefix_pending_ = true;
  }
  size_t kept = 0;
  for (size_t i = 0; i < fixups_.size(); ++i) {
    const Fixup& f = fixups_[i];
    if (f.label != l.id) {
      fixups_[kept++] = f;
      continue;
    }
    const int64_t displacement = static_cast<int64_t>(s.address) - f.next;
    if (f.width == 1 && (displacement < -128 || displacement > 127))
      generator_fault("short jump out of range in a template: " + waiting_[f.instruction].listing);
    waiting_[f.instruction].operand = HexText(displacement, 2 * f.width);
    --open_fixups_;
  }
  fixups_.resize(kept);
  flush_if_nothing_waits();
}

void TemplateBuilder::bind(TemplateLabel l) { place(l, state(l).name + ": "); }

void TemplateBuilder::bind_unlisted(TemplateLabel l) { place(l, {}); }

void TemplateBuilder::jump_to(std::string_view opcode, int width, TemplateLabel target, std::string listing) {
  LabelState& s = state(target);
  const uint32_t next = address_here() + static_cast<uint32_t>(opcode.size() / 2) + static_cast<uint32_t>(width);
  if (s.bound) {
    const int64_t displacement = static_cast<int64_t>(s.address) - next;
    if (width == 1 && (displacement < -128 || displacement > 127))
      generator_fault("short jump out of range in a template: " + listing);
    add(std::move(listing), std::string(opcode), HexText(displacement, 2 * width));
    return;
  }
  ++open_fixups_;
  add(std::move(listing), std::string(opcode), std::string(static_cast<size_t>(2 * width), '0'));
  fixups_.push_back(Fixup{target.id, waiting_.size() - 1, width, next});
}

void TemplateBuilder::jump(std::string_view mnemonic, TemplateLabel target) {
  jump(mnemonic, target, std::string(mnemonic) + " " + state(target).name);
}

void TemplateBuilder::jump(std::string_view mnemonic, TemplateLabel target, std::string listing) {
  const uint8_t opcode = jump_form(mnemonic).short_opcode;
  jump_to(std::string_view(kHexPairs[opcode].data(), 2), 1, target, std::move(listing));
}

void TemplateBuilder::jump_near(std::string_view mnemonic, TemplateLabel target, std::string listing) {
  const JumpForm& form = jump_form(mnemonic);
  if (mnemonic == "jmp") jump_to("e9", 4, target, std::move(listing));
  else if (form.near_second != 0) jump_to("0f" + HexText(form.near_second, 2), 4, target, std::move(listing));
  else generator_fault("a template jumps near with a short-only instruction: " + std::string(mnemonic));
}

void TemplateBuilder::flush_if_nothing_waits() {
  if (open_fixups_ != 0 || waiting_.empty()) return;
  if (current_address(c_.image) != waiting_start_)
    generator_fault("code emitted past a template while its jump waited for a label");
  for (const Waiting& w : waiting_) emit(c_, w.listing, w.opcode, w.operand);
  waiting_.clear();
}

void TemplateBuilder::finish() {
  for (size_t id = 0; id < labels_.size(); ++id)
    for (const Fixup& f : fixups_)
      if (f.label == static_cast<int>(id)) generator_fault("template label never bound: " + labels_[id].name);
  if (prefix_pending_) generator_fault("template label without an instruction: " + prefix_);
  flush_if_nothing_waits();
}

}  // namespace tarn
