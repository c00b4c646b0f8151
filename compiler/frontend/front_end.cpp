#include "frontend/front_end.h"

#include "base/compilation.h"
#include "frontend/declarations.h"

namespace tarn {

void run_front_end(Compilation& c) {
  build_operation_table(c);
  open_postfix_files(c);
  try {
    parse_source_file(c);
  } catch (...) {
    close_postfix_files(c);
    throw;
  }
  close_postfix_files(c);
  dump_symbol_table(c.sym, work_file(c, "symtab.tmp"));
}

}  // namespace tarn
