#include "frontend/parsing.h"

#include "frontend/lexer.h"

namespace tarn {

TSymbolbableRecord& entry(FrontEnd& c, int position) { return sym_at(c.sym, position); }

NestingGuard::NestingGuard(FrontEnd& c, const char* too_deep) : lex_(c.lex) {
  if (++lex_.nesting > kMaxNesting) report_error(c.errors, ErrorCode::kInternal, too_deep);
}

}  // namespace tarn
