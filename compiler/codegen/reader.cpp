// The generator's main sequence. Input: "postfix.tmp", four lines of one
// decimal integer per record (op, A, B, R). Output: the template of every
// record, appended at the write position. Invariant: every patch label is
// consumed once by the end.
#include <algorithm>
#include <charconv>
#include <cstdint>
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

// The records of a postfix file. Any line that is not one integer, or a
// record cut short, makes the whole file unusable.
std::vector<PostfixRecord> read_postfix(const std::string& path) {
  std::string bytes;
  if (!platform::read_file(path, bytes)) throw FileError(FileFailure::kWorkFile, path, platform::last_error());
  std::vector<int> values;
  values.reserve(static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find('\n', pos);
    if (end == std::string::npos) end = bytes.size();
    std::string_view line(bytes.data() + pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    values.push_back(line_value(line, path));
    pos = end + 1;
  }
  if (values.size() % 4 != 0) throw std::runtime_error("Incomplete record at the end of " + path);
  std::vector<PostfixRecord> records;
  records.reserve(values.size() / 4);
  for (size_t i = 0; i < values.size(); i += 4)
    records.push_back({values[i], values[i + 1], values[i + 2], values[i + 3]});
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
