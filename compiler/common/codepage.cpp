#include "common/codepage.h"

namespace tarn {

namespace {

// Upper half of code page 1251 (0x80..0xBF); 0xC0..0xFF are А..я in order.
const char16_t kHigh1251[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0455, 0x00BE, 0x0457,  // B8
};

}  // namespace

char16_t cp1251_to_unicode(unsigned char b) {
  if (b < 0x80) return b;
  if (b >= 0xC0) return static_cast<char16_t>(0x0410 + (b - 0xC0));
  return kHigh1251[b - 0x80];
}

unsigned char unicode_to_cp1251(char32_t ch) {
  if (ch < 0x80) return static_cast<unsigned char>(ch);
  if (ch >= 0x0410 && ch <= 0x044F) return static_cast<unsigned char>(0xC0 + (ch - 0x0410));
  for (int i = 0; i < 64; ++i)
    if (kHigh1251[i] == ch) return static_cast<unsigned char>(0x80 + i);
  return '?';
}

unsigned char cp1251_to_cp866(unsigned char b) {
  char16_t ch = cp1251_to_unicode(b);
  if (ch >= 0x0410 && ch <= 0x043F) return static_cast<unsigned char>((ch & 0xFF) + 0x70);
  if (ch >= 0x0440 && ch <= 0x044F) return static_cast<unsigned char>((ch & 0xFF) - 0x60);
  if (ch == 0x0401) return 0xF0;  // Ё
  if (ch == 0x0451) return 0xF1;  // ё
  return static_cast<unsigned char>(ch & 0xFF);
}

std::u32string utf8_to_utf32(std::string_view s) {
  std::u32string r;
  for (size_t i = 0; i < s.size();) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    char32_t ch = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
    bool ok = extra >= 0 && i + static_cast<size_t>(extra) < s.size();
    for (int k = 1; ok && k <= extra; ++k) {
      unsigned char c = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
      if ((c & 0xC0) != 0x80) ok = false;
      else ch = (ch << 6) | (c & 0x3F);
    }
    if (!ok) {
      r.push_back(cp1251_to_unicode(b));
      ++i;
    } else {
      r.push_back(ch);
      i += static_cast<size_t>(extra) + 1;
    }
  }
  return r;
}

std::string utf32_to_utf8(std::u32string_view text) {
  std::string r;
  for (char32_t ch : text) {
    if (ch < 0x80) {
      r.push_back(static_cast<char>(ch));
    } else if (ch < 0x800) {
      r.push_back(static_cast<char>(0xC0 | (ch >> 6)));
      r.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    } else if (ch < 0x10000) {
      r.push_back(static_cast<char>(0xE0 | (ch >> 12)));
      r.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
      r.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    } else {
      r.push_back(static_cast<char>(0xF0 | (ch >> 18)));
      r.push_back(static_cast<char>(0x80 | ((ch >> 12) & 0x3F)));
      r.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
      r.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    }
  }
  return r;
}

std::string utf8_to_cp1251(std::string_view utf8) {
  std::string r;
  for (char32_t ch : utf8_to_utf32(utf8)) r.push_back(static_cast<char>(unicode_to_cp1251(ch)));
  return r;
}

}  // namespace tarn
