// The lexer: the character reader, the main and raw token readers and the
// keyword table.
//
// Input: the source bytes (code page 1251) in LexerState::source. Output:
// tokens, plus the literals and names that the main reader enters in the
// symbol table. The line text holds only the characters of the current source
// line delivered so far, with each comment as one blank and no CR or LF, so
// that an error report echoes one real line and its caret finds the token.
#include "frontend/lexer.h"

#include <array>

#include "common/text.h"
#include "tables/symbol_fields.h"

namespace tarn {

namespace {

bool is_letter(char ch) { return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'); }
bool is_digit(char ch) { return ch >= '0' && ch <= '9'; }
char lower(char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch; }

int next_byte(SourceFile& src) {
  if (src.pos >= src.bytes.size()) return -1;
  return static_cast<unsigned char>(src.bytes[src.pos++]);
}

int peek_byte(const SourceFile& src) {
  return src.pos < src.bytes.size() ? static_cast<unsigned char>(src.bytes[src.pos]) : -1;
}

void new_line(LexerState& lex) {
  ++lex.line_number;
  lex.line_text.clear();
}

// A CR or LF just read inside a comment: CR LF is one line end.
void comment_line_end(LexerState& lex, int b) {
  if (b == '\r' && peek_byte(lex.source) == '\n') ++lex.source.pos;
  new_line(lex);
}

// Skips a "{...}" comment whose "{" has been read; true when its "}" was found.
// Each line end inside counts a line and starts a new line text, so an error
// after the comment echoes the line it stands on.
bool skip_brace_comment(LexerState& lex) {
  SourceFile& src = lex.source;
  for (;;) {
    int b = next_byte(src);
    if (b < 0) return false;
    if (b == '}') return true;
    if (b == '\r' || b == '\n') comment_line_end(lex, b);
  }
}

// Skips a "//" comment after its second "/" up to the line end, which it
// swallows; false at the end of the file.
bool skip_line_comment(LexerState& lex) {
  SourceFile& src = lex.source;
  for (;;) {
    int b = next_byte(src);
    if (b < 0) return false;
    if (b == '\r' || b == '\n') {
      comment_line_end(lex, b);
      return true;
    }
  }
}

// Character classes for the runs below. kSpecial marks what read_char always
// has more to do for: NUL, CR, LF, "{" and "/".
enum : uint8_t { kSpecial = 1, kNameChar = 2, kDigitChar = 4, kBlankChar = 8, kEndsStringRun = 16 };

constexpr std::array<uint8_t, 256> kCharClass = [] {
  std::array<uint8_t, 256> t{};
  for (char ch : {'\0', '\r', '\n', '{', '/'}) t[static_cast<size_t>(ch)] |= kSpecial;
  for (char ch : {'\0', '\r', '\n', '{', '\''}) t[static_cast<size_t>(ch)] |= kEndsStringRun;
  for (int ch = 'a'; ch <= 'z'; ++ch) t[static_cast<size_t>(ch)] |= kNameChar;
  for (int ch = 'A'; ch <= 'Z'; ++ch) t[static_cast<size_t>(ch)] |= kNameChar;
  for (int ch = '0'; ch <= '9'; ++ch) t[static_cast<size_t>(ch)] |= kNameChar | kDigitChar;
  t['_'] |= kNameChar;
  t[' '] |= kBlankChar;
  t['\t'] |= kBlankChar;
  return t;
}();

uint8_t char_class(char ch) { return kCharClass[static_cast<unsigned char>(ch)]; }

// Nothing waits: the next character comes straight from the source.
bool reading_plainly(const LexerState& lex) { return lex.pushed_back == 0 && !lex.line_end_pending; }

// The characters that read_char would only add to the line text are taken
// from the source without it, and join the line text in one piece before
// anything else happens to it: before read_char, at a line end, and before
// anything that may report an error; when the token is complete too, unless
// a LineTextReporter sees to the reports.
void join_line_text(LexerState& lex) {
  const size_t pos = lex.source.pos;
  if (pos > lex.taken_from) lex.line_text.append(lex.source.bytes.data() + lex.taken_from, pos - lex.taken_from);
  lex.taken_from = pos;
}

// Before something that may report, where no LineTextReporter joins.
void join_before_report(LexerState& lex) {
  if (!lex.line_text_deferred) join_line_text(lex);
}

// Takes the longest run of source characters, from the read position on, that
// read_char would hand on one by one with nothing to do but add them to the
// line text: those of class `wanted` (none of them special), or inside a
// string literal those that do not end its run. Returns the run, which joins
// the line text later. Empty while a character or a line end waits. The
// source text ends with its terminating NUL, which ends every run.
std::string_view take_plain_run(LexerState& lex, uint8_t wanted) {
  if (!reading_plainly(lex)) return {};
  SourceFile& src = lex.source;
  const char* const start = src.bytes.data() + src.pos;
  const char* end = start;
  if (wanted == kEndsStringRun) {
    while (!(char_class(*end) & kEndsStringRun)) ++end;
  } else {
    while (char_class(*end) & wanted) ++end;
  }
  const std::string_view run(start, static_cast<size_t>(end - start));
  src.pos += run.size();
  return run;
}

bool is_blank(char ch) { return ch == ' ' || ch == '\t'; }
bool is_name_char(char ch) { return (char_class(ch) & kNameChar) != 0; }

// read_char's common case, inline: a character that only joins the line text.
char next_char(FrontEnd& c) {
  LexerState& lex = c.lex;
  if (reading_plainly(lex)) {
    SourceFile& src = lex.source;
    const char ch = src.bytes.data()[src.pos];
    if (!(char_class(ch) & kSpecial)) {
      ++src.pos;
      return ch;
    }
  }
  return read_char(c);
}

// The first character that is not a blank, as a loop over read_char finds
// it. Blanks, carriage returns and line feeds are taken here: a line end
// counts when the next character is read, and here that is at once.
char first_after_blanks(FrontEnd& c) {
  LexerState& lex = c.lex;
  SourceFile& src = lex.source;
  for (;;) {
    if (!reading_plainly(lex) || lex.string_mode) {
      const char ch = read_char(c);
      if (!is_blank(ch)) return ch;
      continue;
    }
    take_plain_run(lex, kBlankChar);
    const char ch = src.bytes.data()[src.pos];
    if (!(char_class(ch) & kSpecial)) {
      ++src.pos;
      return ch;
    }
    if (ch == '\r') {
      join_line_text(lex);
      lex.taken_from = ++src.pos;
    } else if (ch == '\n') {
      // The line text so far is left behind with its line.
      lex.taken_from = ++src.pos;
      new_line(lex);
    } else {
      const char next = read_char(c);
      if (!is_blank(next)) return next;
    }
  }
}

// Through a std::string parameter: GCC 12 for mingw misreads short literal
// assignments here as overlapping copies (-Wrestrict).
void set_text(Token& tok, std::string text) { tok.text = std::move(text); }

void set_sign(Token& tok, TokenKind kind, int code, std::string_view text) {
  tok.kind = kind;
  tok.code = code;
  tok.text.assign(text.data(), text.size());
}

void set_last(FrontEnd& c, const std::string& text) { c.lex.last_token_text = text; }

[[noreturn]] void report_with_token(FrontEnd& c, ErrorCode code, const std::string& token, const std::string& arg) {
  join_before_report(c.lex);
  set_last(c, token);
  report_error(c.errors, code, arg);
}

// The value check of integer literals: error 127 above 2147483647, and for
// literals too long for any conversion.
void check_integer(FrontEnd& c, const std::string& digits) {
  int64_t value = 0;
  if (!parse_int64(digits, value) || value > 2147483647)
    report_with_token(c, ErrorCode::kBadIntegerConstant, digits, digits);
}

// A literal shares its entry only with an earlier literal of the same kind:
// the string '12' and the number 12 need data of different shapes, and one
// shared entry would hand one of them the other's bytes.
int enter_literal(FrontEnd& c, const std::string& text, TypeNumber type) {
  join_before_report(c.lex);  // a full table is reported
  if (const int earlier = find_literal(c.sym, text, type)) return c.sym.entries[earlier].location;
  int code = add_raw_entry(c.sym, c.errors, text, SymbolClass::kLiteral, c.lex.current_procedure);
  TSymbolbableRecord& e = sym_at(c.sym, code);
  e.location = code;
  e.symboltype = type;
  return code;
}

// After the digits of a fraction: an optional exponent "E" or "e", a sign that
// must be there, then nothing or exactly two digits.
void read_exponent(FrontEnd& c, std::string& text, char ch) {
  if (ch == 'E' || ch == 'e') {
    text += ch;
    ch = next_char(c);
    if (ch != '+' && ch != '-') report_with_token(c, ErrorCode::kBadFloatConstant, text, text);
    text += ch;
    ch = next_char(c);
    if (is_digit(ch)) {
      text += ch;
      ch = next_char(c);
      if (!is_digit(ch)) report_with_token(c, ErrorCode::kBadFloatConstant, text, text);
      text += ch;
      ch = next_char(c);
    }
  }
  push_back_char(c, ch);
}

char read_digits(FrontEnd& c, std::string& text) {
  text.append(take_plain_run(c.lex, kDigitChar));
  char ch = next_char(c);
  while (is_digit(ch)) {
    text += ch;
    ch = next_char(c);
  }
  return ch;
}

void read_number(FrontEnd& c, Token& tok, char first, bool raw) {
  std::string text(1, first);
  char ch = read_digits(c, text);
  if (ch != '.') {
    push_back_char(c, ch);
    tok.text = text;
    if (raw) {
      check_integer(c, text);
      tok.kind = TokenKind::kLiteral;
      tok.code = -1;
    } else {
      tok.kind = TokenKind::kLiteral;
      tok.code = enter_literal(c, text, TypeNumber::kIntegerLiteral);
      check_integer(c, text);
    }
    return;
  }
  if (raw) {
    // The raw reader takes the "." whatever follows: "1..10" gives "1." here.
    text += '.';
    read_exponent(c, text, read_digits(c, text));
    tok.text = text;
    tok.kind = TokenKind::kFloat;
    tok.code = -1;
    return;
  }
  ch = next_char(c);
  if (is_digit(ch)) {
    text += '.';
    text += ch;
    read_exponent(c, text, read_digits(c, text));
    tok.text = text;
    tok.kind = TokenKind::kLiteral;
    tok.code = enter_literal(c, text, TypeNumber::kFloatLiteral);
    return;
  }
  if (ch == '.') {
    tok.text = text;
    tok.kind = TokenKind::kLiteral;
    tok.code = enter_literal(c, text, TypeNumber::kIntegerLiteral);
    check_integer(c, text);
    c.lex.pushed_back_token = "..";
    return;
  }
  report_with_token(c, ErrorCode::kInternal, text + ".", "Syntax error.");
}

// A string literal after its opening quote, built in the token's own text;
// false when the line ended first.
bool read_string(FrontEnd& c, Token& tok, bool raw) {
  LexerState& lex = c.lex;
  lex.string_mode = true;
  std::string& text = tok.text;
  text.clear();
  bool closed = false;
  for (;;) {
    text.append(take_plain_run(lex, kEndsStringRun));
    char ch = next_char(c);
    if (ch == '\'') {
      closed = true;
      break;
    }
    if (ch == '\r' || ch == '\n' || ch == 0) break;
    text += ch;
  }
  lex.string_mode = false;
  if (!closed) {
    tok.kind = TokenKind::kOpenString;
    return false;
  }
  if (raw) {
    tok.kind = TokenKind::kString;
    tok.code = -1;
  } else {
    tok.kind = TokenKind::kLiteral;
    tok.code = enter_literal(c, tok.text, TypeNumber::kStringLiteral);
  }
  return true;
}

// A name, lower case, in the token's own text. The character after it is
// read (a comment or line end after the name is taken before the name is
// looked up, as an error report must see) and given back; a character that
// read_char would only hand on is simply left in the source when the name
// becomes the last token at once. True when the last token's text is as it
// must stay: the name itself, or for a type name the token before it.
bool read_name(FrontEnd& c, Token& tok, char first, bool raw) {
  LexerState& lex = c.lex;
  std::string& name = tok.text;
  name.clear();
  name.push_back(first);
  name.append(take_plain_run(lex, kNameChar));
  const bool plain_after =
      !raw && reading_plainly(lex) && !(char_class(lex.source.bytes.data()[lex.source.pos]) & kSpecial);
  if (!plain_after) {
    char ch = read_char(c);
    while (is_name_char(ch)) {
      name += ch;
      ch = next_char(c);
    }
    push_back_char(c, ch);
  }
  for (char& ch : name) ch = lower(ch);
  const int scope = lex.current_procedure;
  SymbolClass symbol_class = SymbolClass::kNone;
  int code = 0;
  bool found = look_up(c.sym, name, scope, symbol_class, code);
  if (raw) {
    tok.kind = TokenKind::kLocalName;
    tok.code = -1;
    // A type name may come from the routine, the program, or the routine that
    // encloses this one: routines nested in the main block use its types.
    if (!found || symbol_class != SymbolClass::kTypeName) {
      SymbolClass outer_class = SymbolClass::kNone;
      int outer_code = 0;
      if ((look_up(c.sym, name, 0, outer_class, outer_code) && outer_class == SymbolClass::kTypeName) ||
          (c.sym.scope_count > 0 && look_up(c.sym, name, top_scope(c.sym), outer_class, outer_code) &&
           outer_class == SymbolClass::kTypeName)) {
        found = true;
        symbol_class = outer_class;
        code = outer_code;
      }
    }
    if (found && symbol_class == SymbolClass::kTypeName) {
      tok.kind = TokenKind::kTypeName;
      tok.code = code;
      return true;  // the caret keeps its place
    }
    if (!found) return false;
  }
  if (lex.declaration_mode && found &&
      (symbol_class == SymbolClass::kFunction || symbol_class == SymbolClass::kMathFunction))
    report_with_token(c, ErrorCode::kBadIdentifierName, name, name);
  if (code >= 0) {
    // Declared here: local inside a routine; in a heading, a procedure's or
    // the program's name or a global, else a function's.
    SymbolClass declared = scope != 0 ? SymbolClass::kLocal
                           : lex.heading_kind == 0 || lex.heading_kind == 1 ? SymbolClass::kProcedure
                                                                            : SymbolClass::kFunction;
    set_last(c, name);
    join_before_report(lex);
    if (!lex.declaration_mode && found) {
      // What symbol() would resolve: its first look-up is the one above.
      check_room(c.sym, c.errors);
      declared = symbol_class;
    } else {
      symbol(c.sym, c.errors, c.lex.current_procedure, lex.declaration_mode ? kDeclare : kResolve, name, declared,
             scope, code);
    }
    tok.kind = token_kind_of(declared);
    tok.code = code;
    return true;
  }
  tok.kind = token_kind_of(symbol_class);
  tok.code = code;
  return false;
}

bool read_any(FrontEnd& c, Token& tok, bool raw) {
  LexerState& lex = c.lex;
  if (!raw && !lex.pushed_back_token.empty()) {
    tok.text = lex.pushed_back_token;
    lex.pushed_back_token.clear();
    return false;
  }
  if (!lex.line_text_deferred) lex.taken_from = lex.source.pos;
  const char ch = first_after_blanks(c);
  bool delivered = true;
  switch (ch) {
    case 0: delivered = false; break;
    case '\'': delivered = read_string(c, tok, raw); break;
    case '+': set_sign(tok, TokenKind::kArith, kPlus, "+"); break;
    case '-': set_sign(tok, TokenKind::kArith, kMinus, "-"); break;
    case '*': set_sign(tok, TokenKind::kArith, kStar, "*"); break;
    case '/': set_sign(tok, TokenKind::kArith, kSlash, "/"); break;
    case '(': set_sign(tok, TokenKind::kSeparator, kOpenParen, "("); break;
    case ')': set_sign(tok, TokenKind::kSeparator, kCloseParen, ")"); break;
    case ',': set_sign(tok, TokenKind::kSeparator, kComma, ","); break;
    case ';': set_sign(tok, TokenKind::kSeparator, kSemicolon, ";"); break;
    case '[': set_sign(tok, TokenKind::kSeparator, kOpenBracket, "["); break;
    case ']': set_sign(tok, TokenKind::kSeparator, kCloseBracket, "]"); break;
    case '^': set_sign(tok, TokenKind::kSeparator, kCaret, "^"); break;
    case ':': {
      const char next = next_char(c);
      if (next == '=') {
        set_sign(tok, TokenKind::kSeparator, kAssign, ":=");
      } else {
        push_back_char(c, next);
        set_sign(tok, TokenKind::kSeparator, kColon, ":");
      }
      break;
    }
    case '.':
      if (raw) {
        set_sign(tok, TokenKind::kSeparator, kDot, ".");
      } else {
        // "." and ".." carry no kind or code of their own.
        const char next = next_char(c);
        if (next == '.') {
          set_text(tok, "..");
        } else {
          push_back_char(c, next);
          set_text(tok, ".");
        }
      }
      break;
    case '!':
    case '<':
    case '=':
    case '>':
      if (raw) {
        tok.kind = TokenKind::kOther;
        tok.text.assign(1, ch);
        break;
      }
      tok.kind = TokenKind::kRelation;
      tok.text.assign(1, ch);
      if (ch == '=') {
        tok.code = kEqual;
      } else {
        const char next = next_char(c);
        if (ch == '<' && next == '=') {
          tok.code = kLessEqual;
          set_text(tok, "<=");
        } else if (ch == '<' && next == '>') {
          tok.code = kNotEqual;
        } else if (ch == '<') {
          tok.code = kLess;
          push_back_char(c, next);
        } else if (ch == '>' && next == '=') {
          tok.code = kGreaterEqual;
          set_text(tok, ">=");
        } else if (ch == '>') {
          tok.code = kGreater;
          push_back_char(c, next);
        } else if (next == '=') {
          tok.code = kNotEqual;  // "!=" keeps the text "!"
        } else {
          tok.kind = TokenKind::kOther;
          push_back_char(c, next);
        }
      }
      break;
    default:
      if (is_letter(ch)) {
        if (read_name(c, tok, ch, raw)) {
          join_before_report(lex);
          return true;
        }
      } else if (is_digit(ch)) {
        read_number(c, tok, ch, raw);
      } else {
        tok.kind = TokenKind::kOther;
        tok.text.assign(1, ch);
      }
      break;
  }
  join_before_report(lex);
  set_last(c, tok.text);
  return delivered;
}

struct Keyword {
  const char* word;
  SymbolClass kind;
  int code;
};

constexpr SymbolClass kKw = SymbolClass::kKeyword;
constexpr SymbolClass kMath = SymbolClass::kMathFunction;
constexpr SymbolClass kFn = SymbolClass::kFunction;
constexpr SymbolClass kProc = SymbolClass::kProcedure;

// Order matters: postfix code and the generator refer to these entries by
// position.
const Keyword kKeywords[] = {
    {"var", kKw, kVar}, {"program", kKw, kProgram}, {"procedure", kKw, kProcedure}, {"function", kKw, kFunction},
    {"begin", kKw, kBegin}, {"end", kKw, kEnd}, {"if", kKw, kIf}, {"then", kKw, kThen}, {"else", kKw, kElse},
    {"while", kKw, kWhile}, {"do", kKw, kDo}, {"integer", kKw, kInteger}, {"float", kKw, kFloat},
    {"readln", kKw, kReadln}, {"writeln", kKw, kWriteln}, {"write", kKw, kWrite}, {"and", kKw, kAnd}, {"or", kKw, kOr},
    {"not", kKw, kNot}, {"for", kKw, kFor}, {"to", kKw, kTo}, {"repeat", kKw, kRepeat}, {"until", kKw, kUntil},
    {"label", kKw, kLabel}, {"goto", kKw, kGoto}, {"new", kKw, kNew}, {"free", kKw, kFree},
    {"sqrt", kMath, kSqrt}, {"sin", kMath, kSin}, {"arctg", kMath, kArctg}, {"tg", kMath, kTg}, {"cos", kMath, kCos},
    {"round", kMath, kRound}, {"abs", kMath, kAbs}, {"trunc", kMath, kTrunc}, {"random", kMath, kRandom},
    {"length", kMath, kLength}, {"getday", kMath, kGetday}, {"getmonth", kMath, kGetmonth}, {"getyear", kMath, kGetyear},
    {"gettime", kMath, kGettime}, {"getdayofweek", kMath, kGetdayofweek},
    {"array", kKw, kArray}, {"of", kKw, kOf}, {"return", kKw, kReturn}, {"string", kKw, kString}, {"text", kKw, kText},
    {"const", kKw, kConst}, {"type", kKw, kType}, {"record", kKw, kRecord}, {"case", kKw, kCase},
};

struct BuiltinRoutine {
  const char* word;
  SymbolClass kind;
  std::vector<int> params;  // type numbers
  int result;
};

const BuiltinRoutine kBuiltins[] = {
    {"pos", kFn, {14, 14}, 4},
    {"substr", kFn, {14, 4, 4}, 14},
    {"lowcase", kFn, {14}, 14},
    {"upcase", kFn, {14}, 14},
    {"reset", kFn, {14}, 15},
    {"eof", kFn, {15}, 4},
    {"readstring", kFn, {15}, 14},
    {"close", kProc, {15}, 4},
    {"rewrite", kFn, {14}, 15},
    {"append", kFn, {14}, 15},
    {"writestring", kProc, {15, 14}, 4},
    {"strtoint", kFn, {14}, 4},
    {"inttostr", kFn, {4}, 14},
    {"strtofloat", kFn, {14}, 8},
    {"floattostr", kFn, {8}, 14},
    {"getcommandline", kFn, {}, 14},
    {"paramstr", kFn, {4}, 14},
    {"paramcount", kFn, {}, 4},
    {"clrscr", kProc, {}, 0},
    {"poscursor", kProc, {4, 4}, 0},
    {"hidecursor", kProc, {}, 0},
    {"showcursor", kProc, {}, 0},
};

const Keyword kLastKeywords[] = {{"mod", kKw, kMod}, {"div", kKw, kDiv}, {"nil", kKw, kNil}};

void enter_keyword(FrontEnd& c, const char* word, SymbolClass kind, int code) {
  SymbolClass symbol_class = kind;
  symbol(c.sym, c.errors, c.lex.current_procedure, kDeclare, word, symbol_class, c.lex.current_procedure, code);
}

}  // namespace

namespace {

char take_char(FrontEnd& c) {
  LexerState& lex = c.lex;
  if (lex.pushed_back != 0) {
    char ch = lex.pushed_back;
    lex.pushed_back = 0;
    return ch;
  }
  SourceFile& src = lex.source;
  if (lex.line_end_pending) {
    lex.line_end_pending = false;
    new_line(lex);
  }
  int b = next_byte(src);
  if (b < 0 || b == 0) return 0;
  char ch = static_cast<char>(b);
  if (ch == '\r') {
    // A line end is never part of the line text; inside a string literal the
    // carriage return is what ends it.
    return lex.string_mode ? '\r' : ' ';
  }
  if (ch == '\n') {
    // The next line begins with the next character read, as after the CR of a
    // CR LF: a line end read ahead and given back (after "end.") is not
    // counted, so LF-only and CR LF files count the same lines.
    lex.line_end_pending = true;
    return lex.string_mode ? '\n' : ' ';
  }
  if (ch == '{') {
    if (!skip_brace_comment(lex)) return 0;
    lex.line_text += ' ';
    return ' ';
  }
  // Only peeked at: the character after a "/" that begins no comment is read
  // next with all its handling (a line end still counts), and an error report
  // meanwhile still sees it as the rest of the line.
  if (ch == '/' && !lex.string_mode && peek_byte(src) == '/') {
    ++src.pos;
    return skip_line_comment(lex) ? ' ' : 0;
  }
  lex.line_text += ch;
  return ch;
}

}  // namespace

char read_char(FrontEnd& c) {
  LexerState& lex = c.lex;
  join_line_text(lex);
  const char ch = take_char(c);
  lex.taken_from = lex.source.pos;
  return ch;
}

void push_back_char(FrontEnd& c, char ch) { c.lex.pushed_back = ch; }

bool read_token(FrontEnd& c, Token& tok) { return read_any(c, tok, false); }
bool read_raw_token(FrontEnd& c, Token& tok) { return read_any(c, tok, true); }

namespace {

bool end_of_source(const LexerState& lex) {
  return lex.source.pos >= lex.source.bytes.size() && lex.pushed_back == 0 && lex.pushed_back_token.empty();
}

bool next_any(FrontEnd& c, Token& tok, bool raw) {
  const bool pending_dots = !raw && !c.lex.pushed_back_token.empty();
  if (read_any(c, tok, raw)) return true;
  if (!pending_dots && tok.kind != TokenKind::kOpenString && end_of_source(c.lex)) tok = Token{};
  return false;
}

}  // namespace

bool next_token(FrontEnd& c, Token& tok) { return next_any(c, tok, false); }
bool next_raw_token(FrontEnd& c, Token& tok) { return next_any(c, tok, true); }

void build_keyword_table(FrontEnd& c) {
  for (const Keyword& k : kKeywords) enter_keyword(c, k.word, k.kind, k.code);
  for (const BuiltinRoutine& r : kBuiltins) {
    SymbolClass symbol_class = r.kind;
    int position = 0;
    symbol(c.sym, c.errors, c.lex.current_procedure, kDeclare, r.word, symbol_class, c.lex.current_procedure, position);
    TTblFun f = create_signature(position, static_cast<TypeNumber>(r.result));
    for (int type : r.params) add_value_param(f, static_cast<TypeNumber>(type));
    set_formal_count(sym_at(c.sym, position), param_count(f));
    append_signature(c.sym, std::move(f));
  }
  for (const Keyword& k : kLastKeywords) enter_keyword(c, k.word, k.kind, k.code);
}

const std::string& complete_current_line(LexerState& lex) {
  join_line_text(lex);
  SourceFile& src = lex.source;
  while (!lex.line_end_pending && src.pos < src.bytes.size() && src.bytes[src.pos] != '\n') {
    char ch = src.bytes[src.pos++];
    if (ch != '\r') lex.line_text.push_back(ch);
  }
  return lex.line_text;
}

bool at_end_of_source(const LexerState& lex) {
  return lex.source.pos >= lex.source.bytes.size() && lex.pushed_back == 0 && lex.pushed_back_token.empty();
}

LineTextReporter::LineTextReporter(LexerState& lex, ErrorReporter& next) : lex_(lex), next_(next) {
  lex_.taken_from = lex_.source.pos;
  lex_.line_text_deferred = true;
}

LineTextReporter::~LineTextReporter() { lex_.line_text_deferred = false; }

void LineTextReporter::report(ErrorCode code, std::string_view arg) {
  join_line_text(lex_);
  report_error(next_, code, arg);
}

void LineTextReporter::finish() { join_line_text(lex_); }

}  // namespace tarn
