// Statements: statement lists and every statement form.
#pragma once

namespace tarn {

struct FrontEnd;
struct Token;

// statement-list = statement ";" { statement ";" }
// Starts at the list's first token; ends at the first token after it.
void parse_statement_list(FrontEnd& c, Token& tok);

// At the end of a routine: every label a `goto` named must have been placed,
// or the jump would go through an empty slot (132 with the label's name).
void check_goto_targets(FrontEnd& c);

}  // namespace tarn
