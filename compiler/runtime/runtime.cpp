#include "runtime/runtime.h"

#include "driver/compilation.h"

namespace tarn {

void emit_runtime_library(Compilation&) {}

}  // namespace tarn
