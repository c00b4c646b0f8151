#include "image/resource.h"

#include "driver/compilation.h"

namespace tarn {

void build_version_resource(Compilation&, const std::string&) {}

}  // namespace tarn
