// Declarations: the source file, routine headers and the label, const, type and
// var sections.
#include "frontend/declarations.h"

#include "driver/compilation.h"
#include "frontend/lexer.h"

namespace tarn {

// source-file = { routine } "program" name "(" ")" main-block
void parse_source_file(Compilation& c) {
  Token tok;
  bool read = read_token(c, tok);
  if (read && tok.kind == kTokKeyword && tok.code == kProgram) return;
  report_error(c, 108, tok.text);
}

}  // namespace tarn
