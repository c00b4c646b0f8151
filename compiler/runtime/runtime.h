// The run-time library: machine-code routines emitted into every compiled
// program, right after "jmp start", in a fixed order.
//
// How generated code calls them: push the arguments last-to-first (so the
// first is at [esp+4] on entry), then mov ebx, routine / call ebx (bb imm32,
// ff d3). Every argument is an address except where noted. Any general
// register but esp may change (strcmp keeps edx).
//
//   routine          [esp+4]            [esp+8]           [esp+12]        [esp+16]  pops
//   _wrst            text                                                           ret 4
//   _wrstf           text               width (byte)                                ret 8
//   _int2st          integer            width (byte)                                ret 8
//   _int2hst         value (by value)   ignored                                     ret 8
//   _si2st           float              width (byte)      decimals (byte)           ret 12
//   writeln          -                                                              ret
//   readln           variable           type: 14, 4, 8;   capacity (byte,           caller
//                                       0 = drop a line   strings only)
//   strcmp           first string       second string                               ret 8, eax = -1/0/1
//   pos              result             text              pattern                   caller
//   upcase, lowcase  result             source                                      caller
//   substr           result             count             start           source    caller
//   _str2int         result (parses "_buff")                                        caller
//   _str2si          result (parses "_buff")                                        caller
//   _si2nsi          exponent           mantissa          float                     caller
//   strtoint         result             string                                      caller
//   inttostr         result             integer                                     caller
//   strtofloat       result             string                                      caller
//   floattostr       result             float                                       caller
//   reset, rewrite,  file (result)      file name                                   caller
//     append
//   readstring       result             "_strmaxlen"      file                      ret 12
//   writestring      string             file                                        caller
//   eof              result             file                                        caller
//   close            file                                                           caller
//   getcommandline   result                                                         caller
//   paramcount       result                                                         caller
//   paramstr         result             index                                       caller
//   ClrScr, HideCursor, ShowCursor  -                                               ret
//   PosCursor        row (Y)            column (X)                                  caller
//
// So a call of a library function through CALL_FUN (the actuals in order,
// then the result's address, then add esp) and of a procedure through CALL
// (the actuals, then add esp) fits every routine above that the caller pops.
#pragma once

namespace tarn {

struct Emitter;

// Declares the run-time library's variables (636 bytes) at the write position,
// after the program's own data.
void declare_runtime_data(Emitter& c);

// Registers each routine as a named address and emits it, with its header
// line in the listing. The import slots and run-time variables it names must
// be declared first; a missing one throws std::logic_error.
void emit_runtime_library(Emitter& c);

}  // namespace tarn
