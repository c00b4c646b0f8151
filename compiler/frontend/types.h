// The table of user types declared in "type" sections.
#pragma once

namespace tarn {

struct TypeTable {};

}  // namespace tarn

namespace tarn {

struct Compilation;

void print_type_listing(const Compilation& c);

}  // namespace tarn
