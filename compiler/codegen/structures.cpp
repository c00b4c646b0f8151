// Templates of arrays, records, pointers and the heap.
//
// Every array and record variable starts with a descriptor dword that holds
// the address of its storage, and a pointer holds such an address itself, so
// all of them are reached alike: load the dword, add an offset. A `var`
// formal (a reference) holds the address of the caller's variable instead,
// and every load below goes one step further for it (operands.h).
//
// Elements and fields are reached through esi (reads) or edi (writes); no
// bounds test is generated: an index outside the bounds is the program's
// fault, as with range checks off.
#include "codegen/structures.h"

#include <string>

#include "codegen/code_gen.h"
#include "codegen/generator.h"
#include "codegen/operands.h"
#include "codegen/template_builder.h"
#include "tables/symbol_fields.h"
#include "tables/types.h"

namespace tarn {

namespace {

// The field that a GET_FLD / SET_FLD record names, through the record type of
// the variable (its record_type).
struct FieldInfo {
  int offset = 0;
  TypeNumber type = TypeNumber::kNone;
  int capacity = 0;  // string fields: the declared capacity
};

FieldInfo field_info(CodeGen& c, int variable, int number) {
  const TField* f = field_of(c.types, record_type(symbol_entry(c, variable)), number);
  if (!f) generator_fault("field " + std::to_string(number) + " of '" + name_of(c, variable) + "' has no record type");
  FieldInfo info{f->offset, f->type, f->length - 2};
  if (info.type != TypeNumber::kInteger && info.type != TypeNumber::kFloat && info.type != TypeNumber::kString &&
      info.type != TypeNumber::kPointer)
    generator_fault("field " + f->name + " of '" + name_of(c, variable) + "' has an unknown type");
  return info;
}

TypeNumber element_type(CodeGen& c, int array) {
  const TypeNumber t = type_of(c, array);
  if (t != TypeNumber::kInteger && t != TypeNumber::kFloat && t != TypeNumber::kString)
    generator_fault("array '" + name_of(c, array) + "' has no simple element type");
  return t;
}

// "mov ebx, X" for a descriptor or pointer: with one more step for a reference.
void load_descriptor(CodeGen& c, int n) { load_ebx(c, n, "mov ebx, " + name_of(c, n)); }

// reg += the offset of string element `index` (1-based), N + 4 bytes each.
void string_element(CodeGen& c, const char* reg_text, const char* add_reg, int index, int capacity) {
  load_eax(c, index, "mov eax, " + name_of(c, index));
  TemplateBuilder t(c);
  t.op("dec eax", "48");
  t.mov_imm("ecx", capacity);
  t.op("add ecx, 4", "83c104");
  t.op("mul ecx", "f7e1");
  t.op(std::string("add ") + reg_text + ", eax", add_reg);
}

// ---- arrays ----------------------------------------------------------------

void index_row(CodeGen& c, int a, int b, int r) {
  listing_header(c, "index_op2", a, b);
  const int m = columns(symbol_entry(c, b));
  load_eax(c, a, "mov eax, " + name_of(c, a));
  TemplateBuilder t(c);
  t.op("dec eax", "48");
  t.mov_imm("edx", m);
  t.op("mul edx", "f7e2");
  store_eax(c, r, "mov " + name_of(c, r) + ", eax");
}

void index_column(CodeGen& c, int a, int b, int r) {
  listing_header(c, "index_op", a, b);
  load_eax(c, a, "mov eax, " + name_of(c, a));
  memory_op(c, "add eax, " + name_of(c, b), "0305", b);
  store_eax(c, r, "mov " + name_of(c, r) + ", eax");
}

void get_arr(CodeGen& c, int a, int b, int r) {
  listing_header(c, "get_arr", a, b);
  if (element_type(c, a) == TypeNumber::kString) {
    const int n = capacity(symbol_entry(c, a));  // of an element
    load_descriptor(c, a);
    emit(c, "mov esi, ebx", "89de");
    lea_edi(c, r, "lea edi,  " + name_of(c, r));
    string_element(c, "esi", "01c6", b, n);
    // The result temporary may hold fewer characters than an element.
    const int cap = capacity(symbol_entry(c, r));
    copy_string_bounded(c, cap != 0 && cap < n ? cap : n);
    return;
  }
  load_descriptor(c, a);
  emit(c, "mov esi, ebx", "89de");
  load_eax(c, b, "mov eax, " + name_of(c, b));
  emit(c, "dec eax", "48");
  emit(c, "shl eax, 2", "c1e002");
  emit(c, "add esi,eax", "01c6");
  emit(c, "mov edx, [esi]", "8b16");
  lea_esi(c, r, "lea esi, " + name_of(c, r));
  emit(c, "mov [esi], edx", "8916");
}

void set_arr(CodeGen& c, int a, int b, int r) {
  listing_header(c, "set_arr_token", a, b);
  if (element_type(c, r) == TypeNumber::kString) {
    const int n = capacity(symbol_entry(c, r));  // of an element
    // The value's address first: the element's address needs eax, ecx and edx.
    lea_esi(c, b, "lea esi,  " + name_of(c, b));
    load_descriptor(c, r);
    emit(c, "mov edi, ebx", "89df");
    string_element(c, "edi", "01c7", a, n);
    copy_string_bounded(c, n);
    return;
  }
  load_descriptor(c, r);
  emit(c, "mov esi, ebx", "89de");
  load_eax(c, a, "mov eax, " + name_of(c, a));
  emit(c, "dec eax", "48");
  emit(c, "shl eax, 2", "c1e002");
  emit(c, "add esi,eax", "01c6");
  load_edx(c, b, "mov edx, " + name_of(c, b));
  emit(c, "mov [esi],edx", "8916");
  if (type_of(c, r) == TypeNumber::kFloat && is_integer_type(type_of(c, b))) {
    // In place, from all 32 bits of the integer.
    emit(c, "fild dword ptr [esi]", "db06");
    emit(c, "fstp [esi]", "d91e");
  }
}

// ---- record fields ---------------------------------------------------------

// Copies the string at esi to edi, at most the field's capacity, and ends it
// with a 0 byte.
void copy_field_string(CodeGen& c, const FieldInfo& f) {
  TemplateBuilder t(c);
  const TemplateLabel e1 = t.label("e1"), e2 = t.label("e2");
  t.mov_imm("ecx", f.capacity);
  t.op("xor edx, edx", "31d2");
  t.bind(e1);
  t.op("cmp ecx, $0", "83f900");
  t.jump("je", e2);
  t.op("cmp byte ptr[esi+edx], $0", "803c3200");
  t.jump("jz", e2);
  t.op("mov al, byte ptr[esi+edx]", "8a0432");
  t.op("mov byte ptr[edi+edx], al", "88043a");
  t.op("inc edx", "42");
  t.op("dec ecx", "49");
  t.jump("jmp", e1);
  t.bind(e2);
  t.op("mov byte ptr[edi+edx], $0", "c6043a00");
  t.finish();
}

// Field copy from esi to edi (the result temporary).
void read_field(CodeGen& c, const FieldInfo& f) {
  if (f.type != TypeNumber::kString) {
    emit(c, "mov edx, [esi]", "8b16");
    emit(c, "mov [edi], edx", "8917");
    return;
  }
  copy_field_string(c, f);
}

// Field store of value B at edi. edi is kept; ebx, ecx and edx are free.
void write_field(CodeGen& c, const FieldInfo& f, int b) {
  if (f.type != TypeNumber::kString) {
    load_edx(c, b, "mov edx, " + name_of(c, b));
    emit(c, "mov [edi],edx", "8917");
    if (f.type == TypeNumber::kFloat && is_integer_type(type_of(c, b))) {
      emit(c, "fild dword ptr [edi]", "db07");
      emit(c, "fstp [edi]", "d91f");
    }
    return;
  }
  lea_esi(c, b, "mov esi, offset " + name_of(c, b));
  copy_field_string(c, f);
}

void add_offset(CodeGen& c, const char* reg, const char* add_bytes, int offset) {
  TemplateBuilder t(c);
  t.mov_imm("eax", offset);
  t.op(std::string("add ") + reg + ",eax", add_bytes);
}

void get_fld(CodeGen& c, int a, int b, int r) {
  listing_header(c, "get_fld", a, b);
  const FieldInfo f = field_info(c, a, b);
  load_descriptor(c, a);
  emit(c, "mov esi, ebx", "89de");
  add_offset(c, "esi", "01c6", f.offset);
  lea_edi(c, r, "lea edi, " + name_of(c, r));
  read_field(c, f);
}

void set_fld(CodeGen& c, int a, int b, int r) {
  listing_header(c, "set_fld", a, b);
  const FieldInfo f = field_info(c, r, a);
  load_descriptor(c, r);
  emit(c, "mov edi, ebx", "89df");
  add_offset(c, "edi", "01c7", f.offset);
  write_field(c, f, b);
}

// Pushes the address of the element (R, B) of array of records A; the field
// operation that follows pops it.
void index_record(CodeGen& c, int a, int b, int r) {
  listing_header(c, "index_op3", a, b);
  const TSymbolbableRecord& s = symbol_entry(c, a);
  const TTypeDesc* record = type_by_number(c.types, record_type(s));
  if (!record || s.symbolclass != SymbolClass::kArray)
    generator_fault("'" + name_of(c, a) + "' is not an array of records");
  TemplateBuilder t(c);
  t.op_at("mov esi, " + name_of(c, a), "8b35", addr_value(c, a));
  if (is_reference(c, a)) t.op("mov esi, [esi]", "8b36");
  const int m = columns(s);
  if (m != 0) {
    t.mov_imm("eax", m);
    load_ebx(c, r, "mov ebx, " + name_of(c, r));
    t.op("dec ebx ", "4b");
    t.op("mul ebx ", "f7e3");
    memory_op(c, "add eax, " + name_of(c, b), "0305", b);
  } else {
    t.op("sub eax, eax ", "29c0");
    memory_op(c, "add eax, " + name_of(c, r), "0305", r);
  }
  t.op("dec eax ", "48");
  t.mov_imm("ebx", record->attr2);
  t.op("mul ebx ", "f7e3");
  t.op("add esi, eax ", "01c6");
  t.op("push esi ", "56");
}

void get_fld_a(CodeGen& c, int a, int b, int r) {
  listing_header(c, "get_fld", a, b);
  const FieldInfo f = field_info(c, a, b);
  emit(c, "pop ebx ", "5b");
  emit(c, "mov esi, ebx", "89de");
  add_offset(c, "esi", "01c6", f.offset);
  lea_edi(c, r, "lea edi, " + name_of(c, r));
  read_field(c, f);
}

void set_fld_a(CodeGen& c, int a, int b, int r) {
  listing_header(c, "set_fld_a", a, b);
  const FieldInfo f = field_info(c, r, a);
  emit(c, "pop ebx ", "5b");
  emit(c, "mov edi, ebx", "89df");
  add_offset(c, "edi", "01c7", f.offset);
  write_field(c, f, b);
}

// ---- heap ------------------------------------------------------------------

// new and free work on the process heap, fetched once as the main body starts.
void get_heap(CodeGen& c, int, int, int) {
  TemplateBuilder t(c);
  t.call_import("GetProcessHeap");
  t.store_eax_to("_hHeap");
}

// A zeroed block of B bytes; its address goes to pointer A.
void wd_new(CodeGen& c, int a, int b, int) {
  listing_header(c, "wd_new", a, b);
  TemplateBuilder t(c);
  t.push_imm(b);
  t.op("push $8", "68", HexText(8, 8));  // HEAP_ZERO_MEMORY: the block comes zeroed
  t.push_variable("_hHeap");
  t.call_import("HeapAlloc");
  if (is_reference(c, a)) {
    t.op_at("mov  ebx, " + name_of(c, a), "8b1d", addr_value(c, a));
    t.op("mov [ebx], eax", "8903");
  } else {
    t.op_at("mov " + name_of(c, a) + ", eax", "a3", addr_value(c, a));
  }
}

// Releases the block and leaves the pointer nil.
void wd_free(CodeGen& c, int a, int b, int) {
  listing_header(c, "wd_free", a, b);
  TemplateBuilder t(c);
  if (is_reference(c, a)) {
    t.op_at("mov ecx, " + name_of(c, a), "8b0d", addr_value(c, a));
    t.op("push [ecx]", "ff31");
  } else {
    t.op_at("push " + name_of(c, a), "ff35", addr_value(c, a));
  }
  t.op("push $8", "68", HexText(8, 8));  // the flags, as for HeapAlloc
  t.push_variable("_hHeap");
  t.call_import("HeapFree");
  t.op("xor eax, eax ", "31c0");
  store_eax(c, a, "mov " + name_of(c, a) + ", eax");
}

// The result temporary is a zero dword already.
void wd_nil(CodeGen& c, int, int, int) { listing_line(c, "NIL"); }

constexpr TemplateEntry kTable[] = {
    {GET_ARR, get_arr},       {SET_ARR, set_arr}, {INDEX_OP, index_column}, {INDEX_OP2, index_row},
    {GET_FLD, get_fld},       {SET_FLD, set_fld}, {GET_FLD_A, get_fld_a},   {SET_FLD_A, set_fld_a},
    {INDEX_OP3, index_record}, {WD_NEW, wd_new},   {WD_FREE, wd_free},       {GET_HEAP_PROC, get_heap},
    {WD_NIL, wd_nil},
};

}  // namespace

TemplateEmitter find_structure_template(int op_code) {
  for (const TemplateEntry& e : kTable)
    if (e.op == op_code) return e.emit;
  return nullptr;
}

}  // namespace tarn
