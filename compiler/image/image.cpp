#include "image/image.h"

#include "driver/compilation.h"

namespace tarn {

void write_headers(Compilation&, int) {}
void write_section_headers(Compilation&) {}
void set_code_section_size(Compilation&, int) {}
bool write_image_file(const Compilation&, const std::string&) { return true; }

}  // namespace tarn
