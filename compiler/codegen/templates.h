// The table that maps each postfix op code to its instruction template. The
// reader loop calls the template of a record's op with the record's three
// operand values exactly as read from "postfix.tmp":
//     if (TemplateEmitter e = find_template(op)) e(c, a, b, r);
// The array, record and heap operations have their own table; a code found in
// neither (END_PROG aside) ends the compile with an internal error.
#pragma once

#include "ir/postfix.h"  // the op codes

namespace tarn {

struct CodeGen;

using TemplateEmitter = void (*)(CodeGen& c, int a, int b, int r);

struct TemplateEntry {
  int op;
  TemplateEmitter emit;
};

// The template of an op code, or nullptr when it has none here.
TemplateEmitter find_template(int op_code);

}  // namespace tarn
