// A run-time routine under construction. Each instruction goes to the listing
// as it is built, as "address bytes text", and its bytes to the routine's
// buffer; jumps to local labels get placeholders that are patched, in the
// buffer and in the listing, when the label is bound (the patch checks that
// the displacement fits). `finish` checks that every label used was bound,
// then puts the routine's bytes into the image in one piece.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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
  int offset() const { return static_cast<int>(bytes_.size()); }
  uint32_t address_here() const { return start_ + static_cast<uint32_t>(bytes_.size()); }

  // Emits the routine at the write position.
  void finish();

 private:
  // A listed instruction: its bytes in bytes_ and the start of its line in
  // the listing. An instruction without bytes is listed as its text alone.
  struct Line {
    uint32_t first_byte;
    uint32_t byte_count;
    uint32_t listing_at;
  };
  // A displacement at the end of a listed instruction, counted from its end.
  struct Fixup {
    uint32_t line;  // in lines_
    int width;      // 1 or 4
  };
  // A label's name lies in names_.
  struct LabelState {
    uint32_t name_at;
    uint32_t name_size;
    int offset = -1;
    std::vector<Fixup> pending;
  };

  void check_open() const;
  // Appends the bytes of hex text (digits of either case, blanks skipped).
  void put_hex(std::string_view hex);
  void put_dword(uint32_t value);
  // Lists the instruction whose bytes begin at bytes_[first]; its text is
  // the three parts in a row.
  void list(size_t first, std::string_view text, std::string_view more = {}, std::string_view rest = {});
  std::string_view name_of(const LabelState& s) const;
  void patch(const Fixup& f, int target);
  void jump_to(LocalLabel target, int width);
  LabelState& state(LocalLabel l);

  Emitter& c_;
  std::string& listing_;
  uint32_t start_;
  std::vector<uint8_t> bytes_;
  std::vector<Line> lines_;
  std::string names_;
  std::vector<LabelState> labels_;
  bool finished_ = false;
};

}  // namespace tarn
