// The run-time library's variables: the data every program carries after its
// own, which the run-time routines address by name.
#include "codegen/data.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

#include "codegen/generator.h"
#include "common/hex.h"
#include "image/image.h"
#include "runtime/runtime.h"

namespace tarn {

namespace {

enum DataKind { kDword, kString, kBlock, kWord };

// The run-time library's variables, 636 bytes. Names that occur twice (_dec,
// _p) are found at their first place only but keep their bytes.
constexpr struct {
  const char* name;
  DataKind kind;
  int64_t value;       // dwords, blocks and words
  const char* text;    // strings
  int bytes;           // blocks
} kRuntimeData[] = {
    {"_fmt_int", kString, 0, "%i", 0},
    {"_str", kString, 0, "                              ", 0},  // 30 blanks
    {"_len", kDword, 0, nullptr, 0},
    {"_fr1", kDword, 0, nullptr, 0},
    {"_fn1", kDword, 0, nullptr, 0},
    {"_fn2", kDword, 0, nullptr, 0},
    {"_fn3", kDword, 0, nullptr, 0},
    {"_fn4", kDword, 0, nullptr, 0},
    {"_fn5", kDword, 0, nullptr, 0},
    {"_fn6", kDword, 0, nullptr, 0},
    {"_dec", kDword, 10, nullptr, 0},
    {"_ffmt", kString, 0, "%c%i.%s%i ", 0},
    {"_cwr", kDword, 0, nullptr, 0},
    {"_fd", kDword, 10, nullptr, 0},
    {"_100", kDword, 100, nullptr, 0},
    {"len_int", kDword, 0, nullptr, 0},
    {"hStdOut", kDword, 0, nullptr, 0},
    {"count", kDword, 0, nullptr, 0},
    {"str_crlf", kDword, 2573, nullptr, 0},  // CR LF 0 0
    {"hStdin", kDword, 0, nullptr, 0},
    {"_buff", kString, 0, nullptr, 127},  // 127 "#"
    {"_x", kDword, 0, nullptr, 0},
    {"_buffsize", kDword, 128, nullptr, 0},
    {"_random_seed", kDword, 0, nullptr, 0},
    {"_len1", kDword, 0, nullptr, 0},
    {"_len2", kDword, 0, nullptr, 0},
    {"_lastPos", kDword, 0, nullptr, 0},
    {"_r", kDword, 0, nullptr, 0},
    {"_p", kDword, 0, nullptr, 0},
    {"_single_10", kDword, 0x41200000, nullptr, 0},  // 10.0 as a single
    {"_dec", kDword, 10, nullptr, 0},
    {"_r1", kDword, 0, nullptr, 0},
    {"_r2", kDword, 0, nullptr, 0},
    {"_nn", kDword, 0, nullptr, 0},
    {"_mm", kDword, 0, nullptr, 0},
    {"_n1", kDword, 0, nullptr, 0},
    {"_kk", kDword, 0, nullptr, 0},
    {"_fs", kDword, 0, nullptr, 0},
    {"_ff", kDword, 0, nullptr, 0},
    {"_p", kDword, 0, nullptr, 0},
    {"_pp", kDword, 0, nullptr, 0},
    {"_crw", kDword, 0, nullptr, 0},
    {"_buf", kString, 0, "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx", 0},  // 40 "x"
    {"_pst", kDword, 0, nullptr, 0},
    {"_strlen", kDword, 0, nullptr, 0},
    {"_hStdout", kDword, 0, nullptr, 0},
    {"_nbw", kDword, 0, nullptr, 0},
    {"_strmaxlen", kDword, 0, nullptr, 0},
    {"_nwrstr", kDword, 0, nullptr, 0},
    {"_bwrstr", kString, 0, nullptr, 127},  // 127 "#"
    {"_CRLF", kDword, 2573, nullptr, 0},
    {"_crw2", kDword, 0, nullptr, 0},
    {"_year", kDword, 0, nullptr, 0},
    {"_month", kDword, 0, nullptr, 0},
    {"_dayofweek", kDword, 0, nullptr, 0},
    {"_day", kDword, 0, nullptr, 0},
    {"_hour", kDword, 0, nullptr, 0},
    {"_minute", kDword, 0, nullptr, 0},
    {"_second", kDword, 0, nullptr, 0},
    {"_millesecond", kDword, 0, nullptr, 0},
    {"_hHeap", kDword, 0, nullptr, 0},
    {"_HeapFlags", kDword, 8, nullptr, 0},
    {"_hHandle", kDword, 0, nullptr, 0},
    {"_csbi", kBlock, 0, nullptr, 22},
    {"_ci", kBlock, 0, nullptr, 16},
    {"_cpos", kBlock, 0, nullptr, 4},
    {"_nch", kWord, 0, nullptr, 0},
};

// The listing lines of the run-time data, about 3,500 characters.
struct Lines {
  char text[8192];
  size_t size = 0;

  // Room for one more line of an item named `name` with `shown` characters
  // of text.
  void room(std::string_view name, size_t shown) {
    if (size + name.size() + shown + 64 > sizeof text)
      throw std::logic_error("the run-time data's listing outgrows its buffer");
  }
  void add(std::string_view part) {
    std::memcpy(text + size, part.data(), part.size());
    size += part.size();
  }
  void add(char ch) { text[size++] = ch; }
  void add_hex8(uint32_t v) {
    put_hex(text + size, v, 8);
    size += 8;
  }
};

// The bytes an item places: a dword for dwords and words, whole dwords for
// a block, a string's text and four 0 bytes.
constexpr size_t item_size(DataKind kind, const char* text, int bytes) {
  switch (kind) {
    case kString: return (text ? std::char_traits<char>::length(text) : static_cast<size_t>(bytes)) + 4;
    case kBlock: return 4 * static_cast<size_t>(std::max((bytes + 3) / 4, 1));
    default: return 4;
  }
}

constexpr size_t kRuntimeDataSize = [] {
  size_t size = 0;
  for (const auto& d : kRuntimeData) size += item_size(d.kind, d.text, d.bytes);
  return size;
}();
static_assert(kRuntimeDataSize == 636);

void declare_runtime_data_one_by_one(Emitter& c) {
  for (const auto& d : kRuntimeData) {
    switch (d.kind) {
      case kDword: DeclareDword(c, d.name, d.value); break;
      // A string without text is a buffer of "#" the routines fill.
      case kString: DeclareStringConst(c, d.name, d.text ? std::string(d.text) : std::string(static_cast<size_t>(d.bytes), '#')); break;
      case kBlock: DeclareBlock(c, d.name, d.value, d.bytes); break;
      case kWord: DeclareWord(c, d.name, d.value); break;
    }
  }
}

}  // namespace

// The items and their listing lines are made here, as the declaration
// operations make them, and go to the image and the listing in one piece
// each. When the image would overflow on the way, the declaration operations
// place them one by one, so that everything up to the overflow is as they
// leave it.
void declare_runtime_data(Emitter& c) {
  if (static_cast<size_t>(c.image.pos) + kRuntimeDataSize >= kImageLimit) {
    declare_runtime_data_one_by_one(c);
    return;
  }
  uint8_t bytes[kRuntimeDataSize] = {};
  Lines listing;
  const uint32_t start = current_address(c.image);
  size_t at = 0;
  for (const auto& d : kRuntimeData) {
    const size_t size = item_size(d.kind, d.text, d.bytes);
    const std::string_view name = d.name;
    listing.room(name, size);
    const uint32_t address = start + static_cast<uint32_t>(at);
    listing.add_hex8(address);
    listing.add(' ');
    AddVariable(c, name, address);
    if (d.kind == kString) {
      const size_t n = size - 4;
      if (d.text) std::memcpy(bytes + at, d.text, n);
      else std::memset(bytes + at, '#', n);
      listing.add("string ");
      listing.add(name);
      listing.add(" '");
      listing.add(std::string_view(reinterpret_cast<const char*>(bytes + at), n + 2));
      listing.add("'\r\n");
    } else {
      const auto v = static_cast<uint32_t>(d.value);
      for (int i = 0; i < 4; ++i) {
        bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
        listing.add(std::string_view(kHexPairs[(v >> (8 * i)) & 0xff].data(), 2));
      }
      listing.add(d.kind == kDword ? " dword " : d.kind == kWord ? " word " : " byte ");
      listing.add(name);
      listing.add(" 0x");
      listing.add_hex8(v);
      if (d.kind == kBlock) {
        listing.add(" x");
        char count[16];
        listing.add(std::string_view(
            count, static_cast<size_t>(std::to_chars(count, count + sizeof count, d.bytes).ptr - count)));
      }
      listing.add("\r\n");
    }
    at += size;
  }
  put_bytes(c.image, bytes, at);
  listing_write(c, std::string_view(listing.text, listing.size));
}

}  // namespace tarn
