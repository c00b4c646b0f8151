// The user type table: descriptors numbered from 101, fields with their sizes
// and offsets, case-insensitive look-ups and the debug listing.
#include "tables/types.h"

#include <cstdio>

#include "common/text.h"
#include "base/diagnostics.h"
#include "tables/symtab.h"

namespace tarn {

int add_type(TypeTable& t, ErrorReporter& errors, TTypeDesc d) {
  int number = 100 + static_cast<int>(t.types.size()) + 1;
  // Symbols keep type numbers in one byte: a 156th type would wrap around and
  // silently alias type 0 upwards.
  if (number > kLastUserType) errors.report(ErrorCode::kInternal, "Too many user types");
  d.name = d.name.substr(0, kTypeNameLength);
  d.number = number;
  t.types.push_back(std::move(d));
  return number;
}

const TTypeDesc* find_type(const TypeTable& t, std::string_view name) {
  for (const TTypeDesc& d : t.types)
    if (equal_ignoring_ascii_case(d.name, name)) return &d;
  return nullptr;
}

const TTypeDesc* type_by_number(const TypeTable& t, int number) {
  if (number < kFirstUserType || number - 100 > static_cast<int>(t.types.size())) return nullptr;
  return &t.types[number - kFirstUserType];
}

TTypeDesc* type_by_number(TypeTable& t, int number) {
  return const_cast<TTypeDesc*>(type_by_number(static_cast<const TypeTable&>(t), number));
}

const TField* find_field(const TTypeDesc& d, std::string_view name) {
  for (const TField& f : d.fields)
    if (equal_ignoring_ascii_case(f.name, name)) return &f;
  return nullptr;
}

const TField* field_of(const TypeTable& t, int number, int k) {
  const TTypeDesc* d = type_by_number(t, number);
  if (d == nullptr || k < 1 || k > static_cast<int>(d->fields.size())) return nullptr;
  return &d->fields[k - 1];
}

int field_offset(const TypeTable& t, int number, int k) {
  const TField* f = field_of(t, number, k);
  return f ? f->offset : -1;
}

void add_field(ErrorReporter& errors, TTypeDesc& record, std::string_view name, TypeNumber type, int string_length) {
  TField f;
  f.name = std::string(name.substr(0, kTypeNameLength));
  f.number = static_cast<int>(record.fields.size()) + 1;
  f.type = type;
  int size = 4;
  if (type == TypeNumber::kString) {
    f.length = string_length + 2;
    f.size = f.length + (f.length % 2);
    size = f.size;
  } else if (type == TypeNumber::kPointer) {
    size = 8;
  }
  f.offset = record.attr2;
  // Record sizes travel in the one-byte tags of symbols as well.
  if (record.attr2 + size > kMaxRecordSize) errors.report(ErrorCode::kInternal, "Record type is larger than 255 bytes");
  record.attr2 += size;
  record.fields.push_back(std::move(f));
}

std::string type_listing(const TypeTable& t) {
  std::string text = "User defined typs:\r\n";
  char buf[128];
  for (const TTypeDesc& d : t.types) {
    text += d.name;
    for (int v : {d.number, d.scope, d.kind, d.attr1, d.attr2, d.attr3, d.attr4}) {
      text += ' ';
      text += std::to_string(v);
    }
    text += "\r\n";
    for (const TField& f : d.fields) {
      std::snprintf(buf, sizeof buf, " - %8s%3d%3d%3d%3d\r\n", f.name.c_str(), static_cast<int>(f.type), f.length,
                    f.size, f.offset);
      text += buf;
    }
  }
  return text;
}


}  // namespace tarn
