// The walk over a stretch: a word up to the next delimiter, then the
// delimiter, which may open a string or a comment that swallows what follows.
#include "core/colouring.h"

#include <algorithm>
#include <array>

namespace tarn::editor {
namespace {

constexpr std::array<std::string_view, 30> kKeywords = {
    "begin", "end",   "if",     "then",  "else",   "for",       "to",       "while",
    "do",    "repeat", "until", "and",   "or",     "not",       "var",      "const",
    "type",  "array", "of",     "record", "set",   "procedure", "function", "program",
    "return", "mod",  "div",    "label", "goto",   "case"};

constexpr char kCR = '\r';

void add(std::vector<Span>& out, size_t begin, size_t end, Colour colour) {
  if (begin >= end) return;
  if (!out.empty() && out.back().end == begin && out.back().colour == colour) {
    out.back().end = end;
    return;
  }
  out.push_back({begin, end, colour});
}

// Position of the first `c` in text[from, end), or `end`.
size_t find(std::string_view text, char c, size_t from, size_t end) {
  if (from >= end) return end;
  const size_t at = text.substr(0, end).find(c, from);
  return at == std::string_view::npos ? end : at;
}

// First position in text[from, end) holding either character, or `end`.
size_t find_either(std::string_view text, char a, char b, size_t from, size_t end) {
  return std::min(find(text, a, from, end), find(text, b, from, end));
}

}  // namespace

bool is_delimiter(char c) {
  switch (c) {
    case '\t': case '\r': case ' ': case '\'': case '(': case ')': case ',': case '.':
    case '/': case ':': case ';': case '[': case ']': case '{': case '}':
      return true;
    default:
      return false;
  }
}

bool is_keyword(std::string_view word) {
  if (word.size() < 2 || word.size() > 9) return false;
  char lower[9];
  for (size_t i = 0; i < word.size(); ++i) {
    const char c = word[i];
    lower[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  const std::string_view w(lower, word.size());
  return std::find(kKeywords.begin(), kKeywords.end(), w) != kKeywords.end();
}

void colour_into(std::string_view text, size_t begin, size_t end, bool& inside_comment,
                 std::vector<Span>& out) {
  end = std::min(end, text.size());
  size_t i = begin;
  while (i < end) {
    if (inside_comment) {
      const size_t close = find(text, '}', i, end);
      if (close < end) {
        add(out, i, close + 1, Colour::comment);
        inside_comment = false;
        i = close + 1;
      } else {
        add(out, i, end, Colour::comment);
        i = end;
      }
      continue;
    }
    size_t j = i;
    while (j < end && !is_delimiter(text[j])) ++j;
    add(out, i, j, is_keyword(text.substr(i, j - i)) ? Colour::keyword : Colour::word);
    if (j == end) break;
    i = j;
    switch (text[i]) {
      case ' ':
        add(out, i, i + 1, Colour::word);
        ++i;
        break;
      case '\'': {
        // A string never runs past its line: an unclosed one ends with the line.
        const size_t close = find_either(text, '\'', kCR, i + 1, end);
        const size_t stop = (close < end && text[close] == '\'') ? close + 1 : close;
        add(out, i, stop, Colour::string);
        i = stop;
        break;
      }
      case '/':
        if (i + 1 < end && text[i + 1] == '/') {
          const size_t line_end = find(text, kCR, i + 2, end);
          add(out, i, line_end, Colour::comment);
          i = line_end;
        } else {
          add(out, i, i + 1, Colour::punctuation);
          ++i;
        }
        break;
      case '{': {
        const size_t close = find(text, '}', i + 1, end);
        if (close < end) {
          add(out, i, close + 1, Colour::comment);
          i = close + 1;
        } else {
          add(out, i, end, Colour::comment);
          inside_comment = true;
          i = end;
        }
        break;
      }
      case '}':
        add(out, i, i + 1, Colour::comment);
        ++i;
        break;
      case '\t':
      case '\r':
        ++i;
        break;
      default:  // ( ) , . : ; [ ]
        add(out, i, i + 1, Colour::punctuation);
        ++i;
        break;
    }
  }
}

Coloured colour_stretch(std::string_view text, size_t begin, size_t end, bool inside_comment) {
  Coloured result;
  result.inside_comment = inside_comment;
  colour_into(text, begin, end, result.inside_comment, result.spans);
  return result;
}

void paint(std::vector<uint8_t>& shades, const std::vector<Span>& spans) {
  for (const Span& s : spans)
    std::fill(shades.begin() + static_cast<ptrdiff_t>(s.begin),
              shades.begin() + static_cast<ptrdiff_t>(s.end), static_cast<uint8_t>(s.colour));
}

std::vector<uint8_t> shades_of(std::string_view text, bool inside_comment) {
  std::vector<uint8_t> shades(text.size(), kNoColour);
  paint(shades, colour_stretch(text, inside_comment).spans);
  return shades;
}

namespace {

template <typename Unit>
std::string to_colouring_text(const Unit* text, size_t size) {
  std::string out;
  out.reserve(size);
  for (size_t i = 0; i < size; ++i) {
    const auto c = static_cast<uint32_t>(text[i]);
    if (c == '\n') {
      if (i == 0 || text[i - 1] != '\r') out += kCR;  // a CR before it already ended the line
    } else {
      out += c < 0x80 ? static_cast<char>(c) : '_';
    }
  }
  return out;
}

}  // namespace

std::string colouring_text(std::u16string_view text) {
  return to_colouring_text(text.data(), text.size());
}

std::string colouring_text(std::string_view text) {
  return to_colouring_text(reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

namespace {

// One character of text in RTF: line ends and tabs as control words, RTF's
// own characters escaped, anything outside printable ASCII as \uN.
void put_rtf(std::string& rtf, char16_t c) {
  if (c == u'\r' || c == u'\n') {
    rtf += "\\par\n";
  } else if (c == u'\t') {
    rtf += "\\tab ";
  } else if (c == u'\\' || c == u'{' || c == u'}') {
    rtf += '\\';
    rtf += static_cast<char>(c);
  } else if (c >= 0x20 && c < 0x80) {
    rtf += static_cast<char>(c);
  } else {
    rtf += "\\u" + std::to_string(static_cast<int16_t>(c)) + ' ';  // signed 16 bits, as RTF wants
  }
}

}  // namespace

std::string coloured_rtf(std::u16string_view text, const std::vector<Span>& spans, std::u16string_view font,
                         int points) {
  std::string rtf = "{\\rtf1\\ansi\\uc0";
  if (!font.empty()) {
    rtf += "{\\fonttbl{\\f0\\fmodern ";
    for (char16_t c : font) put_rtf(rtf, c);
    rtf += ";}}";
  }
  rtf += "{\\colortbl ;";
  for (const ColourStyle& s : kColourStyles)
    rtf += "\\red" + std::to_string(s.red) + "\\green" + std::to_string(s.green) + "\\blue" +
           std::to_string(s.blue) + ";";
  rtf += "}\n";
  if (!font.empty()) rtf += "\\f0\\fs" + std::to_string(points * 2) + ' ';
  auto span = spans.begin();
  size_t pos = 0;  // position as the control counts it
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\n' && i > 0 && text[i - 1] == u'\r') continue;
    while (span != spans.end() && span->end <= pos) ++span;
    if (span != spans.end() && span->begin == pos) {
      const ColourStyle& s = style_of(span->colour);
      rtf += "\\cf" + std::to_string(static_cast<int>(span->colour) + 1) + (s.italic ? "\\i " : "\\i0 ");
    }
    put_rtf(rtf, c);
    ++pos;
  }
  rtf += "}";
  return rtf;
}

}  // namespace tarn::editor
