// The whole state of one compilation: one plain struct per subsystem, owned
// here. Each pass sees only its own view of it (FrontEnd, CodeGen, Emitter,
// PostfixContext: references to the parts it works on); the driver and the
// back end, above the passes, hand those views out. Nothing lives in
// globals, so a process (a test) can run any number of compilations one
// after another.
#pragma once

#include <string>

#include "base/diagnostics.h"
#include "base/output.h"
#include "codegen/code_gen.h"
#include "frontend/lexer.h"
#include "image/image.h"
#include "ir/postfix.h"
#include "platform/platform.h"
#include "tables/symtab.h"
#include "tables/types.h"

namespace tarn {

enum class Phase { kNone, kFrontEnd, kBackEnd };

struct DriverState {
  std::string source_path;    // UTF-8, as given
  std::string option_line;    // the arguments after the source path, each followed by a blank
  std::string output_path;
  std::string exe_path;
  std::string res_path;       // the ".rs" version-information file
  std::string language_id = "EN";
  bool debug = false;
  std::string work_folder;    // ends with the host's separator
  Phase phase = Phase::kNone;
  bool reported = false;      // a report line is in the output file
  OutputFile out;
  platform::FileLock work_lock;  // serialises compiles that share the work folder
};

struct Compilation;

// The compilation's report behind the narrow face.
class CompilationReporter final : public ErrorReporter {
 public:
  explicit CompilationReporter(Compilation& c) : c_(c) {}
  CompilationReporter(const CompilationReporter&) = delete;
  CompilationReporter& operator=(const CompilationReporter&) = delete;
  [[noreturn]] void report(ErrorCode code, std::string_view arg = {}) override;

 private:
  Compilation& c_;
};

struct Compilation {
  DriverState drv;
  Diagnostics diag;
  LexerState lex;
  SymbolTable sym;
  TypeTable types;
  PostfixState post;
  ImageState image;
  GeneratorState gen;
  TemplateState tmpl;  // the instruction templates' state between records
  CompilationReporter errors{*this};
  // The passes' views.
  FrontEnd front{{sym, types, post, errors, lex.current_procedure}, lex};
  CodeGen code{{image, gen}, sym, types, tmpl};
};

// Writes the report (the message with the line number, the source line, a
// caret under the offending token) and throws CompileError; never returns.
[[noreturn]] void report_error(Compilation& c, ErrorCode code, std::string_view arg = {});

// A file in the work folder.
inline std::string work_file(const Compilation& c, const char* name) { return c.drv.work_folder + name; }

}  // namespace tarn
