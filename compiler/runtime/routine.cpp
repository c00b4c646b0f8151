#include "runtime/routine.h"

#include <array>
#include <cstring>
#include <stdexcept>

#include "codegen/generator.h"
#include "codegen/jumps.h"
#include "image/image.h"

namespace tarn {

namespace {

constexpr char kDigits[] = "0123456789abcdef";

// The value of each hex digit of either case; -1 for a blank, -2 for any
// other character.
constexpr std::array<int8_t, 256> kHexValue = [] {
  std::array<int8_t, 256> t{};
  for (int8_t& v : t) v = -2;
  t[' '] = -1;
  for (int d = 0; d < 10; ++d) t['0' + d] = static_cast<int8_t>(d);
  for (int d = 0; d < 6; ++d) t['a' + d] = t['A' + d] = static_cast<int8_t>(10 + d);
  return t;
}();

// The forms of the jumps met so far, by their mnemonic's bytes packed into a
// number (a mnemonic has at most four): the library names a dozen mnemonics
// hundreds of times.
const JumpForm& jump_form(std::string_view mnemonic) {
  struct Known {
    uint32_t key = 0;
    const JumpForm* form = nullptr;
  };
  thread_local std::array<Known, 32> known;
  if (mnemonic.size() <= 4) {
    uint32_t key = static_cast<uint32_t>(mnemonic.size());
    for (char ch : mnemonic) key = key << 8 | static_cast<unsigned char>(ch);
    Known& k = known[(key * 2654435761u) >> 27];
    if (k.form && k.key == key) return *k.form;
    if (const JumpForm* f = find_jump(mnemonic)) {
      k = Known{key, f};
      return *f;
    }
  } else if (const JumpForm* f = find_jump(mnemonic)) {
    return *f;
  }
  throw std::logic_error("unknown jump " + std::string(mnemonic));
}

}  // namespace

RoutineBuilder::RoutineBuilder(Emitter& c) : c_(c), listing_(c.gen.listing), start_(current_address(c.image)) {
  bytes_.reserve(1024);
  lines_.reserve(256);
  names_.reserve(256);
}

uint32_t RoutineBuilder::at(std::string_view name, int offset) const {
  if (const TVariable* v = find_variable(c_, name))
    return v->VarAddr + static_cast<uint32_t>(offset);
  throw std::logic_error("run-time library refers to an undeclared name: " + std::string(name));
}

void RoutineBuilder::check_open() const {
  if (finished_) throw std::logic_error("instruction after the end of a routine");
}

void RoutineBuilder::put_hex(std::string_view hex) {
  int high = -1;
  for (char ch : hex) {
    const int d = kHexValue[static_cast<unsigned char>(ch)];
    if (d == -1) continue;
    if (d < 0) throw std::logic_error("bad hex text: " + std::string(hex));
    if (high < 0) {
      high = d;
    } else {
      bytes_.push_back(static_cast<uint8_t>(high * 16 + d));
      high = -1;
    }
  }
  if (high >= 0) throw std::logic_error("odd hex text: " + std::string(hex));
}

void RoutineBuilder::put_dword(uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// The line is made in a buffer and appended in one piece when it fits, as it
// nearly always does.
void RoutineBuilder::list(size_t first, std::string_view text, std::string_view more, std::string_view rest) {
  const size_t n = bytes_.size() - first;
  char line[128];
  size_t used = 0;
  if (n > 0) {
    lines_.push_back(
        Line{static_cast<uint32_t>(first), static_cast<uint32_t>(n), static_cast<uint32_t>(listing_.size())});
    uint32_t address = start_ + static_cast<uint32_t>(first);
    for (int i = 7; i >= 0; --i, address >>= 4) line[i] = kDigits[address & 15];
    line[8] = ' ';
    used = 9;
    for (size_t i = first; i < bytes_.size(); ++i) {
      if (used + 2 > sizeof line) {
        listing_.append(line, used);
        used = 0;
      }
      line[used++] = kDigits[bytes_[i] >> 4];
      line[used++] = kDigits[bytes_[i] & 15];
    }
    if (used == sizeof line) {
      listing_.append(line, used);
      used = 0;
    }
    line[used++] = ' ';
  }
  if (used + text.size() + more.size() + rest.size() + 2 <= sizeof line) {
    for (std::string_view part : {text, more, rest}) {
      if (part.empty()) continue;
      std::memcpy(line + used, part.data(), part.size());
      used += part.size();
    }
    line[used++] = '\r';
    line[used++] = '\n';
    listing_.append(line, used);
    return;
  }
  listing_.append(line, used);
  listing_.append(text);
  listing_.append(more);
  listing_.append(rest);
  listing_.append("\r\n", 2);
}

void RoutineBuilder::op(std::string_view text, std::string_view hex) {
  check_open();
  const size_t first = bytes_.size();
  put_hex(hex);
  list(first, text);
}

void RoutineBuilder::op(std::string_view text, std::string_view hex, uint32_t value, std::string_view tail_hex) {
  check_open();
  const size_t first = bytes_.size();
  put_hex(hex);
  put_dword(value);
  put_hex(tail_hex);
  list(first, text);
}

void RoutineBuilder::call_import(std::string_view function) {
  const uint32_t slot = at(function);
  check_open();
  const size_t first = bytes_.size();
  bytes_.push_back(0xff);
  bytes_.push_back(0x15);
  put_dword(slot);
  list(first, "call [", function, "]");
}

void RoutineBuilder::call_routine(std::string_view routine) {
  const uint32_t address = at(routine);
  check_open();
  const size_t first = bytes_.size();
  bytes_.push_back(0xbb);
  put_dword(address);
  list(first, "mov ebx, ", routine);
  op("call ebx", "ffd3");
}

LocalLabel RoutineBuilder::label(std::string_view name) {
  labels_.push_back(LabelState{static_cast<uint32_t>(names_.size()), static_cast<uint32_t>(name.size()), -1, {}});
  names_.append(name);
  return LocalLabel{static_cast<int>(labels_.size()) - 1};
}

std::string_view RoutineBuilder::name_of(const LabelState& s) const {
  return std::string_view(names_).substr(s.name_at, s.name_size);
}

RoutineBuilder::LabelState& RoutineBuilder::state(LocalLabel l) {
  if (l.id < 0 || l.id >= static_cast<int>(labels_.size())) throw std::logic_error("label of another routine");
  return labels_[static_cast<size_t>(l.id)];
}

// Rewrites the displacement at the end of a listed instruction, in its bytes
// and in its listing line.
void RoutineBuilder::patch(const Fixup& f, int target) {
  const Line& l = lines_[f.line];
  const uint32_t end = l.first_byte + l.byte_count;
  const int displacement = target - static_cast<int>(end);
  if (f.width == 1 && (displacement < -128 || displacement > 127)) {
    const size_t text_at = l.listing_at + 10 + 2 * size_t{l.byte_count};
    const size_t line_end = listing_.find("\r\n", text_at);
    throw std::logic_error("short jump out of range: " + listing_.substr(text_at, line_end - text_at));
  }
  char* hex = listing_.data() + l.listing_at + 9 + 2 * size_t{l.byte_count};
  for (int k = 1; k <= f.width; ++k) {
    const auto b = static_cast<uint8_t>(static_cast<uint32_t>(displacement) >> (8 * (f.width - k)));
    bytes_[end - static_cast<uint32_t>(k)] = b;
    *--hex = kDigits[b & 15];
    *--hex = kDigits[b >> 4];
  }
}

void RoutineBuilder::bind(LocalLabel l) {
  check_open();
  LabelState& s = state(l);
  if (s.offset >= 0) throw std::logic_error("label bound twice: " + std::string(name_of(s)));
  s.offset = offset();
  for (const Fixup& f : s.pending) patch(f, s.offset);
  s.pending.clear();
  list(bytes_.size(), name_of(s), ":");
}

// A jump or call to a local label, just listed: the displacement is patched
// now when the label is bound, else when it is.
void RoutineBuilder::jump_to(LocalLabel target, int width) {
  const Fixup f{static_cast<uint32_t>(lines_.size() - 1), width};
  LabelState& s = state(target);
  if (s.offset >= 0)
    patch(f, s.offset);
  else
    s.pending.push_back(f);
}

void RoutineBuilder::jump(std::string_view mnemonic, LocalLabel target) {
  const JumpForm& form = jump_form(mnemonic);
  const std::string_view name = name_of(state(target));
  check_open();
  const size_t first = bytes_.size();
  bytes_.push_back(form.short_opcode);
  bytes_.push_back(0);
  list(first, mnemonic, " ", name);
  jump_to(target, 1);
}

void RoutineBuilder::jump_near(std::string_view mnemonic, LocalLabel target) {
  const JumpForm& form = jump_form(mnemonic);
  if (mnemonic != "jmp" && form.near_second == 0) throw std::logic_error("no near form of " + std::string(mnemonic));
  const std::string_view name = name_of(state(target));
  check_open();
  const size_t first = bytes_.size();
  if (mnemonic == "jmp") {
    bytes_.push_back(0xe9);
  } else {
    bytes_.push_back(0x0f);
    bytes_.push_back(form.near_second);
  }
  put_dword(0);
  list(first, mnemonic, " ", name);
  jump_to(target, 4);
}

void RoutineBuilder::call(LocalLabel target) {
  const std::string_view name = name_of(state(target));
  check_open();
  const size_t first = bytes_.size();
  bytes_.push_back(0xe8);
  put_dword(0);
  list(first, "call ", name);
  jump_to(target, 4);
}

void RoutineBuilder::finish() {
  for (const LabelState& s : labels_)
    if (!s.pending.empty()) throw std::logic_error("label never bound: " + std::string(name_of(s)));
  if (current_address(c_.image) != start_) throw std::logic_error("code emitted inside a routine");
  finished_ = true;
  if (static_cast<size_t>(c_.image.pos) + bytes_.size() < kImageLimit) {
    put_bytes(c_.image, bytes_.data(), bytes_.size());
    return;
  }
  // The routine passes the end of the image: the instructions go in one by
  // one, and the listing ends where the image overflows, after the address
  // and bytes of the instruction that does not fit.
  for (const Line& l : lines_) {
    try {
      put_bytes(c_.image, bytes_.data() + l.first_byte, l.byte_count);
    } catch (const ImageOverflow&) {
      listing_.resize(l.listing_at + 10 + 2 * size_t{l.byte_count});
      throw;
    }
  }
}

}  // namespace tarn
