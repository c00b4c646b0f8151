// The version resource built from "res.tmp", and the final header values.
#pragma once

#include <string>

namespace tarn {

struct Compilation;

void build_version_resource(Compilation& c, const std::string& exe_file_name);

}  // namespace tarn
