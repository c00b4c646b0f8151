// The generator's main sequence. Input: "postfix.tmp", four lines of one
// decimal integer per record (op, A, B, R). Output: the template of every
// record, appended at the write position. Invariant: every patch label is
// consumed once by the end.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

#include "base/diagnostics.h"
#include "codegen/code_gen.h"
#include "codegen/control.h"
#include "codegen/generator.h"
#include "codegen/structures.h"
#include "codegen/templates.h"
#include "common/text.h"
#include "platform/platform.h"

namespace tarn {

namespace {

struct PostfixRecord {
  int op, a, b, r;
};

// The number on one line of a postfix file. The plain form the emitter writes
// (digits, perhaps after a "-") is read directly; anything else goes through
// parse_int64, which also takes a "+".
int line_value(std::string_view line, const std::string& path) {
  int value = 0;
  const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), value);
  if (error == std::errc() && end == line.data() + line.size()) return value;
  int64_t v = 0;
  if (!parse_int64(line, v) || v < INT32_MIN || v > INT32_MAX)
    throw std::runtime_error("Bad line in " + path + ": " + std::string(line));
  return static_cast<int>(v);
}

// The number on a line that is a plain number of at most ten digits,
// perhaps after a "-", read in the same pass that finds the line's end: p
// moves past the line end. False, with p where it was, for anything else.
// `end` is the NUL that ends a std::string's text: it stops the digits.
bool plain_line_value(const char*& p, const char* end, int& value) {
  const char* q = p;
  const bool negative = *q == '-';
  if (negative) ++q;
  const char* digits = q;
  uint64_t v = 0;
  while (static_cast<unsigned char>(*q - '0') < 10)
    v = v * 10 + static_cast<unsigned>(*q++ - '0');  // wraps past 19 digits
  if (q == digits || q - digits > 10 || v > (negative ? 2147483648u : 2147483647u)) return false;
  if (*q == '\r') ++q;
  if (q != end && *q != '\n') return false;
  value = negative ? static_cast<int>(-static_cast<int64_t>(v)) : static_cast<int>(v);
  p = q != end ? q + 1 : q;
  return true;
}

// The records of a postfix file. Any line that is not one integer, or a
// record cut short, makes the whole file unusable.
std::vector<PostfixRecord> read_postfix(const std::string& path) {
  std::string bytes;
  if (!platform::read_file(path, bytes)) throw FileError(FileFailure::kWorkFile, path, platform::last_error());
  std::vector<PostfixRecord> records;
  records.reserve(bytes.size() / 8 + 1);  // a record takes at least eight bytes
  int values[4];
  int k = 0;  // values of the record being read
  const char* p = bytes.c_str();
  const char* const end = p + bytes.size();
  while (p < end) {
    int& value = values[k];
    if (!plain_line_value(p, end, value)) {
      const char* line_end = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
      if (line_end == nullptr) line_end = end;
      std::string_view line(p, static_cast<size_t>(line_end - p));
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      value = line_value(line, path);
      p = line_end < end ? line_end + 1 : end;
    }
    if (++k == 4) {
      records.push_back({values[0], values[1], values[2], values[3]});
      k = 0;
    }
  }
  if (k != 0) throw std::runtime_error("Incomplete record at the end of " + path);
  return records;
}

}  // namespace

void generate_code(CodeGen& c, const std::string& work_folder) {
  const std::vector<PostfixRecord> records = read_postfix(work_folder + "postfix.tmp");
  bool main_body = false;
  for (const PostfixRecord& rec : records) {
    main_body = main_body || rec.op == WD_PROG;
    if (rec.op == END_PROG) continue;  // the exit sequence follows the last record
    TemplateEmitter e = find_template(rec.op);
    if (!e) e = find_structure_template(rec.op);
    if (!e) generator_fault("no code for operation " + std::to_string(rec.op));
    e(c, rec.a, rec.b, rec.r);
  }
  // Without a main body the entry jump would run into the run-time library:
  // it lands on the exit sequence that follows instead.
  if (!main_body) emit_wd_prog(c, 0, 0, 0);
  if (!c.gen.pending_patches.empty())
    generator_fault("jump label never placed: " + c.gen.pending_patches.front());
}

}  // namespace tarn
