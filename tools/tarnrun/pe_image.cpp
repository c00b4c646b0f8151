// PE32 i386 loading: headers, sections copied to their addresses, and the
// import directory read as name lists. Every offset is checked against the
// file or the image before it is followed.
#include "pe_image.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace tarnrun {
namespace {

constexpr uint32_t kPage = 0x1000;
constexpr uint32_t kMaxImage = 16u << 20;  // far above the 64 KiB tarnc writes

uint32_t round_up(uint32_t v, uint32_t to) { return (v + to - 1) / to * to; }

// Little-endian reads from a byte vector that fail instead of running off it.
struct Reader {
  const std::vector<uint8_t>& bytes;
  const char* what;

  void need(uint64_t offset, uint64_t count) const {
    if (offset + count > bytes.size()) throw RunnerError(std::string(what) + " is truncated");
  }
  uint16_t u16(uint64_t at) const {
    need(at, 2);
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
  }
  uint32_t u32(uint64_t at) const {
    need(at, 4);
    return static_cast<uint32_t>(bytes[at]) | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
           static_cast<uint32_t>(bytes[at + 3]) << 24;
  }
  // A NUL-terminated name; the terminator must lie inside the bytes.
  std::string name(uint64_t at) const {
    need(at, 1);
    auto begin = bytes.begin() + static_cast<long>(at);
    auto end = std::find(begin, bytes.end(), 0);
    if (end == bytes.end()) throw RunnerError(std::string(what) + " has an unterminated import name");
    return std::string(begin, end);
  }
};

void read_imports(PeImage& img, uint32_t dir_rva, uint32_t dir_size) {
  if (dir_rva == 0 || dir_size == 0) return;
  Reader mem{img.memory, "the import directory"};
  for (uint32_t at = dir_rva;; at += 20) {
    uint32_t lookup = mem.u32(at);
    uint32_t dll_rva = mem.u32(at + 12);
    uint32_t slots = mem.u32(at + 16);
    if (lookup == 0 && dll_rva == 0 && slots == 0) break;
    std::string dll = mem.name(dll_rva);
    if (lookup == 0) lookup = slots;
    for (uint32_t i = 0;; ++i) {
      uint32_t entry = mem.u32(lookup + 4ull * i);
      if (entry == 0) break;
      if (entry & 0x80000000u) throw RunnerError("the image imports " + dll + " by ordinal, which the runner does not serve");
      img.imports.push_back({dll, mem.name(entry + 2ull), slots + 4 * i});
      mem.need(slots + 4ull * i, 4);
    }
  }
}

}  // namespace

PeImage load_pe_image(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw RunnerError("cannot open " + path + ": " + std::strerror(errno));
  std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Reader f{file, path.c_str()};

  if (file.size() < 64 || file[0] != 'M' || file[1] != 'Z') throw RunnerError(path + " is not a Windows executable");
  uint32_t pe = f.u32(0x3c);
  if (f.u32(pe) != 0x00004550) throw RunnerError(path + " is not a PE executable");
  uint16_t machine = f.u16(pe + 4);
  uint16_t section_count = f.u16(pe + 6);
  uint16_t optional_size = f.u16(pe + 20);
  uint32_t opt = pe + 24;
  if (machine != 0x14c || f.u16(opt) != 0x10b) throw RunnerError(path + " is not a 32-bit x86 (PE32 i386) executable");
  if (optional_size < 96 + 16) throw RunnerError(path + " has an optional header too small for its data directories");

  PeImage img;
  img.entry_rva = f.u32(opt + 16);
  img.base = f.u32(opt + 28);
  uint32_t headers_size = f.u32(opt + 60);
  img.size = round_up(f.u32(opt + 56), kPage);
  if (img.base % 0x10000 != 0 || img.base < 0x10000 || img.size == 0 || img.size > kMaxImage ||
      uint64_t{img.base} + img.size > 0x70000000u)
    throw RunnerError(path + " asks for an image base or size the runner cannot place");
  if (headers_size > img.size || headers_size > file.size()) throw RunnerError(path + " is truncated");
  img.memory.assign(img.size, 0);
  std::memcpy(img.memory.data(), file.data(), headers_size);

  uint32_t table = opt + optional_size;
  for (uint16_t i = 0; i < section_count; ++i) {
    uint32_t h = table + 40u * i;
    Section s{f.u32(h + 12), f.u32(h + 8), f.u32(h + 36)};
    uint32_t raw_size = f.u32(h + 16), raw_at = f.u32(h + 20);
    if (s.size == 0) s.size = raw_size;
    if (uint64_t{s.rva} + s.size > img.size || s.rva % kPage != 0)
      throw RunnerError(path + " has a section outside its image");
    uint32_t copy = std::min(raw_size, s.size);
    if (copy > 0) {
      f.need(raw_at, copy);
      std::memcpy(img.memory.data() + s.rva, file.data() + raw_at, copy);
    }
    img.sections.push_back(s);
  }
  if (img.entry_rva == 0 || img.entry_rva >= img.size) throw RunnerError(path + " has its entry point outside its image");
  read_imports(img, f.u32(opt + 104), f.u32(opt + 108));
  return img;
}

}  // namespace tarnrun
