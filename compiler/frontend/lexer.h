// Characters to tokens: the character reader (comments, line ends, the line
// text kept for error reports) and the main and raw token readers.
//
// The main reader enters literals and names in the symbol table as it meets
// them, so a token's code is often a symbol position; the raw reader is for
// places where the parser wants the text itself (types, bounds, initial
// values). The keyword table is a set of symbol-table entries made before the
// first token.
#pragma once

#include <string>
#include <vector>

#include "ir/postfix.h"

namespace tarn {

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
  size_t taken_from = 0;        // where the characters taken yet to join line_text begin
  bool line_text_deferred = false;  // they join it once a line and before a report (see LineTextReporter)
  bool line_end_pending = false;  // a bare LF was read: the next line starts at the next read
  std::string last_token_text;  // the caret goes under its last occurrence
  char pushed_back = 0;         // one character given back; 0 = none
  std::string pushed_back_token;  // ".." after a number
  bool string_mode = false;
  bool declaration_mode = false;
  int current_procedure = 0;
  int heading_kind = 0;  // 0 program, 1 procedure, 2 function
  int current_function = 0;  // the function that `return` refers to; 0 outside functions
  std::vector<int> goto_targets;  // user labels that `goto` names in the routine being compiled
  int nesting = 0;  // open parentheses and statement lists: bounds the parsers' recursion
};

// The front end's view of a compile: what the postfix emitter works on
// (the parsers feed it) and the lexer's state.
struct FrontEnd : PostfixContext {
  LexerState& lex;
};

// Token kinds. A name's kind is its symbol class under the same number (see
// token_kind_of), so the classes a name can have are kinds too.
enum class TokenKind : uint8_t {
  kOther = 0,         // a character that starts no token
  kArith = 1,
  kSeparator = 2,     // also procedures and global names read in a heading
  kKeyword = 3,
  kLocalName = 4,     // raw reader: also a name not in the table
  kLiteral = 5,       // raw reader: integer literal
  kRelation = 6,
  kString = 7,        // raw reader only
  kGotoLabel = 7,     // main reader only: the name of a label
  kFloat = 9,         // raw reader only
  kOpenString = 10,   // a string literal not closed on its line
  kMathFunction = 11,
  kArray = 12,
  kFunction = 13,
  kRecord = 20,
  kPointer = 21,
  kTypeName = 25,
};

inline TokenKind token_kind_of(SymbolClass k) { return static_cast<TokenKind>(k); }

// Fixed codes of signs and keywords (also postfix operation codes).
enum TokenCode {
  kPlus = -1, kMinus = -2, kStar = -3, kAssign = -4, kSlash = -6,
  kVar = -9, kProgram = -10, kProcedure = -11, kBegin = -12, kEnd = -13, kIf = -14, kThen = -15,
  kElse = -16, kWhile = -17, kDo = -18, kInteger = -19, kFloat = -20, kReadln = -21, kWrite = -22,
  kWriteln = -23, kNot = -29, kOpenParen = -30, kCloseParen = -31, kComma = -32, kDot = -33,
  kLess = -34, kLessEqual = -35, kGreater = -36, kGreaterEqual = -37, kEqual = -38, kNotEqual = -39,
  kAnd = -40, kOr = -41, kColon = -42, kSemicolon = -43, kSqrt = -44, kSin = -46, kCos = -47,
  kArray = -48, kOf = -49, kOpenBracket = -52, kCloseBracket = -53, kFor = -56, kTo = -57,
  kRepeat = -59, kUntil = -60, kFunction = -67, kReturn = -69, kRound = -71, kAbs = -72,
  kTrunc = -73, kRandom = -74, kString = -75, kLength = -76, kText = -91, kArctg = -97, kTg = -98,
  kGetday = -99, kGetmonth = -100, kGetyear = -101, kGettime = -102, kGetdayofweek = -103,
  kConst = -104, kMod = -105, kDiv = -106, kLabel = -107, kGoto = -108, kType = -110,
  kRecord = -111, kCase = -119, kCaret = -120, kNew = -121, kFree = -122, kNil = -124,
};

// One lexical unit, owned by the caller; a read overwrites only what it sets.
struct Token {
  TokenKind kind = TokenKind::kOther;
  int code = 0;
  std::string text;
};

}  // namespace tarn

namespace tarn {

// Enters the keywords and built-in routines in the symbol table, once per
// compile before the first token.
void build_keyword_table(FrontEnd& c);

// The next character after comments and line-end handling; 0 at the end.
char read_char(FrontEnd& c);
// Gives one character back to the next read_char (it stays in the line text).
void push_back_char(FrontEnd& c, char ch);

// True when a token was delivered; false at the end of the file, for the
// pushed-back "..", and for an unclosed string literal (kind 10).
bool read_token(FrontEnd& c, Token& tok);
bool read_raw_token(FrontEnd& c, Token& tok);

// The parsers' readers: read_token / read_raw_token, except that at the end
// of the source the token becomes empty (kind 0, code 0, no text), so that no
// parse loop waits forever on the last token.
bool next_token(FrontEnd& c, Token& tok);
bool next_raw_token(FrontEnd& c, Token& tok);

// The whole current line, for an error report: what was delivered so far
// plus the rest of the source line up to its line feed (its carriage return
// is not part of it). The lexer reads on to that line feed.
const std::string& complete_current_line(LexerState& lex);

// Nothing is left to deliver: the source is read to its end and no character
// or token was given back.
bool at_end_of_source(const LexerState& lex);

// While it lives, the characters the lexer takes join the line text once a
// line, and before any report goes on through it, instead of after every
// token: every report of the front end must then pass through it.
class LineTextReporter final : public ErrorReporter {
 public:
  LineTextReporter(LexerState& lex, ErrorReporter& next);
  ~LineTextReporter();
  LineTextReporter(const LineTextReporter&) = delete;
  LineTextReporter& operator=(const LineTextReporter&) = delete;

  [[noreturn]] void report(ErrorCode code, std::string_view arg) override;

  // The line text brought up to date, as the report would see it.
  void finish();

 private:
  LexerState& lex_;
  ErrorReporter& next_;
};

}  // namespace tarn
