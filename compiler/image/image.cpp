#include "image/image.h"

#include "common/codepage.h"
#include "driver/compilation.h"

namespace tarn {

namespace {

constexpr int32_t kSizeOfImageOffset = 144;
constexpr int32_t kSizeOfCodeOffset = 92;
constexpr int32_t kCodeHeaderOffset = 312;

// Stores bytes at a position without the growth rule: for header fields that
// lie inside the first 512 bytes, which exist from the first put on.
void poke_dword(ImageState& im, int32_t p, uint32_t d) {
  for (int i = 0; i < 4; ++i) im.bytes[static_cast<size_t>(p + i)] = static_cast<uint8_t>(d >> (8 * i));
}

// Grows the buffer in 512-byte steps until a write of k bytes at the write
// position fits with one byte to spare, keeping the header sizes in step.
void make_room(ImageState& im, int32_t k) {
  const size_t end = static_cast<size_t>(im.pos) + static_cast<size_t>(k);
  while (end >= im.bytes.size()) {
    if (im.bytes.size() >= kImageLimit) throw CompileError(202);
    im.bytes.resize(im.bytes.size() + 512, 0);
    const uint32_t length = static_cast<uint32_t>(im.bytes.size());
    poke_dword(im, kSizeOfImageOffset, ((length - 1) / 4096 + 2) * 4096);
    set_code_section_size(im, static_cast<int>(length) - 512);
  }
}

}  // namespace

void seek(ImageState& im, int32_t p) { im.pos = p; }

void put_byte(ImageState& im, uint8_t b) {
  make_room(im, 1);
  im.bytes[static_cast<size_t>(im.pos++)] = b;
}

void put_word(ImageState& im, uint16_t w) {
  make_room(im, 2);
  for (int i = 0; i < 2; ++i) im.bytes[static_cast<size_t>(im.pos++)] = static_cast<uint8_t>(w >> (8 * i));
}

void put_dword(ImageState& im, uint32_t d) {
  make_room(im, 4);
  for (int i = 0; i < 4; ++i) im.bytes[static_cast<size_t>(im.pos++)] = static_cast<uint8_t>(d >> (8 * i));
}

void put_text(ImageState& im, std::string_view text) {
  if (text.empty()) return;
  make_room(im, static_cast<int32_t>(text.size()));
  for (char ch : text) im.bytes[static_cast<size_t>(im.pos++)] = cp1251_to_cp866(static_cast<unsigned char>(ch));
}

uint32_t current_address(const ImageState& im) { return address_of_offset(im.pos); }

void set_code_section_size(ImageState& im, int n) {
  // Called from the growth rule too, so it writes in place without growing.
  if (im.bytes.size() < 512) im.bytes.resize(512, 0);
  const uint32_t raw = (static_cast<uint32_t>(n) + 511) / 512 * 512;
  const uint8_t name[8] = {'.', 'c', 'o', 'd', 'e', 0, 0, 0};
  for (int i = 0; i < 8; ++i) im.bytes[static_cast<size_t>(kCodeHeaderOffset + i)] = name[i];
  poke_dword(im, kCodeHeaderOffset + 8, (raw / 4096 + 1) * 4096);  // VirtualSize
  poke_dword(im, kCodeHeaderOffset + 12, kCodeRva);                // VirtualAddress
  poke_dword(im, kCodeHeaderOffset + 16, raw);                     // SizeOfRawData
  poke_dword(im, kCodeHeaderOffset + 20, kCodeFileOffset);         // PointerToRawData
  poke_dword(im, kCodeHeaderOffset + 24, 0);                       // PointerToRelocations
  poke_dword(im, kCodeHeaderOffset + 28, 0);                       // PointerToLinenumbers
  poke_dword(im, kCodeHeaderOffset + 32, 0);                       // relocation and line-number counts
  poke_dword(im, kCodeHeaderOffset + 36, 0xE0000060);              // code, data, execute, read, write
  poke_dword(im, kSizeOfCodeOffset, raw);
}

void write_headers(Compilation&, int) {}
void write_section_headers(Compilation&) {}
void set_code_section_size(Compilation& c, int size) { set_code_section_size(c.image, size); }
bool write_image_file(const Compilation&, const std::string&) { return true; }

}  // namespace tarn
