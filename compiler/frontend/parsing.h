// Token tests and shorthands that the three parsers (declarations,
// statements, expressions) share.
#pragma once

#include "driver/compilation.h"
#include "frontend/lexer.h"
#include "frontend/symtab.h"

namespace tarn {

inline bool is_keyword(const Token& t, int code) { return t.kind == kTokKeyword && t.code == code; }
inline bool is_sign(const Token& t, int code) { return t.kind == kTokSeparator && t.code == code; }

inline TSymbolbableRecord& entry(Compilation& c, int position) { return sym_at(c.sym, position); }

// The parsers look at the token itself, so whether one was delivered does
// not matter to them: at the end of the source it is empty.
inline void next(Compilation& c, Token& tok) { next_token(c, tok); }

}  // namespace tarn
