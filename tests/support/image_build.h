// Building an executable in-process from a hand-written postfix file, for
// the tests of the image writer that must not wait for the front end.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "compilation/compilation.h"
#include "driver/driver.h"
#include "backend/backend.h"
#include "image/imports.h"
#include "support/test_support.h"

namespace tarn::test {

// One postfix record: the four lines the front end writes for it.
inline std::string postfix_record(int op, int a = 0, int b = 0, int r = 0) {
  std::string s;
  for (int v : {op, a, b, r}) s += std::to_string(v) + "\r\n";
  return s;
}

// The records the front end writes for `program p() begin ; end.`:
// WD_PROG, GET_HEAP_PROC, END_PROG.
inline std::string empty_program_postfix() {
  return postfix_record(-10, 1) + postfix_record(-123) + postfix_record(-66);
}

// A compilation whose work folder is `work` (a folder path without the
// trailing separator), with "postfix.tmp" and, unless empty, "res.tmp" there.
inline std::unique_ptr<Compilation> image_compilation(const std::string& work, const std::string& postfix,
                                                      const std::string& res = {}) {
  auto c = std::make_unique<Compilation>();
  c->drv.work_folder = work + "/";
  write_file(work + "/postfix.tmp", postfix);
  if (!res.empty()) write_file(work + "/res.tmp", res);
  return c;
}

// The headers and the code section, as the driver runs them; 0 when they
// were built (a failure throws CompileError).
inline int build_code_section(Compilation& c) {
  write_headers(c.image, 1);
  write_section_headers(c.image);
  set_code_section_size(c.image, 512);
  generate_image(c);
  return 0;
}

inline std::string image_bytes(const Compilation& c) { return std::string(c.image.bytes.begin(), c.image.bytes.end()); }

inline uint32_t le32(const std::string& bytes, size_t p) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<unsigned char>(bytes.at(p + i))) << (8 * i);
  return v;
}

inline uint32_t le16(const std::string& bytes, size_t p) {
  return static_cast<unsigned char>(bytes.at(p)) | static_cast<uint32_t>(static_cast<unsigned char>(bytes.at(p + 1))) << 8;
}

}  // namespace tarn::test
