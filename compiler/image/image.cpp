#include "image/image.h"

#include <algorithm>
#include <cstdio>

#include "common/codepage.h"
#include "platform/platform.h"

namespace tarn {

namespace {

// The layout every produced program shares: one image base, page-sized
// sections in memory, 512-byte sections in the file, and the code section
// right after the 512 bytes of headers.
constexpr uint32_t kSectionAlignment = 0x1000;
constexpr uint32_t kFileAlignment = 0x200;
constexpr uint32_t kHeadersSize = 512;
constexpr uint32_t kPeSignatureOffset = 64;  // no DOS program: the PE signature follows the MZ header

struct HeaderField {
  int32_t offset;
  int size;  // 1, 2 or 4 bytes
  uint32_t value;
};

// The MZ and PE headers, one row per field; every byte of the first 512 that
// no row names stays 0 (the DOS header fields, the data directories other
// than the ones later steps fill in).
const HeaderField kHeaderTemplate[] = {
    {0, 2, 'M' | 'Z' << 8},            // MZ signature
    {60, 4, kPeSignatureOffset},       // where the PE signature is
    {64, 4, 'P' | 'E' << 8},           // "PE" and two 0 bytes
    {68, 2, 0x014C},                   // Machine: i386
    {70, 2, 1},                        // NumberOfSections (written by write_headers)
    {72, 4, 0},                        // TimeDateStamp: 0, so two compiles give identical files
    {76, 4, 0},                        // PointerToSymbolTable
    {80, 4, 0},                        // NumberOfSymbols
    {84, 2, 224},                      // SizeOfOptionalHeader
    {86, 2, 0x010F},                   // Characteristics: no relocations, executable, no line numbers or
                                       // local symbols, 32-bit machine
    {88, 2, 0x010B},                   // Magic: PE32
    {90, 1, 0},                        // MajorLinkerVersion
    {91, 1, 0},                        // MinorLinkerVersion
    {92, 4, 512},                      // SizeOfCode, kept up to date as the image grows
    {96, 4, 512},                      // SizeOfInitializedData
    {100, 4, 0},                       // SizeOfUninitializedData
    {104, 4, kCodeRva},                // AddressOfEntryPoint, replaced once the data is laid out
    {108, 4, kCodeRva},                // BaseOfCode
    {112, 4, kCodeRva},                // BaseOfData: data and code share the one section
    {116, 4, kImageBase},              // ImageBase: fixed, the code holds absolute addresses
    {120, 4, kSectionAlignment},       // SectionAlignment
    {124, 4, kFileAlignment},          // FileAlignment
    {128, 2, 4},                       // MajorOperatingSystemVersion
    {130, 2, 0},                       // MinorOperatingSystemVersion
    {132, 2, 0},                       // MajorImageVersion
    {134, 2, 0},                       // MinorImageVersion
    {136, 2, 4},                       // MajorSubsystemVersion
    {138, 2, 0},                       // MinorSubsystemVersion
    {140, 4, 0},                       // Win32VersionValue
    {144, 4, 0x2000},                  // SizeOfImage, kept up to date as the image grows
    {148, 4, kHeadersSize},            // SizeOfHeaders
    {152, 4, 0},                       // CheckSum
    {156, 2, 3},                       // Subsystem: Windows console
    {158, 2, 0},                       // DllCharacteristics
    {160, 4, 0x1000},                  // SizeOfStackReserve
    {164, 4, 0x1000},                  // SizeOfStackCommit
    {168, 4, 0x10000},                 // SizeOfHeapReserve
    {172, 4, 0},                       // SizeOfHeapCommit
    {176, 4, 0},                       // LoaderFlags
    {180, 4, 16},                      // NumberOfRvaAndSizes
    // 184: 16 data directories (RVA, size); the import directory (192) and the
    // resource directory (200) are filled in by the steps that write them.
};

// Grows the buffer in 512-byte steps until it extends past `end`, keeping the
// header sizes in step.
void grow_past(ImageState& im, size_t end) {
  while (end >= im.bytes.size()) {
    if (im.bytes.size() >= kImageLimit) throw ImageOverflow();
    im.bytes.resize(im.bytes.size() + 512, 0);
    const uint32_t length = static_cast<uint32_t>(im.bytes.size());
    poke_dword(im, kSizeOfImageOffset, ((length - 1) / 4096 + 2) * 4096);
    set_code_section_size(im, static_cast<int>(length) - 512);
  }
}

// Makes a write of k bytes at the write position fit with one byte to spare.
// Most writes fit already: only the check is made then.
void make_room(ImageState& im, int32_t k) {
  const size_t end = static_cast<size_t>(im.pos) + static_cast<size_t>(k);
  if (end >= im.bytes.size()) grow_past(im, end);
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

void put_bytes_growing(ImageState& im, const uint8_t* bytes, size_t n) {
  if (n == 0) return;
  make_room(im, static_cast<int32_t>(n));
  std::copy_n(bytes, n, im.bytes.begin() + im.pos);
  im.pos += static_cast<int32_t>(n);
}

void put_dwords(ImageState& im, uint32_t d, int count) {
  while (count > 0) {
    // The dwords that fit the buffer as it is, with its byte to spare, go
    // straight in; the next one grows it (or overflows) as put_dword does.
    const size_t at = static_cast<size_t>(im.pos);
    const size_t room = at + 1 < im.bytes.size() ? (im.bytes.size() - 1 - at) / 4 : 0;
    const size_t n = std::min(room, static_cast<size_t>(count));
    uint8_t* out = im.bytes.data() + at;
    if (d == 0) {
      std::fill_n(out, 4 * n, uint8_t{0});
    } else {
      for (size_t i = 0; i < n; ++i)
        for (int k = 0; k < 4; ++k) out[4 * i + static_cast<size_t>(k)] = static_cast<uint8_t>(d >> (8 * k));
    }
    im.pos += static_cast<int32_t>(4 * n);
    count -= static_cast<int>(n);
    if (count > 0) {
      put_dword(im, d);
      --count;
    }
  }
}

void put_text(ImageState& im, std::string_view text) {
  if (text.empty()) return;
  make_room(im, static_cast<int32_t>(text.size()));
  for (char ch : text) im.bytes[static_cast<size_t>(im.pos++)] = cp1251_to_cp866(static_cast<unsigned char>(ch));
}

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

uint32_t peek_dword(const ImageState& im, int32_t p) {
  uint32_t d = 0;
  for (int i = 0; i < 4; ++i) d |= static_cast<uint32_t>(im.bytes[static_cast<size_t>(p + i)]) << (8 * i);
  return d;
}

void poke_dword(ImageState& im, int32_t p, uint32_t d) {
  for (int i = 0; i < 4; ++i) im.bytes[static_cast<size_t>(p + i)] = static_cast<uint8_t>(d >> (8 * i));
}

void put_dword_at(ImageState& im, int32_t p, uint32_t d) {
  const int32_t saved = im.pos;
  seek(im, p);
  put_dword(im, d);
  seek(im, saved);
}

void put_word_at(ImageState& im, int32_t p, uint16_t w) {
  const int32_t saved = im.pos;
  seek(im, p);
  put_word(im, w);
  seek(im, saved);
}

void write_headers(ImageState& im, int section_count) {
  for (const HeaderField& f : kHeaderTemplate) {
    uint32_t value = f.offset == kNumberOfSectionsOffset ? (section_count == 1 ? 1u : 2u) : f.value;
    seek(im, f.offset);
    if (f.size == 1) put_byte(im, static_cast<uint8_t>(value));
    else if (f.size == 2) put_word(im, static_cast<uint16_t>(value));
    else put_dword(im, value);
  }
}

void write_section_headers(ImageState& im) {
  seek(im, kCodeHeaderOffset);  // the `.rsrc` header follows at kResourceHeaderOffset
  for (const char* name : {".code", ".rsrc"}) {
    std::string field(name);
    field.resize(8, '\0');
    put_text(im, field);
    for (int i = 0; i < 8; ++i) put_dword(im, 0);
  }
}

bool write_image_file(const ImageState& im, const std::string& path) {
  // Written beside the target and put in its place only when complete: a full
  // disk leaves the previous executable as it was.
  const std::vector<uint8_t>& bytes = im.bytes;
  return platform::replace_file(path, std::string(bytes.begin(), bytes.end()));
}

}  // namespace tarn
