#include "frontend/symtab.h"

#include "driver/compilation.h"

namespace tarn {

void dump_symbol_table(Compilation&) {}
void reload_symbol_table(Compilation&) {}
void print_symbol_listing(const Compilation&) {}
void print_function_listing(const Compilation&) {}

}  // namespace tarn
