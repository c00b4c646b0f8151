#include "frontend/parsing.h"

#include "base/compilation.h"

namespace tarn {

TSymbolbableRecord& entry(Compilation& c, int position) { return sym_at(c.sym, position); }

NestingGuard::NestingGuard(Compilation& c, const char* too_deep) : lex_(c.lex) {
  if (++lex_.nesting > kMaxNesting) report_error(c, 0, too_deep);
}

}  // namespace tarn
