#include "common/text.h"

#include <algorithm>
#include <stdexcept>

#include "common/hex.h"

namespace tarn {

std::string trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return std::string(s.substr(b, e - b));
}

std::string to_lower_ascii(std::string_view s) {
  std::string r(s);
  for (char& ch : r)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  return r;
}

std::string to_upper_ascii(std::string_view s) {
  std::string r(s);
  for (char& ch : r)
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  return r;
}

bool equal_ignoring_ascii_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() && to_upper_ascii(a) == to_upper_ascii(b);
}

std::string hex_text(int64_t n, int digits) {
  uint64_t v = static_cast<uint64_t>(n);
  char buf[16];  // digits least significant first
  int len = 0;
  do {
    buf[len++] = kHexDigits[v & 15];
    v >>= 4;
  } while (v != 0 && (n >= 0 || len < digits));
  if (n < 0 && len > digits) len = std::max(digits, 0);
  std::string r(static_cast<size_t>(std::max(digits - len, 0) + len), '0');
  std::reverse_copy(buf, buf + len, r.end() - len);
  return r;
}

bool parse_hex(std::string_view s, uint64_t& value) {
  value = 0;
  for (char ch : s) {
    const int d = kHexValue[static_cast<unsigned char>(ch)];
    if (d < 0) return false;
    value = value * 16 + static_cast<uint64_t>(d);
  }
  return true;
}

void append_hex_bytes(std::vector<uint8_t>& bytes, std::string_view hex) {
  const size_t start = bytes.size();
  int high = -1;
  for (char ch : hex) {
    if (ch == ' ') continue;
    const int d = kHexValue[static_cast<unsigned char>(ch)];
    if (d < 0) {
      bytes.resize(start);
      throw std::logic_error("bad hex text: " + std::string(hex));
    }
    if (high < 0) {
      high = d;
    } else {
      bytes.push_back(static_cast<uint8_t>(high * 16 + d));
      high = -1;
    }
  }
  if (high >= 0) {
    bytes.resize(start);
    throw std::logic_error("odd hex text: " + std::string(hex));
  }
}

std::vector<uint8_t> hex_bytes(std::string_view hex) {
  std::vector<uint8_t> bytes;
  bytes.reserve(hex.size() / 2);
  append_hex_bytes(bytes, hex);
  return bytes;
}

bool parse_int64(std::string_view s, int64_t& value) {
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i == s.size()) return false;
  uint64_t v = 0;
  const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    uint64_t d = static_cast<uint64_t>(s[i] - '0');
    if (v > (limit - d) / 10) return false;
    v = v * 10 + d;
  }
  value = negative ? static_cast<int64_t>(0 - v) : static_cast<int64_t>(v);
  return true;
}

static bool is_separator(char ch) {
#ifdef _WIN32
  return ch == '\\' || ch == '/' || ch == ':';
#else
  return ch == '/';
#endif
}

std::string replace_extension(std::string_view path, std::string_view ext) {
  size_t dot = std::string_view::npos;
  for (size_t i = path.size(); i-- > 0;) {
    if (is_separator(path[i])) break;
    if (path[i] == '.') { dot = i; break; }
  }
  std::string r(dot == std::string_view::npos ? path : path.substr(0, dot));
  r += ext;
  return r;
}

std::string file_name_of(std::string_view path) {
  size_t i = path.size();
  while (i > 0 && !is_separator(path[i - 1])) --i;
  return std::string(path.substr(i));
}

}  // namespace tarn
