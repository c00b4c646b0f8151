// The symbol table, the function table and the parser's small stacks.
#pragma once

namespace tarn {

struct SymbolTable {};

}  // namespace tarn

namespace tarn {

struct Compilation;

// "symtab.tmp" in the work folder: written after the front end, read back
// before code generation (which also creates the listing "log.tmp").
void dump_symbol_table(Compilation& c);
void reload_symbol_table(Compilation& c);

// Debug-mode listings on standard output.
void print_symbol_listing(const Compilation& c);
void print_function_listing(const Compilation& c);

}  // namespace tarn
