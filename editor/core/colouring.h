// The editor's syntax colouring as a pure function over text: a stretch of
// the editor's text and whether it starts inside a "{" comment go in; spans of
// the five colour classes and the state at the stretch's end come out.
//
// The text is the editor control's text as it counts characters: one char per
// UTF-16 unit, lines ended by a lone CR (see colouring_text). Classes:
// - comment: "{" through the next "}" (across lines), "//" up to the line's
//   CR, and a lone "}";
// - keyword: one of the 30 words below, in any letter case;
// - string: an apostrophe through the next one, or up to the line's end when
//   the line holds no closing one;
// - word: every other word, and a space;
// - punctuation: ( ) , . : ; [ ] and a "/" that does not start "//".
// A word runs up to the next delimiter (TAB CR space ' ( ) , . / : ; [ ] { }),
// so "a:=b+1" is the word "a", the punctuation ":" and the word "=b+1". TAB
// and CR outside comments belong to no span: their look is left as it is.
//
// Invariant: colouring a text line by line, each line with its CR and the
// state the line before ended in, gives every character the class it gets
// when the text is coloured whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::editor {

enum class Colour : uint8_t { comment, keyword, string, word, punctuation };
inline constexpr int kColourCount = 5;

struct ColourStyle {
  uint8_t red, green, blue;
  bool italic;
};

// The look of each class, indexed by Colour.
inline constexpr ColourStyle kColourStyles[kColourCount] = {
    {0, 128, 0, true},    // comment: green italic
    {0, 0, 255, false},   // keyword: blue
    {128, 0, 0, false},   // string: maroon
    {28, 28, 28, false},  // other word and space: near-black
    {0, 0, 0, false},     // punctuation: black
};

inline const ColourStyle& style_of(Colour c) { return kColourStyles[static_cast<int>(c)]; }

// The colour as Windows packs it (red in the low byte).
inline uint32_t colour_ref(Colour c) {
  const ColourStyle& s = style_of(c);
  return s.red | (uint32_t{s.green} << 8) | (uint32_t{s.blue} << 16);
}

bool is_delimiter(char c);
// Case-insensitive (ASCII letters only; any other character makes a word no keyword).
bool is_keyword(std::string_view word);

// [begin, end) of the text in one class. Spans come in text order, never
// overlap, and two neighbouring spans of one class are merged.
struct Span {
  size_t begin = 0, end = 0;
  Colour colour = Colour::word;
  bool operator==(const Span&) const = default;
};

struct Coloured {
  std::vector<Span> spans;
  bool inside_comment = false;  // the stretch ended inside an unclosed "{"
};

// Colours text[begin, end) (positions stay those of `text`); `inside_comment`
// says whether `begin` lies inside a "{" comment. Nothing outside the stretch
// is looked at.
Coloured colour_stretch(std::string_view text, size_t begin, size_t end, bool inside_comment);
inline Coloured colour_stretch(std::string_view text, bool inside_comment = false) {
  return colour_stretch(text, 0, text.size(), inside_comment);
}

// Same, appending to `out` (merging with its last span) and updating the state in place.
void colour_into(std::string_view text, size_t begin, size_t end, bool& inside_comment,
                 std::vector<Span>& out);

// One entry per character: its class, or kNoColour for a TAB or CR that no
// span covers. The form the tests compare.
inline constexpr uint8_t kNoColour = 0xff;
std::vector<uint8_t> shades_of(std::string_view text, bool inside_comment = false);
void paint(std::vector<uint8_t>& shades, const std::vector<Span>& spans);

// The text as the colouring counts it: every UTF-16 unit becomes one char,
// a character outside ASCII becomes "_" (a word character that is in no
// keyword), and CR LF or a lone LF becomes CR, so positions equal the
// control's character offsets.
std::string colouring_text(std::u16string_view text);
std::string colouring_text(std::string_view text);  // for ASCII-compatible 8-bit text
template <typename C>
std::string colouring_text(const C* text, size_t length) {
  static_assert(sizeof(C) == 2, "the control's characters are UTF-16 units");
  return colouring_text(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

// The text in Rich Text Format with the spans' looks, so that a whole file
// goes into the control in one step (EM_SETTEXTEX) instead of one selection
// per span. `text` is the text the spans were found in before colouring_text
// (CR LF and a lone LF end a line). With a font name, the text is in that
// font and size (points), which spares setting the font afterwards.
std::string coloured_rtf(std::u16string_view text, const std::vector<Span>& spans,
                         std::u16string_view font = {}, int points = 0);

}  // namespace tarn::editor
