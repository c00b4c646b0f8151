// The data area: every variable, constant, temporary and label slot of a
// compiled program has one fixed, unaligned place in the image, declared here
// at the write position and entered as a named address. Items follow one
// another with no gaps; code reaches them by absolute address only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tables/symtab.h"

namespace tarn {

struct Emitter;
struct CodeGen;

// Each operation writes the item's address to the listing, enters the item in
// the table of named addresses, stores its bytes and ends the listing line with
// the directive. Arrays and blocks are entered once, at their first element,
// which is where a lookup of the name always led.
void DeclareDword(Emitter& c, std::string_view name, int64_t value);
void DeclareDwordArray(Emitter& c, std::string_view name, int64_t value, int count);
// ceil(bytes / 4) dwords of the value, at least one.
void DeclareBlock(Emitter& c, std::string_view name, int64_t value, int bytes);
// Entered with size 2 but stored as a whole dword.
void DeclareWord(Emitter& c, std::string_view name, int64_t value);
// The text padded with 0 bytes (or cut) to `capacity` characters, then 00 09 00 00.
void DeclareFixedString(Emitter& c, std::string_view name, std::string_view text, int capacity);
// The text and four 0 bytes.
void DeclareStringConst(Emitter& c, std::string_view name, std::string_view text);
// An empty string variable: 00 00, capacity - 2 "#", 00 09, 00 09.
void DeclareStringBuffer(Emitter& c, std::string_view name, int capacity);
void DeclareStringArray(Emitter& c, std::string_view name, int capacity, int count);

// The single-precision bits of a decimal number written with "." whatever the
// locale; 0 for text that is not a number.
uint32_t single_bits(std::string_view text);
// A string literal with every backslash-n (either case) turned into LF CR.
std::string expand_line_breaks(std::string_view literal);

// What the data step needs to know about one symbol.
struct DataSymbol {
  std::string name;       // source name, or the literal's text
  SymbolClass symbolclass = SymbolClass::kNone;
  TypeNumber symboltype = TypeNumber::kNone;
  int location = 0;
  int tag = 0;            // string capacity, element count
  int tag2 = 0;           // integer constant value; set to the slot offset for goto labels
  int tag3 = 0;           // second dimension, or the mark of a named constant
  int record_size = 0;    // for arrays of records: the size of the record type `tag4` names
};

// Declares the data of symbols[0..] (symbol number i + 1) in order. `tag2` of
// goto labels receives the file offset of the label's slot.
void declare_symbols(Emitter& c, std::vector<DataSymbol>& symbols);

// The program's own variables and constants, taken from the symbol table.
void declare_user_data(CodeGen& c);

}  // namespace tarn
