// The data area: the bytes, named addresses and listing lines of each kind of
// item, and the rules by which the program's symbols become items.
#include <gtest/gtest.h>

#include "codegen/data.h"
#include "codegen/generator.h"
#include "compilation/compilation.h"
#include "tables/symtab.h"
#include "tables/types.h"
#include "support/test_support.h"

namespace tarn {
namespace {

using namespace std::string_literals;

constexpr int32_t kStart = 0x400;  // where the tests' data begins
constexpr uint32_t kStartVa = 0x00400000 + 0x1000 + (kStart - 0x200);

struct DataArea {
  Compilation c;
  DataArea() { seek(c.image, kStart); }
  std::string bytes() const {
    return std::string(c.image.bytes.begin() + kStart, c.image.bytes.begin() + c.image.pos);
  }
};

std::string dword(uint32_t v) {
  std::string s;
  for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
  return s;
}

DataSymbol sym(int cls, int type, int location, int tag = 0, int tag2 = 0, int tag3 = 0, std::string name = "x") {
  DataSymbol s;
  s.name = std::move(name);
  s.symbolclass = static_cast<SymbolClass>(cls);
  s.symboltype = static_cast<TypeNumber>(type);
  s.location = location;
  s.tag = tag;
  s.tag2 = tag2;
  s.tag3 = tag3;
  return s;
}

TEST(DataItems, EachKindOfSymbolTakesItsBytes) {
  struct Case {
    const char* what;
    std::vector<DataSymbol> symbols;
    std::string bytes;
  } cases[] = {
      {"integer with initial value 5", {sym(1, 4, 3, 0, 5)}, "\x05\0\0\0"s},
      {"integer without initial value", {sym(4, 4, 3)}, "\0\0\0\0"s},
      {"string of capacity 10", {sym(1, 14, 3, 10)}, "\0\0########\0\x09\0\x09"s},
      {"string of capacity 1", {sym(1, 14, 3, 1)}, "\0\0\0\x09\0\x09"s},
      {"named string constant abc", {sym(1, 14, 3, 3, 0, 1), sym(5, 7, 4, 0, 0, 0, "abc")},
       "abc\0\0\0\0"s + "abc\0\0\0\0"s},
      {"string literal with line breaks", {sym(5, 7, 3, 0, 0, 0, "a\\nb\\N")}, "a\n\rb\n\r\0\0\0\0"s},
      {"integer literal", {sym(5, 5, 3, 0, 0, 0, "-2")}, "\xFE\xFF\xFF\xFF"s},
      {"float literal", {sym(5, 9, 3, 0, 0, 0, "1.5E+01")}, dword(0x41700000)},
      {"named float constant 2.5", {sym(1, 8, 3, 0, 0, 1), sym(5, 9, 4, 0, 0, 0, "2.5")},
       dword(0x40200000) + dword(0x40200000)},
      {"float variable", {sym(1, 8, 3)}, dword(0)},
      {"text file", {sym(1, 15, 3)}, std::string(12, '\0')},
      {"pointer", {sym(1, 21, 3)}, dword(0)},
      {"pointer variable class", {sym(21, 25, 3)}, dword(0)},
      {"integer array of 10", {sym(12, 4, 3, 10)}, dword(kStartVa + 4) + std::string(40, '\0')},
      {"float matrix 2 x 3", {sym(12, 8, 3, 2, 0, 3)}, dword(kStartVa + 4) + std::string(24, '\0')},
      {"array with an initial list",
       {sym(12, 4, 3, 0), sym(16, 4, 3, 0, 0, 0, "7"), sym(16, 4, 3, 0, 0, 0, "-1")},
       dword(kStartVa + 4) + dword(7) + dword(0xFFFFFFFF)},
      {"string array initial values", {sym(12, 14, 3, 5, 0), sym(16, 14, 3, 5, 0, 0, "abc"), sym(16, 14, 3, 2, 0, 0, "abc")},
       dword(kStartVa + 4) + "abc\0\0\0\x09\0\0"s + "ab\0\x09\0\0"s},
      {"array of 2 strings of capacity 3", {sym(12, 14, 3, 3, 2)},
       dword(kStartVa + 4) + "\0\0#\0\x09\0\x09"s + "\0\0#\0\x09\0\x09"s},
      {"record variable of 6 bytes", {sym(20, 25, 3, 6)}, dword(kStartVa + 4) + std::string(8, '\0')},
      {"record variable of 0 bytes", {sym(20, 25, 3, 0)}, dword(kStartVa + 4) + std::string(4, '\0')},
      {"procedure, field, jump label: nothing", {sym(2, 0, 3), sym(6, 0, 4), sym(9, 4, 5)}, ""},
  };
  for (Case& k : cases) {
    DataArea d;
    declare_symbols(d.c.code, k.symbols);
    EXPECT_EQ(d.bytes(), k.bytes) << k.what;
  }
}

TEST(DataItems, AnArrayOfRecordsTakesWholeDwordsOfRecords) {
  DataArea d;
  std::vector<DataSymbol> s{sym(12, 25, 3, 3, 0, 0)};
  s[0].record_size = 5;  // 3 records of 5 bytes: 15 bytes, 4 dwords
  declare_symbols(d.c.code, s);
  EXPECT_EQ(d.bytes(), dword(kStartVa + 4) + std::string(16, '\0'));
  EXPECT_NE(d.c.gen.listing.find("byte 3 0x00000000 x15\r\n"), std::string::npos) << d.c.gen.listing;
}

TEST(DataItems, AGotoLabelGetsASlotATargetLabelAndTheSlotOffset) {
  DataArea d;
  std::vector<DataSymbol> s{sym(1, 4, 1), sym(7, 0, 2, 0, 0, 0, "L1")};
  declare_symbols(d.c.code, s);
  EXPECT_EQ(s[1].tag2, kStart + 4);
  EXPECT_EQ(FindLabelById(d.c.code, 2), kStartVa + 4);
  EXPECT_EQ(FindLabel(d.c.code, "L1"), kStartVa + 4);
  EXPECT_EQ(address_value(d.c.code, "2"), kStartVa + 4);
}

TEST(DataItems, AnArrayNameFindsTheFirstElementEvenWhenEnteredAgainAfterIt) {
  DataArea d;
  DeclareDwordArray(d.c.code, "9", 0, 3);
  DeclareStringArray(d.c.code, "10", 2, 3);
  DeclareDword(d.c.code, "9", 5);
  DeclareDword(d.c.code, "10", 5);
  EXPECT_EQ(d.bytes().size(), 3 * 4 + 3 * 6 + 2 * 4u);
  EXPECT_EQ(address_value(d.c.code, "9"), kStartVa);
  EXPECT_EQ(address_value(d.c.code, "10"), kStartVa + 12);
}

TEST(DataItems, ListingLinesNameTheDirective) {
  DataArea d;
  DeclareDword(d.c.code, "17", 5);
  DeclareDwordArray(d.c.code, "18", 0, 10);
  DeclareWord(d.c.code, "_nch", 0);
  DeclareBlock(d.c.code, "_ci", 0, 16);
  DeclareStringConst(d.c.code, "_fmt_int", "%i");
  DeclareStringBuffer(d.c.code, "19", 4);
  DeclareStringArray(d.c.code, "20", 3, 5);
  DeclareFixedString(d.c.code, "21", "abc", 2);
  const std::string expected =
      "00401200 05000000 dword 17 0x00000005\r\n"
      "00401204 00000000 dword 18 0x00000000 x10\r\n"
      "0040122c 00000000 word _nch 0x00000000\r\n"
      "00401230 00000000 byte _ci 0x00000000 x16\r\n"
      "00401240 string _fmt_int '%i\0\0'\r\n"
      "00401246 string 19 '\0\0##\0\x09'\r\n"
      "0040124e string 20 '\0\0#\0\x09' x5\r\n"
      "00401271 string 21 'ab\0\x09\0\0'\r\n"s;
  EXPECT_EQ(d.c.gen.listing, expected);
}

TEST(DataItems, ABlockOfNoBytesStillTakesOneDword) {
  DataArea d;
  DeclareBlock(d.c.code, "b", 0, 0);
  EXPECT_EQ(d.bytes(), std::string(4, '\0'));
  EXPECT_EQ(d.c.gen.variables.size(), 1u);
}

TEST(DataItems, CyrillicStringsAreStoredInTheConsoleCodePage) {
  DataArea d;
  DeclareStringConst(d.c.code, "s", "\xCF\xF0\xE8\xE2\xE5\xF2");  // Привет
  EXPECT_EQ(d.bytes(), "\x8F\xE0\xA8\xA2\xA5\xE2\0\0\0\0"s);
  // The listing keeps the source's own characters.
  EXPECT_NE(d.c.gen.listing.find("'\xCF\xF0\xE8\xE2\xE5\xF2"), std::string::npos);
}

TEST(DataItems, TheSymbolTableGivesTheRowsAndKeepsTheLabelSlots) {
  DataArea d;
  SymbolTable& t = d.c.sym;
  auto add = [&](const char* name, int cls, int type, int tag, int tag3, int tag4) {
    TSymbolbableRecord& e = t.entries[++t.count];
    e.name = name;
    e.symbolclass = static_cast<SymbolClass>(cls);
    e.symboltype = static_cast<TypeNumber>(type);
    e.location = t.count;
    e.tag = static_cast<uint8_t>(tag);
    e.tag3 = static_cast<uint8_t>(tag3);
    e.tag4 = static_cast<uint8_t>(tag4);
  };
  TTypeDesc record;
  record.kind = kKindRecord;
  record.number = 101;
  record.attr2 = 6;  // bytes
  d.c.types.types.push_back(record);
  add("begin", 3, 0, 0, 0, 0);   // keywords declare nothing
  add("l", 7, 0, 0, 0, 0);       // a goto label
  add("v", 12, 25, 2, 0, 101);   // two records of 6 bytes
  declare_user_data(d.c.code);
  EXPECT_EQ(t.entries[2].tag2, kStart);
  EXPECT_EQ(FindLabelById(d.c.code, 2), kStartVa);
  EXPECT_EQ(d.bytes(), dword(0) + dword(kStartVa + 8) + std::string(12, '\0'));
}

TEST(FloatConstants, TextBecomesSinglePrecisionBitsWhateverTheLocale) {
  struct Case {
    const char* text;
    uint32_t bits;
  } cases[] = {
      {"10.0", 0x41200000}, {"0.1", 0x3DCCCCCD}, {"-2.5", 0xC0200000}, {"+1.0", 0x3F800000},
      {"1.0E+02", 0x42C80000}, {"1.0E-02", 0x3C23D70A}, {"3.4E+99", 0x7F800000}, {"1.0E-99", 0},
      {"1.5E+", 0x3FC00000}, {"abc", 0},
  };
  for (const Case& k : cases) EXPECT_EQ(single_bits(k.text), k.bits) << k.text;
}

}  // namespace
}  // namespace tarn

namespace tarn {
namespace {

using namespace std::string_literals;

// A program's declarations, compiled by tarnc: each symbol's item lies right
// after the import area, in symbol order, before the run-time data.
TEST(ProgramData, DeclarationsBecomeItemsInSymbolOrder) {
  test::TempDir dir;
  test::write_file(dir.file("p.pas"), test::crlf("program p()\nlabel\n  m;\nconst\n  k = 5;\n  t = 'abc';\n  x = 2.5;\n"
                                                 "var\n  i: integer;\n  s: string[10];\n  a: array[1..10] of integer;\n"
                                                 "  f: text;\n  b: array[1..2] of string[5] = 'abc', 'de';\n"
                                                 "begin\n;\nend.\n"));
  auto r = test::run_tarnc({"p.pas", "/O:out.txt"}, "", dir.path());
  ASSERT_EQ(r.exit_code, 0) << test::read_file(dir.file("out.txt"));
  const std::string exe = test::read_file(dir.file("p.exe"));
  const uint32_t data = 0x004012DB;  // right after the import area
  auto va = [](const std::string& bytes, size_t p) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[p + i])) << (8 * i);
    return v;
  };
  std::string expected = dword(0)                         // label m: its slot
                         + dword(5) + dword(5)            // k, and the literal 5
                         + "abc\0\0\0\0"s + "abc\0\0\0\0"s  // t, and the literal
                         + dword(0x40200000) + dword(0x40200000)  // x = 2.5, and the literal
                         + dword(0)                       // i
                         + "\0\0########\0\x09\0\x09"s    // s
                         + dword(data + 56) + std::string(40, '\0')  // a: descriptor, 10 elements
                         + std::string(12, '\0')          // f
                         + dword(data + 112) + "abc\0\0\0\x09\0\0"s + "de\0\0\0\0\x09\0\0"s;  // b
  ASSERT_GT(exe.size(), 1243 + expected.size());
  EXPECT_EQ(exe.substr(1243, expected.size()), expected);
  // The run-time data follows at once, and the entry point moves with it.
  EXPECT_EQ(exe.substr(1243 + expected.size(), 6), "%i\0\0\0\0"s);
  EXPECT_EQ(va(exe, 104), 0x182Eu + expected.size());
}

}  // namespace
}  // namespace tarn
