// Emits the run-time library right after "jmp start": every routine, always,
// in one fixed order (callers come after the routines they call, so every
// address a routine needs is known when it is emitted). Each routine is
// registered under its name with its first byte as address and announced in
// the listing by its header line.
#include "runtime/runtime.h"

#include "codegen/generator.h"
#include "runtime/library.h"

namespace tarn {

namespace {

struct LibraryRoutine {
  const char* name;
  const char* header;  // the listing line before the routine's code
  bool blank_line_before;
  void (*emit)(RoutineBuilder&, LibraryState&);
};

constexpr LibraryRoutine kLibrary[] = {
    {"pos", "function Pos", false, emit_pos},
    {"upcase", "function UpCase", false, emit_upcase},
    {"lowcase", "function LowCase", false, emit_lowcase},
    {"substr", "function substr", false, emit_substr},
    {"_str2int", "_str2int", false, emit_str2int},
    {"_str2si", "_str2si", false, emit_str2si},
    {"_wrst", "_wrst", false, emit_wrst},
    {"_wrstf", "_wrstf", false, emit_wrstf},
    {"_si2nsi", "_si2nsi", false, emit_si2nsi},
    {"_si2st", " _si2st", false, emit_si2st},
    {"_int2st", " _int2st", true, emit_int2st},
    {"readln", "procedure readln", false, emit_readln},
    {"writeln", "procedure writeln", false, emit_writeln},
    {"strcmp", "function strcmp", false, emit_strcmp},
    {"reset", "function reset", false, emit_reset},
    {"readstring", "function readstring", false, emit_readstring},
    {"eof", "function eof", false, emit_eof},
    {"close", "function close", false, emit_close},
    {"append", "function append", false, emit_append},
    {"rewrite", "function rewrite", false, emit_rewrite},
    {"writestring", "function writestring", false, emit_writestring},
    {"strtoint", "function strtoint", false, emit_strtoint},
    {"inttostr", "function inttostr", false, emit_inttostr},
    {"floattostr", "function floatostr", false, emit_floattostr},
    {"strtofloat", "function strtofloat", false, emit_strtofloat},
    {"_int2hst", " _int2hst", true, emit_int2hst},
    {"getcommandline", "function getcommandline", false, emit_getcommandline},
    {"paramcount", "function paramcount", false, emit_paramcount},
    {"paramstr", "function paramstr", false, emit_paramstr},
    {"ClrScr", "procedure clrscr", false, emit_clrscr},
    {"PosCursor", "procedure poscursor", false, emit_poscursor},
    {"HideCursor", "procedure hidecursor", false, emit_hidecursor},
    {"ShowCursor", "procedure showcursor", false, emit_showcursor},
};

}  // namespace

void emit_runtime_library(Emitter& c) {
  LibraryState lib;
  RoutineBuilder r(c);
  for (const LibraryRoutine& routine : kLibrary) {
    if (&routine != kLibrary) r.next_routine();
    if (routine.blank_line_before) listing_line(c);
    listing_line(c, routine.header);
    AddVariable(c, routine.name, current_address(c.image));
    routine.emit(r, lib);
    r.finish();
  }
}

}  // namespace tarn
