// The image buffer: every byte of the executable is placed here, at positions
// the writer chooses, and the buffer is written to disk as a whole at the end.
// Invariants: the length is a multiple of 512 and never above 65,536; the
// buffer always extends at least one byte past the end of every write.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tarn {


constexpr uint32_t kImageBase = 0x00400000;
constexpr uint32_t kCodeRva = 0x1000;       // the code section's relative address
constexpr int32_t kCodeFileOffset = 0x200;  // and its file offset
constexpr size_t kImageLimit = 65536;

// The image would pass kImageLimit: data and code together are too large
// (the back end reports error 202). Nothing else in the image raises it.
struct ImageOverflow : std::runtime_error {
  ImageOverflow() : std::runtime_error("the image passes 64 KiB") {}
};

// Fixed places in the headers that later steps fill in.
constexpr int32_t kNumberOfSectionsOffset = 70;
constexpr int32_t kSizeOfCodeOffset = 92;
constexpr int32_t kEntryPointOffset = 104;
constexpr int32_t kSizeOfImageOffset = 144;
constexpr int32_t kImportDirectoryOffset = 192;
constexpr int32_t kResourceDirectoryOffset = 200;
constexpr int32_t kCodeHeaderOffset = 312;
constexpr int32_t kResourceHeaderOffset = 352;

// One imported function: `Name` holds the bytes of its hint/name entry (two
// NULs for hint 0, the name, one NUL); `Addr` the VA of its import slot.
struct TFunction {
  std::string Name;
  uint32_t Addr = 0;
};

// One imported library: `Name` is the file name followed by two NULs.
struct TDLL {
  std::string Name;
  std::vector<TFunction> Functions;
};

struct ImageState {
  std::vector<uint8_t> bytes;
  int32_t pos = 0;  // write position: a file offset
  std::vector<TDLL> libraries;  // in order of first declaration
};

void seek(ImageState& im, int32_t p);
void put_byte(ImageState& im, uint8_t b);
void put_word(ImageState& im, uint16_t w);
void put_dword(ImageState& im, uint32_t d);
// Bytes that fit the buffer as it is go straight in; the rest grow it first.
void put_bytes_growing(ImageState& im, const uint8_t* bytes, size_t n);
inline void put_bytes(ImageState& im, const uint8_t* bytes, size_t n) {
  const size_t at = static_cast<size_t>(im.pos);
  if (at + n >= im.bytes.size()) {
    put_bytes_growing(im, bytes, n);
    return;
  }
  uint8_t* out = im.bytes.data() + at;
  for (size_t i = 0; i < n; ++i) out[i] = bytes[i];
  im.pos += static_cast<int32_t>(n);
}
// `count` copies of one dword, as that many put_dword would place them.
void put_dwords(ImageState& im, uint32_t d, int count);
// One byte per character of code page 1251 text, Russian letters (Ё and ё
// included) turned into their code page 866 bytes.
void put_text(ImageState& im, std::string_view text);
// The virtual address of a file offset inside the code section.
inline uint32_t address_of_offset(int32_t p) { return kImageBase + kCodeRva + static_cast<uint32_t>(p - kCodeFileOffset); }
// The virtual address of the write position.
inline uint32_t current_address(const ImageState& im) { return address_of_offset(im.pos); }

// The `.code` section header and SizeOfCode for a raw size of n bytes.
void set_code_section_size(ImageState& im, int n);

// Reads and writes a header field in place, without moving the write position
// or growing the buffer (the first 512 bytes exist from the first put on).
uint32_t peek_dword(const ImageState& im, int32_t p);
void poke_dword(ImageState& im, int32_t p, uint32_t d);
// A put at another place that leaves the write position where it was.
void put_dword_at(ImageState& im, int32_t p, uint32_t d);
void put_word_at(ImageState& im, int32_t p, uint16_t w);

void write_headers(ImageState& im, int section_count);
void write_section_headers(ImageState& im);
// Writes the whole image buffer; false on any failure.
bool write_image_file(const ImageState& im, const std::string& path);

}  // namespace tarn
