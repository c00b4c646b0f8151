// The back end's code section: from the symbol table and "postfix.tmp" to the
// bytes of the `.code` section and the listing "log.tmp".
#pragma once

namespace tarn {

struct Compilation;

// The `.code` section from its first byte, in this order: the import area,
// the program's data, the run-time data, a gap, then the code from the entry
// point on ("jmp start", the run-time library, the templates, the exit call).
// The listing is closed whatever happens. When data and code pass 64 KiB the
// compile ends with error 202; any other failure (an unreadable postfix file,
// an operation or operand the generator does not know, a jump label never
// placed, a fault of the run-time library's builder) is an internal error,
// code 0 with a text naming the fault, also written to the listing in debug
// mode. Either way the report is written and CompileError thrown.
void generate_image(Compilation& c);

// The version resource from "res.tmp" at the end of the image, with the
// headers in their final state. A resource that no longer fits ends the
// compile with error 202, like code that does not.
void add_version_resource(Compilation& c);

}  // namespace tarn
