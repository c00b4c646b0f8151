#include "runtime/routine.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>

#include "codegen/generator.h"
#include "codegen/jumps.h"
#include "common/hex.h"
#include "image/image.h"

namespace tarn {

namespace {

// The value of each hex digit of either case; 16 for any other character.
constexpr std::array<uint8_t, 256> kNibble = [] {
  std::array<uint8_t, 256> t{};
  for (size_t c = 0; c < 256; ++c) t[c] = kHexValue[c] >= 0 ? static_cast<uint8_t>(kHexValue[c]) : 16;
  return t;
}();

uint8_t* put_dword(uint8_t* to, uint32_t value) {
  for (int i = 0; i < 4; ++i) *to++ = static_cast<uint8_t>(value >> (8 * i));
  return to;
}

const JumpForm& jump_form(std::string_view mnemonic) {
  if (const JumpForm* f = find_jump(mnemonic)) return *f;
  throw std::logic_error("unknown jump " + std::string(mnemonic));
}

}  // namespace

RoutineBuilder::RoutineBuilder(Emitter& c) : c_(c), listing_(c.gen.listing), start_(current_address(c.image)) {
  bytes_.reserve(0, 1024);
  listed_.reserve(0, 16384);
  lines_.reserve(256);
  fixups_.reserve(128);
  names_.reserve(256);
  labels_.reserve(32);
}

uint32_t RoutineBuilder::at(std::string_view name, int offset) const {
  const TVariable* v = find_variable(c_, name);
  if (!v) throw std::logic_error("run-time library refers to an undeclared name: " + std::string(name));
  return v->VarAddr + static_cast<uint32_t>(offset);
}

void RoutineBuilder::check_open() const {
  if (finished_) throw std::logic_error("instruction after the end of a routine");
}

inline uint8_t* RoutineBuilder::room(size_t k) {
  if (bytes_.capacity - size_ < k) bytes_.reserve(size_, size_ + k);
  return bytes_.data.get() + size_;
}

// Two digits at a time; a text of odd length, or with a blank or any other
// character that is not a digit, is read again digit by digit.
inline uint8_t* RoutineBuilder::put_hex(uint8_t* to, std::string_view hex) {
  const auto* p = reinterpret_cast<const unsigned char*>(hex.data());
  const size_t n = hex.size();
  if (n % 2 != 0) return put_hex_digits(to, hex);
  unsigned not_digit = 0;
  for (size_t i = 0; i < n; i += 2) {
    const unsigned high = kNibble[p[i]], low = kNibble[p[i + 1]];
    not_digit |= high | low;
    to[i / 2] = static_cast<uint8_t>(high << 4 | (low & 15));
  }
  if (not_digit & 16) return put_hex_digits(to, hex);
  return to + n / 2;
}

uint8_t* RoutineBuilder::put_hex_digits(uint8_t* to, std::string_view hex) {
  int high = -1;
  for (char ch : hex) {
    if (ch == ' ') continue;
    const int d = kHexValue[static_cast<unsigned char>(ch)];
    if (d < 0) throw std::logic_error("bad hex text: " + std::string(hex));
    if (high < 0) {
      high = d;
    } else {
      *to++ = static_cast<uint8_t>(high * 16 + d);
      high = -1;
    }
  }
  if (high >= 0) throw std::logic_error("odd hex text: " + std::string(hex));
  return to;
}

// The line goes to the routine's own listing, which reaches the generator's
// in one piece when the routine is finished.
inline void RoutineBuilder::list(size_t first, std::string_view text, std::string_view more, std::string_view rest) {
  const size_t n = size_ - first;
  const size_t length = (n > 0 ? 10 + 2 * n : 0) + text.size() + more.size() + rest.size() + 2;
  if (listed_.capacity - listed_size_ < length) listed_.reserve(listed_size_, listed_size_ + length);
  char* to = listed_.data.get() + listed_size_;
  if (n > 0) {
    lines_.push_back(Line{static_cast<uint32_t>(first), static_cast<uint32_t>(n), static_cast<uint32_t>(listed_size_)});
    const uint32_t address = start_ + static_cast<uint32_t>(first);
    for (int shift = 24; shift >= 0; shift -= 8) to = put_hex_byte(to, static_cast<uint8_t>(address >> shift));
    *to++ = ' ';
    const uint8_t* b = bytes_.data.get() + first;
    for (size_t i = 0; i < n; ++i) to = put_hex_byte(to, b[i]);
    *to++ = ' ';
  }
  std::memcpy(to, text.data(), text.size());
  to += text.size();
  if (!more.empty()) {
    std::memcpy(to, more.data(), more.size());
    to += more.size();
  }
  if (!rest.empty()) {
    std::memcpy(to, rest.data(), rest.size());
    to += rest.size();
  }
  to[0] = '\r';
  to[1] = '\n';
  listed_size_ += length;
}

void RoutineBuilder::op(std::string_view text, std::string_view hex) {
  check_open();
  const size_t first = size_;
  size_ = static_cast<size_t>(put_hex(room(hex.size() / 2), hex) - bytes_.data.get());
  list(first, text);
}

void RoutineBuilder::op(std::string_view text, std::string_view hex, uint32_t value, std::string_view tail_hex) {
  check_open();
  const size_t first = size_;
  uint8_t* to = room(hex.size() / 2 + 4 + tail_hex.size() / 2);
  to = put_hex(to, hex);
  to = put_dword(to, value);
  size_ = static_cast<size_t>(put_hex(to, tail_hex) - bytes_.data.get());
  list(first, text);
}

void RoutineBuilder::call_import(std::string_view function) {
  const uint32_t slot = at(function);
  check_open();
  const size_t first = size_;
  uint8_t* to = room(6);
  *to++ = 0xff;
  *to++ = 0x15;
  put_dword(to, slot);
  size_ += 6;
  list(first, "call [", function, "]");
}

void RoutineBuilder::call_routine(std::string_view routine) {
  const uint32_t address = at(routine);
  check_open();
  const size_t first = size_;
  uint8_t* to = room(5);
  *to++ = 0xbb;
  put_dword(to, address);
  size_ += 5;
  list(first, "mov ebx, ", routine);
  op("call ebx", "ffd3");
}

LocalLabel RoutineBuilder::label(std::string_view name) {
  labels_.push_back(LabelState{static_cast<uint32_t>(names_.size()), static_cast<uint32_t>(name.size()), -1, -1});
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
    const std::string_view listed(listed_.data.get(), listed_size_);
    const size_t line_end = listed.find("\r\n", text_at);
    throw std::logic_error("short jump out of range: " + std::string(listed.substr(text_at, line_end - text_at)));
  }
  char* hex = listed_.data.get() + l.listing_at + 9 + 2 * size_t{l.byte_count} - 2 * static_cast<size_t>(f.width);
  uint8_t* b = bytes_.data.get() + end - f.width;
  for (int k = 0; k < f.width; ++k) {
    b[k] = static_cast<uint8_t>(static_cast<uint32_t>(displacement) >> (8 * k));
    hex = put_hex_byte(hex, b[k]);
  }
}

void RoutineBuilder::bind(LocalLabel l) {
  check_open();
  LabelState& s = state(l);
  if (s.offset >= 0) throw std::logic_error("label bound twice: " + std::string(name_of(s)));
  s.offset = offset();
  for (int f = s.pending; f >= 0; f = fixups_[static_cast<size_t>(f)].next)
    patch(fixups_[static_cast<size_t>(f)], s.offset);
  s.pending = -1;
  list(size_, name_of(s), ":");
}

// A jump or call to a local label, just listed: the displacement is patched
// now when the label is bound, else when it is.
void RoutineBuilder::jump_to(LocalLabel target, int width) {
  LabelState& s = state(target);
  const Fixup f{static_cast<uint32_t>(lines_.size() - 1), width, s.pending};
  if (s.offset >= 0) {
    patch(f, s.offset);
    return;
  }
  s.pending = static_cast<int>(fixups_.size());
  fixups_.push_back(f);
}

void RoutineBuilder::jump(std::string_view mnemonic, LocalLabel target) {
  const JumpForm& form = jump_form(mnemonic);
  const std::string_view name = name_of(state(target));
  check_open();
  const size_t first = size_;
  uint8_t* to = room(2);
  to[0] = form.short_opcode;
  to[1] = 0;
  size_ += 2;
  list(first, mnemonic, " ", name);
  jump_to(target, 1);
}

void RoutineBuilder::jump_near(std::string_view mnemonic, LocalLabel target) {
  const JumpForm& form = jump_form(mnemonic);
  if (mnemonic != "jmp" && form.near_second == 0) throw std::logic_error("no near form of " + std::string(mnemonic));
  const std::string_view name = name_of(state(target));
  check_open();
  const size_t first = size_;
  uint8_t* to = room(6);
  if (mnemonic == "jmp") {
    *to++ = 0xe9;
  } else {
    *to++ = 0x0f;
    *to++ = form.near_second;
  }
  size_ = static_cast<size_t>(put_dword(to, 0) - bytes_.data.get());
  list(first, mnemonic, " ", name);
  jump_to(target, 4);
}

void RoutineBuilder::call(LocalLabel target) {
  const std::string_view name = name_of(state(target));
  check_open();
  const size_t first = size_;
  uint8_t* to = room(5);
  *to++ = 0xe8;
  put_dword(to, 0);
  size_ += 5;
  list(first, "call ", name);
  jump_to(target, 4);
}

void RoutineBuilder::finish() {
  for (const LabelState& s : labels_)
    if (s.pending >= 0) throw std::logic_error("label never bound: " + std::string(name_of(s)));
  if (current_address(c_.image) != start_) throw std::logic_error("code emitted inside a routine");
  finished_ = true;
  if (static_cast<size_t>(c_.image.pos) + size_ < kImageLimit) {
    put_bytes(c_.image, bytes_.data.get(), size_);
    listing_.append(listed_.data.get(), listed_size_);
    return;
  }
  // The routine passes the end of the image: the instructions go in one by
  // one, and the listing ends where the image overflows, after the address
  // and bytes of the instruction that does not fit.
  for (const Line& l : lines_) {
    try {
      put_bytes(c_.image, bytes_.data.get() + l.first_byte, l.byte_count);
    } catch (const ImageOverflow&) {
      listing_.append(listed_.data.get(), l.listing_at + 10 + 2 * size_t{l.byte_count});
      throw;
    }
  }
}

void RoutineBuilder::next_routine() {
  if (!finished_) throw std::logic_error("a routine begun before the last one was finished");
  start_ = current_address(c_.image);
  size_ = 0;
  listed_size_ = 0;
  lines_.clear();
  fixups_.clear();
  names_.clear();
  labels_.clear();
  finished_ = false;
}

}  // namespace tarn
