// The hex decoding (hex_bytes, append_hex_bytes) serves both the generator and the run-time builder:
// blanks between byte pairs are allowed, and a malformed text is a fault of
// the compiler's own tables, never of the program.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/text.h"

namespace tarn {
namespace {

TEST(HexBytes, PairsBecomeBytesInTheirOrderAndBlanksAreSkipped) {
  const struct {
    const char* hex;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"", {}},
      {"c3", {0xc3}},
      {"8B0432", {0x8b, 0x04, 0x32}},
      {"8b 04 32", {0x8b, 0x04, 0x32}},
      {" ff15 ", {0xff, 0x15}},
  };
  for (const auto& t : cases) EXPECT_EQ(hex_bytes(t.hex), t.bytes) << '"' << t.hex << '"';
}

TEST(HexBytes, AnOddDigitCountOrANonHexCharacterIsACompilerFault) {
  for (const char* hex : {"c", "8b0", "zz", "8b-4", "0x12"})
    EXPECT_THROW(hex_bytes(hex), std::logic_error) << '"' << hex << '"';
}

}  // namespace
}  // namespace tarn
