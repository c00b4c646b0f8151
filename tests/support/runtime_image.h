// Test scaffolding for the run-time library: a compilation whose import slots
// and run-time variables are declared at the addresses a real image gives
// them, so that the library can be emitted and inspected on its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codegen/generator.h"
#include "compilation/compilation.h"

namespace tarn::test {

// The import slots of every program: name and slot address.
struct ImportSlot {
  const char* name;
  uint32_t slot;
};

inline const std::vector<ImportSlot>& import_slots() {
  static const std::vector<ImportSlot> slots = {
      {"GetStdHandle", 0x00401000}, {"WriteFile", 0x00401004}, {"WriteFile", 0x00401008},
      {"ExitProcess", 0x0040100C}, {"lstrlen", 0x00401010}, {"lstrlenA", 0x00401014},
      {"lstrcmpA", 0x00401018}, {"CreateFileA", 0x0040101C}, {"WriteFile", 0x00401020},
      {"SetFilePointer", 0x00401024}, {"CloseHandle", 0x00401028}, {"GetLocalTime", 0x0040102C},
      {"GetProcessHeap", 0x00401030}, {"HeapAlloc", 0x00401034}, {"HeapFree", 0x00401038},
      {"GetCommandLineA", 0x0040103C}, {"GetConsoleScreenBufferInfo", 0x00401040},
      {"FillConsoleOutputCharacterA", 0x00401044}, {"SetConsoleCursorPosition", 0x00401048},
      {"SetConsoleCursorInfo", 0x0040104C}, {"ReadFile", 0x00401054}, {"wvsprintfA", 0x0040105C},
      {"wvsprintfW", 0x00401060}, {"CharLowerA", 0x00401064}, {"CharUpperA", 0x00401068},
  };
  return slots;
}

// The run-time variables in their declared order, with their sizes in bytes
// and initial contents (empty: zero bytes).
struct RuntimeVariable {
  const char* name;
  uint32_t bytes;
  std::string initial;
};

inline std::string dword_bytes(uint32_t v) {
  std::string s;
  for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
  return s;
}

inline std::vector<RuntimeVariable> runtime_variables() {
  std::vector<RuntimeVariable> v;
  auto dword = [&](const char* name, uint32_t value = 0) { v.push_back({name, 4, dword_bytes(value)}); };
  auto text = [&](const char* name, const std::string& chars) {
    v.push_back({name, static_cast<uint32_t>(chars.size() + 4), chars + std::string(4, '\0')});
  };
  text("_fmt_int", "%i");
  text("_str", std::string(30, ' '));
  for (const char* n : {"_len", "_fr1", "_fn1", "_fn2", "_fn3", "_fn4", "_fn5", "_fn6"}) dword(n);
  dword("_dec", 10);
  text("_ffmt", "%c%i.%s%i ");
  dword("_cwr");
  dword("_fd", 10);
  dword("_100", 100);
  for (const char* n : {"len_int", "hStdOut", "count"}) dword(n);
  dword("str_crlf", 0x0A0D);
  dword("hStdin");
  text("_buff", std::string(127, '#'));
  dword("_x");
  dword("_buffsize", 128);
  for (const char* n : {"_random_seed", "_len1", "_len2", "_lastPos", "_r", "_p"}) dword(n);
  dword("_single_10", 0x41200000);
  dword("_dec", 10);
  for (const char* n : {"_r1", "_r2", "_nn", "_mm", "_n1", "_kk", "_fs", "_ff", "_p", "_pp", "_crw"}) dword(n);
  text("_buf", std::string(40, 'x'));
  for (const char* n : {"_pst", "_strlen", "_hStdout", "_nbw", "_strmaxlen", "_nwrstr"}) dword(n);
  text("_bwrstr", std::string(127, '#'));
  dword("_CRLF", 0x0A0D);
  dword("_crw2");
  for (const char* n : {"_year", "_month", "_dayofweek", "_day", "_hour", "_minute", "_second", "_millesecond"})
    dword(n);
  dword("_hHeap");
  dword("_HeapFlags", 8);
  dword("_hHandle");
  v.push_back({"_csbi", 24, std::string(24, '\0')});
  v.push_back({"_ci", 16, std::string(16, '\0')});
  v.push_back({"_cpos", 4, std::string(4, '\0')});
  dword("_nch");
  return v;
}

// Enters the import slots, and writes the run-time variables at the write
// position (a file offset in the code section) and enters them.
inline void declare_runtime_names(Compilation& c) {
  for (const ImportSlot& s : import_slots()) AddVariable(c.code, s.name, s.slot);
  for (const RuntimeVariable& v : runtime_variables()) {
    AddVariable(c.code, v.name, current_address(c.image));
    for (char ch : v.initial) put_byte(c.image, static_cast<uint8_t>(ch));
  }
}

}  // namespace tarn::test
