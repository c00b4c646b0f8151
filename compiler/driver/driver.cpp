#include "driver/driver.h"

#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>

#include "backend/backend.h"
#include "common/codepage.h"
#include "common/text.h"
#include "base/compilation.h"
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

// The work folder: "tarnc" in the local application data, or that folder
// itself when "tarnc" can neither be found nor created there.
std::string find_work_folder() {
  std::string base = platform::local_appdata_folder();
  std::string sep = platform::separator();
  std::string folder = base + sep + "tarnc";
  if (platform::folder_exists(folder) || platform::create_folder(folder)) return folder + sep;
  return base + sep;
}

void write_text_file(const std::string& path, const std::string& bytes) {
  if (!platform::write_file(path, bytes)) throw std::runtime_error("Cannot write file " + path);
}

// Reads the ".rs" file (created with default values when missing) and copies
// its six values into "res.tmp" for the version resource.
void prepare_resource_info(Compilation& c) {
  const std::string& rs = c.drv.res_path;
  if (!platform::file_exists(rs)) write_text_file(rs, default_resource_info(platform::current_year()));
  std::string bytes;
  if (!platform::read_file(rs, bytes)) throw std::runtime_error("Cannot read file " + rs);
  std::string res;
  for (const std::string& value : read_resource_info(bytes)) res += value + "\r\n";
  write_text_file(work_file(c, "res.tmp"), res);
}

void open_source(Compilation& c) {
  SourceFile& src = c.lex.source;
  if (!platform::read_file(c.drv.source_path, src.bytes))
    throw std::runtime_error("Cannot open file " + c.drv.source_path);
  src.pos = 0;
  src.open = true;
}

void close_front_end_files(Compilation& c) {
  c.lex.source.open = false;
  close_postfix_files(c);
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
  std::string line;
  std::getline(std::cin, line);
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
  d.phase = kPhaseFrontEnd;
  d.work_folder = find_work_folder();
  // Two compiles at the same moment would share "postfix.tmp", "symtab.tmp"
  // and "res.tmp": the second one waits here until the first has finished.
  if (!d.work_lock.acquire(work_file(c, "tarnc.lock")))
    throw std::runtime_error("Cannot lock the work folder " + d.work_folder);
  if (d.debug) {
    console_line();
    console_line("Debug mode.");
    console_line("Compile ...");
  }

  c.lex = LexerState{};
  c.sym = SymbolTable{};
  c.types = TypeTable{};
  c.post = PostfixState{};
  build_keyword_table(c);
  open_source(c);
  run_front_end(c);
  c.lex.source.open = false;

  d.phase = kPhaseBackEnd;
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
  if (!write_image_file(c.image, c.drv.exe_path)) report_error(c, 201, utf8_to_cp1251(c.drv.exe_path));
}

int run_tarnc(const std::vector<std::string>& args) {
  if (args.empty()) {
    print_usage();
    return 0;
  }
  auto owned = std::make_unique<Compilation>();
  Compilation& c = *owned;
  DriverState& d = c.drv;
  d.source_path = args[0];
  // Options are looked for only after the source path: a path such as
  // "/home/ann/Docs/x.pas" must not switch debug mode on.
  for (size_t i = 1; i < args.size(); ++i) d.option_line += args[i] + " ";
  d.output_path = option_value(d.option_line, "/O:");
  if (!d.out.open(d.output_path)) return 1;
  d.out.write_line(std::string("Tarnwell Compiler Version 3.2.2 ") + kCopyright);

  const std::string source_1251 = utf8_to_cp1251(d.source_path);
  if (!platform::file_exists(d.source_path)) {
    d.out.write_line("Error: File not found (" + source_1251 + ").");
    d.out.close();
    return 1;
  }
  d.out.write(source_1251);
  d.out.flush();

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

  try {
    compile(c);
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
    if (d.phase == kPhaseFrontEnd) close_front_end_files(c);
    d.out.close();
    if (d.debug) {
      try {
        dump_symbol_table(c.sym, work_file(c, "symtab.tmp"));
      } catch (const std::exception&) {
      }
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
