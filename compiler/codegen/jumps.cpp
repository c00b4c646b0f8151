#include "codegen/jumps.h"

#include <array>
#include <iterator>

namespace tarn {

namespace {

// Condition codes as the processor numbers them: short 70+cc, near 0f 80+cc.
constexpr JumpForm kJumps[] = {
    {"jo", 0x70, 0x80},  {"jno", 0x71, 0x81}, {"jb", 0x72, 0x82}, {"jc", 0x72, 0x82}, {"jae", 0x73, 0x83},
    {"jnc", 0x73, 0x83}, {"jz", 0x74, 0x84},  {"je", 0x74, 0x84}, {"jnz", 0x75, 0x85}, {"jne", 0x75, 0x85},
    {"jbe", 0x76, 0x86}, {"ja", 0x77, 0x87},  {"js", 0x78, 0x88}, {"jns", 0x79, 0x89}, {"jl", 0x7c, 0x8c},
    {"jge", 0x7d, 0x8d}, {"jle", 0x7e, 0x8e}, {"jg", 0x7f, 0x8f}, {"jmp", 0xeb, 0},    {"loop", 0xe2, 0},
};

// A mnemonic of up to four letters as one number, 0 for a longer one.
constexpr uint32_t packed(std::string_view mnemonic) {
  if (mnemonic.empty() || mnemonic.size() > 4) return 0;
  uint32_t key = 0;
  for (char ch : mnemonic) key = key << 8 | static_cast<unsigned char>(ch);
  return key;
}

constexpr auto kKeys = [] {
  std::array<uint32_t, std::size(kJumps)> keys{};
  for (size_t i = 0; i < keys.size(); ++i) keys[i] = packed(kJumps[i].mnemonic);
  return keys;
}();

}  // namespace

const JumpForm* find_jump(std::string_view mnemonic) {
  // Compared as numbers: the mnemonics are two to four letters.
  const uint32_t key = packed(mnemonic);
  if (key == 0) return nullptr;
  for (size_t i = 0; i < kKeys.size(); ++i)
    if (kKeys[i] == key) return &kJumps[i];
  return nullptr;
}

}  // namespace tarn
