// How the instruction templates see the symbol table.
//
// Templates read symbols by number (the postfix operand values are the
// symbols' `location`, which for every operand is the entry's own position)
// and change two fields: `tag5` of a formal bound by GET_P_PAR, and nothing
// else. They go only through `symbol_entry` and `symbol_count`, so the table
// behind them can be swapped without touching a template.
//
// STAND-IN: until the front end's table is in place, the entry type and its
// storage are defined here. The entry has the fields and widths of the front
// end's `TSymbolbableRecord`; the storage is a vector numbered from 1 inside
// `TemplateState`. When the real table lands, delete the struct and the
// `SymbolViewStandIn` storage below and let the two accessors return
// `c.sym.entries[n]` and `c.sym.count`.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarn {

struct Compilation;

struct TSymbolbableRecord {
  std::string name;      // identifier, literal text, or "_t"/"_sys" + counter
  int32_t procname = 0;  // the routine the entry belongs to; 0 = global
  uint8_t symbolclass = 0;
  uint8_t symboltype = 0;
  int32_t location = 0;
  uint8_t tag = 0;   // string capacity, element count, parameter count
  int32_t tag2 = 0;  // goto label: file offset of its slot
  uint8_t tag3 = 0;  // second dimension, or 1 for a named constant
  uint8_t tag4 = 0;  // record type number
  uint8_t tag5 = 0;  // set: the entry's data item holds the address of the real variable
};

struct SymbolViewStandIn {
  std::vector<TSymbolbableRecord> entries = std::vector<TSymbolbableRecord>(1);  // [0] unused
  TSymbolbableRecord none;  // what an out-of-range number reads
};

// Entry n (1-based); an out-of-range number gives an empty entry, so a damaged
// operand emits code against address 0 instead of reading past the table.
TSymbolbableRecord& symbol_entry(Compilation& c, int n);
const TSymbolbableRecord& symbol_entry(const Compilation& c, int n);
int symbol_count(const Compilation& c);

}  // namespace tarn
