#include "ir/postfix.h"

#include "driver/compilation.h"

namespace tarn {

void build_operation_table(Compilation&) {}
void open_postfix_files(Compilation&) {}
void close_postfix_files(Compilation&) {}

}  // namespace tarn
