// Statements. For now a statement list holds empty statements only, so whole
// programs pass through the front end while the statement forms are built.
#include "frontend/statements.h"

#include "driver/compilation.h"
#include "frontend/lexer.h"

namespace tarn {

// statement-list = ";" { ";" }
void parse_statement_list(Compilation& c, Token& tok) {
  if (tok.kind != kTokSeparator || tok.code != kSemicolon) report_error(c, 107, tok.text);
  while (tok.kind == kTokSeparator && tok.code == kSemicolon) read_token(c, tok);
}

}  // namespace tarn
