// The table that maps each postfix op code to its instruction template. The
// reader loop calls the template of a record's op with the record's three
// operand values exactly as read from "postfix.tmp":
//     if (TemplateEmitter e = find_template(op)) e(c, a, b, r);
// A code without a template here emits nothing (the array, record and heap
// operations have their own table).
#pragma once

#include "ir/postfix.h"  // the op codes

namespace tarn {

struct Compilation;

using TemplateEmitter = void (*)(Compilation& c, int a, int b, int r);

struct TemplateEntry {
  int op;
  TemplateEmitter emit;
};

// The template of an op code, or nullptr when it has none here.
TemplateEmitter find_template(int op_code);

}  // namespace tarn
