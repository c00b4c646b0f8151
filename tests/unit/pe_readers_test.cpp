// Independent readers agree with our image writer: pefile reads the headers,
// imports and version strings, objdump the import tables.
#include <gtest/gtest.h>

#include "image/resource.h"
#include "support/image_build.h"

namespace tarn {
namespace {

using test::TempDir;

// The empty program as a file, with the given version values.
std::string write_empty_program(const TempDir& dir, const std::string& name, const std::string& res) {
  auto c = test::image_compilation(dir.path(), test::empty_program_postfix(), res);
  EXPECT_EQ(test::build_code_section(*c), 0);
  build_version_resource(c->image, work_file(*c, "res.tmp"), name);
  EXPECT_TRUE(write_image_file(c->image, dir.file(name)));
  return dir.file(name);
}

TEST(PeReaders, PefileReadsHeadersImportsAndVersionStrings) {
  struct Case {
    std::string res, company, version;
  } cases[] = {
      {"ACME Ltd\r\nA tool\r\n1.0.0.1\r\n(c) , 2026\r\nTool\r\n1.0.0.1\r\n", "ACME Ltd", "1.0.0.1"},
      {"\r\n\r\n2.10.300.4\r\n\r\n\r\n1.0.0.1\r\n", "", "2.10.300.4"},
      {std::string(3000, 'C') + "\r\n\r\n1.0.0.1\r\n\r\n\r\n1.0.0.1\r\n", std::string(3000, 'C'), "1.0.0.1"},
  };
  for (const auto& k : cases) {
    TempDir dir;
    const std::string exe = write_empty_program(dir, "prog.exe", k.res);
    auto r = test::run_process({"/usr/bin/python3", test::test_data("support/pe_check.py"), exe, "prog.exe",
                                k.company, k.version});
    EXPECT_EQ(r.exit_code, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "ok\n") << r.err;
  }
}

TEST(PeReaders, ObjdumpListsTheImports) {
  TempDir dir;
  const std::string exe = write_empty_program(dir, "p.exe", "");
  auto r = test::run_process({"objdump", "-p", exe});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  for (const char* text : {"file format pei-i386", "AddressOfEntryPoint\t0000182e", "Subsystem\t\t00000003",
                           "Entry 1 0000128b 0000003c Import Directory", "DLL Name: Kernel32.dll",
                           "DLL Name: kernel32.dll", "DLL Name: User32.dll", "1108\t    0  GetStdHandle",
                           "ReadFile", "SetConsoleCursorInfo", "CharUpperA", "Entry: ID: 0x000010"})
    EXPECT_NE(r.out.find(text), std::string::npos) << text << "\n" << r.out;
}

TEST(PeReaders, ObjdumpDecodesEveryByteOfTheCodeAndTheEntryJumpLandsOnAnInstruction) {
  TempDir dir;
  auto c = test::image_compilation(dir.path(), test::empty_program_postfix());
  ASSERT_EQ(test::build_code_section(*c), 0);
  const std::string bytes = test::image_bytes(*c);
  const size_t entry = 0x182E - 0x1000 + 0x200;
  test::write_file(dir.file("code.bin"), bytes.substr(entry, static_cast<size_t>(c->image.pos) - entry));
  auto r = test::run_process({"objdump", "-D", "-b", "binary", "-m", "i386", "--adjust-vma=0x40182e", dir.file("code.bin")});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out.find("(bad)"), std::string::npos) << r.out;
  // objdump writes the jump as "jmp 0x<target>"; the target must start a line.
  const size_t jmp = r.out.find("jmp    0x");
  ASSERT_NE(jmp, std::string::npos) << r.out;
  const std::string target = r.out.substr(jmp + 9, r.out.find('\n', jmp) - jmp - 9);
  EXPECT_NE(r.out.find("\n  " + target + ":"), std::string::npos) << target << "\n" << r.out;
  EXPECT_NE(r.out.find("call   *0x40100c"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace tarn
