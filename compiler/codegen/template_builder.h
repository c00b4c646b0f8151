// An instruction template under construction. Each instruction carries the
// assembly text its bytes encode; where the listing "log.tmp" shows
// something else for it, the instruction says so (`Asm::listed_as`), so an
// odd listing line stays as it is but the code states what the bytes are.
//
// Short jumps inside a template go to local labels instead of counted
// displacements: a jump to a label not yet bound waits, and the
// instructions after it wait with it, until the label is bound; then the
// displacement is filled in (checked to fit in its byte) and everything
// waiting is emitted in order. While nothing waits, each instruction goes
// straight to the image and the listing, so the builder can be mixed with
// the plain emit functions before a forward jump and after its label.
// `finish` checks that every label jumped to was bound.
//
// A fault of the builder (an unbound label, a jump out of range, code
// emitted around it while a jump waits) is a fault of the compiler: it ends
// the compile through generator_fault.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarn {

struct CodeGen;

// What an instruction is, and what the listing shows for it. A fixed text (a
// literal, or a text that outlives the instruction's emission) is used where
// it stands; a text made for the instruction is kept here.
class Asm {
 public:
  Asm(const char* assembly) : fixed_text_(assembly) {}                              // NOLINT: a text is an Asm
  Asm(std::string_view assembly) : fixed_text_(assembly) {}                         // NOLINT
  Asm(std::string assembly) : made_text_(std::move(assembly)), text_made_(true) {}  // NOLINT
  // The listing shows `shown` (an empty text, an older spelling, another
  // mnemonic) instead of the instruction's text.
  Asm&& listed_as(const char* shown) && {
    fixed_shown_ = shown;
    shown_ = Shown::kFixed;
    return std::move(*this);
  }
  Asm&& listed_as(std::string shown) && {
    made_shown_ = std::move(shown);
    shown_ = Shown::kMade;
    return std::move(*this);
  }
  // The instruction its bytes encode.
  std::string_view text() const { return text_made_ ? std::string_view(made_text_) : fixed_text_; }
  // The listing's text for it.
  std::string_view listing() const {
    switch (shown_) {
      case Shown::kFixed: return fixed_shown_;
      case Shown::kMade: return made_shown_;
      default: return text();
    }
  }

 private:
  enum class Shown : uint8_t { kText, kFixed, kMade };
  std::string_view fixed_text_, fixed_shown_;
  std::string made_text_, made_shown_;
  bool text_made_ = false;
  Shown shown_ = Shown::kText;
};

struct TemplateLabel {
  int id = -1;
};

class TemplateBuilder {
 public:
  explicit TemplateBuilder(CodeGen& c);
  ~TemplateBuilder();
  TemplateBuilder(const TemplateBuilder&) = delete;
  TemplateBuilder& operator=(const TemplateBuilder&) = delete;

  CodeGen& code() { return c_; }

  // One instruction, as emit and emit_at take it: the opcode's hex, then an
  // operand whose digit pairs are stored last pair first (HexText(n, 8) of
  // an immediate), or a 32-bit address stored low byte first.
  void op(const Asm& text, std::string_view opcode_hex, std::string_view operand_hex = {});
  void op_at(const Asm& text, std::string_view opcode_hex, uint32_t address);
  // A listing line with an address and neither bytes nor text.
  void blank_line();

  // ---- common forms ----
  // mov reg, imm32 (b8+reg): "mov ecx, 12".
  void mov_imm(std::string_view reg, int32_t value);
  // mov [variable], eax (a3) / push dword [variable] (ff 35) of a named
  // run-time variable: "mov _hHeap, eax", "push _hHeap".
  void store_eax_to(std::string_view variable);
  void push_variable(std::string_view variable);
  // push imm32 (68): "push 28".
  void push_imm(int32_t value);
  // call [slot] of an imported function (ff 15): "call GetProcessHeap".
  void call_import(std::string_view function);

  // ---- local labels and short jumps ----
  // A label that the listing names `name` ("e2").
  TemplateLabel label(std::string name);
  // Binds the label to the next instruction, listed "name: text".
  void bind(TemplateLabel l);
  // Binds the label where the listing names no label (a jump listed by its
  // distance, "jnz +2").
  void bind_unlisted(TemplateLabel l);
  // A short jump (jz, je, jnz, jne, jb, jbe, ja, jae, jl, jle, jg, jge, jmp),
  // listed "mnemonic name", or as `listing` when given.
  void jump(std::string_view mnemonic, TemplateLabel target);
  void jump(std::string_view mnemonic, TemplateLabel target, std::string listing);
  // The same with a 32-bit displacement (0f 8x, e9).
  void jump_near(std::string_view mnemonic, TemplateLabel target, std::string listing);

  // The address the next instruction will have.
  uint32_t address_here() const;

  // Checks that every label jumped to was bound and that no bound label
  // waits for its instruction; everything is emitted by then.
  void finish();

 private:
  struct Waiting {
    std::string listing;
    std::string opcode;
    std::string operand;  // digit pairs, last pair first, as emit takes them
  };
  struct Fixup {
    int label;           // the label jumped to
    size_t instruction;  // in waiting_
    int width;           // 1 or 4 bytes
    uint32_t next;       // the address the displacement counts from
  };
  struct LabelState {
    std::string name;
    bool bound = false;
    uint32_t address = 0;
  };
  // The builder's tables; a builder takes them from the ones its
  // predecessors left, emptied, so that their room is made once.
  struct Tables {
    std::vector<Waiting> waiting;
    std::vector<LabelState> labels;
    std::vector<Fixup> fixups;  // of the labels not yet bound
  };

  void add(std::string listing, std::string opcode, std::string operand);
  void jump_to(std::string_view opcode, int width, TemplateLabel target, std::string listing);
  void place(TemplateLabel l, std::string prefix);
  void flush_if_nothing_waits();
  LabelState& state(TemplateLabel l);
  std::string take_prefix(std::string listing);

  CodeGen& c_;
  Tables tables_;
  std::vector<Waiting>& waiting_ = tables_.waiting;
  uint32_t waiting_start_ = 0;  // the address of waiting_'s first instruction
  uint32_t waiting_bytes_ = 0;
  int open_fixups_ = 0;
  std::vector<LabelState>& labels_ = tables_.labels;
  std::vector<Fixup>& fixups_ = tables_.fixups;
  std::string prefix_;  // "e1: " for the next instruction
  bool prefix_pending_ = false;
};

}  // namespace tarn
