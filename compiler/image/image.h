// The image buffer of the executable being written.
#pragma once

namespace tarn {

struct ImageState {};

}  // namespace tarn

#include <string>

namespace tarn {

struct Compilation;

void write_headers(Compilation& c, int section_count);
void write_section_headers(Compilation& c);
void set_code_section_size(Compilation& c, int size);
// Writes the whole image buffer; false on any failure.
bool write_image_file(const Compilation& c, const std::string& path);

}  // namespace tarn
