// Hex digits as the listing and the instruction texts write them (lower case)
// and as they are read back (either case).
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

namespace tarn {

inline constexpr char kHexDigits[] = "0123456789abcdef";

// The two digits of each byte value.
inline constexpr std::array<std::array<char, 2>, 256> kHexPairs = [] {
  std::array<std::array<char, 2>, 256> pairs{};
  for (int b = 0; b < 256; ++b) pairs[static_cast<size_t>(b)] = {kHexDigits[b >> 4], kHexDigits[b & 15]};
  return pairs;
}();

// The value of each hex digit of either case; -1 for any other character.
inline constexpr std::array<int8_t, 256> kHexValue = [] {
  std::array<int8_t, 256> value{};
  value.fill(-1);
  for (int d = 0; d < 10; ++d) value['0' + d] = static_cast<int8_t>(d);
  for (int d = 0; d < 6; ++d) value['a' + d] = value['A' + d] = static_cast<int8_t>(10 + d);
  return value;
}();

// Writes the two digits of b at out; returns the place after them.
inline char* put_hex_byte(char* out, uint8_t b) {
  std::memcpy(out, kHexPairs[b].data(), 2);
  return out + 2;
}

// Writes v as `digits` digits, most significant first; returns the place
// after them.
inline char* put_hex(char* out, uint32_t v, int digits) {
  for (int i = digits - 1; i >= 0; --i, v >>= 4) out[i] = kHexDigits[v & 15];
  return out + digits;
}

}  // namespace tarn
