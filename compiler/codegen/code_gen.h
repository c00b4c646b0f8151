// The code generator's view of a compile and its top step.
#pragma once

#include <string>

#include "codegen/generator.h"
#include "codegen/template_state.h"
#include "tables/symtab.h"
#include "tables/types.h"

namespace tarn {

// What the instruction templates work on: the generator core, the tables
// their operands come from (they change one field, see symbol_view.h), and
// what they keep from one postfix record to the next.
struct CodeGen : Emitter {
  SymbolTable& sym;
  TypeTable& types;
  TemplateState& tmpl;
};

// Reads "postfix.tmp" from the work folder (which ends with a separator) and
// writes one template per record from the write position on, after "jmp
// start" and the run-time library. A missing or malformed file throws, as
// does a jump label that was never placed.
void generate_code(CodeGen& c, const std::string& work_folder);

}  // namespace tarn
