#include "frontend/declarations.h"

#include "driver/compilation.h"

namespace tarn {

void parse_source_file(Compilation&) {}

}  // namespace tarn
