#include "driver/driver.h"

#include <cstdio>
#include <exception>
#include <memory>

#include "backend/backend.h"
#include "common/codepage.h"
#include "common/text.h"
#include "compilation/compilation.h"
#include "frontend/front_end.h"

namespace tarn {

namespace {

const char* const kCopyright = "Copyright (c) 2026 Tarnwell developers.";
const char* const kSyntax = "tarnc pasfile [/E:exefile] [/R:resfile]  [/O:outputfile] [/L:languageID] [/D]";

void print_usage() {
  console_line(std::string("Tarnwell Compiler Version 3.2. ") + kCopyright);
  console_line("Use the following syntax:");
  console_line(kSyntax);
}

// The longest a version file may be: six short lines.
constexpr size_t kMaxVersionFile = 64 * 1024;
// Far beyond any program that fits in the 64 KiB image; stops a device such
// as /dev/zero from being read for ever.
constexpr size_t kMaxSourceFile = 8 * 1024 * 1024;

// How long a compile waits for another that holds the work folder: the
// TARNC_LOCK_WAIT environment variable in seconds, else 30 s.
int lock_wait_ms() {
  const char* v = getenv("TARNC_LOCK_WAIT");
  int64_t s = 0;
  if (v && parse_int64(v, s) && s >= 0 && s <= 3600) return static_cast<int>(s * 1000);
  return 30000;
}

// The work folder: "tarnc" in the local application data, or that folder
// itself when "tarnc" can be neither found nor created there.
std::string find_work_folder() {
  std::string base = platform::local_appdata_folder();
  std::string sep = platform::separator();
  std::string folder = base + sep + "tarnc";
  if (platform::create_folder(folder)) return folder + sep;
  std::string reason = platform::last_error();
  if (platform::folder_exists(base)) return base + sep;
  throw FileError(FileFailure::kWorkFolder, folder, reason);
}

void lock_work_folder(Compilation& c) {
  // Two compiles at the same moment would share "postfix.tmp", "symtab.tmp"
  // and "res.tmp": the second one waits here until the first has finished,
  // but not for ever (a compile stopped by hand keeps its lock).
  std::string lock = work_file(c, "tarnc.lock");
  switch (c.drv.work_lock.acquire(lock, lock_wait_ms())) {
    case platform::FileLock::kLocked: return;
    case platform::FileLock::kBusy: throw FileError(FileFailure::kWorkFolderBusy, c.drv.work_folder, "");
    case platform::FileLock::kFailed: throw FileError(FileFailure::kWorkFolder, lock, platform::last_error());
  }
}

void write_work_file(const std::string& path, const std::string& bytes) {
  if (!platform::write_file(path, bytes)) throw FileError(FileFailure::kWorkFile, path, platform::last_error());
}

// Reads the ".rs" file (created with default values when missing) and copies
// its six values into "res.tmp" for the version resource.
void prepare_resource_info(Compilation& c) {
  const std::string& rs = c.drv.res_path;
  if (!platform::file_exists(rs) &&
      !platform::replace_file(rs, default_resource_info(platform::current_year())))
    throw FileError(FileFailure::kVersionCreate, rs, platform::last_error());
  std::string bytes;
  bool too_large = false;
  if (!platform::read_file(rs, bytes, kMaxVersionFile, &too_large)) {
    if (too_large) throw FileError(FileFailure::kVersionTooLarge, rs, "");
    throw FileError(FileFailure::kVersionRead, rs, platform::last_error());
  }
  std::string res;
  for (const std::string& value : read_resource_info(bytes)) res += value + "\r\n";
  write_work_file(work_file(c, "res.tmp"), res);
}

void open_source(Compilation& c) {
  SourceFile& src = c.lex.source;
  bool too_large = false;
  if (!platform::read_file(c.drv.source_path, src.bytes, kMaxSourceFile, &too_large)) {
    if (too_large) throw FileError(FileFailure::kSourceTooLarge, c.drv.source_path, "");
    throw FileError(FileFailure::kSourceRead, c.drv.source_path, platform::last_error());
  }
  src.pos = 0;
  src.open = true;
}

void close_front_end_files(Compilation& c) {
  c.lex.source.open = false;
  close_postfix_files(c.post, c.drv.work_folder);
}

void print_listings(const Compilation& c) {
  console_write(symbol_listing(c.sym));
  console_line();
  console_write(type_listing(c.types));
  console_line();
  console_write(function_listing(c.sym));
  console_line();
}

void wait_for_enter() {
  console_write("Press <Enter>");
  fflush(stdout);
  // Standard input through stdio, like all the compiler's other input and
  // output: iostreams would cost every compile their start-up.
  for (int ch = getchar(); ch != EOF && ch != '\n'; ch = getchar()) {
  }
}

}  // namespace

std::string option_value(const std::string& option_line, const std::string& prefix) {
  size_t p = option_line.find(prefix);
  if (p == std::string::npos) return "";
  size_t start = p + prefix.size();
  size_t blank = option_line.find(' ', start + 1);
  if (start >= option_line.size() || blank == std::string::npos) return "";
  return option_line.substr(start, blank - start);
}

std::vector<std::string> read_resource_info(const std::string& bytes) {
  std::vector<std::string> values;
  size_t pos = 0;
  while (values.size() < 6 && pos < bytes.size()) {
    size_t end = bytes.find('\n', pos);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(pos, end - pos);
    size_t eq = line.find('=');
    values.push_back(trim(eq == std::string::npos ? line : line.substr(eq + 1)));
    pos = end + 1;
  }
  values.resize(6);
  return values;
}

std::string default_resource_info(int year) {
  return "Company=\r\nDescription=\r\nFileVersion=1.0.0.1\r\nCopyright=(c) , " + std::to_string(year) +
         "\r\nProductName=\r\nProductVersion=1.0.0.1\r\n";
}

void compile(Compilation& c) {
  DriverState& d = c.drv;
  d.phase = Phase::kFrontEnd;
  d.work_folder = find_work_folder();
  lock_work_folder(c);
  if (d.debug) {
    console_line();
    console_line("Debug mode.");
    console_line("Compile ...");
  }

  build_keyword_table(c.front);
  open_source(c);
  run_front_end(c.front, d.work_folder);
  c.lex.source.open = false;

  d.phase = Phase::kBackEnd;
  prepare_resource_info(c);
  reload_symbol_table(c.sym, work_file(c, "symtab.tmp"));
  write_executable(c);
}

void write_executable(Compilation& c) {
  write_headers(c.image, 1);
  write_section_headers(c.image);
  set_code_section_size(c.image, 512);
  generate_image(c);
  add_version_resource(c);
  if (!write_image_file(c.image, c.drv.exe_path))
    report_error(c, ErrorCode::kCannotCreateExe, utf8_to_cp1251(c.drv.exe_path + ": " + platform::last_error()));
}

// The first pair of the compile's files that are one file, the output file's
// pairs first; false when all are distinct. A file that does not exist yet is
// compared by its full spelling.
bool find_same_files(const DriverState& d, FileRole& a, FileRole& b) {
  struct Named {
    FileRole role;
    const std::string* path;
  };
  const Named files[] = {{FileRole::kOutput, &d.output_path},
                         {FileRole::kSource, &d.source_path},
                         {FileRole::kExecutable, &d.exe_path},
                         {FileRole::kVersion, &d.res_path}};
  for (size_t i = 0; i < 4; ++i)
    for (size_t j = i + 1; j < 4; ++j) {
      if (files[i].path->empty() || files[j].path->empty()) continue;
      if (platform::same_file(*files[i].path, *files[j].path)) {
        a = files[i].role;
        b = files[j].role;
        return true;
      }
    }
  return false;
}

int run_tarnc(const std::vector<std::string>& args) {
  if (args.empty()) {
    print_usage();
    return 0;
  }
  // Default-initialised: every member has its initial value, and the tens of
  // kilobytes of tables are not zeroed first as make_unique would.
  std::unique_ptr<Compilation> owned(new Compilation);
  Compilation& c = *owned;
  DriverState& d = c.drv;
  d.source_path = args[0];
  // Options are looked for only after the source path: a path such as
  // "/home/ann/Docs/x.pas" must not switch debug mode on.
  for (size_t i = 1; i < args.size(); ++i) d.option_line += args[i] + " ";
  d.output_path = option_value(d.option_line, "/O:");
  d.exe_path = option_value(d.option_line, "/E:");
  if (d.exe_path.empty()) d.exe_path = replace_extension(d.source_path, ".exe");
  d.res_path = option_value(d.option_line, "/R:");
  if (d.res_path.empty()) d.res_path = replace_extension(d.source_path, ".rs");
  d.language_id = option_value(d.option_line, "/L:").substr(0, 2);
  if (d.language_id.empty()) d.language_id = "EN";
  // "/D" also occurs inside Linux paths ("/E:/srv/Docs/p.exe"): it counts only
  // where an argument begins, or a path would stop the compile at "Press <Enter>".
  d.debug = d.option_line.rfind("/D", 0) == 0 || d.option_line.find(" /D") != std::string::npos;
  if (d.language_id == "RU") set_language(c.diag, kRussian);
  else set_language(c.diag, kEnglish);

  const std::string banner = std::string("Tarnwell Compiler Version 3.2.2 ") + kCopyright;
  const std::string source_1251 = utf8_to_cp1251(d.source_path);
  // "tarnc p.pas /O:p.pas" or "/E:p.pas": writing would destroy the source (or
  // the executable, or the version file) before anything is read. When the
  // output file is one of them the report goes to standard output instead.
  FileRole first, second;
  const bool clash = find_same_files(d, first, second);
  if (clash && first == FileRole::kOutput) {
    d.out.open("");
    d.out.write_line(banner);
    d.out.write(source_1251);
    d.out.write_line("(1): " + same_file_message(c.diag, first, second, d.output_path));
    d.out.close();
    return 1;
  }

  if (!d.out.open(d.output_path)) return 1;
  d.out.write_line(banner);
  if (!platform::file_exists(d.source_path)) {
    d.out.write_line("Error: File not found (" + source_1251 + ").");
    d.out.close();
    return 1;
  }
  d.out.write(source_1251);
  d.out.flush();
  if (clash) {
    const std::string& named = first == FileRole::kSource ? d.source_path : d.exe_path;
    d.out.write_line("(1): " + same_file_message(c.diag, first, second, named));
    d.out.close();
    return 1;
  }

  try {
    compile(c);
    d.work_lock.release();  // no other compile waits while this one pauses
    if (d.debug) console_line("Done: " + utf8_to_cp1251(d.exe_path));
    d.out.write_line();
    d.out.write_line(std::to_string(c.lex.line_number) + " lines.");
    d.out.close();
    if (d.debug) {
      print_listings(c);
      wait_for_enter();
    }
    return 0;
  } catch (const std::exception& e) {
    if (d.phase == Phase::kFrontEnd) close_front_end_files(c);
    // Every failure leaves one report line, so the editor never takes a
    // failed compile for a good one and runs an old executable.
    if (!d.reported) {
      const auto* file_error = dynamic_cast<const FileError*>(&e);
      d.out.write("(" + std::to_string(c.lex.line_number) + "): ");
      d.out.write_line(file_error ? file_failure_message(c.diag, *file_error)
                                  : "Error 0: " + utf8_to_cp1251(e.what()));
    }
    d.out.close();
    if (d.debug) {
      try {
        dump_symbol_table(c.sym, work_file(c, "symtab.tmp"));
      } catch (const std::exception&) {
      }
      d.work_lock.release();
      console_line("Done : " + utf8_to_cp1251(d.exe_path));
      console_line();
      console_line(std::to_string(c.lex.line_number) + " lines.");
      print_listings(c);
      console_line(std::string("Program terminated due to an exception: ") + e.what());
      wait_for_enter();
    }
    return 1;
  }
}

}  // namespace tarn
