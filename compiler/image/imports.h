// The import area, the program's data, the run-time data, the code and the
// closing ExitProcess call.
#pragma once

namespace tarn {

struct Compilation;

// 0 on success, -1 when anything failed (the image did not fit, most often).
int generate_image(Compilation& c);

}  // namespace tarn
