// How the instruction templates see the symbol table.
//
// Templates read symbols by number (the postfix operand values are the
// symbols' `location`, which for every operand is the entry's own position)
// and change one field: whether a formal bound by GET_P_PAR is a reference
// (set_reference). They go only
// through `symbol_entry` and `symbol_count`.
#pragma once

#include "tables/symtab.h"

namespace tarn {

struct CodeGen;

// Entry n (1-based). An out-of-range number is an operand the templates do
// not know: a generator fault, never code against address 0.
TSymbolbableRecord& symbol_entry(CodeGen& c, int n);
const TSymbolbableRecord& symbol_entry(const CodeGen& c, int n);
int symbol_count(const CodeGen& c);

}  // namespace tarn
