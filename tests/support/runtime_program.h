// A small Windows console program around the run-time library, built
// in-process for the tests that run the library's routines under Wine: a
// minimal PE image with the library's imports, its run-time variables, test
// data, the library, and a main body written with the routine helper, ending
// in ExitProcess(0). It stands apart from the compiler's image writer so that
// the routines can be run on their own.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "driver/compilation.h"
#include "runtime/routine.h"
#include "runtime/runtime.h"
#include "support/runtime_image.h"
#include "support/test_support.h"

namespace tarn::test {

class RuntimeProgram {
 public:
  RuntimeProgram() {
    write_imports();
    for (const RuntimeVariable& v : runtime_variables()) {
      AddVariable(c_, v.name, "", v.bytes, current_address(c_.image));
      for (char ch : v.initial) put_byte(c_.image, static_cast<uint8_t>(ch));
    }
    data_pos_ = c_.image.pos;
  }

  // Test data, placed after the run-time variables; each returns its address.
  uint32_t bytes(const std::string& b) {
    seek(c_.image, data_pos_);
    const uint32_t at = current_address(c_.image);
    for (char ch : b) put_byte(c_.image, static_cast<uint8_t>(ch));
    for (int i = 0; i < 4; ++i) put_byte(c_.image, 0);
    data_pos_ = c_.image.pos;
    return at;
  }
  uint32_t integer(int32_t v) { return bytes(dword_bytes(static_cast<uint32_t>(v))); }
  uint32_t single(float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    return bytes(dword_bytes(v));
  }
  uint32_t single_bits(uint32_t v) { return bytes(dword_bytes(v)); }
  // A string buffer of the given capacity holding `text` (code page 866 bytes).
  uint32_t string(const std::string& text, int capacity = 128) {
    std::string b = text;
    b.resize(static_cast<size_t>(capacity) + 4, '\0');
    return bytes(b);
  }

  // The library, then the main body; `body` writes instructions into r.
  template <typename Body>
  void build(Body body) {
    seek(c_.image, data_pos_ + 64);
    emit_runtime_library(c_);
    entry_ = current_address(c_.image);
    RoutineBuilder r(c_);
    body(r);
    r.op("push 0", "6a00");
    r.call_import("ExitProcess");
    r.finish();
  }

  // Calls of the library as the generated code makes them.
  static void push(RoutineBuilder& r, uint32_t address) { r.op("push offset", "68", address); }
  static void push_byte(RoutineBuilder& r, int v) { r.op("push", "6a" + HexText(v, 2)); }
  static void call(RoutineBuilder& r, const char* routine, int argument_bytes = 0) {
    r.call_routine(routine);
    if (argument_bytes) r.op("add esp", "83c4" + HexText(argument_bytes, 2));
  }
  static void writeln(RoutineBuilder& r) { call(r, "writeln"); }

  uint32_t address(const char* name) const { return address_value(c_, name); }
  Compilation& compilation() { return c_; }

  // Writes the executable.
  void write(const std::string& path) {
    ImageState& im = c_.image;
    const uint32_t raw = static_cast<uint32_t>(im.bytes.size()) - 0x200;
    const uint32_t virtual_size = (raw + 0xfff) / 0x1000 * 0x1000;
    auto at = [&](int32_t p, uint32_t v, int n) {
      for (int i = 0; i < n; ++i) im.bytes[static_cast<size_t>(p + i)] = static_cast<uint8_t>(v >> (8 * i));
    };
    std::memset(im.bytes.data(), 0, 0x200);
    at(0, 'M' | ('Z' << 8), 2);
    at(0x3c, 0x40, 4);
    at(0x40, 'P' | ('E' << 8), 4);
    at(0x44, 0x14c, 2);       // i386
    at(0x46, 1, 2);           // one section
    at(0x54, 0xe0, 2);        // optional header size
    at(0x56, 0x010f, 2);
    at(0x58, 0x10b, 2);       // PE32
    at(0x5c, raw, 4);         // SizeOfCode
    at(0x68, entry_ - kImageBase, 4);
    at(0x6c, 0x1000, 4);
    at(0x70, 0x1000, 4);
    at(0x74, kImageBase, 4);
    at(0x78, 0x1000, 4);
    at(0x7c, 0x200, 4);
    at(0x80, 4, 2);           // operating system 4.0
    at(0x88, 4, 2);           // subsystem 4.0
    at(0x90, 0x1000 + virtual_size, 4);
    at(0x94, 0x200, 4);
    at(0x9c, 3, 2);           // console
    at(0xa0, 0x100000, 4);    // stack reserve
    at(0xa4, 0x1000, 4);
    at(0xa8, 0x100000, 4);
    at(0xac, 0x1000, 4);
    at(0xb4, 16, 4);
    at(0xc0, import_directory_, 4);
    at(0xc4, 60, 4);
    const char name[8] = {'.', 'c', 'o', 'd', 'e', 0, 0, 0};
    for (int i = 0; i < 8; ++i) im.bytes[static_cast<size_t>(0x138 + i)] = static_cast<uint8_t>(name[i]);
    at(0x140, virtual_size, 4);
    at(0x144, 0x1000, 4);
    at(0x148, raw, 4);
    at(0x14c, 0x200, 4);
    at(0x15c, 0xE0000060, 4);
    write_file(path, std::string(im.bytes.begin(), im.bytes.end()));
  }

 private:
  // The import area at the section's start: address tables, lookup tables,
  // hint/name entries, library names, descriptors.
  void write_imports() {
    const std::vector<std::pair<std::string, std::vector<std::string>>> libraries = {
        {"kernel32.dll",
         {"GetStdHandle", "WriteFile", "ReadFile", "ExitProcess", "lstrlen", "lstrlenA", "lstrcmpA", "CreateFileA",
          "SetFilePointer", "CloseHandle", "GetLocalTime", "GetProcessHeap", "HeapAlloc", "HeapFree",
          "GetCommandLineA", "GetConsoleScreenBufferInfo", "FillConsoleOutputCharacterA",
          "SetConsoleCursorPosition", "SetConsoleCursorInfo"}},
        {"user32.dll", {"wvsprintfA", "wvsprintfW", "CharLowerA", "CharUpperA"}},
    };
    const uint32_t rva0 = 0x1000;
    uint32_t slots = 0;
    for (const auto& l : libraries) slots += static_cast<uint32_t>(l.second.size()) + 1;
    const uint32_t iat = 0, ilt = 4 * slots;
    uint32_t text = 8 * slots;  // hint/name entries and library names follow
    uint32_t slot = 0;
    std::vector<uint32_t> name_rvas, table_starts;
    ImageState& im = c_.image;
    for (const auto& [library, functions] : libraries) {
      table_starts.push_back(slot);
      for (const std::string& f : functions) {
        const uint32_t hint = rva0 + text;
        seek(im, 0x200 + static_cast<int32_t>(text));
        put_word(im, 0);
        for (char ch : f) put_byte(im, static_cast<uint8_t>(ch));
        put_byte(im, 0);
        text = static_cast<uint32_t>(im.pos - 0x200 + 1) & ~1u;
        for (uint32_t table : {iat, ilt}) {
          seek(im, 0x200 + static_cast<int32_t>(table + 4 * slot));
          put_dword(im, hint);
        }
        AddVariable(c_, f, "", 4, kImageBase + rva0 + iat + 4 * slot);
        ++slot;
      }
      ++slot;  // the terminating 0
      seek(im, 0x200 + static_cast<int32_t>(text));
      name_rvas.push_back(rva0 + text);
      for (char ch : library) put_byte(im, static_cast<uint8_t>(ch));
      put_byte(im, 0);
      text = static_cast<uint32_t>(im.pos - 0x200 + 3) & ~3u;
    }
    import_directory_ = rva0 + text;
    seek(im, 0x200 + static_cast<int32_t>(text));
    for (size_t i = 0; i < libraries.size(); ++i) {
      put_dword(im, rva0 + ilt + 4 * table_starts[i]);
      put_dword(im, 0);
      put_dword(im, 0);
      put_dword(im, name_rvas[i]);
      put_dword(im, rva0 + iat + 4 * table_starts[i]);
    }
    for (int i = 0; i < 20; ++i) put_byte(im, 0);
  }

  Compilation c_;
  int32_t data_pos_ = 0;
  uint32_t entry_ = 0;
  uint32_t import_directory_ = 0;
};

}  // namespace tarn::test
