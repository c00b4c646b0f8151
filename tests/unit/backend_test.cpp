// The back end never turns a fault of its own into a program: a record the
// generator cannot turn into code, an operand it does not know, a jump label
// left without its target (a postfix label or a template's own), each ends the compile with an internal error
// (code 0, a text naming the fault) and no executable.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "codegen/template_builder.h"
#include "driver/driver.h"
#include "frontend_fixture.h"
#include "ir/postfix.h"
#include "common/text.h"
#include "support/image_build.h"

namespace tarn {
namespace {

const char* const kProgram =
    "program p()\n"
    "var i: integer;\n"
    "begin\n"
    "  i := 2;\n"
    "  if i > 1 then i := i + 1; end;\n"
    "  writeln(i);\n"
    "end.\n";

std::vector<int> postfix_values(const std::string& text) {
  std::vector<int> v;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find("\r\n", pos);
    v.push_back(std::stoi(text.substr(pos, end - pos)));
    pos = end + 2;
  }
  return v;
}

std::string postfix_text(const std::vector<int>& values) {
  std::string s;
  for (int v : values) s += std::to_string(v) + "\r\n";
  return s;
}

class BackEndFault : public ::testing::Test {
 protected:
  // The program's front end, then the postfix records changed by `change`
  // before the back end runs: the report, which must be an error.
  std::string back_end_report(void (*change)(std::vector<int>&)) {
    Compilation& c = fe_.start(kProgram);
    fe_.compile();
    std::vector<int> records = postfix_values(fe_.work_file("postfix.tmp"));
    change(records);
    test::write_file(c.drv.work_folder + "postfix.tmp", postfix_text(records));
    test::write_file(c.drv.work_folder + "res.tmp", "\r\n\r\n1.0.0.1\r\n\r\n\r\n1.0.0.1\r\n");
    c.drv.exe_path = c.drv.work_folder + "p.exe";
    reload_symbol_table(c.sym, work_file(c, "symtab.tmp"));
    int code = -1;
    std::string report = fe_.report_of([&] {
      try {
        write_executable(c);
      } catch (const CompileError& e) {
        code = e.code;
        throw;
      }
    });
    EXPECT_EQ(code, 0) << report;
    EXPECT_FALSE(test::exists(c.drv.exe_path));
    return report;
  }

  test::FrontEndRun fe_;
};

// Index of the first record with op `op`, as an offset in the value list.
size_t record_of(const std::vector<int>& v, int op) {
  for (size_t i = 0; i < v.size(); i += 4)
    if (v[i] == op) return i;
  ADD_FAILURE() << "no record " << op;
  return 0;
}

TEST_F(BackEndFault, TheUnchangedProgramBuilds) {
  Compilation& c = fe_.start(kProgram);
  fe_.compile();
  test::write_file(c.drv.work_folder + "res.tmp", "\r\n\r\n1.0.0.1\r\n\r\n\r\n1.0.0.1\r\n");
  c.drv.exe_path = c.drv.work_folder + "p.exe";
  reload_symbol_table(c.sym, work_file(c, "symtab.tmp"));
  write_executable(c);
  EXPECT_TRUE(test::exists(c.drv.exe_path));
}

TEST_F(BackEndFault, AVersionResourceThatNoLongerFitsIsErrorTwoHundredTwo) {
  Compilation& c = fe_.start(kProgram);
  fe_.compile();
  const std::string big(30000, 'x');
  test::write_file(c.drv.work_folder + "res.tmp", big + "\r\n" + big + "\r\n");
  c.drv.exe_path = c.drv.work_folder + "p.exe";
  reload_symbol_table(c.sym, work_file(c, "symtab.tmp"));
  const std::string report = fe_.report_of([&] { write_executable(c); });
  EXPECT_NE(report.find("Error 202: The sum of the data size and the program code size is above 64K."),
            std::string::npos)
      << report;
  EXPECT_FALSE(test::exists(c.drv.exe_path));
}

TEST_F(BackEndFault, AnOperationWithoutCodeIsAnInternalError) {
  EXPECT_NE(back_end_report([](std::vector<int>& v) { v.insert(v.end() - 4, {-77, 1, 1, 1}); })
                .find("Error 0: 'no code for operation -77'"),
            std::string::npos);
}

TEST_F(BackEndFault, AnUnknownOperandIsAnInternalError) {
  EXPECT_NE(back_end_report([](std::vector<int>& v) { v[record_of(v, PLUS_OP) + 1] = 9999; })
                .find("Error 0: 'unknown operand 9999'"),
            std::string::npos);
}

TEST_F(BackEndFault, AJumpLabelNeverPlacedIsAnInternalError) {
  const std::string report = back_end_report([](std::vector<int>& v) {
    const size_t at = record_of(v, END_IF);
    v.erase(v.begin() + static_cast<long>(at), v.begin() + static_cast<long>(at) + 4);
  });
  EXPECT_NE(report.find("Error 0: 'jump label never placed: "), std::string::npos) << report;
}

// No program reaches these: a template whose jump waits for a label it never
// binds, or whose label lies beyond a short jump's reach, is the compiler's
// own fault, reported like a leftover jump label, and emits nothing.
TEST(TemplateLabels, AnUnboundOrUnreachableLabelIsAGeneratorFault) {
  Compilation c;
  seek(c.image, kCodeFileOffset);
  const auto fault = [&](auto build) {
    const int32_t start = c.image.pos;
    const size_t listed = c.gen.listing.size();
    std::string text;
    try {
      TemplateBuilder t(c.code);
      build(t);
      t.finish();
    } catch (const GeneratorFault& e) {
      text = e.what();
    }
    EXPECT_EQ(c.image.pos, start) << text;
    EXPECT_EQ(c.gen.listing.size(), listed) << text;
    return text;
  };
  EXPECT_EQ(fault([](TemplateBuilder& t) {
              const TemplateLabel e2 = t.label("e2");
              t.jump("jz", e2);
              t.op("inc edx", "42");
            }),
            "template label never bound: e2");
  EXPECT_EQ(fault([](TemplateBuilder& t) {
              const TemplateLabel e1 = t.label("e1");
              t.jump("jmp", e1);
              for (int i = 0; i < 128; ++i) t.op("nop", "90");
              t.bind(e1);
              t.op("nop", "90");
            }),
            "short jump out of range in a template: jmp e1");
}

TEST_F(BackEndFault, AnUnreadablePostfixFileIsAnInternalErrorNotTheSizeLimit) {
  const std::string report = back_end_report([](std::vector<int>& v) { v.pop_back(); });
  EXPECT_NE(report.find("Error 0: 'Incomplete record at the end of "), std::string::npos) << report;
}

// Every op code, the program's variable as each operand, before the last
// record: either the back end emits code for it or the compile ends with an
// internal error. No op may build without a byte of its own, except those
// that only mark a place (a routine's entry, a loop head, a goto target) or
// stand for nil, which write their listing line.
TEST(BackEndOperations, EveryOpEitherEmitsCodeOrEndsTheCompile) {
  test::FrontEndRun fe;
  Compilation& base = fe.start(kProgram);
  fe.compile();
  const std::string postfix = fe.work_file("postfix.tmp");
  const std::string symtab = fe.work_file("symtab.tmp");
  int i = 0;  // the variable's symbol number
  for (int n = base.sym.count; n >= 1; --n)
    if (to_lower_ascii(sym_at(base.sym, n).name) == "i") i = n;
  ASSERT_GT(i, 0);

  struct Built {
    size_t code_end, listing;
  };
  auto build = [&](const std::vector<int>& records) {
    test::TempDir w;
    test::write_file(w.file("symtab.tmp"), symtab);
    auto c = test::image_compilation(w.path(), postfix_text(records));
    reload_symbol_table(c->sym, work_file(*c, "symtab.tmp"));
    test::build_code_section(*c);
    return Built{static_cast<size_t>(c->image.pos), c->gen.listing.size()};
  };
  const std::vector<int> records = postfix_values(postfix);
  const Built plain = build(records);
  const std::set<int> marks = {WD_PROC, WD_WHILE, WD_FOR, WD_REPEAT, WD_FUN, MARK, WD_NIL};
  int emitted = 0, rejected = 0;
  for (int op = -1; op >= kLowestOp; --op) {
    if (op == END_PROG) continue;  // the exit sequence is the back end's own
    std::vector<int> changed = records;
    changed.insert(changed.end() - 4, {op, i, i, i});
    try {
      const Built b = build(changed);
      if (marks.count(op))
        EXPECT_GT(b.listing, plain.listing) << "op " << op << " left no trace";
      else
        EXPECT_GT(b.code_end, plain.code_end) << "op " << op << " built without code";
      ++emitted;
    } catch (const CompileError& e) {
      EXPECT_EQ(e.code, 0) << "op " << op;
      ++rejected;
    }
  }
  EXPECT_GT(emitted, 20);
  EXPECT_GT(rejected, 20);
}

}  // namespace
}  // namespace tarn
