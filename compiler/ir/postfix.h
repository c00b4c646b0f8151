// The postfix emitter and the two postfix files.
#pragma once

namespace tarn {

struct PostfixState {};

}  // namespace tarn

namespace tarn {

struct Compilation;

void build_operation_table(Compilation& c);
// "postfix.tmp" and "postfix_.tmp" in the work folder, created empty.
void open_postfix_files(Compilation& c);
void close_postfix_files(Compilation& c);

}  // namespace tarn
