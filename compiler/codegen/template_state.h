// What the instruction templates remember from one postfix record to the next:
// the routines whose code is being emitted, and the calls whose actual
// parameters are being pushed.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "codegen/symbol_view.h"

namespace tarn {

// One data item copied to the stack around a call that may re-enter its routine.
struct SavedItem {
  int symbol = 0;
  uint32_t size = 0;    // bytes of the data item
  uint32_t slot = 0;    // bytes it takes on the stack (size rounded up to 4)
  uint32_t offset = 0;  // from esp right after the whole save to the copy's first byte
};

// A call whose actuals are being pushed: opened by its first actual (or by the
// call itself when it has none), closed by CALL / CALL_FUN.
struct PendingCall {
  int callee = 0;
  std::vector<SavedItem> saved;  // in the order they were pushed
};

struct TemplateState {
  std::vector<int> routines;         // routines whose code is open, innermost last
  std::map<int, int> enclosing;      // routine -> routine whose code was open at its start (0: none)
  std::map<int, uint32_t> entry;     // user routine -> address of its first instruction
  std::vector<PendingCall> pending;  // innermost call last
};

}  // namespace tarn
