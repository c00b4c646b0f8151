#include "codegen/generator.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <stdexcept>

#include "base/diagnostics.h"
#include "common/hex.h"
#include "common/text.h"
#include "platform/platform.h"

namespace tarn {

namespace {

// Data items numbered up to here keep their address under their number.
constexpr size_t kMaxItemNumber = size_t{1} << 20;

bool is_blank_or_control(char ch) { return static_cast<unsigned char>(ch) <= 32; }

// Appends the hex text of an instruction to out: opcode_hex, then the operand's
// digit pairs last pair first, without blanks or control characters at either
// end. Returns where the appended text starts.
size_t append_instruction_hex(std::string& out, std::string_view opcode_hex, std::string_view operand_hex) {
  const size_t start = out.size();
  out.append(opcode_hex);
  for (size_t i = operand_hex.size(); i >= 2; i -= 2) out.append(operand_hex.substr(i - 2, 2));
  size_t b = start;
  while (b < out.size() && is_blank_or_control(out[b])) ++b;
  out.erase(start, b - start);
  while (out.size() > start && is_blank_or_control(out.back())) out.pop_back();
  return start;
}

// Stores the bytes of machine-code hex text (a faulty text stores nothing).
void store_hex(Emitter& c, std::string_view hex) {
  static thread_local std::vector<uint8_t> bytes;
  bytes.clear();
  append_hex_bytes(bytes, hex);
  put_bytes(c.image, bytes.data(), bytes.size());
}

int hex_digit(char ch) { return kHexValue[static_cast<unsigned char>(ch)]; }

// Puts the bytes of hex text made of digit pairs alone at bytes[n], the pairs
// in order or last pair first, and advances n; false for any other text
// (blanks, odd length, a non-digit, more than `room` bytes in all), which then
// goes the general way.
bool plain_hex_bytes(std::string_view hex, bool reversed, uint8_t* bytes, size_t& n, size_t room) {
  if (hex.size() % 2 != 0 || n + hex.size() / 2 > room) return false;
  for (size_t k = 0; k < hex.size(); k += 2) {
    const size_t at = reversed ? hex.size() - 2 - k : k;
    const int high = hex_digit(hex[at]), low = hex_digit(hex[at + 1]);
    if (high < 0 || low < 0) return false;
    bytes[n++] = static_cast<uint8_t>(high * 16 + low);
  }
  return true;
}

void append_hex(std::string& out, uint32_t v, int digits) {
  char text[8];
  out.append(text, static_cast<size_t>(put_hex(text, v, digits) - text));
}

// The start of a listing line: the address, a blank.
void append_address(std::string& out, uint32_t address) {
  char text[9];
  *put_hex(text, address, 8) = ' ';
  out.append(text, 9);
}

}  // namespace

void emit_instruction(Emitter& c, std::string_view opcode_hex, std::string_view operand_hex) {
  std::string& listing = c.gen.listing;
  // Digit pairs alone (the rule): the bytes come from the texts as they are,
  // with nothing to trim and no text to read back.
  uint8_t bytes[32];
  size_t n = 0;
  if (plain_hex_bytes(opcode_hex, false, bytes, n, sizeof bytes) &&
      plain_hex_bytes(operand_hex, true, bytes, n, sizeof bytes)) {
    listing.append(opcode_hex);
    for (size_t i = operand_hex.size(); i >= 2; i -= 2) listing.append(operand_hex.data() + i - 2, 2);
    listing += ' ';
    put_bytes(c.image, bytes, n);
    return;
  }
  const size_t start = append_instruction_hex(listing, opcode_hex, operand_hex);
  store_hex(c, std::string_view(listing).substr(start));
  listing += ' ';
}

void emit_instruction_silent(Emitter& c, std::string_view opcode_hex, std::string_view operand_hex) {
  static thread_local std::string hex;
  hex.clear();
  append_instruction_hex(hex, opcode_hex, operand_hex);
  store_hex(c, hex);
}

namespace {

// Copies n bytes without a call for the short runs of an instruction's bytes
// and texts: two overlapping pieces of a fixed size cover them.
[[gnu::always_inline]] inline void copy_short(void* to, const void* from, size_t n) {
  auto* d = static_cast<char*>(to);
  const auto* s = static_cast<const char*>(from);
  if (n > 32) {
    std::memcpy(d, s, n);
  } else if (n >= 16) {
    std::memcpy(d, s, 16);
    std::memcpy(d + n - 16, s + n - 16, 16);
  } else if (n >= 8) {
    std::memcpy(d, s, 8);
    std::memcpy(d + n - 8, s + n - 8, 8);
  } else if (n >= 4) {
    std::memcpy(d, s, 4);
    std::memcpy(d + n - 4, s + n - 4, 4);
  } else if (n != 0) {
    d[0] = s[0];
    d[n / 2] = s[n / 2];
    d[n - 1] = s[n - 1];
  }
}

// An instruction's listing line, "address hex text" and the line end, put
// together here to go to the listing in one piece, and its bytes.
struct InstructionLine {
  char text[256];
  size_t length = 0;
  uint8_t bytes[32];
  size_t count = 0;

  // The address and a blank.
  void start(uint32_t address) {
    char hex[9];
    for (int i = 3; i >= 0; --i, address >>= 8) put_hex_byte(hex + 2 * i, static_cast<uint8_t>(address));
    hex[8] = ' ';
    std::memcpy(text, hex, 9);
    length = 9;
  }
};

// The line's start, "address hex ": the bytes of opcode_hex and then of
// operand_hex last pair first, their text as it is. Each text is digit pairs
// alone (the rule), together at most 32 bytes; false for anything else, which
// goes the general way.
[[gnu::always_inline]] inline bool put_together(InstructionLine& line, uint32_t address, std::string_view opcode_hex,
                                                std::string_view operand_hex) {
  if (opcode_hex.size() + operand_hex.size() > 64) return false;
  if (!plain_hex_bytes(opcode_hex, false, line.bytes, line.count, sizeof line.bytes) ||
      !plain_hex_bytes(operand_hex, true, line.bytes, line.count, sizeof line.bytes))
    return false;
  line.start(address);
  char* out = line.text;
  size_t k = line.length;
  copy_short(out + k, opcode_hex.data(), opcode_hex.size());
  k += opcode_hex.size();
  for (size_t i = operand_hex.size(); i >= 2; i -= 2) {
    out[k++] = operand_hex[i - 2];
    out[k++] = operand_hex[i - 1];
  }
  out[k++] = ' ';
  line.length = k;
  return true;
}

// Stores the bytes and lists the line with the text. Bytes that make the
// image grow go between the line's start and its text, so an image that
// overflows leaves the start listed without the text.
[[gnu::always_inline]] inline void list_and_store(Emitter& c, InstructionLine& line, std::string_view text,
                                                  const uint8_t* bytes, size_t count) {
  std::string& listing = c.gen.listing;
  ImageState& im = c.image;
  const size_t at = static_cast<size_t>(im.pos);
  if (at + count < im.bytes.size() && line.length + text.size() + 2 <= sizeof line.text) {
    copy_short(im.bytes.data() + at, bytes, count);
    im.pos += static_cast<int32_t>(count);
    char* end = line.text + line.length;
    copy_short(end, text.data(), text.size());
    end[text.size()] = '\r';
    end[text.size() + 1] = '\n';
    listing.append(line.text, line.length + text.size() + 2);
    return;
  }
  listing.append(line.text, line.length);
  put_bytes(im, bytes, count);
  listing.append(text);
  listing.append("\r\n", 2);
}

[[gnu::always_inline]] inline void list_and_store(Emitter& c, InstructionLine& line, std::string_view text) {
  list_and_store(c, line, text, line.bytes, line.count);
}

}  // namespace

void emit(Emitter& c, std::string_view text, std::string_view opcode_hex, std::string_view operand_hex) {
  InstructionLine line;
  if (put_together(line, current_address(c.image), opcode_hex, operand_hex)) {
    list_and_store(c, line, text);
    return;
  }
  append_address(c.gen.listing, current_address(c.image));
  emit_instruction(c, opcode_hex, operand_hex);
  listing_line(c, text);
}

void emit_at(Emitter& c, std::string_view text, std::string_view opcode_hex, uint32_t address) {
  std::string& listing = c.gen.listing;
  InstructionLine line;
  if (opcode_hex.size() <= 2 * 28 &&
      plain_hex_bytes(opcode_hex, false, line.bytes, line.count, sizeof line.bytes - 4)) {
    // The address's bytes low byte first, and their hex in the same order.
    line.start(current_address(c.image));
    char* out = line.text;
    size_t k = line.length;
    copy_short(out + k, opcode_hex.data(), opcode_hex.size());
    k += opcode_hex.size();
    for (int i = 0; i < 4; ++i, k += 2) {
      const uint8_t b = static_cast<uint8_t>(address >> (8 * i));
      line.bytes[line.count++] = b;
      put_hex_byte(out + k, b);
    }
    out[k++] = ' ';
    line.length = k;
    list_and_store(c, line, text);
    return;
  }
  append_address(listing, current_address(c.image));
  const size_t start = listing.size();
  listing.append(opcode_hex);
  for (int i = 0; i < 4; ++i) append_hex(listing, (address >> (8 * i)) & 0xff, 2);
  size_t b = start;
  while (b < listing.size() && is_blank_or_control(listing[b])) ++b;
  listing.erase(start, b - start);
  store_hex(c, std::string_view(listing).substr(start));
  listing += ' ';
  listing_line(c, text);
}

void emit_call_through_ebx(Emitter& c, std::string_view mov_text, uint32_t address, std::string_view call_text) {
  ImageState& im = c.image;
  const size_t at = static_cast<size_t>(im.pos);
  constexpr size_t kLines = 2 * (9 + 14 + 1 + 2);  // both lines but their texts
  if (at + 7 >= im.bytes.size() || mov_text.size() + call_text.size() + kLines > 256) {
    emit_at(c, mov_text, "bb", address);
    emit(c, call_text, "ffd3");
    return;
  }
  // Both lines in one piece, both instructions' bytes in one copy.
  char text[256];
  const uint8_t bytes[7] = {0xbb,
                            static_cast<uint8_t>(address),
                            static_cast<uint8_t>(address >> 8),
                            static_cast<uint8_t>(address >> 16),
                            static_cast<uint8_t>(address >> 24),
                            0xff,
                            0xd3};
  const uint32_t here = current_address(im);
  size_t n = 0;
  const auto put_address = [&](uint32_t a) {
    for (int i = 3; i >= 0; --i, a >>= 8) put_hex_byte(text + n + 2 * static_cast<size_t>(i), static_cast<uint8_t>(a));
    text[n + 8] = ' ';
    n += 9;
  };
  const auto put_text = [&](std::string_view t) {
    copy_short(text + n, t.data(), t.size());
    n += t.size();
    text[n++] = '\r';
    text[n++] = '\n';
  };
  put_address(here);
  for (size_t i = 0; i < 5; ++i, n += 2) put_hex_byte(text + n, bytes[i]);
  text[n++] = ' ';
  put_text(mov_text);
  put_address(here + 5);
  put_hex_byte(text + n, bytes[5]);
  put_hex_byte(text + n + 2, bytes[6]);
  n += 4;
  text[n++] = ' ';
  put_text(call_text);
  copy_short(im.bytes.data() + at, bytes, sizeof bytes);
  im.pos += static_cast<int32_t>(sizeof bytes);
  c.gen.listing.append(text, n);
}

void emit_bytes(Emitter& c, std::string_view text, const uint8_t* bytes, size_t n) {
  InstructionLine line;
  line.start(current_address(c.image));
  if (n <= 64) {
    // The address, a blank, the bytes' hex and a blank; an instruction has
    // at most 15 bytes.
    char* out = line.text + line.length;
    for (size_t i = 0; i < n; ++i, out += 2) put_hex_byte(out, bytes[i]);
    *out = ' ';
    line.length += 2 * n + 1;
    list_and_store(c, line, text, bytes, n);
    return;
  }
  std::string& listing = c.gen.listing;
  listing.append(line.text, line.length);
  for (size_t i = 0; i < n; ++i) listing.append(kHexPairs[bytes[i]].data(), 2);
  listing += ' ';
  put_bytes(c.image, bytes, n);
  listing_line(c, text);
}

InstructionRun::InstructionRun(Emitter& c) : c_(c), start_(current_address(c.image)) {}

bool InstructionRun::room_for(size_t text, size_t bytes) const {
  return length_ + text <= sizeof text_ && count_ + bytes <= sizeof bytes_ &&
         entries_count_ < sizeof entries_ / sizeof entries_[0];
}

void InstructionRun::line(std::initializer_list<std::string_view> pieces) {
  size_t n = 2;
  for (std::string_view piece : pieces) n += piece.size();
  if (!room_for(n, 0)) {
    commit();
    if (!room_for(n, 0)) {
      std::string& listing = c_.gen.listing;
      for (std::string_view piece : pieces) listing.append(piece);
      listing.append("\r\n", 2);
      return;
    }
  }
  Entry& e = entries_[entries_count_++];
  e.line_start = static_cast<uint16_t>(length_);
  for (std::string_view piece : pieces) {
    copy_short(text_ + length_, piece.data(), piece.size());
    length_ += piece.size();
  }
  e.text_start = static_cast<uint16_t>(length_);
  text_[length_++] = '\r';
  text_[length_++] = '\n';
  e.line_end = static_cast<uint16_t>(length_);
  e.byte_start = static_cast<uint8_t>(count_);
  e.byte_count = 0;
}

void InstructionRun::op(std::string_view text, const uint8_t* bytes, size_t n) {
  const size_t size = 9 + 2 * n + 1 + text.size() + 2;
  if (n > 15 || !room_for(size, n)) {
    commit();
    if (n > 15 || !room_for(size, n)) {
      emit_bytes(c_, text, bytes, n);
      start_ = current_address(c_.image);
      return;
    }
  }
  Entry& e = entries_[entries_count_++];
  e.line_start = static_cast<uint16_t>(length_);
  uint32_t address = start_ + static_cast<uint32_t>(count_);
  char* out = text_ + length_;
  for (int i = 3; i >= 0; --i, address >>= 8) put_hex_byte(out + 2 * i, static_cast<uint8_t>(address));
  out[8] = ' ';
  out += 9;
  for (size_t i = 0; i < n; ++i, out += 2) put_hex_byte(out, bytes[i]);
  *out++ = ' ';
  e.text_start = static_cast<uint16_t>(out - text_);
  copy_short(out, text.data(), text.size());
  out += text.size();
  *out++ = '\r';
  *out++ = '\n';
  length_ = static_cast<size_t>(out - text_);
  e.line_end = static_cast<uint16_t>(length_);
  e.byte_start = static_cast<uint8_t>(count_);
  e.byte_count = static_cast<uint8_t>(n);
  copy_short(bytes_ + count_, bytes, n);
  count_ += n;
}

void InstructionRun::op_at(std::string_view text, std::initializer_list<uint8_t> opcode, uint32_t address) {
  uint8_t bytes[16];
  size_t n = 0;
  for (uint8_t b : opcode)
    if (n < sizeof bytes - 4) bytes[n++] = b;
  for (int i = 0; i < 4; ++i) bytes[n++] = static_cast<uint8_t>(address >> (8 * i));
  op(text, bytes, n);
}

void InstructionRun::commit() {
  ImageState& im = c_.image;
  std::string& listing = c_.gen.listing;
  const size_t at = static_cast<size_t>(im.pos);
  if (count_ == 0 || at + count_ < im.bytes.size()) {
    if (count_ != 0) std::memcpy(im.bytes.data() + at, bytes_, count_);
    im.pos += static_cast<int32_t>(count_);
    listing.append(text_, length_);
  } else {
    // As emit_bytes and listing_line write them: each line's start, its
    // bytes, then the rest of the line.
    for (size_t i = 0; i < entries_count_; ++i) {
      const Entry& e = entries_[i];
      listing.append(text_ + e.line_start, e.text_start - e.line_start);
      if (e.byte_count != 0) put_bytes(im, bytes_ + e.byte_start, e.byte_count);
      listing.append(text_ + e.text_start, e.line_end - e.text_start);
    }
  }
  length_ = count_ = entries_count_ = 0;
  start_ = current_address(im);
}

std::string HexText(int64_t n, int digits) { return hex_text(n, digits); }

namespace {

// ASCII letters in lower case, every other byte as it is.
constexpr std::array<char, 256> kFolded = [] {
  std::array<char, 256> folded{};
  for (int i = 0; i < 256; ++i) folded[i] = static_cast<char>(i >= 'A' && i <= 'Z' ? i - 'A' + 'a' : i);
  return folded;
}();

char fold(char ch) { return kFolded[static_cast<unsigned char>(ch)]; }

uint32_t folded_hash(std::string_view name) {
  uint32_t h = 2166136261u;
  for (char ch : name) h = (h ^ static_cast<unsigned char>(fold(ch))) * 16777619u;
  return h;
}

bool same_folded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (fold(a[i]) != fold(b[i])) return false;
  return true;
}

// The slot of `name`: the one holding its first entry, or the empty slot
// where it goes. The table is never more than half full.
GeneratorState::VariableSlot& variable_slot(const GeneratorState& g, std::string_view name) {
  const size_t mask = g.variable_slots.size() - 1;
  const uint32_t hash = folded_hash(name);
  size_t i = hash & mask;
  for (;; i = (i + 1) & mask) {
    GeneratorState::VariableSlot& slot = g.variable_slots[i];
    if (slot.position == 0) {
      slot.hash = hash;  // where the name goes, if it is entered
      return slot;
    }
    if (slot.hash == hash && same_folded(g.variables[slot.position - 1].Name, name)) return slot;
  }
}

// Brings the index up to date with the table: entries appended since it was
// last brought up to date are added (an earlier entry of the same name keeps
// its place); a table that shrank, or slots more than half full, are indexed
// afresh.
void index_new_variables(const GeneratorState& g) {
  if (g.variables.size() < g.variables_indexed || g.variable_slots.empty() ||
      2 * (g.variable_names + g.variables.size() - g.variables_indexed) > g.variable_slots.size()) {
    size_t slots = 1024;
    while (2 * g.variables.size() > slots) slots *= 4;  // few rebuilds as a program's data is entered
    g.variable_slots.assign(slots, {});
    g.variable_names = 0;
    g.variables_indexed = 0;
    g.recent_names = {};
    g.item_addresses.clear();
  }
  for (; g.variables_indexed < g.variables.size(); ++g.variables_indexed) {
    GeneratorState::VariableSlot& slot = variable_slot(g, g.variables[g.variables_indexed].Name);
    if (slot.position == 0) {
      slot.position = static_cast<uint32_t>(g.variables_indexed + 1);
      ++g.variable_names;
    }
  }
}

inline void sync_variable_index(const GeneratorState& g) {
  if (g.variables_indexed == g.variables.size() && !g.variable_slots.empty()) return;  // up to date
  index_new_variables(g);
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && is_blank_or_control(s.front())) s.remove_prefix(1);
  while (!s.empty() && is_blank_or_control(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

const TVariable* find_variable(const Emitter& c, std::string_view name) {
  const GeneratorState& g = c.gen;
  sync_variable_index(g);
  // The same few names (the run-time routines a template calls) are looked
  // up over and over: the last one found under each short key is kept, its
  // text compared exactly. An entry found stays the first of its name for
  // good; a shortened table clears them with the index.
  GeneratorState::RecentName& recent =
      g.recent_names[name.empty()
                         ? 0
                         : (name.size() * 7 + static_cast<unsigned char>(name.back())) % g.recent_names.size()];
  if (recent.position != 0 && recent.name == name) return &g.variables[recent.position - 1];
  const uint32_t position = variable_slot(g, name).position;
  if (position == 0) return nullptr;
  recent.name.assign(name);
  recent.position = position;
  return &g.variables[position - 1];
}

uint32_t look_up_data_item(const Emitter& c, int n) {
  const GeneratorState& g = c.gen;
  sync_variable_index(g);
  const size_t at = static_cast<size_t>(n);
  if (n > 0 && at < g.item_addresses.size() && g.item_addresses[at] != 0) return g.item_addresses[at];
  char text[16];
  const auto [end, error] = std::to_chars(text, text + sizeof text, n);
  const std::string_view name(text, static_cast<size_t>(end - text));
  const TVariable* v = find_variable(c, name);
  if (!v) generator_fault("no address for '" + std::string(name) + "'");
  // Symbol numbers are small: the address is kept under the number, except
  // for an address 0 (never a data item's), which is looked up each time.
  if (n > 0 && at < kMaxItemNumber && v->VarAddr != 0) {
    if (at >= g.item_addresses.size())
      g.item_addresses.resize(std::max<size_t>(at + 1, 2 * g.item_addresses.size()), 0);
    g.item_addresses[at] = v->VarAddr;
  }
  return v->VarAddr;
}

uint32_t address_value(const Emitter& c, std::string_view name) {
  const TVariable* v = find_variable(c, trimmed(name));
  return v ? v->VarAddr : 0;
}

std::string AddressOf(const Emitter& c, std::string_view name) { return HexText(required_address(c, name), 8); }

uint32_t required_address(const Emitter& c, std::string_view name) {
  const TVariable* v = find_variable(c, trimmed(name));
  if (v) return v->VarAddr;
  generator_fault("no address for '" + std::string(name) + "'");
}

void AddVariable(Emitter& c, std::string_view name, uint32_t address) {
  sync_variable_index(c.gen);
  if (c.gen.variables.capacity() == 0) c.gen.variables.reserve(512);
  c.gen.variables.push_back(TVariable{address, std::string(name)});
  sync_variable_index(c.gen);
}

namespace {

// Brings the label indexes up to date as sync_variable_index does: the first
// label of a name or an id keeps its place.
void sync_label_index(const GeneratorState& g) {
  if (g.labels.size() < g.labels_indexed) {
    g.label_index.clear();
    g.label_id_index.clear();
    g.labels_indexed = 0;
  }
  for (; g.labels_indexed < g.labels.size(); ++g.labels_indexed) {
    const TLabel& l = g.labels[g.labels_indexed];
    g.label_index.try_emplace(l.Name, g.labels_indexed);
    g.label_id_index.try_emplace(l.id, g.labels_indexed);
  }
}

}  // namespace

void AddLabel(Emitter& c, std::string_view name, uint32_t value, int id) {
  sync_label_index(c.gen);  // a table shortened since the last lookup is indexed afresh first
  c.gen.labels.push_back(TLabel{std::string(name), value, id});
}

uint32_t FindLabel(const Emitter& c, std::string_view name) {
  sync_label_index(c.gen);
  auto it = c.gen.label_index.find(std::string(name));
  return it == c.gen.label_index.end() ? 0 : c.gen.labels[it->second].Virtual_Addr;
}

uint32_t FindLabelById(const Emitter& c, int id) {
  sync_label_index(c.gen);
  auto it = c.gen.label_id_index.find(id);
  return it == c.gen.label_id_index.end() ? 0 : c.gen.labels[it->second].Virtual_Addr;
}

int32_t add_patch_label(Emitter& c, std::string_view name) {
  const int32_t p = c.image.pos;
  AddLabel(c, name, static_cast<uint32_t>(p));
  c.gen.pending_patches.emplace_back(name);
  return p;
}

void patch_label(Emitter& c, std::string_view name, int length, std::string_view opcode_hex,
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

void listing_write(Emitter& c, std::string_view text) { c.gen.listing += text; }

void listing_line(Emitter& c, std::string_view text) {
  c.gen.listing.append(text);
  c.gen.listing.append("\r\n", 2);
}

void open_listing(Emitter& c, const std::string& path) {
  c.gen.listing.clear();
  // Room for the listing of a full image (about eight text bytes per code
  // byte), so that it is never copied while it grows; pages never written
  // cost no memory.
  c.gen.listing.reserve(kImageLimit * 8);
  c.gen.listing_path = path;
  if (!platform::create_file(path)) throw FileError(FileFailure::kWorkFile, path, platform::last_error());
}

void close_listing(Emitter& c) {
  if (c.gen.listing_path.empty()) return;
  platform::write_file(c.gen.listing_path, c.gen.listing);
}

void generator_fault(const std::string& text) { throw GeneratorFault(text); }

}  // namespace tarn
