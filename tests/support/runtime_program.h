// A small Windows console program for the tests that run the library's
// routines under Wine. The image writer builds the empty program (imports,
// run-time data, "jmp start", the whole library, the main body); then, over
// its closing ExitProcess call, the main body goes on with a jump over the
// test's data and a test body written with the routine builder, and the
// program ends with ExitProcess(0) as every program does.
#pragma once

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include "image/resource.h"
#include "runtime/routine.h"
#include "support/image_build.h"
#include "support/runtime_image.h"
#include "support/test_support.h"

namespace tarn::test {

class RuntimeProgram {
 public:
  RuntimeProgram() : c_(image_compilation(work_.path(), empty_program_postfix(), kVersionInfo)) {
    if (build_code_section(*c_) != 0) throw std::runtime_error("the empty program did not build");
    // The last 8 bytes are push 0 / call ExitProcess: the test goes on there.
    seek(c_->image, c_->image.pos - 8);
    jump_at_ = c_->image.pos;
    for (int i = 0; i < 5; ++i) put_byte(c_->image, i == 0 ? 0xe9 : 0);  // jmp over the data
  }

  // Test data, between that jump and the body; each returns its address.
  uint32_t bytes(const std::string& b) {
    const uint32_t at = current_address(c_->image);
    for (char ch : b) put_byte(c_->image, static_cast<uint8_t>(ch));
    for (int i = 0; i < 4; ++i) put_byte(c_->image, 0);
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

  // The body; `body` writes instructions into r.
  template <typename Body>
  void build(Body body) {
    const int32_t body_at = c_->image.pos;
    seek(c_->image, jump_at_ + 1);
    put_dword(c_->image, static_cast<uint32_t>(body_at - (jump_at_ + 5)));
    seek(c_->image, body_at);
    RoutineBuilder r(c_->code);
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

  uint32_t address(const char* name) const { return address_value(c_->code, name); }

  // Writes the executable.
  void write(const std::string& path) {
    build_version_resource(c_->image, work_file(*c_, "res.tmp"), "t.exe");
    if (!write_image_file(c_->image, path)) throw std::runtime_error("cannot write " + path);
  }

 private:
  static constexpr const char* kVersionInfo = "\r\n\r\n1.0.0.1\r\n\r\n\r\n1.0.0.1\r\n";

  TempDir work_;
  std::unique_ptr<Compilation> c_;
  int32_t jump_at_ = 0;
};

}  // namespace tarn::test
