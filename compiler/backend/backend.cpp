#include "backend/backend.h"

#include <exception>
#include <string>

#include "codegen/control.h"
#include "codegen/data.h"
#include "codegen/generator.h"
#include "codegen/operands.h"
#include "common/text.h"
#include "compilation/compilation.h"
#include "image/imports.h"
#include "image/resource.h"
#include "runtime/runtime.h"

namespace tarn {

namespace {

uint32_t area_rva(int32_t offset) { return kCodeRva + static_cast<uint32_t>(offset); }

void list_hex(Emitter& c, uint32_t value, std::string_view suffix = {}) {
  listing_line(c, HexText(value, 8) + std::string(suffix));
}

// The image layout and the import area at the section's first byte, each
// import slot entered as a named address; the write position ends after the area.
ImportLayout write_imports(Emitter& c) {
  ImageState& im = c.image;
  add_program_imports(im);
  const ImportLayout l = import_layout(im.libraries);
  listing_line(c, "base=" + HexText(kImageBase, 8));
  listing_line(c, "memalign=" + HexText(0x1000, 8));
  listing_line(c, "filealign=" + HexText(0x200, 8));
  for (int32_t offset : {l.iat, l.ilt, l.descriptors, l.name_at, l.hint_at}) list_hex(c, static_cast<uint32_t>(offset));
  list_hex(c, area_rva(l.descriptors), "zzz");
  list_hex(c, static_cast<uint32_t>(20 * l.libraries), "zzz");
  BuildImportArea(im);

  seek(im, kCodeFileOffset + l.size);
  for (const TDLL& lib : im.libraries) {
    for (const TFunction& f : lib.Functions) {
      AddVariable(c, trim(f.Name), f.Addr);
      listing_line(c, HexText(f.Addr, 8) + f.Name);
    }
  }
  return l;
}

// The code starts one import area's length after the last variable's address:
// a gap of zero bytes separates data and code. The entry point is the code's
// first byte.
void place_code_after_data(Emitter& c, const ImportLayout& imports) {
  const uint32_t data = c.gen.variables.back().VarAddr - c.gen.variables.front().VarAddr;
  put_dword_at(c.image, kEntryPointOffset, kCodeRva + static_cast<uint32_t>(imports.size) + data);
  seek(c.image, kCodeFileOffset + imports.size + static_cast<int32_t>(data));
}

void emit_exit_call(CodeGen& c) {
  emit(c, "push 0x00", "6a00");
  ImportCall(c, "ExitProcess");
}

void emit_code_section(CodeGen& c, const std::string& work_folder) {
  const ImportLayout imports = write_imports(c);
  declare_user_data(c);
  declare_runtime_data(c);
  place_code_after_data(c, imports);
  emit_program_start(c);
  emit_runtime_library(c);
  generate_code(c, work_folder);
  emit_exit_call(c);
}

}  // namespace

void generate_image(Compilation& c) {
  Emitter& listing = c.code;
  if (c.gen.listing_path.empty()) open_listing(listing, work_file(c, "log.tmp"));
  try {
    emit_code_section(c.code, c.drv.work_folder);
  } catch (const ImageOverflow&) {
    close_listing(listing);
    report_error(c, ErrorCode::kImageTooLarge);
  } catch (const CompileError&) {
    close_listing(listing);  // reported where it arose
    throw;
  } catch (const std::exception& e) {
    // A fault of the compiler itself, never of the learner's program: its own
    // words, not a message about the program.
    if (c.drv.debug) listing_line(listing, std::string("Internal error: ") + e.what());
    close_listing(listing);
    report_error(c, ErrorCode::kInternal, e.what());
  }
  close_listing(listing);
}

void add_version_resource(Compilation& c) {
  try {
    build_version_resource(c.image, work_file(c, "res.tmp"), file_name_of(c.drv.exe_path));
  } catch (const ImageOverflow&) {
    report_error(c, ErrorCode::kImageTooLarge);
  }
}

}  // namespace tarn
