// Characters to tokens: the character reader (comments, line ends, the line
// text kept for error reports) and the main and raw token readers.
#pragma once

#include <string>

namespace tarn {

struct Compilation;

// The source, read whole into memory when the front end opens it.
struct SourceFile {
  std::string bytes;  // code page 1251
  size_t pos = 0;
  bool open = false;
};

struct LexerState {
  SourceFile source;
  int line_number = 1;
  std::string line_text;        // characters of the current line delivered so far
  std::string last_token_text;  // the caret goes under its last occurrence
  char pushed_back = 0;         // one character given back; 0 = none
  char pending = 0;             // the character read after a "/" that began no comment
  std::string pushed_back_token;  // ".." after a number
  bool string_mode = false;
  bool declaration_mode = false;
  int current_procedure = 0;
  int heading_kind = 0;  // 0 program, 1 procedure, 2 function
};

}  // namespace tarn

namespace tarn {

// Enters the keywords and built-in routines in the symbol table, once per
// compile before the first token.
void build_keyword_table(Compilation& c);

}  // namespace tarn
