// The run-time library as machine code: every byte decodes, every jump stays
// on an instruction start inside the library, routines sit in their fixed
// order with their listing headers, and the routines whose bytes are fixed
// have exactly those bytes. The label helper's range and completeness checks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <stdexcept>

#include "runtime/routine.h"
#include "runtime/runtime.h"
#include "support/image_build.h"
#include "support/runtime_image.h"
#include "support/test_support.h"

namespace tarn {
namespace {

constexpr int32_t kDataOffset = 0x200 + 731;  // after the import area
constexpr int32_t kCodeOffset = 0x900;

const char* const kOrder[] = {
    "pos",        "upcase",   "lowcase",    "substr",      "_str2int",   "_str2si",        "_wrst",
    "_wrstf",     "_si2nsi",  "_si2st",     "_int2st",     "readln",     "writeln",        "strcmp",
    "reset",      "readstring", "eof",      "close",       "append",     "rewrite",        "writestring",
    "strtoint",   "inttostr", "floattostr", "strtofloat",  "_int2hst",   "getcommandline", "paramcount",
    "paramstr",   "ClrScr",   "PosCursor",  "HideCursor",  "ShowCursor",
};

struct Library {
  Compilation c;
  uint32_t start = 0, end = 0;

  Library() {
    seek(c.image, kDataOffset);
    test::declare_runtime_names(c);
    seek(c.image, kCodeOffset);
    start = current_address(c.image);
    emit_runtime_library(c.code);
    end = current_address(c.image);
  }
  uint32_t address(const char* name) const { return address_value(c.code, name); }
  // The bytes from a routine's first byte to the next routine's.
  std::string bytes_of(const char* name) const {
    uint32_t from = address(name), to = end;
    for (size_t i = 0; i + 1 < std::size(kOrder); ++i)
      if (std::string(kOrder[i]) == name) to = address(kOrder[i + 1]);
    return raw(from, to);
  }
  std::string raw(uint32_t from, uint32_t to) const {
    const size_t p = static_cast<size_t>(kCodeOffset) + (from - start);
    return std::string(reinterpret_cast<const char*>(c.image.bytes.data()) + p, to - from);
  }
};

const Library& library() {
  static const Library lib;
  return lib;
}

std::string hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string h;
  for (unsigned char b : bytes) {
    h += digits[b >> 4];
    h += digits[b & 15];
  }
  return h;
}

std::string le(uint32_t v) { return hex(test::dword_bytes(v)); }

struct Disassembly {
  std::set<uint32_t> starts;
  struct Jump {
    uint32_t at, target;
    std::string text;
  };
  std::vector<Jump> jumps;
  std::vector<std::string> bad;
  uint32_t decoded_end = 0;
};

Disassembly disassemble(const std::string& code, uint32_t vma) {
  test::TempDir dir;
  const std::string file = dir.file("code.bin");
  test::write_file(file, code);
  std::ostringstream adjust;
  adjust << "--adjust-vma=0x" << std::hex << vma;
  test::RunResult r =
      test::run_process({"objdump", "-D", "-b", "binary", "-m", "i386", "--insn-width=16", adjust.str(), file});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  Disassembly d;
  const std::regex line(R"(^\s*([0-9a-f]+):\t([0-9a-f ]+)\t(.*)$)");
  const std::regex direct(R"(^(j\w+|loop\w*|call)\s+0x([0-9a-f]+)\s*$)");
  std::istringstream in(r.out);
  for (std::string text; std::getline(in, text);) {
    std::smatch m;
    if (!std::regex_match(text, m, line)) continue;
    const uint32_t at = static_cast<uint32_t>(std::stoul(m[1], nullptr, 16));
    const std::string insn = m[3];
    d.starts.insert(at);
    const std::string bytes = m[2];
    const size_t length = static_cast<size_t>(std::count_if(bytes.begin(), bytes.end(), ::isxdigit)) / 2;
    d.decoded_end = std::max<uint32_t>(d.decoded_end, at + static_cast<uint32_t>(length));
    if (insn.find("(bad)") != std::string::npos) d.bad.push_back(text);
    std::smatch j;
    if (std::regex_match(insn, j, direct))
      d.jumps.push_back({at, static_cast<uint32_t>(std::stoul(j[2], nullptr, 16)), insn});
  }
  return d;
}

TEST(RuntimeLibrary, EveryByteDecodesAndEveryJumpLandsOnAnInstructionInside) {
  const Library& lib = library();
  Disassembly d = disassemble(lib.raw(lib.start, lib.end), lib.start);
  EXPECT_TRUE(d.bad.empty()) << d.bad.front();
  EXPECT_EQ(d.decoded_end, lib.end);
  ASSERT_GT(d.jumps.size(), 100u);
  for (const auto& j : d.jumps) {
    EXPECT_GE(j.target, lib.start) << j.text;
    EXPECT_LT(j.target, lib.end) << j.text;
    EXPECT_TRUE(d.starts.count(j.target)) << std::hex << j.at << ": " << j.text;
  }
  // Every routine begins on an instruction of its own.
  for (const char* name : kOrder) EXPECT_TRUE(d.starts.count(lib.address(name))) << name;
}

TEST(RuntimeLibrary, TheWholeCodeOfAProgramDecodes) {
  // The empty program as the image writer builds it: "jmp start", the
  // library, the main body and the closing call, all in one stream.
  test::TempDir work;
  auto c = test::image_compilation(work.path(), test::empty_program_postfix());
  ASSERT_EQ(test::build_code_section(*c), 0);
  const uint32_t entry = kImageBase + test::le32(test::image_bytes(*c), 104);
  const uint32_t end = current_address(c->image);
  const size_t from = static_cast<size_t>(kCodeFileOffset) + (entry - kImageBase - kCodeRva);
  const std::string code = test::image_bytes(*c).substr(from, end - entry);
  Disassembly d = disassemble(code, entry);
  EXPECT_TRUE(d.bad.empty()) << d.bad.front();
  EXPECT_EQ(d.decoded_end, end);
  for (const auto& j : d.jumps) EXPECT_TRUE(d.starts.count(j.target)) << std::hex << j.at << ": " << j.text;
  EXPECT_TRUE(d.starts.count(address_value(c->code, "ShowCursor")));
}

TEST(RuntimeLibrary, RoutinesAreRegisteredInTheFixedOrderWithTheirHeaders) {
  const Library& lib = library();
  EXPECT_EQ(lib.address("pos"), lib.start);
  for (size_t i = 0; i + 1 < std::size(kOrder); ++i)
    EXPECT_LT(lib.address(kOrder[i]), lib.address(kOrder[i + 1])) << kOrder[i];
  // The headers appear in order; " _int2st" and " _int2hst" after an empty line.
  const std::string& listing = lib.c.gen.listing;
  size_t at = 0;
  for (const char* header :
       {"function Pos\r\n", "function UpCase\r\n", "function LowCase\r\n", "function substr\r\n", "_str2int\r\n",
        "_str2si\r\n", "_wrst\r\n", "_wrstf\r\n", "_si2nsi\r\n", " _si2st\r\n", "\r\n\r\n _int2st\r\n",
        "procedure readln\r\n", "procedure writeln\r\n", "function strcmp\r\n", "function reset\r\n",
        "function readstring\r\n", "function eof\r\n", "function close\r\n", "function append\r\n",
        "function rewrite\r\n", "function writestring\r\n", "function strtoint\r\n", "function inttostr\r\n",
        "function floatostr\r\n", "function strtofloat\r\n", "\r\n\r\n _int2hst\r\n", "function getcommandline\r\n",
        "function paramcount\r\n", "function paramstr\r\n", "procedure clrscr\r\n", "procedure poscursor\r\n",
        "procedure hidecursor\r\n", "procedure showcursor\r\n"}) {
    const size_t found = listing.find(header, at);
    ASSERT_NE(found, std::string::npos) << header;
    at = found + 1;
  }
}

TEST(RuntimeLibrary, ListingLinesCarryTheAddressTheBytesAndTheText) {
  const Library& lib = library();
  std::ostringstream line;
  line << std::hex;
  line.width(8);
  line.fill('0');
  line << lib.address("_wrst");
  EXPECT_NE(lib.c.gen.listing.find(line.str() + " 8b442404 mov eax, [esp+4]\r\n"), std::string::npos);
  EXPECT_NE(lib.c.gen.listing.find(" f3a4 rep movsb\r\n"), std::string::npos);
}

TEST(RuntimeLibrary, FixedRoutinesHaveTheirBytes) {
  const Library& lib = library();
  auto a = [&](const char* name) { return le(lib.address(name)); };
  EXPECT_EQ(hex(lib.bytes_of("_wrst")),
            "8b442404" "a3" + a("_pst") + "ff35" + a("_pst") + "ff15" + a("lstrlen") + "a3" + a("_strlen") +
                "6af5" "ff15" + a("GetStdHandle") + "a3" + a("_hStdout") + "6a00" "68" + a("_nbw") + "ff35" +
                a("_strlen") + "ff35" + a("_pst") + "ff35" + a("_hStdout") + "ff15" + a("WriteFile") + "c20400");
  EXPECT_EQ(hex(lib.bytes_of("writeln")),
            "6af5" "ff15" + a("GetStdHandle") + "a3" + a("hStdOut") + "6a00" "68" + a("count") + "6a02" "68" +
                a("str_crlf") + "ff35" + a("hStdOut") + "ff15" + a("WriteFile") + "c3");
  // The hexadecimal digit sequence.
  EXPECT_NE(hex(lib.bytes_of("_int2hst")).find("c1c20488d0240f3c0a1c692faa"), std::string::npos);
  // Import calls go through the first WriteFile slot.
  EXPECT_EQ(lib.address("WriteFile"), 0x00401004u);
}

TEST(RuntimeLibrary, RoutinesThatRemoveTheirArgumentsEndWithTheMatchingRet) {
  const Library& lib = library();
  const std::map<std::string, std::string> endings = {
      {"_wrst", "c20400"},  {"_wrstf", "c20800"},   {"_int2st", "c20800"}, {"_int2hst", "c20800"},
      {"strcmp", "c20800"}, {"readstring", "c20c00"}, {"writeln", "c3"},   {"readln", "c3"},
      {"pos", "c3"},        {"substr", "c3"},       {"eof", "c3"},         {"close", "c3"},
  };
  for (const auto& [name, ret] : endings) {
    const std::string h = hex(lib.bytes_of(name.c_str()));
    EXPECT_EQ(h.substr(h.size() - ret.size()), ret) << name;
  }
  // _si2st's own return comes before its text-building subroutine.
  EXPECT_NE(hex(lib.bytes_of("_si2st")).find("dbe3c20c00"), std::string::npos);
}

TEST(RuntimeLibrary, StaysSmallBesideTheProgramsItIsPartOf) {
  // Every program carries the whole library inside its 64 KiB.
  const Library& lib = library();
  EXPECT_LT(lib.end - lib.start, 4096u);
}

TEST(RuntimeLibrary, RefusesToRunWithoutItsVariables) {
  Compilation c;
  seek(c.image, kCodeOffset);
  EXPECT_THROW(emit_runtime_library(c.code), std::logic_error);
}

// The label helper.

struct Scratch {
  Compilation c;
  Scratch() { seek(c.image, kCodeOffset); }
  std::string code() const {
    return hex(std::string(reinterpret_cast<const char*>(c.image.bytes.data()) + kCodeOffset,
                           static_cast<size_t>(c.image.pos - kCodeOffset)));
  }
};

TEST(RoutineBuilder, ForwardAndBackwardJumpsGetTheirDisplacements) {
  Scratch s;
  RoutineBuilder r(s.c.code);
  LocalLabel top = r.label("top");
  LocalLabel out = r.label("out");
  r.bind(top);
  r.op("inc eax", "40");
  r.jump("jz", out);         // 74 08: to out
  r.jump("jmp", top);        // eb fb: back to the inc
  r.jump_near("jnz", out);   // 0f 85 00000000: to the next instruction
  r.bind(out);
  r.call(top);               // e8 + (0 - 16)
  r.op("ret", "c3");
  r.finish();
  EXPECT_EQ(s.code(), "40" "7408" "ebfb" "0f8500000000" "e8f0ffffff" "c3");
}

TEST(RoutineBuilder, AShortJumpOutOfRangeIsRefused) {
  Scratch s;
  RoutineBuilder r(s.c.code);
  LocalLabel far = r.label("far");
  r.jump("jmp", far);
  for (int i = 0; i < 128; ++i) r.op("nop", "90");
  EXPECT_THROW(r.bind(far), std::logic_error);
}

TEST(RoutineBuilder, AnUnboundLabelIsRefusedAtTheEnd) {
  Scratch s;
  RoutineBuilder r(s.c.code);
  LocalLabel nowhere = r.label("nowhere");
  r.jump("jz", nowhere);
  EXPECT_THROW(r.finish(), std::logic_error);
  EXPECT_EQ(s.c.image.pos, kCodeOffset);  // nothing was emitted
}

TEST(RoutineBuilder, LabelLinesAndInstructionsGoToTheListing) {
  Scratch s;
  RoutineBuilder r(s.c.code);
  LocalLabel l = r.label("again");
  r.bind(l);
  r.jump("jmp", l);
  r.finish();
  EXPECT_EQ(s.c.gen.listing, "again:\r\n00401700 ebfe jmp again\r\n");
}

}  // namespace
}  // namespace tarn
