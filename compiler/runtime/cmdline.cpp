// The command line and the console window. Words of the command line are
// separated by spaces only (quotes and tabs mean nothing); word 0 is the
// program name as typed. Copies into strings stop after 128 characters, the
// largest capacity a string of the language has. The console routines act on
// the standard output handle and do nothing when it is not a console.
#include "runtime/library.h"

#include <string>

namespace tarn {

namespace {

// Copies from esi to edi up to (not including) a 0 byte, or a space when
// `stop_at_space`, at most 128 characters, then stores a 0 byte.
void emit_copy_word(RoutineBuilder& r, bool stop_at_space) {
  LocalLabel copy = r.label("copy");
  LocalLabel copied = r.label("copied");
  r.op("mov ecx, 128", "b9", kMaxStringCapacity);
  r.bind(copy);
  r.op("mov al, [esi]", "8a06");
  r.op("test al, al", "84c0");
  r.jump("jz", copied);
  if (stop_at_space) {
    r.op("cmp al, ' '", "3c20");
    r.jump("je", copied);
  }
  r.op("mov [edi], al", "8807");
  r.op("inc esi", "46");
  r.op("inc edi", "47");
  r.op("dec ecx", "49");
  r.jump("jnz", copy);
  r.bind(copied);
  r.op("mov byte ptr [edi], 0", "c60700");
}

void emit_output_handle(RoutineBuilder& r) {
  r.op("push -11", "6af5");
  r.call_import("GetStdHandle");
  r.op("mov [_hHandle], eax", "a3", r.at("_hHandle"));
}

// SetConsoleCursorInfo with size 20 and the visibility given.
void emit_cursor_info(RoutineBuilder& r, uint32_t visible) {
  emit_output_handle(r);
  r.op("mov dword ptr [_ci], 20", "c705", r.at("_ci"), "14000000");
  r.op("mov dword ptr [_ci+4], " + std::to_string(visible), "c705", r.at("_ci", 4),
       visible == 0 ? "00000000" : "10000000");
  r.op("push offset _ci", "68", r.at("_ci"));
  r.op("push [_hHandle]", "ff35", r.at("_hHandle"));
  r.call_import("SetConsoleCursorInfo");
  r.op("ret", "c3");
}

}  // namespace

// getcommandline(destination): the whole command line. Plain ret.
void emit_getcommandline(RoutineBuilder& r, LibraryState&) {
  r.call_import("GetCommandLineA");
  r.op("mov esi, eax", "89c6");
  r.op("mov edi, [esp+4]", "8b7c2404");
  emit_copy_word(r, false);
  r.op("ret", "c3");
}

// paramcount(address of the result): the number of words, the program name
// included. Plain ret.
void emit_paramcount(RoutineBuilder& r, LibraryState&) {
  LocalLabel blank = r.label("blank");
  LocalLabel in_word = r.label("in_word");
  LocalLabel done = r.label("done");
  r.call_import("GetCommandLineA");
  r.op("mov esi, eax", "89c6");
  r.op("xor ecx, ecx", "31c9");
  r.bind(blank);
  r.op("mov al, [esi]", "8a06");
  r.op("inc esi", "46");
  r.op("cmp al, ' '", "3c20");
  r.jump("je", blank);
  r.op("test al, al", "84c0");
  r.jump("jz", done);
  r.op("inc ecx", "41");
  r.bind(in_word);
  r.op("mov al, [esi]", "8a06");
  r.op("test al, al", "84c0");
  r.jump("jz", done);
  r.op("inc esi", "46");
  r.op("cmp al, ' '", "3c20");
  r.jump("jne", in_word);
  r.jump("jmp", blank);
  r.bind(done);
  r.op("mov edx, [esp+4]", "8b542404");
  r.op("mov [edx], ecx", "890a");
  r.op("ret", "c3");
}

// paramstr(destination, address of the index): word number index (0 the
// program name), empty when there are fewer words. Plain ret.
void emit_paramstr(RoutineBuilder& r, LibraryState&) {
  LocalLabel blank = r.label("blank");
  LocalLabel word_start = r.label("word_start");
  LocalLabel skip_word = r.label("skip_word");
  LocalLabel empty = r.label("empty");
  LocalLabel found = r.label("found");
  r.call_import("GetCommandLineA");
  r.op("mov esi, eax", "89c6");
  r.op("mov edi, [esp+4]", "8b7c2404");
  r.op("mov edx, [esp+8]", "8b542408");
  r.op("mov edx, [edx]", "8b12");
  r.bind(blank);
  r.op("cmp byte ptr [esi], ' '", "803e20");
  r.jump("jne", word_start);
  r.op("inc esi", "46");
  r.jump("jmp", blank);
  r.bind(word_start);
  r.op("cmp byte ptr [esi], 0", "803e00");
  r.jump("je", empty);
  r.op("test edx, edx", "85d2");
  r.jump("jz", found);
  r.op("dec edx", "4a");
  r.bind(skip_word);
  r.op("inc esi", "46");
  r.op("mov al, [esi]", "8a06");
  r.op("test al, al", "84c0");
  r.jump("jz", empty);
  r.op("cmp al, ' '", "3c20");
  r.jump("jne", skip_word);
  r.jump("jmp", blank);
  r.bind(empty);
  r.op("mov byte ptr [edi], 0", "c60700");
  r.op("ret", "c3");
  r.bind(found);
  emit_copy_word(r, true);
  r.op("ret", "c3");
}

// ClrScr: every cell of the screen buffer becomes a space (colours stay), the
// cursor goes to the top left. Plain ret.
void emit_clrscr(RoutineBuilder& r, LibraryState&) {
  emit_output_handle(r);
  r.op("push offset _csbi", "68", r.at("_csbi"));
  r.op("push eax", "50");
  r.call_import("GetConsoleScreenBufferInfo");
  r.op("movzx eax, word ptr [_csbi]", "0fb705", r.at("_csbi"));
  r.op("movzx ecx, word ptr [_csbi+2]", "0fb70d", r.at("_csbi", 2));
  r.op("imul eax, ecx", "0fafc1");
  r.op("push offset _nch", "68", r.at("_nch"));
  r.op("push 0", "6a00");  // cell 0,0
  r.op("push eax", "50");
  r.op("push ' '", "6a20");
  r.op("push [_hHandle]", "ff35", r.at("_hHandle"));
  r.call_import("FillConsoleOutputCharacterA");
  r.op("push 0", "6a00");
  r.op("push [_hHandle]", "ff35", r.at("_hHandle"));
  r.call_import("SetConsoleCursorPosition");
  r.op("ret", "c3");
}

// PosCursor(address of the row, address of the column): 0-based cells, read
// as 16-bit values. Plain ret.
void emit_poscursor(RoutineBuilder& r, LibraryState&) {
  emit_output_handle(r);
  r.op("mov edx, [esp+8]", "8b542408");
  r.op("mov cx, [edx]", "668b0a");
  r.op("mov [_cpos], cx", "66890d", r.at("_cpos"));
  r.op("mov edx, [esp+4]", "8b542404");
  r.op("mov cx, [edx]", "668b0a");
  r.op("mov [_cpos+2], cx", "66890d", r.at("_cpos", 2));
  r.op("push [_cpos]", "ff35", r.at("_cpos"));
  r.op("push [_hHandle]", "ff35", r.at("_hHandle"));
  r.call_import("SetConsoleCursorPosition");
  r.op("ret", "c3");
}

void emit_hidecursor(RoutineBuilder& r, LibraryState&) { emit_cursor_info(r, 0); }
void emit_showcursor(RoutineBuilder& r, LibraryState&) { emit_cursor_info(r, 16); }

}  // namespace tarn
