// The jump instructions both instruction builders know (the run-time
// library's and the templates'), by mnemonic.
#pragma once

#include <cstdint>
#include <string_view>

namespace tarn {

struct JumpForm {
  std::string_view mnemonic;
  uint8_t short_opcode;  // followed by an 8-bit displacement
  uint8_t near_second;   // the byte after 0f of the near form; 0: jmp (e9) or no near form
};

// The form of a jump, nullptr for a mnemonic no builder knows.
const JumpForm* find_jump(std::string_view mnemonic);

}  // namespace tarn
