// The image buffer: every byte of the executable is placed here, at positions
// the writer chooses, and the buffer is written to disk as a whole at the end.
// Invariants: the length is a multiple of 512 and never above 65,536; the
// buffer always extends at least one byte past the end of every write.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarn {

struct Compilation;

constexpr uint32_t kImageBase = 0x00400000;
constexpr uint32_t kCodeRva = 0x1000;       // the code section's relative address
constexpr int32_t kCodeFileOffset = 0x200;  // and its file offset
constexpr size_t kImageLimit = 65536;

struct ImageState {
  std::vector<uint8_t> bytes;
  int32_t pos = 0;  // write position: a file offset
};

void seek(ImageState& im, int32_t p);
void put_byte(ImageState& im, uint8_t b);
void put_word(ImageState& im, uint16_t w);
void put_dword(ImageState& im, uint32_t d);
// One byte per character of code page 1251 text, Russian letters (Ё and ё
// included) turned into their code page 866 bytes.
void put_text(ImageState& im, std::string_view text);
// The virtual address of the write position.
uint32_t current_address(const ImageState& im);
// The virtual address of a file offset inside the code section.
inline uint32_t address_of_offset(int32_t p) { return kImageBase + kCodeRva + static_cast<uint32_t>(p - kCodeFileOffset); }

// The `.code` section header and SizeOfCode for a raw size of n bytes.
void set_code_section_size(ImageState& im, int n);

void write_headers(Compilation& c, int section_count);
void write_section_headers(Compilation& c);
void set_code_section_size(Compilation& c, int size);
// Writes the whole image buffer; false on any failure.
bool write_image_file(const Compilation& c, const std::string& path);

}  // namespace tarn
