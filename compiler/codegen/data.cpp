// The declaration operations and the data step over the program's symbols.
// Input: the symbol table as the front end left it. Output: the data items at
// the write position, their named addresses and their listing lines.
// Invariant: items are packed with no alignment, in symbol order.
#include "codegen/data.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>

#include "codegen/code_gen.h"
#include "codegen/generator.h"
#include "common/codepage.h"
#include "common/hex.h"
#include "common/text.h"
#include "tables/symbol_fields.h"
#include "tables/symtab.h"
#include "tables/types.h"

namespace tarn {

namespace {

// A value that HexText(value, 8) writes in 8 digits: any below 2^32, negative
// ones as their two's complement.
bool fits_dword(int64_t value) { return value < (int64_t{1} << 32); }

std::string_view hex8(uint32_t v, char (&text)[8]) {
  put_hex(text, v, 8);
  return std::string_view(text, 8);
}

// The address at the start of the listing line, then the item's entry.
void begin_item(Emitter& c, std::string_view name) {
  char text[8];
  const uint32_t address = current_address(c.image);
  listing_write(c, hex8(address, text));
  listing_write(c, " ");
  AddVariable(c, name, address);
}

// One dword, listed: its bytes, then the directive, the name and the value.
void dword_item(Emitter& c, std::string_view name, int64_t value, std::string_view directive) {
  ImageState& im = c.image;
  if (fits_dword(value) && static_cast<size_t>(im.pos) + 4 < im.bytes.size() && name.size() + directive.size() <= 64) {
    // The whole line but its end in one piece, when the dword fits the image
    // as it is: the bytes low first, as emit_instruction lists and stores
    // HexText(value, 8).
    const auto v = static_cast<uint32_t>(value);
    const uint32_t address = current_address(im);
    char line[8 + 1 + 8 + 1 + 64 + 1 + 3 + 8];
    put_hex(line, address, 8);
    size_t n = 8;
    line[n++] = ' ';
    for (int i = 0; i < 4; ++i, n += 2) put_hex_byte(line + n, static_cast<uint8_t>(v >> (8 * i)));
    line[n++] = ' ';
    n = static_cast<size_t>(std::copy(directive.begin(), directive.end(), line + n) - line);
    line[n++] = ' ';
    n = static_cast<size_t>(std::copy(name.begin(), name.end(), line + n) - line);
    line[n++] = ' ';
    line[n++] = '0';
    line[n++] = 'x';
    put_hex(line + n, v, 8);
    n += 8;
    AddVariable(c, name, address);
    put_dword(im, v);
    listing_write(c, std::string_view(line, n));
    return;
  }
  begin_item(c, name);
  if (fits_dword(value)) {
    // The bytes low first, as emit_instruction lists and stores HexText(value, 8).
    const auto v = static_cast<uint32_t>(value);
    char bytes[9];
    for (int i = 0; i < 4; ++i) put_hex_byte(bytes + 2 * i, static_cast<uint8_t>(v >> (8 * i)));
    bytes[8] = ' ';
    listing_write(c, std::string_view(bytes, 9));
    put_dword(c.image, v);
  } else {
    emit_instruction(c, "", HexText(value, 8));
  }
  listing_write(c, directive);
  listing_write(c, " ");
  listing_write(c, name);
  listing_write(c, " 0x");
  char text[8];
  listing_write(c, fits_dword(value) ? hex8(static_cast<uint32_t>(value), text) : std::string_view(HexText(value, 8)));
}

// The elements after an array's first are not entered as named addresses:
// every lookup of the array's name finds the first element, and the last
// entry of the table (which places the code) is always the run-time data's
// final word, so entries for them would never be read.
void silent_dwords(Emitter& c, int64_t value, int count) {
  if (fits_dword(value)) {
    put_dwords(c.image, static_cast<uint32_t>(value), count);  // the bytes of HexText(value, 8), low byte first
    return;
  }
  for (int i = 0; i < count; ++i) emit_instruction_silent(c, "", HexText(value, 8));
}

// The bytes of an empty string variable of capacity n: two 0 bytes, the run of
// "#" that the concatenation code overwrites, and the two 00 09 sentinels.
std::string buffer_bytes(int capacity) {
  std::string s(2, '\0');
  s.append(static_cast<size_t>(std::max(capacity - 2, 0)), '#');
  s += std::string("\0\t\0\t", 4);
  return s;
}

// One string item: the characters (through the code page 866 rule) with
// their own text, 0 and 9 bytes included, in the listing.
void string_item(Emitter& c, std::string_view name, std::string_view bytes, std::string_view shown) {
  begin_item(c, name);
  put_text(c.image, bytes);
  listing_write(c, "string ");
  listing_write(c, name);
  listing_write(c, " '");
  listing_write(c, shown);
  listing_write(c, "'");
}

int64_t integer_value(std::string_view text) {
  int64_t v = 0;
  return parse_int64(trim(text), v) ? v : 0;
}

}  // namespace

void DeclareDword(Emitter& c, std::string_view name, int64_t value) {
  dword_item(c, name, value, "dword");
  listing_line(c);
}

void DeclareDwordArray(Emitter& c, std::string_view name, int64_t value, int count) {
  dword_item(c, name, value, "dword");
  listing_line(c, " x" + std::to_string(count));
  silent_dwords(c, value, count - 1);
}

void DeclareBlock(Emitter& c, std::string_view name, int64_t value, int bytes) {
  const int dwords = std::max((bytes + 3) / 4, 1);
  dword_item(c, name, value, "byte");
  listing_line(c, " x" + std::to_string(bytes));
  silent_dwords(c, value, dwords - 1);
}

void DeclareWord(Emitter& c, std::string_view name, int64_t value) {
  dword_item(c, name, value, "word");
  listing_line(c);
}

void DeclareFixedString(Emitter& c, std::string_view name, std::string_view text, int capacity) {
  std::string bytes(text.substr(0, static_cast<size_t>(std::max(capacity, 0))));
  bytes.resize(static_cast<size_t>(std::max(capacity, 0)), '\0');
  bytes += std::string("\0\t\0\0", 4);
  string_item(c, name, bytes, bytes);
  listing_line(c);
}

void DeclareStringConst(Emitter& c, std::string_view name, std::string_view text) {
  std::string shown = std::string(text) + std::string(2, '\0');
  string_item(c, name, std::string(text) + std::string(4, '\0'), shown);
  listing_line(c);
}

void DeclareStringBuffer(Emitter& c, std::string_view name, int capacity) {
  const std::string bytes = buffer_bytes(capacity);
  string_item(c, name, bytes, bytes.substr(0, static_cast<size_t>(capacity + 2)));
  listing_line(c);
}

void DeclareStringArray(Emitter& c, std::string_view name, int capacity, int count) {
  const std::string bytes = buffer_bytes(capacity);
  const std::string shown = bytes.substr(0, static_cast<size_t>(capacity + 2));
  // The line ends "' x" + count: the element's closing quote, then the count.
  begin_item(c, name);
  put_text(c.image, bytes);
  listing_line(c, "string " + std::string(name) + " '" + shown + "' x" + std::to_string(count));
  if (count <= 1) return;
  // The other elements: the same bytes, through the code page rule once.
  std::vector<uint8_t> element(bytes.size());
  std::transform(bytes.begin(), bytes.end(), element.begin(),
                 [](char ch) { return cp1251_to_cp866(static_cast<unsigned char>(ch)); });
  for (int i = 1; i < count; ++i) put_bytes(c.image, element.data(), element.size());
}

uint32_t single_bits(std::string_view text) {
  std::string t = trim(text);
  std::string_view s = t;
  if (!s.empty() && s[0] == '+') s.remove_prefix(1);
  double d = 0;
  // Literals carry at most a two-digit exponent, so every one fits a double;
  // a value beyond the single range becomes an infinity, as the x87 rounds it.
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), d, std::chars_format::general);
  if (ec != std::errc()) return 0;
  const float f = std::fabs(d) > FLT_MAX ? std::copysign(HUGE_VALF, static_cast<float>(d)) : static_cast<float>(d);
  return std::bit_cast<uint32_t>(f);
}

std::string expand_line_breaks(std::string_view literal) {
  std::string out;
  for (size_t i = 0; i < literal.size(); ++i) {
    if (literal[i] == '\\' && i + 1 < literal.size() && (literal[i + 1] == 'n' || literal[i + 1] == 'N')) {
      out += "\n\r";
      ++i;
    } else {
      out += literal[i];
    }
  }
  return out;
}

namespace {

// A scalar variable, global or local; a named constant (tag3 set) takes its
// value from the literal entered after it.
void declare_variable(Emitter& c, const DataSymbol& s, const std::string& n, const std::string& next_name) {
  switch (s.symboltype) {
    case TypeNumber::kInteger: DeclareDword(c, n, s.tag2); break;
    case TypeNumber::kFloat: DeclareWord(c, n, s.tag3 != 0 ? single_bits(next_name) : 0); break;
    case TypeNumber::kString:
      if (s.tag3 != 0) DeclareStringConst(c, n, next_name);
      else DeclareStringBuffer(c, n, s.tag);
      break;
    case TypeNumber::kText:  // handle and two words of state
      for (int k = 0; k < 3; ++k) DeclareDword(c, n, 0);
      break;
    case TypeNumber::kPointer: DeclareDword(c, n, 0); break;
    default: break;
  }
}

// Adds to the bytes of the item named by `location`. Only symbol numbers are
// ever looked up; a location beyond any symbol's is not kept.
void count_item_bytes(std::vector<uint32_t>& item_bytes, int location, uint32_t bytes) {
  constexpr int kMaxLocation = 1 << 24;
  if (location <= 0 || location >= kMaxLocation) return;
  const auto at = static_cast<size_t>(location);
  if (at >= item_bytes.size()) item_bytes.resize(std::max(at + 1, 2 * item_bytes.size()), 0);
  item_bytes[at] += bytes;
}

}  // namespace

void declare_symbols(Emitter& c, std::vector<DataSymbol>& symbols) {
  for (size_t i = 0; i < symbols.size(); ++i) {
    DataSymbol& s = symbols[i];
    const std::string n = std::to_string(s.location);
    // A named constant's value is the literal entered right after it.
    static const std::string kNoName;
    const std::string& next_name = i + 1 < symbols.size() ? symbols[i + 1].name : kNoName;
    const int rows = s.tag3 != 0 ? s.tag3 : 1;
    const int32_t start = c.image.pos;
    switch (s.symbolclass) {
      case SymbolClass::kVariable:
      case SymbolClass::kLocal: declare_variable(c, s, n, next_name); break;
      case SymbolClass::kLiteral:
        if (s.symboltype == TypeNumber::kIntegerLiteral) DeclareDword(c, n, integer_value(s.name));
        else if (s.symboltype == TypeNumber::kStringLiteral) DeclareStringConst(c, n, expand_line_breaks(s.name));
        else if (s.symboltype == TypeNumber::kFloatLiteral) DeclareDword(c, n, single_bits(s.name));
        break;
      case SymbolClass::kGotoLabel:  // a goto label: its slot receives the label's code address
        AddLabel(c, s.name, current_address(c.image), static_cast<int>(i + 1));
        s.tag2 = c.image.pos;
        DeclareDword(c, n, 0);
        break;
      case SymbolClass::kArray:  // the descriptor points at the storage right after it
        DeclareDword(c, n, current_address(c.image) + 4);
        if (s.symboltype == TypeNumber::kInteger || s.symboltype == TypeNumber::kFloat) {
          const int k = s.tag * rows;
          if (k != 0) DeclareDwordArray(c, n, 0, k);
        } else if (s.symboltype == TypeNumber::kString && s.tag != 0) {
          const int k = s.tag2 * rows;
          if (k != 0) DeclareStringArray(c, n, s.tag, k);
        } else if (s.symboltype == TypeNumber::kRecord) {
          DeclareBlock(c, n, 0, s.tag * rows * s.record_size);
        }
        break;
      case SymbolClass::kConstant:  // one value of an array's initial list, named like the array
        if (s.symboltype == TypeNumber::kInteger) DeclareDword(c, n, integer_value(s.name));
        else if (s.symboltype == TypeNumber::kFloat) DeclareDword(c, n, single_bits(s.name));
        else if (s.symboltype == TypeNumber::kString) DeclareFixedString(c, n, s.name, s.tag);
        break;
      case SymbolClass::kRecord:  // a record variable: descriptor, then the fields
        DeclareDword(c, n, current_address(c.image) + 4);
        DeclareBlock(c, n, 0, s.tag);
        break;
      case SymbolClass::kPointer: DeclareDword(c, n, 0); break;
      default: break;
    }
    if (c.image.pos != start)
      count_item_bytes(c.gen.item_bytes, s.location, static_cast<uint32_t>(c.image.pos - start));
  }
}

void declare_user_data(CodeGen& c) {
  std::vector<DataSymbol> rows;
  rows.reserve(static_cast<size_t>(c.sym.count));
  for (int i = 1; i <= c.sym.count; ++i) {
    const TSymbolbableRecord& e = sym_at(c.sym, i);
    DataSymbol s;
    s.name = e.name;
    s.symbolclass = e.symbolclass;
    s.symboltype = e.symboltype;
    s.location = e.location;
    s.tag = e.tag;
    s.tag2 = e.tag2;
    s.tag3 = e.tag3;
    if (const TTypeDesc* record = type_by_number(c.types, record_type(e))) s.record_size = record->attr2;
    rows.push_back(std::move(s));
  }
  declare_symbols(c, rows);
  // MARK finds a label's slot through the symbol.
  for (int i = 1; i <= c.sym.count; ++i)
    if (rows[static_cast<size_t>(i - 1)].symbolclass == SymbolClass::kGotoLabel)
      set_label_slot(sym_at(c.sym, i), rows[static_cast<size_t>(i - 1)].tag2);
}

}  // namespace tarn
