#include "compilation/compilation.h"

#include <string>

#include "base/diagnostics.h"

namespace tarn {

void report_error(Compilation& c, ErrorCode code, std::string_view arg) {
  LexerState& lex = c.lex;
  int column = caret_column(lex.line_text, lex.last_token_text);
  OutputFile& out = c.drv.out;
  out.write("(" + std::to_string(lex.line_number) + "): ");
  out.flush();
  out.write_line(format_message(c.diag, static_cast<int>(code), arg));
  if (lex.source.open) {
    out.write_line(complete_current_line(lex));
    out.write_line(std::string(column > 1 ? column - 1 : 0, ' ') + "^");
  }
  c.drv.reported = true;
  throw CompileError(static_cast<int>(code));
}

void CompilationReporter::report(ErrorCode code, std::string_view arg) { report_error(c_, code, arg); }

}  // namespace tarn
