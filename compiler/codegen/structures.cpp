// Templates of arrays, records, pointers and the heap (the heap handle now;
// the rest filled in by the structure code).
#include "codegen/emitters.h"

#include "codegen/generator.h"
#include "driver/compilation.h"
#include "image/imports.h"

namespace tarn {

void gen_get_arr(Compilation&, const PostfixRecord&) {}
void gen_set_arr(Compilation&, const PostfixRecord&) {}
void gen_index_column(Compilation&, const PostfixRecord&) {}
void gen_index_row(Compilation&, const PostfixRecord&) {}
void gen_get_fld(Compilation&, const PostfixRecord&) {}
void gen_set_fld(Compilation&, const PostfixRecord&) {}
void gen_get_fld_a(Compilation&, const PostfixRecord&) {}
void gen_set_fld_a(Compilation&, const PostfixRecord&) {}
void gen_index_record(Compilation&, const PostfixRecord&) {}
void gen_new(Compilation&, const PostfixRecord&) {}
void gen_free(Compilation&, const PostfixRecord&) {}

// new and free work on the process heap, fetched once as the main body starts.
void gen_get_heap(Compilation& c, const PostfixRecord&) {
  ImportCall(c, "GetProcessHeap");
  emit(c, "mov _hHeap, eax", "a3", AddressOf(c, "_hHeap"));
}

void gen_nil(Compilation&, const PostfixRecord&) {}

}  // namespace tarn
