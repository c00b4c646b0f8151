// A compilation over an in-memory source with its output file opened on a
// temporary file, so front-end tests see errors through the real report.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "compilation/compilation.h"
#include "frontend/declarations.h"
#include "frontend/front_end.h"
#include "frontend/lexer.h"
#include "tables/symtab.h"
#include "ir/postfix.h"
#include "support/test_support.h"

namespace tarn::test {

// prefix + n (appending keeps GCC 12's -Wrestrict quiet in Release builds).
inline std::string numbered(const char* prefix, int n) {
  std::string s(prefix);
  s += std::to_string(n);
  return s;
}

class FrontEndRun {
 public:
  // A fresh compilation over `source` with the keyword table built, as the
  // driver leaves it before the first token.
  Compilation& start(const std::string& source) {
    c_ = std::make_unique<Compilation>();
    Compilation& c = *c_;
    c.drv.work_folder = dir_.path() + "/";
    EXPECT_TRUE(c.drv.out.open(dir_.file("out.txt")));
    c.drv.out.write_line("banner");
    c.drv.out.write("src.pas");
    c.lex.source.bytes = source;
    c.lex.source.open = true;
    build_keyword_table(c.front);
    return c;
  }

  Compilation& c() { return *c_; }

  // The front end's passes as the driver runs them: the whole source, then
  // the postfix files closed and the symbol table dumped.
  void compile() { run_front_end(c_->front, c_->drv.work_folder); }

  // A whole compile that must fail: its report.
  std::string compile_error(const std::string& source) {
    start(source);
    return report_of([&] { compile(); });
  }

  std::string work_file(const std::string& name) const { return read_file(dir_.file(name)); }

  // Runs `step`, which must end in an error report; gives the report's lines
  // after the banner ("src.pas(N): Error ...", the line, the caret).
  std::string report_of(const std::function<void()>& step) {
    try {
      step();
      ADD_FAILURE() << "no error was reported";
    } catch (const CompileError&) {
    }
    c_->drv.out.close();
    std::string out = read_file(dir_.file("out.txt"));
    return out.substr(out.find("\r\n") + 2);
  }

  const TempDir& dir() const { return dir_; }

 private:
  TempDir dir_;
  std::unique_ptr<Compilation> c_;
};

}  // namespace tarn::test
