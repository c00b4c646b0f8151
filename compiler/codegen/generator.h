// The code generator: named addresses, labels, the listing, the reader loop.
#pragma once

namespace tarn {

struct GeneratorState {};

}  // namespace tarn
