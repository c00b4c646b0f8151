// The version resource built from "res.tmp", and the final header values.
#pragma once

#include <string>
#include <string_view>

namespace tarn {

struct ImageState;

// Appends the resource section at the end of the image (from the buffer's
// length on) and brings the headers into their final state, with the six
// values of the file res_values_path ("res.tmp"; all empty when it is
// missing). exe_file_name is the executable's name without its folder. The
// full-image condition passes through to the caller.
void build_version_resource(ImageState& im, const std::string& res_values_path, const std::string& exe_file_name);

// A resource string: one 16-bit unit per character, "?" for anything above
// "z", and a 0 unit at the end.
std::string ResourceText(std::string_view s);
// 0 bytes up to the next multiple of 4 of the write position.
void Pad4(ImageState& im);
// One key = value string node at the write position; returns its length
// without the trailing padding.
int VersionString(ImageState& im, std::string_view key, std::string_view value);
// The n-th number (1 to 4) of a dotted version text, at most three digits each; 0 when empty.
int VersionNumberPart(std::string_view text, int n);

}  // namespace tarn
