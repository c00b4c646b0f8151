// The code generator's core: the table of named addresses, the table of labels,
// instruction emission from hexadecimal text, and the listing "log.tmp".
// Every instruction goes to the image as bytes and to the listing as
// "address bytes assembly-text".
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "image/image.h"

namespace tarn {

// A named address: an import slot, a data item, a run-time routine or a user routine.
struct TVariable {
  uint32_t VarAddr = 0;  // absolute virtual address of the first byte
  std::string Name;
};

// A jump target (a virtual address) or a patch place (a file offset).
struct TLabel {
  std::string Name;
  uint32_t Virtual_Addr = 0;
  int id = 0;  // symbol number for goto labels, else 0
};

struct GeneratorState {
  std::vector<TVariable> variables;
  // The index of variables[0, variables_indexed): an open-addressing hash
  // table whose slots hold 1 + the position of the first entry of each name
  // (0: an empty slot) and the name's hash, names compared without regard to
  // ASCII case. Kept by AddVariable, grown when half full, and rebuilt by
  // find_variable when variables was shortened behind its back.
  struct VariableSlot {
    uint32_t position = 0;
    uint32_t hash = 0;
  };
  mutable std::vector<VariableSlot> variable_slots;
  mutable size_t variable_names = 0;  // the distinct names in the slots
  mutable size_t variables_indexed = 0;
  // The last name found under each of a few short keys, and its position + 1
  // (0: none); and the address of each data item found by its number (0:
  // not looked up yet). Both are cleared when the index is rebuilt.
  struct RecentName {
    std::string name;
    uint32_t position = 0;
  };
  mutable std::array<RecentName, 16> recent_names;
  mutable std::vector<uint32_t> item_addresses;
  std::vector<TLabel> labels;
  // The name and the id of each label -> its first position in labels, for
  // labels[0, labels_indexed); brought up to date on lookup, and rebuilt when
  // labels was shortened behind the generator's back.
  mutable std::unordered_map<std::string, size_t> label_index;
  mutable std::unordered_map<int, size_t> label_id_index;
  mutable size_t labels_indexed = 0;
  std::string listing;  // the text of "log.tmp", written out when the listing is closed
  std::string listing_path;
  std::vector<std::string> pending_patches;  // patch labels not yet consumed, in order
  // Bytes the data step placed for each data item, under the item's name
  // (its symbol's location, a small positive number): an array's count
  // includes its initial values. 0 past the end.
  std::vector<uint32_t> item_bytes;
};

// The generator core's view of a compile: the image it writes instructions
// and data into, and its own tables.
struct Emitter {
  ImageState& image;
  GeneratorState& gen;
};

// Stores the bytes of opcode_hex followed by operand_hex with the operand's byte
// pairs reversed (an 8-digit big-endian address becomes little-endian bytes);
// writes the hex text and a blank to the listing. Hex digits of either case.
void emit_instruction(Emitter& c, std::string_view opcode_hex, std::string_view operand_hex = {});
// The same without the listing text.
void emit_instruction_silent(Emitter& c, std::string_view opcode_hex, std::string_view operand_hex = {});

// One listed instruction: "address bytes text" on a line of its own.
void emit(Emitter& c, std::string_view text, std::string_view opcode_hex, std::string_view operand_hex = {});
// One listed instruction whose operand is an address: its bytes follow the
// opcode low byte first, as emit does with HexText(address, 8).
void emit_at(Emitter& c, std::string_view text, std::string_view opcode_hex, uint32_t address);
// The same for an instruction whose bytes are already known.
void emit_bytes(Emitter& c, std::string_view text, const uint8_t* bytes, size_t n);
// "mov ebx, address" (bb) and "call ebx" (ff d3), listed as emit_at and emit
// list them, with the given texts.
void emit_call_through_ebx(Emitter& c, std::string_view mov_text, uint32_t address, std::string_view call_text);

// A run of listing lines and instructions written as one piece: each line
// is put together here as it is added, and `commit` stores all the bytes in
// one copy and lists all the lines in one append when the bytes fit the image
// as it is. Otherwise, or when the run is full, the lines go out one by one as
// listing_line and emit_bytes write them, so an image that overflows leaves
// the same listing. Nothing else may be emitted while a run holds lines; a
// run's lines are lost unless committed (a template that faults commits what
// came before the fault). Instructions are listed in lower-case hex.
class InstructionRun {
 public:
  explicit InstructionRun(Emitter& c);
  InstructionRun(const InstructionRun&) = delete;
  InstructionRun& operator=(const InstructionRun&) = delete;

  // A listing line of its own, made of pieces.
  void line(std::initializer_list<std::string_view> pieces);
  // One instruction of n bytes (at most 15).
  void op(std::string_view text, const uint8_t* bytes, size_t n);
  void op(std::string_view text, std::initializer_list<uint8_t> bytes) { op(text, bytes.begin(), bytes.size()); }
  // One instruction: the opcode's bytes, then a 32-bit address low byte first.
  void op_at(std::string_view text, std::initializer_list<uint8_t> opcode, uint32_t address);
  void commit();

 private:
  struct Entry {
    uint16_t line_start, text_start, line_end;  // in text_; text_start: after the bytes' hex
    uint8_t byte_start, byte_count;
  };
  bool room_for(size_t text, size_t bytes) const;

  Emitter& c_;
  uint32_t start_;  // the address of the first byte
  char text_[768];
  size_t length_ = 0;
  uint8_t bytes_[64];
  size_t count_ = 0;
  Entry entries_[16];
  size_t entries_count_ = 0;
};

// n as lower-case hex of `digits` digits (two's complement for negatives).
std::string HexText(int64_t n, int digits);

// 8 hex digits of the first named address whose name equals `name` ignoring
// case and surrounding blanks. A name without an address is a generator
// fault: code must never work on address 0 instead.
std::string AddressOf(const Emitter& c, std::string_view name);
// The same address as a number, for emit_at.
uint32_t required_address(const Emitter& c, std::string_view name);
// The address of data item n (named by the number in decimal): a generator
// fault when it has none. An address found before is taken from where it was
// kept while the table is as it was indexed.
uint32_t look_up_data_item(const Emitter& c, int n);
inline uint32_t data_item_address(const Emitter& c, int n) {
  const GeneratorState& g = c.gen;
  const auto at = static_cast<size_t>(n);
  if (n > 0 && at < g.item_addresses.size() && g.item_addresses[at] != 0 && g.variables_indexed == g.variables.size() &&
      !g.variable_slots.empty())
    return g.item_addresses[at];
  return look_up_data_item(c, n);
}
// The same address as a number, 0 when there is none: a lookup, not for code.
uint32_t address_value(const Emitter& c, std::string_view name);
// The first named address whose name equals `name` ignoring ASCII case, or
// nullptr.
const TVariable* find_variable(const Emitter& c, std::string_view name);

void AddVariable(Emitter& c, std::string_view name, uint32_t address);
void AddLabel(Emitter& c, std::string_view name, uint32_t value, int id = 0);
uint32_t FindLabel(const Emitter& c, std::string_view name);  // exact name; 0 when none
uint32_t FindLabelById(const Emitter& c, int id);              // 0 when none

// Back-patching, the only fix-up mechanism. A patch label remembers the file
// offset of a placeholder (a bare 32-bit displacement or a whole jump);
// patch_label rewrites it once the target is the write position. Each patch
// label is consumed by exactly one patch.
int32_t add_patch_label(Emitter& c, std::string_view name);
// Writes opcode_hex followed by the displacement from the placeholder to the
// current address, less `length` (the size of what is written there: 4, 5 or
// 6), at the label's offset; lists it with that offset's address, and puts
// the write position back. A label that is unknown, already consumed or whose
// bytes lie outside the code written so far is an internal failure.
void patch_label(Emitter& c, std::string_view name, int length, std::string_view opcode_hex,
                 std::string_view text);

// A record the generator cannot turn into code: an op without a template, or
// an operand a template does not handle. The compile ends with an internal
// error (code 0) and no executable, never with code that does nothing.
struct GeneratorFault : std::runtime_error {
  using std::runtime_error::runtime_error;
};
[[noreturn]] void generator_fault(const std::string& text);

// The listing: text without and with a line end (CR LF).
void listing_write(Emitter& c, std::string_view text);
void listing_line(Emitter& c, std::string_view text = {});
// Opens "log.tmp" anew, and writes it out.
void open_listing(Emitter& c, const std::string& path);
void close_listing(Emitter& c);

}  // namespace tarn
