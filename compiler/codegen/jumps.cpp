#include "codegen/jumps.h"

namespace tarn {

namespace {

// Condition codes as the processor numbers them: short 70+cc, near 0f 80+cc.
constexpr JumpForm kJumps[] = {
    {"jo", 0x70, 0x80},  {"jno", 0x71, 0x81}, {"jb", 0x72, 0x82}, {"jc", 0x72, 0x82}, {"jae", 0x73, 0x83},
    {"jnc", 0x73, 0x83}, {"jz", 0x74, 0x84},  {"je", 0x74, 0x84}, {"jnz", 0x75, 0x85}, {"jne", 0x75, 0x85},
    {"jbe", 0x76, 0x86}, {"ja", 0x77, 0x87},  {"js", 0x78, 0x88}, {"jns", 0x79, 0x89}, {"jl", 0x7c, 0x8c},
    {"jge", 0x7d, 0x8d}, {"jle", 0x7e, 0x8e}, {"jg", 0x7f, 0x8f}, {"jmp", 0xeb, 0},    {"loop", 0xe2, 0},
};

}  // namespace

const JumpForm* find_jump(std::string_view mnemonic) {
  // Compared a character at a time: the mnemonics are two to four letters.
  for (const JumpForm& f : kJumps) {
    if (f.mnemonic.size() != mnemonic.size()) continue;
    size_t i = 0;
    while (i < mnemonic.size() && f.mnemonic[i] == mnemonic[i]) ++i;
    if (i == mnemonic.size()) return &f;
  }
  return nullptr;
}

}  // namespace tarn
