// Statements: statement lists and every statement form.
#pragma once

namespace tarn {

struct Compilation;
struct Token;

// statement-list = statement ";" { statement ";" }
// Starts at the list's first token; ends at the first token after it.
void parse_statement_list(Compilation& c, Token& tok);

}  // namespace tarn
