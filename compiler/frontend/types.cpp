#include "frontend/types.h"

#include "driver/compilation.h"

namespace tarn {

void print_type_listing(const Compilation&) {}

}  // namespace tarn
