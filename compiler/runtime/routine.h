// A run-time routine under construction. Instructions are collected with their
// assembly text and bytes; jumps to local labels get placeholders that are
// patched when the label is bound (the patch checks that the displacement
// fits). `finish` checks that every label used was bound, then emits the
// routine through the generator, so the listing shows the final bytes.
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

  LocalLabel label(std::string name);
  void bind(LocalLabel l);
  // Short jumps (jz, jnz, jb, jbe, ja, jae, jl, jle, jg, jge, js, jns, jmp,
  // loop) take an 8-bit displacement; the near forms a 32-bit one.
  void jump(std::string_view mnemonic, LocalLabel target);
  void jump_near(std::string_view mnemonic, LocalLabel target);
  void call(LocalLabel target);  // e8: a local subroutine inside the routine

  // The current offset from the routine's first byte.
  int offset() const { return size_; }
  uint32_t address_here() const { return start_ + static_cast<uint32_t>(size_); }

  // Emits the routine at the write position.
  void finish();

 private:
  // An instruction's text and bytes lie in the routine's two buffers: one
  // allocation per buffer instead of two per instruction. A label line has no
  // bytes.
  struct Instruction {
    uint32_t text_at;
    uint32_t text_size;
    uint32_t bytes_at;
    uint32_t bytes_size;
  };
  struct Fixup {
    size_t instruction;
    int width;        // 1 or 4
    int next_offset;  // the offset the displacement counts from
  };
  struct LabelState {
    std::string name;
    int offset = -1;
    std::vector<Fixup> pending;
  };

  // Starts an instruction with its text; its bytes follow with put.
  void begin(std::string_view text);
  void add_text(std::string_view text);  // more of the current instruction's text
  void put(uint8_t b);
  void put_hex(std::string_view hex);
  std::string_view text_of(const Instruction& i) const;
  void patch(const Fixup& f, int target);
  void jump_to(LocalLabel target, int width);
  LabelState& state(LocalLabel l);

  Emitter& c_;
  uint32_t start_;
  int size_ = 0;
  std::vector<Instruction> code_;
  std::string texts_;
  std::vector<uint8_t> bytes_;
  std::vector<LabelState> labels_;
  bool finished_ = false;
};

}  // namespace tarn
