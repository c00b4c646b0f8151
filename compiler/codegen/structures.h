// Templates of arrays, records, pointers and the heap: their own table, with
// the same shape as the other templates'.
#pragma once

#include "codegen/templates.h"

namespace tarn {

// The template of an array, record, pointer or heap op, or nullptr.
TemplateEmitter find_structure_template(int op_code);

}  // namespace tarn
