// The table of user types declared in "type" sections: arrays, records and
// pointers to records, numbered from 101 in the order they are declared.
// Record types carry their fields with size and offset.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tables/symtab.h"

namespace tarn {

constexpr int kTypeNameLength = 25;
// Type numbers travel in the one-byte `tag` of symbols.
constexpr int kLastUserType = 255;
constexpr int kMaxRecordSize = 255;

enum TypeKind { kKindArray = 12, kKindRecord = 20, kKindPointer = 21 };

struct TField {
  std::string name;  // lower case, at most 25 characters
  int number = 0;    // from 1, in creation order
  TypeNumber type = TypeNumber::kNone;  // integer, float, string or pointer
  int length = 0;    // strings: declared length + 2
  int size = 0;      // strings: the length, made even
  int offset = 0;
};

struct TTypeDesc {
  std::string name;  // lower case, at most 25 characters
  int number = 0;    // 100 + position in the table
  int scope = 0;     // procname of the type's symbol
  int kind = 0;      // TypeKind
  int attr1 = 0;     // array: element type; pointer: the record type's number
  int attr2 = 0;     // array: the symbol's tag; record: size in bytes
  int attr3 = 0;     // array: the symbol's tag2
  int attr4 = 0;     // array: the symbol's tag3
  std::vector<TField> fields;  // records only, in list order
};

struct TypeTable {
  std::vector<TTypeDesc> types;
};

}  // namespace tarn

namespace tarn {

class ErrorReporter;

// Appends the descriptor and gives its number (100 + the new length). A number
// beyond 255 would not fit the symbol's one-byte tag: reported as error 0.
int add_type(TypeTable& t, ErrorReporter& errors, TTypeDesc d);

// First descriptor whose name equals `name` ignoring ASCII case; null when none.
const TTypeDesc* find_type(const TypeTable& t, std::string_view name);
// Descriptor `number` (from 101); null when out of range.
const TTypeDesc* type_by_number(const TypeTable& t, int number);
TTypeDesc* type_by_number(TypeTable& t, int number);
// The same for a type number: the descriptor of a user type, nullptr for
// the built-in types.
inline const TTypeDesc* type_by_number(const TypeTable& t, TypeNumber type) {
  return type_by_number(t, static_cast<int>(type));
}

// First field whose name equals `name` ignoring ASCII case; null when none.
const TField* find_field(const TTypeDesc& d, std::string_view name);
// The k-th field (from 1) of record type `number`: null / -1 when there is none.
const TField* field_of(const TypeTable& t, int number, int k);
int field_offset(const TypeTable& t, int number, int k);

// Appends a field to a record under construction: number, offset and the
// record size follow from the fields before it. Integer and float fields take
// 4 bytes, pointers 8, strings their declared length + 2 made even.
// Reports error 0 when the record would pass 255 bytes.
void add_field(ErrorReporter& errors, TTypeDesc& record, std::string_view name, TypeNumber type,
               int string_length = 0);

std::string type_listing(const TypeTable& t);

}  // namespace tarn
