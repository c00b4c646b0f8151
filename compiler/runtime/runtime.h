// The run-time library: machine-code routines emitted into every compiled
// program, right after "jmp start", in a fixed order.
#pragma once

namespace tarn {

struct Compilation;

// Registers each routine as a named address and emits it, with its header
// line in the listing.
void emit_runtime_library(Compilation& c);

}  // namespace tarn
