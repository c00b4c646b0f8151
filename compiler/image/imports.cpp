#include "image/imports.h"

#include "driver/compilation.h"

namespace tarn {

int generate_image(Compilation&) { return 0; }

}  // namespace tarn
