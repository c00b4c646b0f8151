// The lexer: the character reader, the main and raw token readers and the
// keyword table.
//
// Input: the source bytes (code page 1251) in LexerState::source. Output:
// tokens, plus the literals and names that the main reader enters in the
// symbol table. The line text holds only the characters of the current source
// line delivered so far, with each comment as one blank and no CR or LF, so
// that an error report echoes one real line and its caret finds the token.
#include "frontend/lexer.h"

#include "common/text.h"
#include "base/compilation.h"

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

// Through a std::string parameter: GCC 12 for mingw misreads short literal
// assignments here as overlapping copies (-Wrestrict).
void set_text(Token& tok, std::string text) { tok.text = std::move(text); }

void set_last(Compilation& c, const std::string& text) { c.lex.last_token_text = text; }

[[noreturn]] void report_with_token(Compilation& c, int code, const std::string& token, const std::string& arg) {
  set_last(c, token);
  report_error(c, code, arg);
}

// The value check of integer literals: error 127 above 2147483647, and for
// literals too long for any conversion.
void check_integer(Compilation& c, const std::string& digits) {
  int64_t value = 0;
  if (!parse_int64(digits, value) || value > 2147483647) report_with_token(c, 127, digits, digits);
}

// A literal shares its entry only with an earlier literal of the same kind:
// the string '12' and the number 12 need data of different shapes, and one
// shared entry would hand one of them the other's bytes.
int enter_literal(Compilation& c, const std::string& text, int type) {
  if (const int earlier = find_literal(c.sym, text, type)) return c.sym.entries[earlier].location;
  int code = add_raw_entry(c.sym, c.errors, text, kClassLiteral, c.lex.current_procedure);
  TSymbolbableRecord& e = sym_at(c.sym, code);
  e.location = code;
  e.symboltype = static_cast<uint8_t>(type);
  return code;
}

// After the digits of a fraction: an optional exponent "E" or "e", a sign that
// must be there, then nothing or exactly two digits.
void read_exponent(Compilation& c, std::string& text, char ch) {
  if (ch == 'E' || ch == 'e') {
    text += ch;
    ch = read_char(c);
    if (ch != '+' && ch != '-') report_with_token(c, 144, text, text);
    text += ch;
    ch = read_char(c);
    if (is_digit(ch)) {
      text += ch;
      ch = read_char(c);
      if (!is_digit(ch)) report_with_token(c, 144, text, text);
      text += ch;
      ch = read_char(c);
    }
  }
  push_back_char(c, ch);
}

char read_digits(Compilation& c, std::string& text) {
  char ch = read_char(c);
  while (is_digit(ch)) {
    text += ch;
    ch = read_char(c);
  }
  return ch;
}

void read_number(Compilation& c, Token& tok, char first, bool raw) {
  std::string text(1, first);
  char ch = read_digits(c, text);
  if (ch != '.') {
    push_back_char(c, ch);
    tok.text = text;
    if (raw) {
      check_integer(c, text);
      tok.kind = kTokLiteral;
      tok.code = -1;
    } else {
      tok.kind = kTokLiteral;
      tok.code = enter_literal(c, text, kTypeIntegerLiteral);
      check_integer(c, text);
    }
    return;
  }
  if (raw) {
    // The raw reader takes the "." whatever follows: "1..10" gives "1." here.
    text += '.';
    read_exponent(c, text, read_digits(c, text));
    tok.text = text;
    tok.kind = kTokFloat;
    tok.code = -1;
    return;
  }
  ch = read_char(c);
  if (is_digit(ch)) {
    text += '.';
    text += ch;
    read_exponent(c, text, read_digits(c, text));
    tok.text = text;
    tok.kind = kTokLiteral;
    tok.code = enter_literal(c, text, kTypeFloatLiteral);
    return;
  }
  if (ch == '.') {
    tok.text = text;
    tok.kind = kTokLiteral;
    tok.code = enter_literal(c, text, kTypeIntegerLiteral);
    check_integer(c, text);
    c.lex.pushed_back_token = "..";
    return;
  }
  report_with_token(c, 0, text + ".", "Syntax error.");
}

// A string literal after its opening quote; false when the line ended first.
bool read_string(Compilation& c, Token& tok, bool raw) {
  LexerState& lex = c.lex;
  lex.string_mode = true;
  std::string text;
  bool closed = false;
  for (;;) {
    char ch = read_char(c);
    if (ch == '\'') {
      closed = true;
      break;
    }
    if (ch == '\r' || ch == '\n' || ch == 0) break;
    text += ch;
  }
  lex.string_mode = false;
  tok.text = text;
  if (!closed) {
    tok.kind = kTokOpenString;
    return false;
  }
  if (raw) {
    tok.kind = kTokString;
    tok.code = -1;
  } else {
    tok.kind = kTokLiteral;
    tok.code = enter_literal(c, text, kTypeStringLiteral);
  }
  return true;
}

void read_name(Compilation& c, Token& tok, char first, bool raw) {
  LexerState& lex = c.lex;
  std::string name(1, lower(first));
  char ch = read_char(c);
  while (is_letter(ch) || is_digit(ch) || ch == '_') {
    name += lower(ch);
    ch = read_char(c);
  }
  push_back_char(c, ch);
  tok.text = name;
  const int scope = lex.current_procedure;
  int symbol_class = 0, code = 0;
  bool found = look_up(c.sym, name, scope, symbol_class, code);
  if (raw) {
    tok.kind = kTokLocalName;
    tok.code = -1;
    // A type name may come from the routine, the program, or the routine that
    // encloses this one: routines nested in the main block use its types.
    if (!found || symbol_class != kClassTypeName) {
      int outer_class = 0, outer_code = 0;
      if ((look_up(c.sym, name, 0, outer_class, outer_code) && outer_class == kClassTypeName) ||
          (c.sym.scope_count > 0 && look_up(c.sym, name, top_scope(c.sym), outer_class, outer_code) &&
           outer_class == kClassTypeName)) {
        found = true;
        symbol_class = outer_class;
        code = outer_code;
      }
    }
    if (found && symbol_class == kClassTypeName) {
      tok.kind = kTokTypeName;
      tok.code = code;
      return;
    }
    if (!found) return;
  }
  if (lex.declaration_mode && found && (symbol_class == kClassFunction || symbol_class == kClassMathFunction))
    report_with_token(c, 122, name, name);
  if (code >= 0) {
    int kind = scope != 0 ? kTokLocalName : (lex.heading_kind == 0 || lex.heading_kind == 1 ? kTokSeparator : kTokFunction);
    set_last(c, name);
    symbol(c.sym, c.errors, c.lex.current_procedure, lex.declaration_mode ? kDeclare : kResolve, name, kind, scope, code);
    tok.kind = kind;
    tok.code = code;
  } else {
    tok.kind = symbol_class;
    tok.code = code;
  }
}

bool read_any(Compilation& c, Token& tok, bool raw) {
  LexerState& lex = c.lex;
  if (!raw && !lex.pushed_back_token.empty()) {
    tok.text = lex.pushed_back_token;
    lex.pushed_back_token.clear();
    return false;
  }
  char ch = read_char(c);
  while (ch == ' ' || ch == '\t') ch = read_char(c);
  bool delivered = true;
  auto sign = [&](int kind, int code, std::string text) {
    tok.kind = kind;
    tok.code = code;
    tok.text = std::move(text);
  };
  if (ch == 0) {
    delivered = false;
  } else if (is_letter(ch)) {
    read_name(c, tok, ch, raw);
    if (raw && tok.kind == kTokTypeName) return true;  // the caret keeps its place
  } else if (is_digit(ch)) {
    read_number(c, tok, ch, raw);
  } else if (ch == '\'') {
    delivered = read_string(c, tok, raw);
  } else if (ch == '+') {
    sign(kTokArith, kPlus, "+");
  } else if (ch == '-') {
    sign(kTokArith, kMinus, "-");
  } else if (ch == '*') {
    sign(kTokArith, kStar, "*");
  } else if (ch == '/') {
    sign(kTokArith, kSlash, "/");
  } else if (ch == '(') {
    sign(kTokSeparator, kOpenParen, "(");
  } else if (ch == ')') {
    sign(kTokSeparator, kCloseParen, ")");
  } else if (ch == ',') {
    sign(kTokSeparator, kComma, ",");
  } else if (ch == ';') {
    sign(kTokSeparator, kSemicolon, ";");
  } else if (ch == '[') {
    sign(kTokSeparator, kOpenBracket, "[");
  } else if (ch == ']') {
    sign(kTokSeparator, kCloseBracket, "]");
  } else if (ch == '^') {
    sign(kTokSeparator, kCaret, "^");
  } else if (ch == ':') {
    char next = read_char(c);
    if (next == '=') {
      sign(kTokSeparator, kAssign, ":=");
    } else {
      push_back_char(c, next);
      sign(kTokSeparator, kColon, ":");
    }
  } else if (ch == '.' && raw) {
    sign(kTokSeparator, kDot, ".");
  } else if (ch == '.') {
    // "." and ".." carry no kind or code of their own.
    char next = read_char(c);
    if (next == '.') {
      set_text(tok, "..");
    } else {
      push_back_char(c, next);
      set_text(tok, ".");
    }
  } else if (!raw && (ch == '!' || ch == '<' || ch == '=' || ch == '>')) {
    tok.kind = kTokRelation;
    tok.text = std::string(1, ch);
    if (ch == '=') {
      tok.code = kEqual;
    } else {
      char next = read_char(c);
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
        tok.kind = kTokOther;
        push_back_char(c, next);
      }
    }
  } else {
    tok.kind = kTokOther;
    tok.text = std::string(1, ch);
  }
  set_last(c, tok.text);
  return delivered;
}

struct Keyword {
  const char* word;
  int kind;
  int code;
};

// Order matters: postfix code and the generator refer to these entries by
// position.
const Keyword kKeywords[] = {
    {"var", 3, kVar}, {"program", 3, kProgram}, {"procedure", 3, kProcedure}, {"function", 3, kFunction},
    {"begin", 3, kBegin}, {"end", 3, kEnd}, {"if", 3, kIf}, {"then", 3, kThen}, {"else", 3, kElse},
    {"while", 3, kWhile}, {"do", 3, kDo}, {"integer", 3, kInteger}, {"float", 3, kFloat},
    {"readln", 3, kReadln}, {"writeln", 3, kWriteln}, {"write", 3, kWrite}, {"and", 3, kAnd}, {"or", 3, kOr},
    {"not", 3, kNot}, {"for", 3, kFor}, {"to", 3, kTo}, {"repeat", 3, kRepeat}, {"until", 3, kUntil},
    {"label", 3, kLabel}, {"goto", 3, kGoto}, {"new", 3, kNew}, {"free", 3, kFree},
    {"sqrt", 11, kSqrt}, {"sin", 11, kSin}, {"arctg", 11, kArctg}, {"tg", 11, kTg}, {"cos", 11, kCos},
    {"round", 11, kRound}, {"abs", 11, kAbs}, {"trunc", 11, kTrunc}, {"random", 11, kRandom},
    {"length", 11, kLength}, {"getday", 11, kGetday}, {"getmonth", 11, kGetmonth}, {"getyear", 11, kGetyear},
    {"gettime", 11, kGettime}, {"getdayofweek", 11, kGetdayofweek},
    {"array", 3, kArray}, {"of", 3, kOf}, {"return", 3, kReturn}, {"string", 3, kString}, {"text", 3, kText},
    {"const", 3, kConst}, {"type", 3, kType}, {"record", 3, kRecord}, {"case", 3, kCase},
};

struct BuiltinRoutine {
  const char* word;
  int kind;
  std::vector<int> params;
  int result;
};

const BuiltinRoutine kBuiltins[] = {
    {"pos", 13, {14, 14}, 4},
    {"substr", 13, {14, 4, 4}, 14},
    {"lowcase", 13, {14}, 14},
    {"upcase", 13, {14}, 14},
    {"reset", 13, {14}, 15},
    {"eof", 13, {15}, 4},
    {"readstring", 13, {15}, 14},
    {"close", 2, {15}, 4},
    {"rewrite", 13, {14}, 15},
    {"append", 13, {14}, 15},
    {"writestring", 2, {15, 14}, 4},
    {"strtoint", 13, {14}, 4},
    {"inttostr", 13, {4}, 14},
    {"strtofloat", 13, {14}, 8},
    {"floattostr", 13, {8}, 14},
    {"getcommandline", 13, {}, 14},
    {"paramstr", 13, {4}, 14},
    {"paramcount", 13, {}, 4},
    {"clrscr", 2, {}, 0},
    {"poscursor", 2, {4, 4}, 0},
    {"hidecursor", 2, {}, 0},
    {"showcursor", 2, {}, 0},
};

const Keyword kLastKeywords[] = {{"mod", 3, kMod}, {"div", 3, kDiv}, {"nil", 3, kNil}};

void enter_keyword(Compilation& c, const char* word, int kind, int code) {
  int symbol_class = kind;
  symbol(c.sym, c.errors, c.lex.current_procedure, kDeclare, word, symbol_class, c.lex.current_procedure, code);
}

}  // namespace

char read_char(Compilation& c) {
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

void push_back_char(Compilation& c, char ch) { c.lex.pushed_back = ch; }

bool read_token(Compilation& c, Token& tok) { return read_any(c, tok, false); }
bool read_raw_token(Compilation& c, Token& tok) { return read_any(c, tok, true); }

namespace {

bool end_of_source(const LexerState& lex) {
  return lex.source.pos >= lex.source.bytes.size() && lex.pushed_back == 0 && lex.pushed_back_token.empty();
}

bool next_any(Compilation& c, Token& tok, bool raw) {
  const bool pending_dots = !raw && !c.lex.pushed_back_token.empty();
  if (read_any(c, tok, raw)) return true;
  if (!pending_dots && tok.kind != kTokOpenString && end_of_source(c.lex)) tok = Token{};
  return false;
}

}  // namespace

bool next_token(Compilation& c, Token& tok) { return next_any(c, tok, false); }
bool next_raw_token(Compilation& c, Token& tok) { return next_any(c, tok, true); }

void expect_token(Compilation& c, int expected_kind, int expected_code, const std::string& message, int kind,
                  int code) {
  bool kind_only = expected_kind == kTokLocalName || expected_kind == kTokLiteral;
  if (kind != expected_kind || (!kind_only && code != expected_code)) report_error(c, 0, message);
}

void build_keyword_table(Compilation& c) {
  for (const Keyword& k : kKeywords) enter_keyword(c, k.word, k.kind, k.code);
  for (const BuiltinRoutine& r : kBuiltins) {
    int symbol_class = r.kind, position = 0;
    symbol(c.sym, c.errors, c.lex.current_procedure, kDeclare, r.word, symbol_class, c.lex.current_procedure, position);
    TTblFun f = create_signature(position, r.result);
    for (int type : r.params) add_value_param(f, type);
    sym_at(c.sym, position).tag = static_cast<uint8_t>(param_count(f));
    append_signature(c.sym, std::move(f));
  }
  for (const Keyword& k : kLastKeywords) enter_keyword(c, k.word, k.kind, k.code);
}

const std::string& complete_current_line(LexerState& lex) {
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

}  // namespace tarn
