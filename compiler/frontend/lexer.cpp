#include "frontend/lexer.h"

#include "driver/compilation.h"

namespace tarn {

void build_keyword_table(Compilation&) {}

}  // namespace tarn
