// The emitters of the run-time routines, one per routine, shared by the files
// of the library (console, strings, numbers, text files, command line) and
// called in their fixed order by emit_runtime_library.
//
// Common convention: arguments are pushed last-to-first, so the first is at
// [esp+4] on entry; the routine is called with mov ebx, address / call ebx;
// results go through an address argument (strcmp alone returns in eax); any
// general register but esp may change. The x87 unit is used only inside a
// routine: nothing stays on its stack from one routine call to the next.
#pragma once

#include <cstdint>

#include "runtime/routine.h"

namespace tarn {

// What one routine leaves for a later one to call: the float-to-text part of
// _si2st, which floattostr reuses.
struct LibraryState {
  uint32_t float_text = 0;
};

// The longest text the 131-byte output buffer "_buff" holds before its 0 byte.
constexpr int kBuffText = 130;
// The largest capacity of a string of the language.
constexpr int kMaxStringCapacity = 128;

// Console output and input.
void emit_wrst(Routine& r, LibraryState& lib);
void emit_wrstf(Routine& r, LibraryState& lib);
void emit_int2st(Routine& r, LibraryState& lib);
void emit_int2hst(Routine& r, LibraryState& lib);
void emit_writeln(Routine& r, LibraryState& lib);
void emit_readln(Routine& r, LibraryState& lib);

// Strings.
void emit_pos(Routine& r, LibraryState& lib);
void emit_upcase(Routine& r, LibraryState& lib);
void emit_lowcase(Routine& r, LibraryState& lib);
void emit_substr(Routine& r, LibraryState& lib);
void emit_strcmp(Routine& r, LibraryState& lib);

// Numbers.
void emit_str2int(Routine& r, LibraryState& lib);
void emit_str2si(Routine& r, LibraryState& lib);
void emit_si2nsi(Routine& r, LibraryState& lib);
void emit_si2st(Routine& r, LibraryState& lib);
void emit_strtoint(Routine& r, LibraryState& lib);
void emit_inttostr(Routine& r, LibraryState& lib);
void emit_floattostr(Routine& r, LibraryState& lib);
void emit_strtofloat(Routine& r, LibraryState& lib);

// Text files.
void emit_reset(Routine& r, LibraryState& lib);
void emit_readstring(Routine& r, LibraryState& lib);
void emit_eof(Routine& r, LibraryState& lib);
void emit_close(Routine& r, LibraryState& lib);
void emit_append(Routine& r, LibraryState& lib);
void emit_rewrite(Routine& r, LibraryState& lib);
void emit_writestring(Routine& r, LibraryState& lib);

// Command line and console control.
void emit_getcommandline(Routine& r, LibraryState& lib);
void emit_paramcount(Routine& r, LibraryState& lib);
void emit_paramstr(Routine& r, LibraryState& lib);
void emit_clrscr(Routine& r, LibraryState& lib);
void emit_poscursor(Routine& r, LibraryState& lib);
void emit_hidecursor(Routine& r, LibraryState& lib);
void emit_showcursor(Routine& r, LibraryState& lib);

}  // namespace tarn
