// Code page 1251 (sources, output file, listings) and code page 866 (strings
// inside compiled programs) as our own tables, independent of the host locale.
#pragma once

#include <string>
#include <string_view>

namespace tarn {

// The Unicode character of a code page 1251 byte.
char16_t cp1251_to_unicode(unsigned char b);
// The code page 1251 byte of a Unicode character, or '?' when it has none.
unsigned char unicode_to_cp1251(char32_t ch);

// The code page 866 byte of a code page 1251 byte for the Russian alphabet
// (А..я, Ё, ё); any other character keeps the low byte of its Unicode value.
unsigned char cp1251_to_cp866(unsigned char b);

std::string utf8_to_cp1251(std::string_view utf8);
// Invalid UTF-8 bytes are taken as code page 1251 characters, so a path that is
// already 8-bit text passes through unchanged.
std::u32string utf8_to_utf32(std::string_view utf8);
std::string utf32_to_utf8(std::u32string_view text);

}  // namespace tarn
