// The front end's sequence over an opened source, as the driver runs it and
// the tests repeat it.
#pragma once

namespace tarn {

struct Compilation;

// The operation table, the postfix files, the whole source parsed, the
// postfix files written and closed, then "symtab.tmp". After an error the
// postfix files are written as far as they got, for inspection.
void run_front_end(Compilation& c);

}  // namespace tarn
