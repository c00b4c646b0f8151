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
void emit_wrst(RoutineBuilder& r, LibraryState& lib);
void emit_wrstf(RoutineBuilder& r, LibraryState& lib);
void emit_int2st(RoutineBuilder& r, LibraryState& lib);
void emit_int2hst(RoutineBuilder& r, LibraryState& lib);
void emit_writeln(RoutineBuilder& r, LibraryState& lib);
void emit_readln(RoutineBuilder& r, LibraryState& lib);

// Strings.
void emit_pos(RoutineBuilder& r, LibraryState& lib);
void emit_upcase(RoutineBuilder& r, LibraryState& lib);
void emit_lowcase(RoutineBuilder& r, LibraryState& lib);
void emit_substr(RoutineBuilder& r, LibraryState& lib);
void emit_strcmp(RoutineBuilder& r, LibraryState& lib);

// Numbers.
void emit_str2int(RoutineBuilder& r, LibraryState& lib);
void emit_str2si(RoutineBuilder& r, LibraryState& lib);
void emit_si2nsi(RoutineBuilder& r, LibraryState& lib);
void emit_si2st(RoutineBuilder& r, LibraryState& lib);
void emit_strtoint(RoutineBuilder& r, LibraryState& lib);
void emit_inttostr(RoutineBuilder& r, LibraryState& lib);
void emit_floattostr(RoutineBuilder& r, LibraryState& lib);
void emit_strtofloat(RoutineBuilder& r, LibraryState& lib);

// Text files.
void emit_reset(RoutineBuilder& r, LibraryState& lib);
void emit_readstring(RoutineBuilder& r, LibraryState& lib);
void emit_eof(RoutineBuilder& r, LibraryState& lib);
void emit_close(RoutineBuilder& r, LibraryState& lib);
void emit_append(RoutineBuilder& r, LibraryState& lib);
void emit_rewrite(RoutineBuilder& r, LibraryState& lib);
void emit_writestring(RoutineBuilder& r, LibraryState& lib);

// Command line and console control.
void emit_getcommandline(RoutineBuilder& r, LibraryState& lib);
void emit_paramcount(RoutineBuilder& r, LibraryState& lib);
void emit_paramstr(RoutineBuilder& r, LibraryState& lib);
void emit_clrscr(RoutineBuilder& r, LibraryState& lib);
void emit_poscursor(RoutineBuilder& r, LibraryState& lib);
void emit_hidecursor(RoutineBuilder& r, LibraryState& lib);
void emit_showcursor(RoutineBuilder& r, LibraryState& lib);

}  // namespace tarn
