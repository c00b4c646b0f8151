// What the tag fields of a symbol-table entry hold. The table only stores
// `tag` to `tag5`; the declarations give them a meaning that depends on the
// kind of entry, and every pass reads and writes them through these names.
#pragma once

#include <cstdint>

#include "tables/symtab.h"

namespace tarn {

using SymbolEntry = TSymbolbableRecord;

// Strings (variables, temporaries, formals, array elements): the capacity in
// characters. String literals and string constants: the length + 1.
inline int capacity(const SymbolEntry& e) { return e.tag; }
inline void set_capacity(SymbolEntry& e, int n) { e.tag = static_cast<uint8_t>(n); }

// Routines: the number of formals.
inline int formal_count(const SymbolEntry& e) { return e.tag; }
inline void set_formal_count(SymbolEntry& e, int n) { e.tag = static_cast<uint8_t>(n); }

// Functions: called from their own body (kept for the symbol table's dump).
inline void mark_recursive(SymbolEntry& e) { e.tag2 = 1; }

// Named constants are read-only; an integer constant keeps its value too.
inline bool is_read_only(const SymbolEntry& e) { return e.tag3 == 1; }
inline void mark_read_only(SymbolEntry& e) { e.tag3 = 1; }
inline int32_t constant_value(const SymbolEntry& e) { return e.tag2; }
inline void set_constant_value(SymbolEntry& e, int32_t v) { e.tag2 = v; }

// Arrays: the first dimension (held apart from the element capacity when the
// elements are strings) and the second one, 0 when there is none. An array
// with an initial list has its first dimension cleared: the list's entries
// are its storage, so the data step reserves none of its own.
inline int rows(const SymbolEntry& e) { return e.symboltype == TypeNumber::kString ? e.tag2 : e.tag; }
inline void set_rows(SymbolEntry& e, int n) {
  if (e.symboltype == TypeNumber::kString) e.tag2 = n;
  else e.tag = static_cast<uint8_t>(n);
}
inline int columns(const SymbolEntry& e) { return e.tag3; }
inline void set_columns(SymbolEntry& e, int n) { e.tag3 = static_cast<uint8_t>(n); }

// Record variables: their size in bytes; pointer variables: 8.
inline void set_data_size(SymbolEntry& e, int n) { e.tag = static_cast<uint8_t>(n); }

// Record and pointer variables and arrays of records: the number of the
// record type (0 when there is none).
inline int record_type(const SymbolEntry& e) { return e.tag4; }
// Arrays: what the elements are, as an array type describes them: the record
// type's number, else the element type's.
inline int element_number(const SymbolEntry& e) {
  return record_type(e) != 0 ? record_type(e) : static_cast<int>(e.symboltype);
}
inline void set_record_type(SymbolEntry& e, int number) { e.tag4 = static_cast<uint8_t>(number); }

// Formals that hold the address of the caller's variable (`var` formals of
// user types, and formals bound by reference at a call).
inline bool is_reference(const SymbolEntry& e) { return e.tag5 != 0; }
inline void set_reference(SymbolEntry& e, bool on) { e.tag5 = on ? 1 : 0; }

// Type names of records and pointers: the user type's number.
inline int type_number(const SymbolEntry& e) { return e.tag; }
inline void set_type_number(SymbolEntry& e, int number) { e.tag = static_cast<uint8_t>(number); }

// User labels: placed in the code; in the back end, the offset of the slot
// that receives the label's code address.
inline bool is_placed(const SymbolEntry& e) { return e.tag != 0; }
inline void mark_placed(SymbolEntry& e) { e.tag = 1; }
inline int32_t label_slot(const SymbolEntry& e) { return e.tag2; }
inline void set_label_slot(SymbolEntry& e, int32_t offset) { e.tag2 = offset; }

// Arrays and variables of a user type take the shape (dimensions, capacity,
// record type) of the entry they are declared like.
inline void copy_shape(SymbolEntry& e, const SymbolEntry& from) {
  e.tag = from.tag;
  e.tag2 = from.tag2;
  e.tag3 = from.tag3;
  e.tag4 = from.tag4;
}

}  // namespace tarn
