#include "frontend/front_end.h"

#include "frontend/declarations.h"
#include "frontend/lexer.h"

namespace tarn {

void run_front_end(FrontEnd& c, const std::string& work_folder) {
  build_operation_table(c.post);
  open_postfix_files(c.post, work_folder);
  try {
    // The parse reports through `errors`, which brings the line text up to
    // date first: the lexer need not do so after every token.
    LineTextReporter errors(c.lex, c.errors);
    FrontEnd parse{{c.sym, c.types, c.post, errors, c.owner}, c.lex};
    parse_source_file(parse);
    errors.finish();
  } catch (...) {
    close_postfix_files(c.post, work_folder);
    throw;
  }
  close_postfix_files(c.post, work_folder);
  dump_symbol_table(c.sym, work_folder + "symtab.tmp");
}

}  // namespace tarn
