// Token tests and shorthands that the three parsers (declarations,
// statements, expressions) share.
#pragma once

#include "frontend/lexer.h"
#include "tables/symtab.h"

namespace tarn {

struct FrontEnd;

inline bool is_keyword(const Token& t, int code) { return t.kind == TokenKind::kKeyword && t.code == code; }
inline bool is_sign(const Token& t, int code) { return t.kind == TokenKind::kSeparator && t.code == code; }

TSymbolbableRecord& entry(FrontEnd& c, int position);

// The parsers look at the token itself, so whether one was delivered does
// not matter to them: at the end of the source it is empty.
inline void next(FrontEnd& c, Token& tok) { next_token(c, tok); }

// Parentheses and statement lists nest by recursion: a source nested
// thousands of levels deep would exhaust the compiler's stack instead of
// being reported. One guard per level, with the report for its own kind.
constexpr int kMaxNesting = 200;

class NestingGuard {
 public:
  NestingGuard(FrontEnd& c, const char* too_deep);
  ~NestingGuard() { --lex_.nesting; }
  NestingGuard(const NestingGuard&) = delete;
  NestingGuard& operator=(const NestingGuard&) = delete;

 private:
  LexerState& lex_;
};

}  // namespace tarn
