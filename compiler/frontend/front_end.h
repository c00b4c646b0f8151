// The front end's sequence over an opened source, as the driver runs it and
// the tests repeat it.
#pragma once

#include <string>

namespace tarn {

struct FrontEnd;

// The operation table, the postfix files, the whole source parsed, the
// postfix files written and closed, then "symtab.tmp", all in the work
// folder (which ends with a separator). After an error the postfix files are
// written as far as they got, for inspection.
void run_front_end(FrontEnd& c, const std::string& work_folder);

}  // namespace tarn
