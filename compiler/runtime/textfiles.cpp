// Text files: open, read a line, write a line, end of file, close. A file
// variable is three dwords: the handle (-1 when closed or not opened), the
// count (1 while a look-ahead byte is held, 0 at the end of the file) and the
// look-ahead byte. Files hold code page 1251 text, strings code page 866: the
// Russian letters, Ё and ё included, are converted at this boundary, every
// other byte passes. A file that was never opened, failed to open or is
// closed (handle 0 or -1) is left alone by writestring and close.
#include "runtime/library.h"

#include <string>

#include "codegen/generator.h"

namespace tarn {

namespace {

constexpr uint32_t kGenericRead = 0x80000000;
constexpr uint32_t kGenericWrite = 0x40000000;
constexpr uint32_t kOpenExisting = 3;
constexpr uint32_t kCreateAlways = 2;
constexpr uint32_t kNormalFile = 0x80;

// eax = CreateFileA(file name at [esp+8], access, no sharing, no security,
// disposition, normal attributes, no template); the handle goes to the file
// variable, whose address ebx then holds.
void emit_open(RoutineBuilder& r, uint32_t access, uint32_t disposition) {
  r.op("push 0", "6a00");
  r.op("push 80h", "68", kNormalFile);
  r.op("push " + std::to_string(disposition), "6a" + HexText(disposition, 2));
  r.op("push 0", "6a00");
  r.op("push 0", "6a00");
  r.op(access == kGenericRead ? "push 80000000h" : "push 40000000h", "68", access);
  r.op("push [esp+32]", "ff742420");  // the name, six pushes further
  r.call_import("CreateFileA");
  r.op("mov ebx, [esp+4]", "8b5c2404");
  r.op("mov [ebx], eax", "8903");
}

// Reads the next byte of the file at ebx into its look-ahead cell; the count
// cell says whether there was one. A failed read counts as the end.
void emit_read_ahead(RoutineBuilder& r, LocalLabel done) {
  r.op("mov dword ptr [ebx+4], 1", "c74304", 1);
  r.op("mov dword ptr [ebx+8], 0", "c74308", 0);
  r.op("push 0", "6a00");
  r.op("lea eax, [ebx+4]", "8d4304");
  r.op("push eax", "50");
  r.op("push 1", "6a01");
  r.op("lea eax, [ebx+8]", "8d4308");
  r.op("push eax", "50");
  r.op("push [ebx]", "ff33");
  r.call_import("ReadFile");
  r.op("test eax, eax", "85c0");
  r.jump("jnz", done);
  r.op("mov dword ptr [ebx+4], 0", "c74304", 0);
}

}  // namespace

// reset(file, name): opens an existing file for reading and reads its first
// byte ahead. A failed open leaves the handle -1 and the file at its end, so
// eof is 1 at once. Plain ret.
void emit_reset(RoutineBuilder& r, LibraryState&) {
  LocalLabel opened = r.label("opened");
  LocalLabel done = r.label("done");
  emit_open(r, kGenericRead, kOpenExisting);
  r.op("cmp eax, -1", "83f8ff");
  r.jump("jne", opened);
  r.op("mov dword ptr [ebx+4], 0", "c74304", 0);
  r.op("mov dword ptr [ebx+8], 0", "c74308", 0);
  r.op("ret", "c3");
  r.bind(opened);
  emit_read_ahead(r, done);
  r.bind(done);
  r.op("ret", "c3");
}

// rewrite(file, name): creates the file, or empties an existing one, for
// writing. Plain ret.
void emit_rewrite(RoutineBuilder& r, LibraryState&) {
  emit_open(r, kGenericWrite, kCreateAlways);
  r.op("ret", "c3");
}

// append(file, name): opens an existing file for writing after its last byte.
// Plain ret.
void emit_append(RoutineBuilder& r, LibraryState&) {
  emit_open(r, kGenericWrite, kOpenExisting);
  r.op("push 2", "6a02");  // from the end
  r.op("push 0", "6a00");
  r.op("push 0", "6a00");
  r.op("push eax", "50");
  r.call_import("SetFilePointer");
  r.op("ret", "c3");
}

// readstring's read of one byte of the file at ebx to [edi], the count to
// [esi]; a failed read or none left goes to at_end.
void read_line_byte(RoutineBuilder& r, LocalLabel at_end) {
  r.op("push 0", "6a00");
  r.op("push esi", "56");
  r.op("push 1", "6a01");
  r.op("push edi", "57");
  r.op("push [ebx]", "ff33");
  r.call_import("ReadFile");
  r.op("test eax, eax", "85c0");
  r.jump_near("jz", at_end);
  r.op("cmp dword ptr [esi], 0", "833e00");
  r.jump_near("je", at_end);
}

// readstring(destination, address of the maximum length, file): one line, up
// to LF; CR bytes are dropped; at most the maximum number of characters are
// kept and the rest of a longer line is skipped. Then the next byte is read
// ahead, so eof tells whether another line follows. ret 12.
void emit_readstring(RoutineBuilder& r, LibraryState&) {
  LocalLabel have_byte = r.label("have_byte");
  LocalLabel need_byte = r.label("need_byte");
  LocalLabel read_byte = r.label("read_byte");
  LocalLabel upper_half = r.label("upper_half");
  LocalLabel converted = r.label("converted");
  LocalLabel capital_yo = r.label("capital_yo");
  LocalLabel small_yo = r.label("small_yo");
  LocalLabel stored = r.label("stored");
  LocalLabel line_feed = r.label("line_feed");
  LocalLabel skip_rest = r.label("skip_rest");
  LocalLabel at_end = r.label("at_end");
  LocalLabel done = r.label("done");

  r.op("mov edi, [esp+4]", "8b7c2404");  // where the next character goes
  r.op("mov esi, [esp+8]", "8b742408");  // the length cell, then the byte count
  r.op("mov ebp, [esi]", "8b2e");        // characters still allowed
  r.op("mov ebx, [esp+12]", "8b5c240c");
  r.op("mov al, [ebx+8]", "8a4308");
  r.op("test al, al", "84c0");
  r.jump("jz", need_byte);
  r.op("mov [edi], al", "8807");
  r.jump("jmp", have_byte);

  r.bind(need_byte);
  r.op("test ebp, ebp", "85ed");
  r.jump("jle", skip_rest);
  r.bind(read_byte);
  read_line_byte(r, at_end);

  // 1251 to 866: А-п C0-EF to 80-AF, р-я F0-FF to E0-EF, Ё A8 to F0, ё B8 to F1.
  r.bind(have_byte);
  r.op("mov al, [edi]", "8a07");
  r.op("cmp al, 0a8h", "3ca8");
  r.jump("je", capital_yo);
  r.op("cmp al, 0b8h", "3cb8");
  r.jump("je", small_yo);
  r.op("cmp al, 0c0h", "3cc0");
  r.jump("jb", converted);
  r.op("cmp al, 0efh", "3cef");
  r.jump("ja", upper_half);
  r.op("sub al, 40h", "2c40");
  r.jump("jmp", stored);
  r.bind(capital_yo);
  r.op("mov al, 0f0h", "b0f0");
  r.jump("jmp", stored);
  r.bind(small_yo);
  r.op("mov al, 0f1h", "b0f1");
  r.jump("jmp", stored);
  r.bind(upper_half);
  r.op("sub al, 10h", "2c10");
  r.bind(stored);
  r.op("mov [edi], al", "8807");
  r.bind(converted);
  r.op("cmp al, 0dh", "3c0d");
  r.jump("je", need_byte);  // not kept: the next byte takes its place
  r.op("cmp al, 0ah", "3c0a");
  r.jump("je", line_feed);
  r.op("inc edi", "47");
  r.op("dec ebp", "4d");
  r.jump("jmp", need_byte);

  // The line is full: read on, over the place after it, up to LF or the end.
  r.bind(skip_rest);
  read_line_byte(r, at_end);
  r.op("cmp byte ptr [edi], 0ah", "803f0a");
  r.jump("jne", skip_rest);

  r.bind(line_feed);
  r.op("mov byte ptr [edi], 0", "c60700");
  emit_read_ahead(r, done);
  r.jump("jmp", done);
  r.bind(at_end);
  r.op("mov byte ptr [edi], 0", "c60700");
  r.op("mov dword ptr [ebx+4], 0", "c74304", 0);
  r.op("mov dword ptr [ebx+8], 0", "c74308", 0);
  r.bind(done);
  r.op("ret 12", "c20c00");
}

// Jumps to `closed` when the handle of the file at ebx is 0 or -1.
void skip_closed(RoutineBuilder& r, LocalLabel closed) {
  r.op("mov eax, [ebx]", "8b03");
  r.op("test eax, eax", "85c0");
  r.jump_near("jz", closed);
  r.op("inc eax", "40");
  r.jump_near("jz", closed);
}

// WriteFile(handle of the file at ebx, buffer, length, &_nwrstr, 0).
void write_bytes(RoutineBuilder& r, const std::string& buffer_text, uint32_t buffer, const std::string& length_text,
                 std::string_view length_hex) {
  r.op("push 0", "6a00");
  r.op("push offset _nwrstr", "68", r.at("_nwrstr"));
  r.op("push " + length_text, std::string(length_hex));
  r.op("push offset " + buffer_text, "68", buffer);
  r.op("push [ebx]", "ff33");
  r.call_import("WriteFile");
}

// writestring(string, file): the string converted to 1251, then CR LF. A
// string longer than the buffer `_bwrstr` goes out in several writes, so it
// is written whole. Plain ret.
void emit_writestring(RoutineBuilder& r, LibraryState&) {
  LocalLabel chunk = r.label("chunk");
  LocalLabel copy = r.label("copy");
  LocalLabel upper_half = r.label("upper_half");
  LocalLabel capital_yo = r.label("capital_yo");
  LocalLabel small_yo = r.label("small_yo");
  LocalLabel store = r.label("store");
  LocalLabel copied = r.label("copied");
  LocalLabel closed = r.label("closed");

  r.op("mov esi, [esp+4]", "8b742404");
  r.op("mov ebx, [esp+8]", "8b5c2408");
  skip_closed(r, closed);
  r.bind(chunk);
  r.op("mov edi, offset _bwrstr", "bf", r.at("_bwrstr"));
  r.op("mov ecx, 130", "b9", kBuffText);
  r.bind(copy);
  r.op("mov al, [esi]", "8a06");
  r.op("test al, al", "84c0");
  r.jump("jz", copied);
  // 866 to 1251: 80-AF to C0-EF, E0-EF to F0-FF, Ё F0 to A8, ё F1 to B8.
  r.op("cmp al, 80h", "3c80");
  r.jump("jb", store);
  r.op("cmp al, 0afh", "3caf");
  r.jump("ja", upper_half);
  r.op("add al, 40h", "0440");
  r.jump("jmp", store);
  r.bind(upper_half);
  r.op("cmp al, 0f0h", "3cf0");
  r.jump("je", capital_yo);
  r.op("cmp al, 0f1h", "3cf1");
  r.jump("je", small_yo);
  r.op("cmp al, 0e0h", "3ce0");
  r.jump("jb", store);
  r.op("cmp al, 0efh", "3cef");
  r.jump("ja", store);
  r.op("add al, 10h", "0410");
  r.jump("jmp", store);
  r.bind(capital_yo);
  r.op("mov al, 0a8h", "b0a8");
  r.jump("jmp", store);
  r.bind(small_yo);
  r.op("mov al, 0b8h", "b0b8");
  r.bind(store);
  r.op("mov [edi], al", "8807");
  r.op("inc esi", "46");
  r.op("inc edi", "47");
  r.op("dec ecx", "49");
  r.jump("jnz", copy);
  // The buffer is full and the string goes on: out with this part.
  write_bytes(r, "_bwrstr", r.at("_bwrstr"), "130", "68" + HexText(kBuffText, 2) + "000000");
  r.jump("jmp", chunk);
  r.bind(copied);
  r.op("mov byte ptr [edi], 0", "c60700");
  r.op("sub edi, offset _bwrstr", "81ef", r.at("_bwrstr"));
  r.op("push 0", "6a00");
  r.op("push offset _nwrstr", "68", r.at("_nwrstr"));
  r.op("push edi", "57");
  r.op("push offset _bwrstr", "68", r.at("_bwrstr"));
  r.op("push [ebx]", "ff33");
  r.call_import("WriteFile");
  write_bytes(r, "str_crlf", r.at("str_crlf"), "2", "6a02");
  r.bind(closed);
  r.op("ret", "c3");
}

// eof(address of the result, file): 1 when no look-ahead byte is held.
// Plain ret.
void emit_eof(RoutineBuilder& r, LibraryState&) {
  r.op("xor eax, eax", "31c0");
  r.op("mov edx, [esp+8]", "8b542408");
  r.op("cmp dword ptr [edx+4], 0", "837a0400");
  r.op("sete al", "0f94c0");
  r.op("mov edx, [esp+4]", "8b542404");
  r.op("mov [edx], eax", "8902");
  r.op("ret", "c3");
}

// close(file): closes the handle and marks the file closed and at its end.
// Plain ret.
void emit_close(RoutineBuilder& r, LibraryState&) {
  LocalLabel closed = r.label("closed");
  r.op("mov ebx, [esp+4]", "8b5c2404");
  skip_closed(r, closed);  // a second close, or a close of a file never opened
  r.op("push [ebx]", "ff33");
  r.call_import("CloseHandle");
  r.bind(closed);
  r.op("mov dword ptr [ebx], -1", "c703", 0xffffffff);
  r.op("mov dword ptr [ebx+4], 0", "c74304", 0);
  r.op("mov dword ptr [ebx+8], 0", "c74308", 0);
  r.op("ret", "c3");
}

}  // namespace tarn
