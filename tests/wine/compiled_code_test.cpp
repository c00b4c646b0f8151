// The whole code of executables that tarnc writes from real sources, read
// back by a real disassembler (objdump): from the entry point to the closing
// call of ExitProcess no byte is undecodable, every direct jump or call lands
// on an instruction start inside the code, every jump inside the run-time
// library stays inside the library, and every "mov ebx, imm32; call ebx" goes
// to the first byte of a routine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <regex>
#include <set>
#include <sstream>

#include "support/golden.h"
#include "support/test_support.h"

namespace tarn {
namespace {

using namespace tarn::test;

constexpr uint32_t kBase = 0x00400000, kCodeRva = 0x1000, kCodeFile = 0x200;

uint32_t le32(const std::string& b, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<size_t>(i)]);
  return v;
}

struct Insn {
  uint32_t at;
  std::string text;
};

struct Code {
  uint32_t start = 0, end = 0;             // VAs: entry point, after the closing call
  uint32_t library_end = 0;                // target of the first "jmp start"
  std::vector<Insn> insns;
  std::set<uint32_t> starts;
  std::vector<std::string> bad;
  uint32_t decoded_end = 0;
};

// The code of an executable: from the entry point to the closing
// push 0 / call [ExitProcess], disassembled.
Code disassemble_program(const std::string& exe, const TempDir& dir) {
  Code c;
  const uint32_t entry = le32(exe, 104);
  const uint32_t raw = le32(exe, 312 + 16);
  const size_t from = kCodeFile + (entry - kCodeRva);
  const size_t section_end = kCodeFile + raw;
  const std::string closing("\x6a\x00\xff\x15\x0c\x10\x40\x00", 8);
  const size_t last = exe.rfind(closing, section_end - closing.size());
  EXPECT_NE(last, std::string::npos) << "no closing call of ExitProcess";
  if (last == std::string::npos || last < from) return c;
  c.start = kBase + entry;
  c.end = c.start + static_cast<uint32_t>(last + closing.size() - from);
  write_file(dir.file("code.bin"), exe.substr(from, c.end - c.start));
  std::ostringstream adjust;
  adjust << "--adjust-vma=0x" << std::hex << c.start;
  const RunResult r =
      run_process({"objdump", "-D", "-b", "binary", "-m", "i386", "--insn-width=16", adjust.str(), dir.file("code.bin")});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  const std::regex line(R"(^\s*([0-9a-f]+):\t([0-9a-f ]+)\t(.*)$)");
  std::istringstream in(r.out);
  for (std::string text; std::getline(in, text);) {
    std::smatch m;
    if (!std::regex_match(text, m, line)) continue;
    const uint32_t at = static_cast<uint32_t>(std::stoul(m[1], nullptr, 16));
    const std::string bytes = m[2];
    const auto length = static_cast<uint32_t>(std::count_if(bytes.begin(), bytes.end(), ::isxdigit) / 2);
    c.decoded_end = std::max(c.decoded_end, at + length);
    c.starts.insert(at);
    c.insns.push_back({at, m[3]});
    if (text.find("(bad)") != std::string::npos) c.bad.push_back(text);
  }
  const std::regex jmp(R"(^jmp\s+0x([0-9a-f]+)\s*$)");
  std::smatch j;
  if (!c.insns.empty() && std::regex_match(c.insns.front().text, j, jmp))
    c.library_end = static_cast<uint32_t>(std::stoul(j[1], nullptr, 16));
  return c;
}

class CompiledCode : public ::testing::TestWithParam<std::string> {};

TEST_P(CompiledCode, DecodesWholeAndEveryJumpLandsOnAnInstruction) {
  const std::string name = GetParam();
  TempDir dir;
  write_file(dir.file(name + ".pas"), read_file(test_data("programs/" + name + ".pas")));
  const RunResult compile = run_tarnc({name + ".pas", "/O:out.txt"}, "", dir.path());
  ASSERT_EQ(compile.exit_code, 0) << compile.err;
  const Code c = disassemble_program(read_file(dir.file(name + ".exe")), dir);
  ASSERT_FALSE(c.insns.empty());
  EXPECT_TRUE(c.bad.empty()) << c.bad.front();
  EXPECT_EQ(c.decoded_end, c.end) << "the last instruction runs past the closing call";
  // The library sits between the first jump and its target.
  ASSERT_GT(c.library_end, c.start + 5);
  ASSERT_LT(c.library_end, c.end);
  EXPECT_TRUE(c.starts.count(c.library_end));

  const std::regex direct(R"(^(j\w+|loop\w*|call)\s+0x([0-9a-f]+)\s*$)");
  const std::regex load_ebx(R"(^mov\s+\$0x([0-9a-f]+),%ebx\s*$)");
  std::set<uint32_t> routine_starts;
  size_t library_jumps = 0, routine_calls = 0;
  for (size_t i = 0; i < c.insns.size(); ++i) {
    const Insn& insn = c.insns[i];
    std::smatch m;
    if (std::regex_match(insn.text, m, direct)) {
      const auto target = static_cast<uint32_t>(std::stoul(m[2], nullptr, 16));
      EXPECT_TRUE(c.starts.count(target)) << std::hex << insn.at << ": " << insn.text;
      const bool in_library = insn.at >= c.start + 5 && insn.at < c.library_end;
      if (in_library) {
        ++library_jumps;
        EXPECT_GE(target, c.start + 5) << std::hex << insn.at << ": " << insn.text << " leaves the library";
        EXPECT_LT(target, c.library_end) << std::hex << insn.at << ": " << insn.text << " leaves the library";
      }
    } else if (std::regex_match(insn.text, m, load_ebx) && i + 1 < c.insns.size() &&
               c.insns[i + 1].text.find("call") == 0 && c.insns[i + 1].text.find("*%ebx") != std::string::npos) {
      const auto target = static_cast<uint32_t>(std::stoul(m[1], nullptr, 16));
      ++routine_calls;
      EXPECT_TRUE(c.starts.count(target)) << std::hex << insn.at << ": call of " << target;
      EXPECT_GE(target, c.start + 5);
      EXPECT_LT(target, c.end);
    }
  }
  EXPECT_GT(library_jumps, 100u);
  const std::string source = read_file(dir.file(name + ".pas"));
  if (source.find("writeln") != std::string::npos) {
    EXPECT_GT(routine_calls, 0u) << "writeln goes through ebx";
  }
}

INSTANTIATE_TEST_SUITE_P(Programs, CompiledCode, ::testing::ValuesIn(golden_cases("programs")),
                         [](const auto& info) { return test_name(info.param); });

}  // namespace
}  // namespace tarn
