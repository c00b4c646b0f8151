// Declarations: the source file, routine headers and the label, const, type and
// var sections.
#pragma once

namespace tarn {

struct FrontEnd;

// source-file = { routine } "program" name "(" ")" main-block
void parse_source_file(FrontEnd& c);

}  // namespace tarn
