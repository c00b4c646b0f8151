// libFuzzer target: compiles one byte string as a source file with the whole
// of tarnc (command line, passes, image write) in this process, and checks
// tarnc's contract with the editor:
//   exit 0: the output is the banner, the source path and "<n> lines.", and
//           the executable's PE headers parse;
//   exit 1: the output holds exactly one report line with "Error" in it (with
//           its source line and caret when the source was still open), and no
//           executable was written.
// Anything else, and every crash, hang or sanitizer report, is a finding.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "driver/driver.h"

namespace {

std::string g_dir, g_src, g_out, g_exe, g_rs;

std::string slurp(const std::string& path, bool& exists) {
  std::ifstream f(path, std::ios::binary);
  exists = static_cast<bool>(f);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

[[noreturn]] void broken(const std::string& what, const std::string& out) {
  fprintf(stderr, "contract broken: %s\n--- output ---\n%s\n--------------\n", what.c_str(), out.c_str());
  abort();
}

uint32_t u16(const std::string& b, size_t at) {
  return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8;
}
uint32_t u32(const std::string& b, size_t at) { return u16(b, at) | u16(b, at + 2) << 16; }

// The headers a loader reads, each inside the file and consistent.
std::string pe_problem(const std::string& b) {
  if (b.size() < 0x200 || b.size() > 65536) return "file size " + std::to_string(b.size());
  if (b.compare(0, 2, "MZ") != 0) return "no MZ";
  const size_t pe = u32(b, 0x3C);
  if (pe + 24 + 0xE0 > b.size() || b.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return "no PE signature";
  if (u16(b, pe + 4) != 0x14C) return "machine";
  const uint32_t sections = u16(b, pe + 6);
  if (sections < 1 || sections > 2) return "section count";
  if (u16(b, pe + 20) != 0xE0) return "optional header size";
  const size_t opt = pe + 24;
  if (u16(b, opt) != 0x10B) return "optional header magic";
  const uint32_t entry = u32(b, opt + 16), image_size = u32(b, opt + 56), headers = u32(b, opt + 60);
  if (headers > b.size()) return "header size";
  const size_t table = opt + 0xE0;
  if (table + 40 * sections > headers) return "section table outside the headers";
  bool entry_in_code = false;
  for (uint32_t i = 0; i < sections; ++i) {
    const size_t s = table + 40 * i;
    const uint32_t vsize = u32(b, s + 8), va = u32(b, s + 12), raw_size = u32(b, s + 16), raw = u32(b, s + 20);
    if (static_cast<uint64_t>(raw) + raw_size > b.size()) return "section data outside the file";
    if (static_cast<uint64_t>(va) + vsize > image_size) return "section outside the image";
    if (i == 0 && entry >= va && entry < va + vsize) entry_in_code = true;
  }
  if (!entry_in_code) return "entry point outside the code";
  return "";
}

bool is_digits(const std::string& s) {
  return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

std::vector<std::string> lines_of(const std::string& text, bool& crlf_ended) {
  std::vector<std::string> lines;
  size_t pos = 0;
  crlf_ended = true;
  while (pos < text.size()) {
    size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) {
      crlf_ended = false;
      lines.push_back(text.substr(pos));
      break;
    }
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char templ[] = "/tmp/tarnc_fuzz.XXXXXX";
  const char* shm = access("/dev/shm", W_OK) == 0 ? "/dev/shm/tarnc_fuzz.XXXXXX" : nullptr;
  std::string t = shm ? shm : templ;
  if (!mkdtemp(t.data())) abort();
  g_dir = t;
  g_src = g_dir + "/p.pas";
  g_out = g_dir + "/p.cou";
  g_exe = g_dir + "/p.exe";
  g_rs = g_dir + "/p.rs";
  setenv("LOCALAPPDATA", g_dir.c_str(), 1);
  std::ofstream(g_rs, std::ios::binary) << "Company=Fuzz\r\nDescription=\r\nFileVersion=1.0.0.1\r\n";
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    std::ofstream f(g_src, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  unlink(g_exe.c_str());
  unlink(g_out.c_str());
  const int code = tarn::run_tarnc({g_src, "/O:" + g_out, "/E:" + g_exe, "/R:" + g_rs});

  bool out_exists = false, exe_exists = false, crlf_ended = false;
  const std::string out = slurp(g_out, out_exists);
  const std::string exe = slurp(g_exe, exe_exists);
  if (!out_exists) broken("no output file", "");
  const std::vector<std::string> lines = lines_of(out, crlf_ended);
  if (!crlf_ended) broken("the output does not end with a line end", out);
  if (lines.size() < 2 || lines[0].rfind("Tarnwell Compiler Version 3.2.2 ", 0) != 0) broken("no banner", out);
  if (lines[1].rfind(g_src, 0) != 0) broken("no source path", out);
  const std::string rest = lines[1].substr(g_src.size());

  if (code == 0) {
    if (!rest.empty() || lines.size() != 3) broken("success with more than the line count", out);
    const std::string& count = lines[2];
    if (count.size() < 8 || count.compare(count.size() - 7, 7, " lines.") != 0 ||
        !is_digits(count.substr(0, count.size() - 7)))
      broken("no line count", out);
    if (!exe_exists) broken("success without an executable", out);
    const std::string problem = pe_problem(exe);
    if (!problem.empty()) broken("bad PE headers: " + problem, out);
  } else if (code == 1) {
    // "(<line>): Error <code>: <text>", alone or followed by the echo and the caret.
    const size_t close = rest.find("): Error ");
    if (rest.empty() || rest[0] != '(' || close == std::string::npos || !is_digits(rest.substr(1, close - 1)))
      broken("no report line", out);
    const size_t colon = rest.find(':', close + 9);
    if (colon == std::string::npos || !is_digits(rest.substr(close + 9, colon - close - 9)))
      broken("no error code", out);
    if (lines.size() == 4) {
      const std::string& caret = lines[3];
      if (caret.empty() || caret.back() != '^' || caret.find_first_not_of(' ') != caret.size() - 1)
        broken("no caret line", out);
    } else if (lines.size() != 2) {
      broken("report of the wrong length", out);
    }
    if (exe_exists) broken("failure left an executable", out);
  } else {
    broken("exit code " + std::to_string(code), out);
  }
  return 0;
}
