// Source files as the editor reads and writes them: plain text, one editor
// line per text line, in code page 1251 ("ANSI") or, for Cyrillic letters,
// the DOS code page 866 ("ASCII"). The editor itself holds UTF-16 text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarn::editor {

enum class Encoding { Ansi, Ascii };

// One byte between the two code pages: the Cyrillic letters move (Ё and ё
// included), every other byte stays as it is.
unsigned char ascii_to_ansi(unsigned char b);
unsigned char ansi_to_ascii(unsigned char b);

// Lines end at CR LF, LF or CR; a line end at the very end opens no new line.
std::vector<std::u16string> split_lines(std::u16string_view text);

std::vector<std::u16string> decode_source(std::string_view file_bytes, Encoding encoding);
// Every line followed by CR LF; a character the code page lacks becomes "?".
std::string encode_source(const std::vector<std::u16string>& lines, Encoding encoding);

// The file name part of a chosen path with each blank replaced by "_"; the
// folders keep theirs.
std::string blanks_to_underscores(std::string_view path);

// The folder part of a path with its trailing separator ("" for a bare name).
std::string folder_of(std::string_view path);

// 1-based line and column as the status bar shows them: "%4d :%4d".
std::string caret_display(int line, int column);

std::u16string utf8_to_utf16(std::string_view utf8);
std::string utf16_to_utf8(std::u16string_view text);

}  // namespace tarn::editor
