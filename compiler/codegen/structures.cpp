// Templates of arrays, records, pointers and the heap. The heap handle has its
// code so far; the other rows reach a template that emits nothing yet.
#include "codegen/structures.h"

#include "codegen/generator.h"
#include "driver/compilation.h"
#include "image/imports.h"

namespace tarn {

namespace {

void not_yet(Compilation&, int, int, int) {}

// new and free work on the process heap, fetched once as the main body starts.
void get_heap(Compilation& c, int, int, int) {
  ImportCall(c, "GetProcessHeap");
  emit(c, "mov _hHeap, eax", "a3", AddressOf(c, "_hHeap"));
}

constexpr TemplateEntry kTable[] = {
    {GET_ARR, not_yet},   {SET_ARR, not_yet},   {INDEX_OP, not_yet},      {INDEX_OP2, not_yet},
    {GET_FLD, not_yet},   {SET_FLD, not_yet},   {GET_FLD_A, not_yet},     {SET_FLD_A, not_yet},
    {INDEX_OP3, not_yet}, {WD_NEW, not_yet},    {WD_FREE, not_yet},       {GET_HEAP_PROC, get_heap},
    {WD_NIL, not_yet},
};

}  // namespace

TemplateEmitter find_structure_template(int op_code) {
  for (const TemplateEntry& e : kTable)
    if (e.op == op_code) return e.emit;
  return nullptr;
}

}  // namespace tarn
