// A compilation reduced to what the instruction templates read: a symbol
// table, named addresses at known places, and the image's code area. Each
// symbol's data item sits at 0x00405000 + 0x100 * n, so its address reads
// "00 5n 40 00" in the expected bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "codegen/data.h"
#include "codegen/generator.h"
#include "codegen/operands.h"
#include "codegen/structures.h"
#include "codegen/templates.h"
#include "common/text.h"
#include "compilation/compilation.h"
#include "tables/types.h"
#include "image/image.h"

namespace tarn::test {

constexpr int32_t kCodeStart = 0x400;  // file offset where the fixture's code begins

struct TemplateFixture : ::testing::Test {
  Compilation c;

  TemplateFixture() {
    seek(c.image, kCodeStart);
    // Run-time routines, variables and import slots the templates name.
    const char* names[] = {"strcmp", "_int2st", "_si2st", "_wrstf", "_int2hst", "writeln", "readln",
                           "readstring", "_strmaxlen", "_crw", "_crw2", "_random_seed", "_year",
                           "lstrlen", "GetLocalTime", "hStdin", "count", "_buff", "_buffsize",
                           "GetStdHandle", "ReadFile", "_hHeap", "GetProcessHeap", "HeapAlloc", "HeapFree"};
    uint32_t a = 0x00401000;
    for (const char* n : names) AddVariable(c.code, n, a += 0x10);
  }

  static uint32_t address(int n) { return 0x00405000u + 0x100u * static_cast<uint32_t>(n); }

  // Adds symbol n (the next position) with its data item.
  int sym(const std::string& name, int cls, int type, int tag = 0, int procname = 0) {
    TSymbolbableRecord s;
    s.name = name;
    s.symbolclass = static_cast<SymbolClass>(cls);
    s.symboltype = static_cast<TypeNumber>(type);
    s.tag = static_cast<uint8_t>(tag);
    s.procname = procname;
    s.location = ++c.sym.count;
    sym_at(c.sym, s.location) = s;
    AddVariable(c.code, std::to_string(s.location), address(s.location));
    return s.location;
  }
  int var(const std::string& name, int type, int tag = 0) { return sym(name, 1, type, tag); }
  int lit(const std::string& text, int type) { return sym(text, 5, type); }
  TSymbolbableRecord& S(int n) { return symbol_entry(c.code, n); }

  // The little-endian bytes of an address as expected text.
  static std::string le(uint32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i) s += (i ? " " : "") + hex_text((v >> (8 * i)) & 0xff, 2);
    return s;
  }
  static std::string at(int n) { return le(address(n)); }
  std::string named(const char* name) const { return le(address_value(c.code, name)); }

  // The code bytes from the fixture's start to the write position, "a1 00 51 ...".
  std::string code() const { return code_from(kCodeStart); }
  std::string code_from(int32_t from) const {
    std::string s;
    for (int32_t i = from; i < c.image.pos; ++i)
      s += (s.empty() ? "" : " ") + hex_text(c.image.bytes[static_cast<size_t>(i)], 2);
    return s;
  }
  uint32_t here() const { return current_address(c.image); }

  // The sizes of the data items, as the real data step lays them out: it runs
  // on a scratch area of the image and everything else it touched is undone.
  void measure_data_items() {
    const SymbolTable symbols = c.sym;
    const std::vector<uint8_t> bytes = c.image.bytes;
    const int32_t pos = c.image.pos;
    const size_t variables = c.gen.variables.size(), labels = c.gen.labels.size();
    const std::string listing = c.gen.listing;
    c.gen.item_bytes.clear();
    seek(c.image, 0x8000);
    declare_user_data(c.code);
    c.sym = symbols;
    c.image.bytes = bytes;
    c.image.pos = pos;
    c.gen.variables.resize(variables);
    c.gen.labels.resize(labels);
    c.gen.listing = listing;
  }

  void run(int op_code, int a, int b, int r) {
    measure_data_items();
    TemplateEmitter e = find_template(op_code);
    if (!e) e = find_structure_template(op_code);
    ASSERT_NE(e, nullptr) << op_code;
    e(c.code, a, b, r);
  }
};

// Expected bytes written with free spacing ("a1" "00 51 40 00") normalised to
// one blank between bytes, lower case.
inline std::string bytes(const std::string& text) {
  std::string digits;
  for (char ch : text)
    if (ch != ' ') digits += static_cast<char>(ch >= 'A' && ch <= 'F' ? ch - 'A' + 'a' : ch);
  std::string s;
  for (size_t i = 0; i + 1 < digits.size(); i += 2) s += (s.empty() ? "" : " ") + digits.substr(i, 2);
  return s;
}

}  // namespace tarn::test
