#include "backend/backend.h"

#include <exception>
#include <string>

#include "codegen/data.h"
#include "codegen/generator.h"
#include "base/compilation.h"
#include "image/imports.h"
#include "runtime/runtime.h"

namespace tarn {

namespace {

// The code starts one import area's length after the last variable's address:
// a gap of zero bytes separates data and code. The entry point is the code's
// first byte.
void place_code_after_data(Compilation& c, const ImportLayout& imports) {
  const uint32_t data = c.gen.variables.back().VarAddr - c.gen.variables.front().VarAddr;
  put_dword_at(c.image, kEntryPointOffset, kCodeRva + static_cast<uint32_t>(imports.size) + data);
  seek(c.image, kCodeFileOffset + imports.size + static_cast<int32_t>(data));
}

void emit_exit_call(Compilation& c) {
  emit(c, "push 0x00", "6a00");
  ImportCall(c, "ExitProcess");
}

void emit_code_section(Compilation& c) {
  const ImportLayout imports = write_import_area(c);
  declare_user_data(c);
  declare_runtime_data(c);
  place_code_after_data(c, imports);
  generate_code(c, c.drv.work_folder);
  emit_exit_call(c);
}

}  // namespace

void generate_image(Compilation& c) {
  if (c.gen.listing_path.empty()) open_listing(c, work_file(c, "log.tmp"));
  try {
    emit_code_section(c);
  } catch (const ImageOverflow&) {
    close_listing(c);
    report_error(c, 202);
  } catch (const CompileError&) {
    close_listing(c);  // reported where it arose
    throw;
  } catch (const std::exception& e) {
    // A fault of the compiler itself, never of the learner's program: its own
    // words, not a message about the program.
    if (c.drv.debug) listing_line(c, std::string("Internal error: ") + e.what());
    close_listing(c);
    report_error(c, 0, e.what());
  }
  close_listing(c);
}

}  // namespace tarn
