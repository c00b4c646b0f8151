// The user type table: numbering, case-insensitive look-ups, field layout and
// the limits that the one-byte tags of symbols impose.
#include <gtest/gtest.h>

#include "tables/symtab.h"
#include "tables/types.h"
#include "frontend_fixture.h"

namespace tarn {
namespace {

TTypeDesc named(const char* name, int kind) {
  TTypeDesc d;
  d.name = name;
  d.kind = kind;
  return d;
}

TEST(TypeTable, NumbersStartAt101WhateverTheKind) {
  test::FrontEndRun fe;
  Compilation& c = fe.start("");
  EXPECT_EQ(add_type(c.types, c.errors, named("vec", kKindArray)), 101);
  EXPECT_EQ(add_type(c.types, c.errors, named("point", kKindRecord)), 102);
  EXPECT_EQ(add_type(c.types, c.errors, named("ppoint", kKindPointer)), 103);
  EXPECT_EQ(type_by_number(c.types, 102)->name, "point");
  EXPECT_EQ(type_by_number(c.types, 104), nullptr);
  EXPECT_EQ(type_by_number(c.types, 100), nullptr);
}

TEST(TypeTable, NamesAreFoundIgnoringCase) {
  test::FrontEndRun fe;
  Compilation& c = fe.start("");
  add_type(c.types, c.errors, named("point", kKindRecord));
  add_type(c.types, c.errors, named("Point", kKindArray));
  ASSERT_NE(find_type(c.types, "POINT"), nullptr);
  EXPECT_EQ(find_type(c.types, "POINT")->number, 101);
  EXPECT_EQ(find_type(c.types, "points"), nullptr);
}

TEST(TypeTable, FieldsAreLaidOutInCreationOrder) {
  test::FrontEndRun fe;
  Compilation& c = fe.start("");
  TTypeDesc r = named("rec", kKindRecord);
  add_field(c.errors, r, "n", TypeNumber::kInteger);
  add_field(c.errors, r, "s", TypeNumber::kString, 10);
  add_field(c.errors, r, "odd", TypeNumber::kString, 3);
  add_field(c.errors, r, "next", TypeNumber::kPointer);
  int number = add_type(c.types, c.errors, r);
  const TTypeDesc& d = *type_by_number(c.types, number);
  EXPECT_EQ(d.fields[1].length, 12);
  EXPECT_EQ(d.fields[1].size, 12);
  EXPECT_EQ(d.fields[2].length, 5);
  EXPECT_EQ(d.fields[2].size, 6);
  EXPECT_EQ(field_offset(c.types, number, 3), 16);
  EXPECT_EQ(field_offset(c.types, number, 4), 22);
  EXPECT_EQ(field_of(c.types, number, 4)->type, TypeNumber::kPointer);
  EXPECT_EQ(d.attr2, 30);
  EXPECT_EQ(find_field(d, "ODD")->number, 3);
  EXPECT_EQ(find_field(d, "missing"), nullptr);
  EXPECT_EQ(field_offset(c.types, number, 5), -1);
  EXPECT_EQ(field_of(c.types, number, 5), nullptr);
  EXPECT_EQ(field_of(c.types, number, 5), nullptr);
  EXPECT_EQ(field_of(c.types, number, 0), nullptr);
}

TEST(TypeTable, IntegerAndTenCharacterStringMakeSixteenBytes) {
  test::FrontEndRun fe;
  Compilation& c = fe.start("");
  TTypeDesc r = named("r", kKindRecord);
  add_field(c.errors, r, "i", TypeNumber::kInteger);
  add_field(c.errors, r, "s", TypeNumber::kString, 10);
  EXPECT_EQ(r.attr2, 16);
}

TEST(TypeTable, Listing) {
  test::FrontEndRun fe;
  Compilation& c = fe.start("");
  EXPECT_EQ(type_listing(c.types), "User defined typs:\r\n");
  TTypeDesc r = named("point", kKindRecord);
  r.scope = 3;
  add_field(c.errors, r, "y", TypeNumber::kInteger);
  add_field(c.errors, r, "name", TypeNumber::kString, 10);
  add_type(c.types, c.errors, r);
  EXPECT_EQ(type_listing(c.types), "User defined typs:\r\npoint 101 3 20 0 16 0 0\r\n -        y  4  0  0  0\r\n -     name 14 12 12  4\r\n");
}

TEST(TypeTable, A156thTypeIsRejected) {
  test::FrontEndRun fe;
  Compilation& c = fe.start("");
  for (int i = 0; i < 155; ++i) add_type(c.types, c.errors, named("t", kKindArray));
  EXPECT_EQ(c.types.types.back().number, 255);
  EXPECT_EQ(fe.report_of([&] { add_type(c.types, c.errors, named("t", kKindArray)); }),
            "src.pas(1): Error 0: 'Too many user types'\r\n\r\n^\r\n");
}

TEST(TypeTable, RecordsBeyond255BytesAreRejected) {
  test::FrontEndRun fe;
  Compilation& c = fe.start("");
  TTypeDesc r = named("big", kKindRecord);
  add_field(c.errors, r, "a", TypeNumber::kString, 128);  // 130
  add_field(c.errors, r, "b", TypeNumber::kString, 122);  // 124: 254 in all
  EXPECT_EQ(r.attr2, 254);
  EXPECT_EQ(fe.report_of([&] { add_field(c.errors, r, "c", TypeNumber::kInteger); }),
            "src.pas(1): Error 0: 'Record type is larger than 255 bytes'\r\n\r\n^\r\n");
}

}  // namespace
}  // namespace tarn
