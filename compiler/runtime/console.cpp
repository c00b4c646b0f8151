// Console output and input: strings, integers and hexadecimal numbers written
// in a field, the line end, and reading one line into a variable.
// Output goes through _wrst, which fetches the standard output handle on every
// call; fields are built in "_buff" and never run past its 131 bytes.
// Widths, decimals and string capacities are literals of 0 to 255 that the
// generated code pushes as one byte (6a ib, which the processor extends with
// the sign): the routines read back that byte, so a width of 200 is 200.
#include "runtime/library.h"

namespace tarn {

// _wrst(text): writes a 0-terminated string to standard output; ret 4.
void emit_wrst(RoutineBuilder& r, LibraryState&) {
  r.op("mov eax, [esp+4]", "8b442404");
  r.op("mov [_pst], eax", "a3", r.at("_pst"));
  r.op("push [_pst]", "ff35", r.at("_pst"));
  r.call_import("lstrlen");
  r.op("mov [_strlen], eax", "a3", r.at("_strlen"));
  r.op("push -11", "6af5");
  r.call_import("GetStdHandle");
  r.op("mov [_hStdout], eax", "a3", r.at("_hStdout"));
  r.op("push 0", "6a00");
  r.op("push offset _nbw", "68", r.at("_nbw"));
  r.op("push [_strlen]", "ff35", r.at("_strlen"));
  r.op("push [_pst]", "ff35", r.at("_pst"));
  r.op("push [_hStdout]", "ff35", r.at("_hStdout"));
  r.call_import("WriteFile");
  r.op("ret 4", "c20400");
}

// _wrstf(text, width): the text left-aligned in a field of `width`, cut to the
// width when it is longer; width 0 writes the whole text. A field is built in
// "_buff"; a text part longer than the buffer (a long literal) is written
// straight from the text instead, so it is never cut, and the spaces after it
// follow from the buffer. Spaces that do not fit the buffer are left out.
// ret 8.
void emit_wrstf(RoutineBuilder& r, LibraryState&) {
  LocalLabel count_set = r.label("count_set");
  LocalLabel padding_set = r.label("padding_set");
  LocalLabel in_buffer = r.label("in_buffer");
  LocalLabel room_set = r.label("room_set");
  LocalLabel pad = r.label("pad");
  LocalLabel no_padding = r.label("no_padding");

  r.op("mov esi, [esp+4]", "8b742404");
  r.op("push esi", "56");
  r.call_import("lstrlenA");  // eax = length; esi and ebx survive the calls
  r.op("movzx ebx, byte ptr [esp+8]", "0fb65c2408");
  // ecx: characters taken from the text; ebx: spaces after them.
  r.op("mov ecx, eax", "89c1");
  r.op("test ebx, ebx", "85db");
  r.jump("jz", count_set);
  r.op("cmp ecx, ebx", "39d9");
  r.jump("jle", count_set);
  r.op("mov ecx, ebx", "89d9");
  r.bind(count_set);
  r.op("sub ebx, eax", "29c3");
  r.jump("jg", padding_set);
  r.op("xor ebx, ebx", "31db");
  r.bind(padding_set);
  r.op("cmp ecx, 130", "81f9", kBuffText);
  r.jump("jle", in_buffer);
  // WriteFile(GetStdHandle(-11), text, ecx, _nbw, 0); the width is at most
  // 255, so the spaces after more than 130 characters fit the buffer.
  r.op("push ecx", "51");
  r.op("push -11", "6af5");
  r.call_import("GetStdHandle");
  r.op("pop ecx", "59");
  r.op("push 0", "6a00");
  r.op("push offset _nbw", "68", r.at("_nbw"));
  r.op("push ecx", "51");
  r.op("push esi", "56");
  r.op("push eax", "50");
  r.call_import("WriteFile");
  r.op("mov edi, offset _buff", "bf", r.at("_buff"));
  r.jump("jmp", pad);
  r.bind(in_buffer);
  r.op("mov eax, 130", "b8", kBuffText);
  r.op("sub eax, ecx", "29c8");
  r.op("cmp ebx, eax", "39c3");
  r.jump("jle", room_set);
  r.op("mov ebx, eax", "89c3");
  r.bind(room_set);
  r.op("mov edi, offset _buff", "bf", r.at("_buff"));
  r.op("rep movsb", "f3a4");
  r.bind(pad);
  r.op("mov ecx, ebx", "89d9");
  r.op("test ecx, ecx", "85c9");
  r.jump("jz", no_padding);
  r.op("mov al, ' '", "b020");
  r.op("rep stosb", "f3aa");
  r.bind(no_padding);
  r.op("mov byte ptr [edi], 0", "c60700");
  r.op("push offset _buff", "68", r.at("_buff"));
  r.call_routine("_wrst");
  r.op("ret 8", "c20800");
}

// _int2st(address of an integer, width): signed decimal, right-aligned in the
// field; a narrow field never cuts digits, a wide one is cut to fit "_buff".
// ret 8.
void emit_int2st(RoutineBuilder& r, LibraryState&) {
  LocalLabel width_fits = r.label("width_fits");
  LocalLabel no_padding = r.label("no_padding");
  LocalLabel copy = r.label("copy");

  r.op("push [esp+4]", "ff742404");  // wvsprintfA takes the integer's address as its argument list
  r.op("push offset _fmt_int", "68", r.at("_fmt_int"));
  r.op("push offset _buf", "68", r.at("_buf"));
  r.call_import("wvsprintfA");
  r.op("movzx ebx, byte ptr [esp+8]", "0fb65c2408");
  r.op("cmp ebx, 130", "81fb", kBuffText);
  r.jump("jle", width_fits);
  r.op("mov ebx, 130", "bb", kBuffText);
  r.bind(width_fits);
  r.op("push offset _buf", "68", r.at("_buf"));
  r.call_import("lstrlenA");
  r.op("mov edi, offset _buff", "bf", r.at("_buff"));
  r.op("mov ecx, ebx", "89d9");
  r.op("sub ecx, eax", "29c1");
  r.jump("jle", no_padding);
  r.op("mov al, ' '", "b020");
  r.op("rep stosb", "f3aa");
  r.bind(no_padding);
  r.op("mov esi, offset _buf", "be", r.at("_buf"));
  r.bind(copy);
  r.op("lodsb", "ac");
  r.op("stosb", "aa");
  r.op("test al, al", "84c0");
  r.jump("jnz", copy);
  r.op("push offset _buff", "68", r.at("_buff"));
  r.call_routine("_wrst");
  r.op("ret 8", "c20800");
}

// _int2hst(value, ignored): the value as 8 upper-case hexadecimal digits,
// leading zeros kept. ret 8.
void emit_int2hst(RoutineBuilder& r, LibraryState&) {
  LocalLabel digit = r.label("digit");
  r.op("mov edx, [esp+4]", "8b542404");
  r.op("mov edi, offset _buff", "bf", r.at("_buff"));
  r.op("mov ecx, 8", "b9", 8);
  r.bind(digit);
  r.op("rol edx, 4", "c1c204");
  r.op("mov al, dl", "88d0");
  r.op("and al, 0fh", "240f");
  r.op("cmp al, 0ah", "3c0a");
  r.op("sbb al, 69h", "1c69");
  r.op("das", "2f");
  r.op("stosb", "aa");
  r.jump("loop", digit);
  r.op("mov byte ptr [edi], 0", "c60700");
  r.op("push offset _buff", "68", r.at("_buff"));
  r.call_routine("_wrst");
  r.op("ret 8", "c20800");
}

// writeln: CR LF to standard output.
void emit_writeln(RoutineBuilder& r, LibraryState&) {
  r.op("push -11", "6af5");
  r.call_import("GetStdHandle");
  r.op("mov [hStdOut], eax", "a3", r.at("hStdOut"));
  r.op("push 0", "6a00");
  r.op("push offset count", "68", r.at("count"));
  r.op("push 2", "6a02");
  r.op("push offset str_crlf", "68", r.at("str_crlf"));
  r.op("push [hStdOut]", "ff35", r.at("hStdOut"));
  r.call_import("WriteFile");
  r.op("ret", "c3");
}

// readln(address, type code, maximum length): reads exactly one line of
// standard input, byte by byte up to its LF, so that consecutive reads from a
// pipe or a file get consecutive lines. The first 128 bytes of the line land
// in "_buff" (the rest of a longer line is read and dropped), without the
// CR LF; at the end of the input the line is empty. Then by type code:
// 14 copies at most `maximum length` bytes into the string, 4 parses an
// integer, 8 a float; 0 only consumes the line. Plain ret.
void emit_readln(RoutineBuilder& r, LibraryState&) {
  LocalLabel next_byte = r.label("next_byte");
  LocalLabel line_end = r.label("line_end");
  LocalLabel terminate = r.label("terminate");
  LocalLabel not_string = r.label("not_string");
  LocalLabel copy = r.label("copy");
  LocalLabel copied = r.label("copied");
  LocalLabel not_integer = r.label("not_integer");
  LocalLabel done = r.label("done");
  const uint32_t buff = r.at("_buff");

  r.op("push -10", "6af6");
  r.call_import("GetStdHandle");
  r.op("mov [hStdin], eax", "a3", r.at("hStdin"));
  r.op("mov esi, offset _buff", "be", buff);  // where the next byte goes
  r.bind(next_byte);
  r.op("push 0", "6a00");
  r.op("push offset count", "68", r.at("count"));
  r.op("push 1", "6a01");
  r.op("push esi", "56");
  r.op("push [hStdin]", "ff35", r.at("hStdin"));
  r.call_import("ReadFile");
  r.op("test eax, eax", "85c0");
  r.jump("jz", terminate);
  r.op("cmp dword ptr [count], 0", "833d", r.at("count"), "00");
  r.jump("je", terminate);
  r.op("cmp byte ptr [esi], 0ah", "803e0a");
  r.jump("je", line_end);
  // Past 128 bytes the following ones all land on the last place and are lost.
  r.op("cmp esi, offset _buff+128", "81fe", buff + 128);
  r.jump("jae", next_byte);
  r.op("inc esi", "46");
  r.jump("jmp", next_byte);
  r.bind(line_end);
  r.op("cmp esi, offset _buff", "81fe", buff);
  r.jump("je", terminate);
  r.op("cmp byte ptr [esi-1], 0dh", "807eff0d");
  r.jump("jne", terminate);
  r.op("dec esi", "4e");  // the CR of a CR LF line end
  r.bind(terminate);
  r.op("mov byte ptr [esi], 0", "c60600");

  r.op("mov eax, [esp+8]", "8b442408");
  r.op("cmp eax, 14", "83f80e");
  r.jump("jne", not_string);
  r.op("mov edi, [esp+4]", "8b7c2404");
  r.op("movzx ecx, byte ptr [esp+12]", "0fb64c240c");
  r.op("mov esi, offset _buff", "be", buff);
  r.bind(copy);
  r.op("test ecx, ecx", "85c9");
  r.jump("jle", copied);
  r.op("mov al, [esi]", "8a06");
  r.op("test al, al", "84c0");
  r.jump("jz", copied);
  r.op("mov [edi], al", "8807");
  r.op("inc esi", "46");
  r.op("inc edi", "47");
  r.op("dec ecx", "49");
  r.jump("jmp", copy);
  r.bind(copied);
  r.op("mov byte ptr [edi], 0", "c60700");
  r.op("ret", "c3");

  r.bind(not_string);
  r.op("cmp eax, 4", "83f804");
  r.jump("jne", not_integer);
  r.op("push [esp+4]", "ff742404");
  r.call_routine("_str2int");
  r.op("add esp, 4", "83c404");
  r.op("ret", "c3");
  r.bind(not_integer);
  r.op("cmp eax, 8", "83f808");
  r.jump("jne", done);
  r.op("push [esp+4]", "ff742404");
  r.call_routine("_str2si");
  r.op("add esp, 4", "83c404");
  r.bind(done);
  r.op("ret", "c3");
}

}  // namespace tarn
