// Small text routines shared by every pass of the compiler.
// All compiler text is 8-bit code page 1251 unless a name says otherwise;
// case conversion touches ASCII letters only, so Cyrillic names keep their bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarn {

// Blanks and control characters (code 32 and below) removed from both ends.
std::string trim(std::string_view s);

std::string to_lower_ascii(std::string_view s);
std::string to_upper_ascii(std::string_view s);
bool equal_ignoring_ascii_case(std::string_view a, std::string_view b);

// n as lower-case hex, most significant digit first, zero-padded to `digits`;
// negative values give their two's complement.
std::string hex_text(int64_t n, int digits);

// Hex text ("FF25", "ff25") to its value; false on a non-hex character.
bool parse_hex(std::string_view s, uint64_t& value);

// Machine-code hex text to its bytes, two digits a byte, blanks skipped. The
// text always comes from the compiler's own tables, so an odd digit count or a
// non-hex character is a compiler fault: std::logic_error.
std::vector<uint8_t> hex_bytes(std::string_view hex);
// The same bytes appended to `bytes` (left as it was when the text is faulty).
void append_hex_bytes(std::vector<uint8_t>& bytes, std::string_view hex);

// Decimal text with an optional sign to a 64-bit value; false when the text is
// not a number or does not fit.
bool parse_int64(std::string_view s, int64_t& value);

// "dir/prog.pas" + ".exe" -> "dir/prog.exe"; a name without extension gets it appended.
std::string replace_extension(std::string_view path, std::string_view ext);

// The part of a path after its last folder separator.
std::string file_name_of(std::string_view path);

}  // namespace tarn
