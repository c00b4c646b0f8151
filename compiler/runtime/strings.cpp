// String routines behind pos, upcase, lowcase, substr and the comparison of
// strings. Strings are 0-terminated, Russian letters in code page 866; the
// case routines know its letter ranges, Ё and ё included. A result goes to a
// temporary of 128 characters, so no routine writes more than that.
#include <charconv>
#include <string>
#include <string_view>

#include "common/hex.h"
#include "runtime/library.h"

namespace tarn {

namespace {

// One letter range of a case conversion: bytes first..last get `delta` added.
struct CaseRange {
  uint8_t first, last;
  int delta;
};

// An instruction on al with an 8-bit immediate: `text` then the number in
// decimal, the opcode byte then the number's byte.
void op_al(RoutineBuilder& r, std::string_view text, int n, uint8_t opcode) {
  char shown[24];
  text.copy(shown, text.size());
  const auto end = std::to_chars(shown + text.size(), shown + sizeof shown, n).ptr;
  const auto b = static_cast<uint8_t>(n);
  char hex[4];
  put_hex_byte(put_hex_byte(hex, opcode), b);
  r.op(std::string_view(shown, static_cast<size_t>(end - shown)), std::string_view(hex, 4));
}

// Copies [esp+8] to [esp+4] byte by byte, forward (so source and destination
// may be the same string), converting the bytes of the four ranges. At most
// 128 characters are written, the capacity of the result temporary, then
// the terminator.
void emit_case_copy(RoutineBuilder& r, const CaseRange (&ranges)[4]) {
  static constexpr std::string_view kOutside[4] = {"outside1", "outside2", "outside3", "outside4"};
  LocalLabel next = r.label("next");
  LocalLabel store = r.label("store");
  LocalLabel done = r.label("done");
  r.op("mov edi, [esp+4]", "8b7c2404");
  r.op("mov esi, [esp+8]", "8b742408");
  r.op("mov ecx, 128", "b9", kMaxStringCapacity);
  r.bind(next);
  r.op("mov al, [esi]", "8a06");
  r.op("inc esi", "46");
  for (int i = 0; i < 4; ++i) {
    const CaseRange& range = ranges[i];
    LocalLabel outside = r.label(kOutside[i]);
    op_al(r, "cmp al, ", range.first, 0x3c);
    r.jump("jb", outside);
    op_al(r, "cmp al, ", range.last, 0x3c);
    r.jump("ja", outside);
    if (range.delta > 0) op_al(r, "add al, ", range.delta, 0x04);
    else op_al(r, "sub al, ", -range.delta, 0x2c);
    r.jump("jmp", store);
    r.bind(outside);
  }
  r.bind(store);
  r.op("mov [edi], al", "8807");
  r.op("inc edi", "47");
  r.op("test al, al", "84c0");
  r.jump("jz", done);
  r.op("dec ecx", "49");
  r.jump("jnz", next);
  r.op("mov byte ptr [edi], 0", "c60700");
  r.bind(done);
  r.op("ret", "c3");
}

}  // namespace

// upcase(destination, source): a-z, а-п, р-я and ё to upper case. Plain ret.
void emit_upcase(RoutineBuilder& r, LibraryState&) {
  const CaseRange ranges[4] = {{0x61, 0x7a, -0x20}, {0xa0, 0xaf, -0x20}, {0xe0, 0xef, -0x50}, {0xf1, 0xf1, -1}};
  emit_case_copy(r, ranges);
}

// lowcase(destination, source): A-Z, А-П, Р-Я and Ё to lower case. Plain ret.
void emit_lowcase(RoutineBuilder& r, LibraryState&) {
  const CaseRange ranges[4] = {{0x41, 0x5a, 0x20}, {0x80, 0x8f, 0x20}, {0x90, 0x9f, 0x50}, {0xf0, 0xf0, 1}};
  emit_case_copy(r, ranges);
}

// pos(address of the result, text, pattern): the 1-based position of the
// first occurrence of the pattern in the text, 0 when there is none; an empty
// pattern gives the text's length + 1. Plain ret.
void emit_pos(RoutineBuilder& r, LibraryState&) {
  LocalLabel try_position = r.label("try_position");
  LocalLabel found = r.label("found");
  LocalLabel empty_pattern = r.label("empty_pattern");
  LocalLabel store = r.label("store");

  r.op("push [esp+8]", "ff742408");
  r.call_import("lstrlenA");
  r.op("mov [_len1], eax", "a3", r.at("_len1"));
  r.op("push [esp+12]", "ff74240c");
  r.call_import("lstrlenA");
  r.op("mov [_len2], eax", "a3", r.at("_len2"));
  r.op("mov ecx, [_len1]", "8b0d", r.at("_len1"));
  r.op("sub ecx, eax", "29c1");
  r.op("inc ecx", "41");
  r.op("mov [_lastPos], ecx", "890d", r.at("_lastPos"));
  r.op("xor ebx, ebx", "31db");  // the result
  r.op("test eax, eax", "85c0");
  r.jump("jz", empty_pattern);
  r.op("mov edx, 1", "ba", 1);  // k, the position tried
  r.bind(try_position);
  r.op("cmp edx, [_lastPos]", "3b15", r.at("_lastPos"));
  r.jump("jg", store);
  r.op("mov esi, [esp+8]", "8b742408");
  r.op("lea esi, [esi+edx-1]", "8d7416ff");
  r.op("mov edi, [esp+12]", "8b7c240c");
  r.op("mov ecx, [_len2]", "8b0d", r.at("_len2"));
  r.op("repe cmpsb", "f3a6");
  r.jump("je", found);
  r.op("inc edx", "42");
  r.jump("jmp", try_position);
  r.bind(empty_pattern);
  r.op("mov edx, [_lastPos]", "8b15", r.at("_lastPos"));
  r.bind(found);
  r.op("mov ebx, edx", "89d3");
  r.bind(store);
  r.op("mov eax, [esp+4]", "8b442404");
  r.op("mov [eax], ebx", "8918");
  r.op("ret", "c3");
}

// substr(destination, address of the count, address of the start, source):
// at most `count` characters from the 1-based start (a negative count takes
// the rest); empty when the start lies outside 1..length. At most 128
// characters are written. Plain ret.
void emit_substr(RoutineBuilder& r, LibraryState&) {
  LocalLabel walk = r.label("walk");
  LocalLabel copy = r.label("copy");
  LocalLabel terminate = r.label("terminate");

  r.op("mov edi, [esp+4]", "8b7c2404");
  r.op("mov esi, [esp+16]", "8b742410");
  r.op("mov eax, [esp+12]", "8b44240c");
  r.op("mov ecx, [eax]", "8b08");  // the start
  r.op("mov eax, [esp+8]", "8b442408");
  r.op("mov edx, [eax]", "8b10");  // the count
  r.op("test ecx, ecx", "85c9");
  r.jump("jle", terminate);
  r.bind(walk);  // the first `start` characters must all be there
  r.op("cmp byte ptr [esi], 0", "803e00");
  r.jump("je", terminate);
  r.op("inc esi", "46");
  r.op("dec ecx", "49");
  r.jump("jnz", walk);
  r.op("dec esi", "4e");
  r.op("mov ecx, 128", "b9", kMaxStringCapacity);
  r.bind(copy);
  r.op("test edx, edx", "85d2");
  r.jump("jz", terminate);
  r.op("mov al, [esi]", "8a06");
  r.op("test al, al", "84c0");
  r.jump("jz", terminate);
  r.op("mov [edi], al", "8807");
  r.op("inc esi", "46");
  r.op("inc edi", "47");
  r.op("dec ecx", "49");
  r.jump("jz", terminate);
  r.op("dec edx", "4a");
  r.jump("jmp", copy);
  r.bind(terminate);
  r.op("mov byte ptr [edi], 0", "c60700");
  r.op("ret", "c3");
}

// strcmp(a, b): eax = -1, 0 or 1 as a orders before, equal to or after b,
// bytes compared unsigned. edx is kept. ret 8.
void emit_strcmp(RoutineBuilder& r, LibraryState&) {
  LocalLabel next = r.label("next");
  LocalLabel a_ended = r.label("a_ended");
  LocalLabel less = r.label("less");
  LocalLabel greater = r.label("greater");
  LocalLabel done = r.label("done");

  r.op("push esi", "56");
  r.op("push edi", "57");
  r.op("mov esi, [esp+12]", "8b74240c");
  r.op("mov edi, [esp+16]", "8b7c2410");
  r.bind(next);
  r.op("mov al, [esi]", "8a06");
  r.op("mov ah, [edi]", "8a27");
  r.op("test al, al", "84c0");
  r.jump("jz", a_ended);
  r.op("test ah, ah", "84e4");
  r.jump("jz", greater);
  r.op("cmp al, ah", "38e0");
  r.jump("ja", greater);
  r.jump("jb", less);
  r.op("inc esi", "46");
  r.op("inc edi", "47");
  r.jump("jmp", next);
  r.bind(a_ended);
  r.op("test ah, ah", "84e4");
  r.jump("jnz", less);
  r.op("xor eax, eax", "31c0");
  r.jump("jmp", done);
  r.bind(less);
  r.op("or eax, -1", "83c8ff");
  r.jump("jmp", done);
  r.bind(greater);
  r.op("mov eax, 1", "b8", 1);
  r.bind(done);
  r.op("pop edi", "5f");
  r.op("pop esi", "5e");
  r.op("ret 8", "c20800");
}

}  // namespace tarn
