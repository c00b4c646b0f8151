// A run-time routine under construction. Each instruction goes to the
// routine's listing as it is built, as "address bytes text", and its bytes to
// the routine's buffer; jumps to local labels get placeholders that are
// patched, in both, when the label is bound (the patch checks that the
// displacement fits). `finish` checks that every label used was bound, then
// puts the routine's bytes into the image and its listing into the
// generator's, each in one piece.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/growing_array.h"

namespace tarn {

struct Emitter;

struct LocalLabel {
  int id = -1;
};

class RoutineBuilder {
 public:
  explicit RoutineBuilder(Emitter& c);

  // The address of a named run-time variable, routine or import slot, plus an
  // offset. The library only names items that are always declared, so a
  // missing name is a fault of the compiler, not of the program.
  uint32_t at(std::string_view name, int offset = 0) const;

  // One instruction: its text, its fixed bytes as hex, and optionally a 32-bit
  // value (an address or immediate) stored little-endian after them, and more
  // fixed bytes after that (an 8-bit immediate following an address).
  void op(std::string_view text, std::string_view hex);
  void op(std::string_view text, std::string_view hex, uint32_t value, std::string_view tail_hex = {});

  // call dword ptr [slot] of an imported function.
  void call_import(std::string_view function);
  // mov ebx, routine / call ebx: how every routine of the library is called.
  void call_routine(std::string_view routine);

  LocalLabel label(std::string_view name);
  void bind(LocalLabel l);
  // Short jumps (jz, jnz, jb, jbe, ja, jae, jl, jle, jg, jge, js, jns, jmp,
  // loop) take an 8-bit displacement; the near forms a 32-bit one.
  void jump(std::string_view mnemonic, LocalLabel target);
  void jump_near(std::string_view mnemonic, LocalLabel target);
  void call(LocalLabel target);  // e8: a local subroutine inside the routine

  // The current offset from the routine's first byte.
  int offset() const { return static_cast<int>(size_); }
  uint32_t address_here() const { return start_ + static_cast<uint32_t>(size_); }

  // Emits the routine at the write position.
  void finish();
  // After finish: starts another routine at the write position, with the
  // buffers and the names looked up so far kept.
  void next_routine();

 private:
  // A listed instruction: its bytes in bytes_ and the start of its line in
  // listed_. An instruction without bytes is listed as its text alone.
  struct Line {
    uint32_t first_byte;
    uint32_t byte_count;
    uint32_t listing_at;
  };
  // A displacement at the end of a listed instruction, counted from its end;
  // the jumps waiting for one label are chained through `next`.
  struct Fixup {
    uint32_t line;  // in lines_
    int width;      // 1 or 4
    int next;       // in fixups_, -1 at the end
  };
  // A label's name lies in names_.
  struct LabelState {
    uint32_t name_at;
    uint32_t name_size;
    int offset;
    int pending;  // the first waiting jump in fixups_, -1 for none
  };

  void check_open() const;
  // Room for k more bytes; the instruction's bytes are written there.
  uint8_t* room(size_t k);
  // Writes the bytes of hex text (digits of either case, blanks skipped) at
  // `to`; returns the end.
  uint8_t* put_hex(uint8_t* to, std::string_view hex);
  uint8_t* put_hex_digits(uint8_t* to, std::string_view hex);
  // Lists the instruction whose bytes are bytes_[first, size_); its text is
  // the three parts in a row.
  void list(size_t first, std::string_view text, std::string_view more = {}, std::string_view rest = {});
  std::string_view name_of(const LabelState& s) const;
  void patch(const Fixup& f, int target);
  void jump_to(LocalLabel target, int width);
  LabelState& state(LocalLabel l);

  Emitter& c_;
  std::string& listing_;
  uint32_t start_;
  GrowingArray<uint8_t> bytes_;  // the routine's bytes are [0, size_)
  size_t size_ = 0;
  GrowingArray<char> listed_;  // the routine's listing is [0, listed_size_)
  size_t listed_size_ = 0;
  std::vector<Line> lines_;
  std::vector<Fixup> fixups_;
  std::string names_;
  std::vector<LabelState> labels_;
  bool finished_ = false;
};

}  // namespace tarn
