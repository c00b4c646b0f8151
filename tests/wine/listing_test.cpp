// The listing "log.tmp" that a learner's compile leaves in the work folder:
// every back-patch is listed at the address it rewrites, so reading the
// listing line by line gives exactly the bytes of the executable.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "support/test_support.h"
#include "support/wine.h"

namespace tarn {
namespace {

using namespace tarn::test;

uint32_t le32(const std::string& b, size_t p) {
  return static_cast<uint8_t>(b[p]) | static_cast<uint8_t>(b[p + 1]) << 8 | static_cast<uint8_t>(b[p + 2]) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[p + 3])) << 24;
}

struct Line {
  uint32_t address;
  std::string bytes;  // raw bytes of the line, empty for a label line
  std::string text;
};

std::vector<Line> listed_lines(const std::string& log) {
  static const std::regex line_re("^([0-9a-f]{8}) ([^ ]*)(.*)$");
  static const std::regex hex_re("^([0-9a-f]{2})+$");
  std::vector<Line> lines;
  std::istringstream in(log);
  std::string s;
  while (std::getline(in, s)) {
    if (!s.empty() && s.back() == '\r') s.pop_back();
    std::smatch m;
    if (!std::regex_match(s, m, line_re)) continue;
    Line l{static_cast<uint32_t>(std::stoul(m[1].str(), nullptr, 16)), {}, m[2].str() + m[3].str()};
    const std::string word = m[2].str();
    if (std::regex_match(word, hex_re))
      for (size_t i = 0; i < word.size(); i += 2) l.bytes += static_cast<char>(std::stoi(word.substr(i, 2), nullptr, 16));
    lines.push_back(l);
  }
  return lines;
}

TEST(Listing, ShowsEveryPatchedJumpAtItsOwnAddressWithTheBytesOfTheExecutable) {
  TempDir dir;
  write_file(dir.file("jumps.pas"), crlf("program jumps()\n"
                                         "var n, i: integer;\n"
                                         "begin\n"
                                         "  n := 3;\n"
                                         "  if n > 2 then writeln('big'); else writeln('small'); end;\n"
                                         "  while n > 0 do n := n - 1; end;\n"
                                         "  for i := 1 to 2 do write(i); end;\n"
                                         "  if n = 0 then writeln(' done'); end;\n"
                                         "end.\n"));
  auto compile = run_tarnc({"jumps.pas", "/O:out.txt"}, "", dir.path());
  ASSERT_EQ(compile.exit_code, 0) << read_file(dir.file("out.txt"));
  const std::string exe = read_file(dir.file("jumps.exe"));
  const std::string log = read_file(std::string(std::getenv("LOCALAPPDATA")) + "/tarnc/log.tmp");
  const std::vector<Line> lines = listed_lines(log);

  // The one section: its address and its place in the file.
  const uint32_t pe = le32(exe, 0x3c);
  const uint32_t image_base = le32(exe, pe + 24 + 28);
  const uint32_t section = pe + 24 + (le32(exe, pe + 20) & 0xffff);
  const uint32_t section_address = image_base + le32(exe, section + 12);
  const uint32_t section_offset = le32(exe, section + 20);

  // The code starts with "jmp start"; from there on, replaying the listed
  // bytes in listing order must give the executable's bytes.
  uint32_t code_start = 0;
  for (const Line& l : lines)
    if (l.text.find("jmp start") != std::string::npos) {
      code_start = l.address;
      break;
    }
  ASSERT_NE(code_start, 0u) << "no jmp start in the listing";
  std::map<uint32_t, uint8_t> replay;
  std::map<uint32_t, int> times_listed;
  std::set<uint32_t> boundaries;
  for (const Line& l : lines) {
    if (l.address < code_start) continue;
    boundaries.insert(l.address);
    if (l.bytes.empty()) continue;
    ++times_listed[l.address];
    for (size_t i = 0; i < l.bytes.size(); ++i) replay[l.address + static_cast<uint32_t>(i)] = static_cast<uint8_t>(l.bytes[i]);
  }
  for (const auto& [address, value] : replay) {
    const size_t offset = address - section_address + section_offset;
    ASSERT_LT(offset, exe.size());
    ASSERT_EQ(static_cast<uint8_t>(exe[offset]), value) << "byte at " << std::hex << address;
  }

  // Each patch rewrites a place listed before; its jump lands on a listed line.
  int patches = 0;
  for (const Line& l : lines) {
    if (l.address < code_start || l.bytes.empty() || times_listed[l.address] < 2) continue;
    const size_t offset = l.address - section_address + section_offset;
    uint32_t target = 0;
    if (static_cast<uint8_t>(l.bytes[0]) == 0xe9 && l.bytes.size() == 5)
      target = l.address + 5 + le32(exe, offset + 1);
    else if (l.bytes.size() == 6 && l.bytes.substr(0, 2) == "\x0f\x84")
      target = l.address + 6 + le32(exe, offset + 2);
    else if (l.bytes.size() == 4)
      target = l.address + 4 + le32(exe, offset);
    else
      continue;
    ++patches;
    EXPECT_TRUE(boundaries.count(target)) << "patch at " << std::hex << l.address << " jumps to " << target;
  }
  // jmp start, the if's jz, the else's jmp, the while's and the for's exit, the last if's jz.
  EXPECT_EQ(patches, 2 * 6);  // each patched place is visited twice, once per listing line

  auto run = run_program(dir.file("jumps.exe"), {}, "", 30, dir.path());
  EXPECT_EQ(run.out, "big\r\n12 done\r\n");
}

}  // namespace
}  // namespace tarn
