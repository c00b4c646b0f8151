#include "ir/postfix.h"

#include <stdexcept>

#include "driver/compilation.h"

namespace tarn {

void build_operation_table(Compilation&) {}

// Both files start empty for every compile, so the generator never reads the
// records of an earlier one.
void open_postfix_files(Compilation& c) {
  for (const char* name : {"postfix.tmp", "postfix_.tmp"})
    if (!platform::write_file(work_file(c, name), "")) throw std::runtime_error(std::string("Cannot create file ") + name);
}

void close_postfix_files(Compilation&) {}

}  // namespace tarn
