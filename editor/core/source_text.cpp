#include "core/source_text.h"

#include <cstdio>

#include "common/codepage.h"

namespace tarn::editor {

unsigned char ascii_to_ansi(unsigned char b) {
  if (b >= 0x80 && b <= 0xAF) return static_cast<unsigned char>(b + 0x40);  // А..п
  if (b >= 0xE0 && b <= 0xEF) return static_cast<unsigned char>(b + 0x10);  // р..я
  if (b == 0xF0) return 0xA8;                                              // Ё
  if (b == 0xF1) return 0xB8;                                              // ё
  return b;
}

unsigned char ansi_to_ascii(unsigned char b) {
  if (b >= 0xC0 && b <= 0xEF) return static_cast<unsigned char>(b - 0x40);
  if (b >= 0xF0) return static_cast<unsigned char>(b - 0x10);
  if (b == 0xA8) return 0xF0;
  if (b == 0xB8) return 0xF1;
  return b;
}

std::vector<std::u16string> split_lines(std::u16string_view text) {
  std::vector<std::u16string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\r' && text[i] != u'\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::vector<std::u16string> decode_source(std::string_view file_bytes, Encoding encoding) {
  std::u16string text;
  text.reserve(file_bytes.size());
  for (char c : file_bytes) {
    unsigned char b = static_cast<unsigned char>(c);
    if (encoding == Encoding::Ascii) b = ascii_to_ansi(b);
    text.push_back(cp1251_to_unicode(b));
  }
  return split_lines(text);
}

std::string encode_source(const std::vector<std::u16string>& lines, Encoding encoding) {
  std::string out;
  for (const std::u16string& line : lines) {
    for (char16_t ch : line) {
      unsigned char b = unicode_to_cp1251(ch);
      if (encoding == Encoding::Ascii) b = ansi_to_ascii(b);
      out.push_back(static_cast<char>(b));
    }
    out += "\r\n";
  }
  return out;
}

std::string blanks_to_underscores(std::string_view path) {
  std::string out(path);
  size_t name = out.find_last_of("\\/");
  for (size_t i = name == std::string::npos ? 0 : name + 1; i < out.size(); ++i)
    if (out[i] == ' ') out[i] = '_';
  return out;
}

std::string folder_of(std::string_view path) {
  size_t sep = path.find_last_of("\\/");
  return sep == std::string_view::npos ? std::string() : std::string(path.substr(0, sep + 1));
}

std::string caret_display(int line, int column) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%4d :%4d", line, column);
  return buf;
}

std::u16string utf8_to_utf16(std::string_view utf8) {
  std::u16string out;
  for (char32_t ch : utf8_to_utf32(utf8)) {
    if (ch >= 0x10000) {
      ch -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (ch >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (ch & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(ch));
    }
  }
  return out;
}

std::string utf16_to_utf8(std::u16string_view text) {
  std::u32string wide;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t ch = text[i];
    if (ch >= 0xD800 && ch < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
      ch = 0x10000 + ((ch - 0xD800) << 10) + (text[++i] - 0xDC00);
    wide.push_back(ch);
  }
  return utf32_to_utf8(wide);
}

}  // namespace tarn::editor
