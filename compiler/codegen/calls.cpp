// Routine, call and console templates.
//
// Re-entry. Every variable, parameter and temporary of a routine has one
// static data item, so a call that starts a second activation of a routine
// that is still running would overwrite the first activation's data. Such a
// call is a call of the current routine itself or of a routine whose code
// encloses it. Around it the caller saves every byte of the data of each
// routine from the current one out to the callee (the callee's nested
// routines that lie on the way can be re-entered too): 4-byte items with
// push/pop, longer ones (strings, text files, arrays, records) copied as
// blocks. The save is opened by the call's first actual, before that
// actual's address is pushed, or by the call record itself when the call has
// no actuals; it is closed by CALL / CALL_FUN after the stack adjustment,
// restoring in reverse, except the call's own result temporary, which holds
// the value just returned (its saved copy is dropped).
//
// While a save is open, an actual that is a named variable of a saved
// routine is passed as the address of its saved copy on the stack, not of
// its static item: the callee's GET_PAR of an earlier formal may overwrite
// the static item before a later GET_PAR reads it (p(b, a) inside p(a, b)),
// and a `var` formal's changes must survive the restore, which copies the
// saved bytes back.
//
// `var` formals. GET_P_PAR stores the actual's address in the formal's data
// item and marks the formal as a reference (`tag5`); from then on every
// template reaches the value through that address (operands.h). An actual
// that is itself a reference passes on the address it holds.
#include "codegen/calls.h"

#include <algorithm>
#include <string>
#include <vector>

#include "codegen/code_gen.h"
#include "codegen/generator.h"
#include "codegen/operands.h"
#include "codegen/template_builder.h"
#include "common/text.h"
#include "image/image.h"
#include "tables/symbol_fields.h"
#include "tables/types.h"

namespace tarn {

namespace {

int current_routine(const CodeGen& c) { return c.tmpl.routines.empty() ? 0 : c.tmpl.routines.back(); }

// The routines from the current one outwards to `callee` when the callee's
// code encloses (or is) the current routine's; empty otherwise.
std::vector<int> reentered_routines(const CodeGen& c, int callee) {
  std::vector<int> chain;
  int r = current_routine(c);
  while (r > 0 && chain.size() < c.tmpl.enclosing.size() + 1) {
    chain.push_back(r);
    if (r == callee) return chain;
    auto it = c.tmpl.enclosing.find(r);
    r = it == c.tmpl.enclosing.end() ? 0 : it->second;
  }
  return {};
}

// Bytes of symbol i's own data item, as the data step placed them; 0 for
// entries without one and for read-only ones (constants, literals, labels).
uint32_t data_item_size(const CodeGen& c, int i) {
  const TSymbolbableRecord& s = symbol_entry(c, i);
  if (s.location != i) return 0;
  switch (s.symbolclass) {
    case SymbolClass::kVariable:
    case SymbolClass::kLocal:
      if (!is_reference(s) && is_read_only(s)) return 0;  // named constant
      break;
    case SymbolClass::kArray:
    case SymbolClass::kRecord:
    case SymbolClass::kPointer: break;
    default: return 0;
  }
  if (is_reference(s)) return 4;  // a reference: only the address is live
  const std::vector<uint32_t>& bytes = c.gen.item_bytes;
  return static_cast<size_t>(i) < bytes.size() ? bytes[static_cast<size_t>(i)] : 0;
}

void save_item(CodeGen& c, const SavedItem& it) {
  const std::string& name = name_of(c, it.symbol);
  TemplateBuilder t(c);
  if (it.size == 4) {
    t.op("push " + name, "ff35", addr(c, it.symbol));
    return;
  }
  t.op("sub esp, " + std::to_string(it.slot), "81ec", HexText(it.slot, 8));
  t.op("mov esi, offset " + name, "be", addr(c, it.symbol));
  t.op("mov edi, esp", "89e7");
  t.mov_imm("ecx", static_cast<int32_t>(it.size));
  t.op("rep movsb", "f3a4");
}

void drop_stack(CodeGen& c, uint32_t bytes) {
  if (bytes == 0) return;
  if (bytes <= 127)
    emit(c, "add esp, " + HexText(bytes, 2), "83c4" + HexText(bytes, 2));
  else
    emit(c, "add esp, " + HexText(bytes, 8), "81c4", HexText(bytes, 8));
}

void restore_item(CodeGen& c, const SavedItem& it, int result) {
  const std::string& name = name_of(c, it.symbol);
  if (it.symbol == result) {
    drop_stack(c, it.slot);
  } else if (it.size == 4) {
    emit(c, "pop " + name, "8f05", addr(c, it.symbol));
  } else {
    TemplateBuilder t(c);
    t.op("mov esi, esp", "89e6");
    t.op("mov edi, offset " + name, "bf", addr(c, it.symbol));
    t.mov_imm("ecx", static_cast<int32_t>(it.size));
    t.op("rep movsb", "f3a4");
    drop_stack(c, it.slot);
  }
}

// Opens a call: saves the data of every routine the call may re-enter.
void begin_call(CodeGen& c, int callee) {
  PendingCall call;
  call.callee = callee;
  for (int routine : reentered_routines(c, callee)) {
    for (int i = 1; i <= symbol_count(c); ++i) {
      if (symbol_entry(c, i).procname != routine) continue;
      const uint32_t size = data_item_size(c, i);
      if (size == 0) continue;
      call.saved.push_back(SavedItem{i, size, (size + 3) / 4 * 4, 0});
    }
  }
  uint32_t below = 0;  // the last item pushed lies at esp
  for (auto it = call.saved.rbegin(); it != call.saved.rend(); ++it) {
    it->offset = below;
    below += it->slot;
  }
  for (const SavedItem& it : call.saved) save_item(c, it);
  c.tmpl.pending.push_back(std::move(call));
}

// Closes the innermost call: restores in reverse what begin_call saved.
void end_call(CodeGen& c, int result) {
  if (c.tmpl.pending.empty()) return;
  PendingCall call = std::move(c.tmpl.pending.back());
  c.tmpl.pending.pop_back();
  for (auto it = call.saved.rbegin(); it != call.saved.rend(); ++it) restore_item(c, *it, result);
}

// The saved copy of actual `r` for the k-th actual of `callee`, or nullptr.
// Temporaries are passed by their static item: those of later actuals are
// computed after the save, so only their static item is current.
const SavedItem* saved_copy(const CodeGen& c, int callee, int r) {
  if (c.tmpl.pending.empty() || c.tmpl.pending.back().callee != callee) return nullptr;
  if (symbol_entry(c, r).symbolclass == SymbolClass::kVariable) return nullptr;
  for (const SavedItem& it : c.tmpl.pending.back().saved)
    if (it.symbol == r) return &it;
  return nullptr;
}

// eax := the address of r's saved copy, k - 1 actuals having been pushed since the save.
void lea_saved_copy(TemplateBuilder& t, const SavedItem& it, int k, int r) {
  const int64_t disp = 4LL * (k > 0 ? k - 1 : 0) + it.offset;
  t.op("lea eax, [esp+" + std::to_string(disp) + "] ; " + name_of(t.code(), r), "8d8424", HexText(disp, 8));
}

// The offset from esp, at a routine's entry, of the address of its k-th actual.
int parameter_offset(const CodeGen& c, int k, int routine) {
  const TSymbolbableRecord& s = symbol_entry(c, routine);
  const int n = formal_count(s);
  return (n - k - (s.symbolclass == SymbolClass::kProcedure ? 1 : 0)) * 4 + 8;
}

// The copy loop of a string value from esi to edi, with its terminator.
void copy_string_loop(CodeGen& c) {
  TemplateBuilder t(c);
  const TemplateLabel e1 = t.label("e1"), e2 = t.label("e2");
  t.op("xor edx, edx", "31d2");
  t.bind(e1);
  t.op(Asm("cmp byte ptr[esi+edx], 0").listed_as("cmp byte ptr[esi]+dx, 0"), "803c3200");
  t.jump("jz", e2);
  t.op(Asm("mov al, byte ptr[esi+edx]").listed_as("mov al, byte ptr[esi]+dx"), "8a0432");
  t.op(Asm("mov byte ptr[edi+edx], al").listed_as("mov byte ptr[edi]+dx, al"), "88043a");
  t.op("inc edx", "42");
  t.jump("jmp", e1);
  t.bind(e2);
  t.op(Asm("mov byte ptr[edi+edx], 0").listed_as("mov byte ptr[edi]+dx, 0"), "c6043a00");
  t.finish();
}

// A width or decimals operand: a literal's text, or a named constant's value.
int format_value(const CodeGen& c, int n) {
  const TSymbolbableRecord& s = symbol_entry(c, n);
  int64_t v = 0;
  if (parse_int64(trim(s.name), v)) return static_cast<int>(v);
  return constant_value(s);
}

std::string skip_label(int routine) { return "_skip" + std::to_string(routine); }

// "mov ebx, @name" / "call ebx". A user routine is called at the entry its
// WD_PROC / WD_FUN recorded: looked up by name, a routine called like a
// run-time variable ("count") would find the variable, which comes first.
void call_callee(CodeGen& c, int callee) {
  const std::string& name = name_of(c, callee);
  auto it = c.tmpl.entry.find(callee);
  if (it == c.tmpl.entry.end()) {
    call_routine(c, name, "mov ebx, @" + name, "call ebx");
    return;
  }
  emit(c, "mov ebx, @" + name, "bb", HexText(it->second, 8));
  emit(c, "call ebx", "ffd3");
}

}  // namespace

void emit_routine_start(CodeGen& c, int a, int, int) {
  const int outer = current_routine(c);
  if (outer != 0) {
    // A routine declared inside another one is emitted in the middle of the
    // outer routine's code: the outer code jumps over it.
    add_patch_label(c, skip_label(a));
    emit(c, "jmp " + skip_label(a), "e9", "00000000");
  }
  listing_line(c, "procedure " + name_of(c, a));
  AddVariable(c, name_of(c, a), current_address(c.image));
  c.tmpl.entry[a] = current_address(c.image);
  c.tmpl.enclosing[a] = outer;
  c.tmpl.routines.push_back(a);
}

void emit_routine_end(CodeGen& c, int, int, int) {
  listing_line(c, "ret");
  emit(c, "ret", "c3");
  if (c.tmpl.routines.empty()) return;
  const int routine = c.tmpl.routines.back();
  c.tmpl.routines.pop_back();
  if (c.tmpl.enclosing[routine] != 0) patch_label(c, skip_label(routine), 5, "e9", "jmp " + skip_label(routine));
}

namespace {

// eax holds the address a reference actual passes on. When a save is open
// for this call and the address is that of a saved named variable (a routine
// nested in P passing on P's own variable to P), the saved copy is passed
// instead, for the same reasons as for a named actual.
void redirect_saved_address(CodeGen& c, int callee, int k) {
  if (c.tmpl.pending.empty() || c.tmpl.pending.back().callee != callee) return;
  TemplateBuilder t(c);
  for (const SavedItem& it : c.tmpl.pending.back().saved) {
    const TSymbolbableRecord& s = symbol_entry(c, it.symbol);
    if (s.symbolclass == SymbolClass::kVariable || is_reference(s)) continue;
    const TemplateLabel other = t.label("other");
    t.op("cmp eax, offset " + s.name, "3d", addr(c, it.symbol));
    t.jump("jne", other, "jne +7");
    lea_saved_copy(t, it, k, it.symbol);
    t.bind_unlisted(other);
  }
  t.finish();
}

bool saves_named_items(const CodeGen& c, int callee) {
  if (c.tmpl.pending.empty() || c.tmpl.pending.back().callee != callee) return false;
  for (const SavedItem& it : c.tmpl.pending.back().saved) {
    const TSymbolbableRecord& s = symbol_entry(c, it.symbol);
    if (s.symbolclass != SymbolClass::kVariable && !is_reference(s)) return true;
  }
  return false;
}

}  // namespace

void emit_par_call(CodeGen& c, int a, int b, int r) {
  if (a == 1) begin_call(c, b);
  if (is_reference(c, r) && saves_named_items(c, b)) {
    emit_at(c, "mov eax, " + name_of(c, r), "a1", addr_value(c, r));
    redirect_saved_address(c, b, a);
    emit(c, "push eax", "50");
  } else if (is_reference(c, r)) {
    emit_at(c, "push " + name_of(c, r), "ff35", addr_value(c, r));  // the address it holds
  } else if (const SavedItem* it = saved_copy(c, b, r)) {
    TemplateBuilder t(c);
    lea_saved_copy(t, *it, a, r);
    t.op("push eax", "50");
  } else {
    emit_at(c, "PUSH offset" + name_of(c, r), "68", addr_value(c, r));
  }
}

void emit_p_par_call(CodeGen& c, int a, int b, int r) {
  // A pointer that is itself a `var` formal passes on the address it holds.
  if (is_reference(c, r)) {
    emit_p_p_par_call(c, a, b, r);
    return;
  }
  if (a == 1) begin_call(c, b);
  TemplateBuilder t(c);
  if (const SavedItem* it = saved_copy(c, b, r))
    lea_saved_copy(t, *it, a, r);
  else
    t.op_at("mov eax, offset " + name_of(c, r), "b8", addr_value(c, r));
  t.op("push eax", "50");
}

void emit_p_p_par_call(CodeGen& c, int a, int b, int r) {
  if (a == 1) begin_call(c, b);
  TemplateBuilder t(c);
  t.op_at("mov eax, offset " + name_of(c, r), "b8", addr_value(c, r));
  t.op(Asm("mov eax, [eax]").listed_as("mov eax, offset " + name_of(c, r)), "8b00");  // the address it holds
  redirect_saved_address(c, b, a);
  t.op("push eax", "50");
}

void emit_get_par(CodeGen& c, int a, int b, int r) {
  // A record formal (or an array of records) comes here even when declared
  // with `var`: the copy below takes the caller's descriptor, the address of
  // its storage, so the formal reaches the caller's record directly and is
  // no reference any more.
  const SymbolClass cls = symbol_entry(c, r).symbolclass;
  if (cls == SymbolClass::kRecord || cls == SymbolClass::kArray) set_reference(symbol_entry(c, r), false);
  const std::string o = HexText(parameter_offset(c, a, b), 2);
  TemplateBuilder t(c);
  t.op(Asm("mov esi, [esp+" + o + "h]").listed_as("mov esi, esp+ " + o), "8b7424" + o);
  t.op_at(Asm("mov edi, offset " + name_of(c, r)).listed_as("mov edi," + name_of(c, r)), "bf", addr_value(c, r));
  if (type_of(c, r) == TypeNumber::kString) {
    copy_string_loop(c);
  } else {
    t.op("mov eax, [esi]", "8b06");
    t.op("mov [edi], eax", "8907");
  }
}

void emit_get_p_par(CodeGen& c, int a, int b, int r) {
  const std::string o = HexText(parameter_offset(c, a, b), 2);
  TemplateBuilder t(c);
  t.op(Asm("mov ebx, [esp+" + o + "h]").listed_as("mov ebx, esp+ " + o), "8b5c24" + o);
  t.op_at("mov " + name_of(c, r) + ", ebx", "891d", addr_value(c, r));
  set_reference(symbol_entry(c, r), true);
}

void emit_call(CodeGen& c, int a, int b, int) {
  if (b == 0) begin_call(c, a);
  call_callee(c, a);
  drop_stack(c, 4u * static_cast<uint32_t>(b));
  end_call(c, 0);
}

void emit_call_fun(CodeGen& c, int a, int b, int r) {
  if (b == 0) begin_call(c, a);
  if (to_lower_ascii(name_of(c, a)) == "readstring") {
    // readstring removes its three arguments itself: the file, the capacity
    // address and the buffer address.
    const int cap = capacity(symbol_entry(c, r));
    const std::string maxlen = AddressOf(c, "_strmaxlen");
    emit(c, "mov _strmaxlen, " + std::to_string(cap), "66c705", HexText(cap, 4) + maxlen);
    emit(c, "push offset _strmaxlen", "68", maxlen);
    emit_at(c, "push offset " + name_of(c, r), "68", addr_value(c, r));
    call_routine(c, name_of(c, a), "mov ebx, @" + name_of(c, a), "call ebx");
  } else {
    emit_at(c, "push offset " + name_of(c, r), "68", addr_value(c, r));
    call_callee(c, a);
    drop_stack(c, 4u * static_cast<uint32_t>(b + 1));
  }
  end_call(c, r);
}

void emit_return(CodeGen& c, int, int b, int) {
  if (!is_string_type(type_of(c, b))) {
    TemplateBuilder t(c);
    t.op(Asm("mov ebx, [esp+4]").listed_as("mov ebx, esp+4"), "8b5c2404");  // the result's address
    load_eax(c, b, "mov eax, " + name_of(c, b));
    t.op("mov [ebx], eax, ", "8903");
    t.op("ret", "c3");
    return;
  }
  TemplateBuilder t(c);
  t.op(Asm("mov edi, [esp+4]").listed_as("mov edi, esp+4"), "8b7c2404");  // the result's address
  mov_esi_offset(c, b, "mov esi," + name_of(c, b));
  copy_string_loop(c);
  // return leaves the function for strings too, like every other result type.
  t.op("ret", "c3");
}

namespace {

// The pushes and the call of a write, as push_small, push_offset and
// call_routine emit them, into a run.
//
// The output routines take the width and decimals from the low byte of the
// pushed value and cut a field that does not fit their buffer; a literal of
// 256 or more would otherwise come out as its remainder (300 as 44), so it
// is pushed as 255 and cut to fit like any other wide field.
void push_format(InstructionRun& run, const CodeGen& c, int n, std::string_view zero_text) {
  if (n == 0) {
    run.op(zero_text, {0x6a, 0x00});
    return;
  }
  const int value = std::min(format_value(c, n), 255);
  const std::string text = "push " + name_of(c, n);
  if (value >= 0 && value <= 127) run.op(text, {0x6a, static_cast<uint8_t>(value)});
  else run.op_at(text, {0x68}, static_cast<uint32_t>(value));
}

void push_offset(InstructionRun& run, const CodeGen& c, int n, std::string_view text) {
  if (is_reference(c, n)) run.op_at(text, {0xff, 0x35}, addr_value(c, n));
  else run.op_at(text, {0x68}, addr_value(c, n));
}

void call_routine(InstructionRun& run, const CodeGen& c, std::string_view routine, std::string_view mov_text,
                  std::string_view call_text) {
  run.op_at(mov_text, {0xbb}, required_address(c, routine));
  run.op(call_text, {0xff, 0xd3});
}

}  // namespace

void emit_write(CodeGen& c, int a, int b, int r) {
  const TypeNumber t = type_of(c, r);
  const std::string& name = name_of(c, r);
  // Literals are written like variables: they have data items of their own.
  if (t == TypeNumber::kPointer) {
    listing_line(c, "write(" + name + ")");
    TemplateBuilder t(c);
    t.op("push 0", "6a00");
    t.op_at(Asm("mov edi, " + name).listed_as("mov edi, " + std::to_string(r)), "8b3d", addr_value(c, r));
    if (is_reference(c, r)) t.op("mov edi, [edi]", "8b3f");
    t.op("push edi", "57");
    call_routine(c, "_int2hst", "mov ebx, _int2hst", Asm("call ebx").listed_as("call [ebx]"));
    return;
  }
  if (!is_integer_type(t) && !is_float_type(t) && !is_string_type(t)) generator_fault("cannot write '" + name + "'");
  // One run: this is written for every write of a program. What came
  // before a fault is written as the plain emits would have left it.
  InstructionRun run(c);
  try {
    if (is_integer_type(t)) {
      run.line({"write(", name, ")"});
      push_format(run, c, a, "push 0");
      push_offset(run, c, r, "push @" + name);
      call_routine(run, c, "_int2st", "mov ebx, _int2st", "call [ebx]");
    } else if (is_float_type(t)) {
      run.line({"WRITE(", name, ")"});
      push_format(run, c, b, "push ");
      push_format(run, c, a, "push ");
      push_offset(run, c, r, "push " + name);
      call_routine(run, c, "_si2st", "mov ebx, offset _si2st ", "call [ebx]");
    } else {
      run.line({"WRITE('", name, "')"});
      push_format(run, c, a, "push 0");
      push_offset(run, c, r, "push @" + std::to_string(r));
      call_routine(run, c, "_wrstf", "mov ebx, _wrstf", "call [ebx]");
    }
  } catch (...) {
    run.commit();
    throw;
  }
  run.commit();
}

void emit_writeln(CodeGen& c, int, int, int) {
  // The texts are made once: this runs for every writeln of a program.
  static const Asm kMov("mov ebx, @writeln"), kCall("call ebx");
  listing_line(c, "WRITELN");
  call_routine(c, "writeln", kMov, kCall);
}

void emit_readln(CodeGen& c, int a, int, int) {
  const TSymbolbableRecord& v = symbol_entry(c, a);
  listing_line(c, "readln " + v.name);
  int count = 2;
  if (v.symboltype == TypeNumber::kString && is_reference(v)) {
    // A `var` string formal says 128, but the caller's buffer may be shorter:
    // its capacity is where the 0 byte followed by the sentinel 9 stands.
    TemplateBuilder t(c);
    const TemplateLabel c1 = t.label("c1"), c2 = t.label("c2"), c3 = t.label("c3");
    t.op_at("mov edi, " + v.name, "8b3d", addr_value(c, a));
    t.op("xor ecx, ecx", "31c9");
    t.bind(c1);
    t.op("cmp byte ptr[edi+ecx], $0", "803c0f00");
    t.jump("jnz", c2);
    t.op("cmp byte ptr[edi+ecx+1], $9", "807c0f0109");
    t.jump("je", c3);
    t.bind(c2);
    t.op("inc ecx", "41");
    t.op("cmp ecx, " + std::to_string(capacity(v)), "81f9", HexText(capacity(v), 8));
    t.jump("jb", c1);
    t.bind(c3);
    t.op("push ecx", "51");
    t.finish();
    count = 3;
  } else if (v.symboltype == TypeNumber::kString) {
    push_small(c, capacity(v), "push " + std::to_string(capacity(v)));
    count = 3;
  }
  push_small(c, static_cast<int>(v.symboltype), "push " + std::to_string(static_cast<int>(v.symboltype)));
  push_offset(c, a, "push offset " + v.name);
  call_routine(c, "readln", "mov ebx, @readln", "call ebx");
  drop_stack(c, 4u * static_cast<uint32_t>(count));
}

void emit_readln0(CodeGen& c, int, int, int) {
  // One line is consumed, however standard input arrives: the readln routine
  // reads up to the line feed, and type code 0 makes it store nothing. (A
  // single ReadFile of 128 bytes would swallow several lines of a pipe.)
  listing_line(c, "readln");
  emit(c, "push 0", "6a00");
  emit(c, "push 0", "6a00");
  emit(c, "push 0", "6a00");
  call_routine(c, "readln", "mov ebx, @readln", "call ebx");
  drop_stack(c, 12);
}

}  // namespace tarn
