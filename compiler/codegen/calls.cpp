// Templates of procedures, calls and console statements (filled in by the call code).
#include "codegen/emitters.h"

#include "driver/compilation.h"

namespace tarn {

void gen_proc_entry(Compilation&, const PostfixRecord&) {}
void gen_readln(Compilation&, const PostfixRecord&) {}
void gen_write(Compilation&, const PostfixRecord&) {}
void gen_writeln(Compilation&, const PostfixRecord&) {}
void gen_proc_return(Compilation&, const PostfixRecord&) {}
void gen_readln0(Compilation&, const PostfixRecord&) {}
void gen_par_call(Compilation&, const PostfixRecord&) {}
void gen_call(Compilation&, const PostfixRecord&) {}
void gen_get_par(Compilation&, const PostfixRecord&) {}
void gen_fun_entry(Compilation&, const PostfixRecord&) {}
void gen_fun_return(Compilation&, const PostfixRecord&) {}
void gen_return(Compilation&, const PostfixRecord&) {}
void gen_call_fun(Compilation&, const PostfixRecord&) {}
void gen_p_par_call(Compilation&, const PostfixRecord&) {}
void gen_get_p_par(Compilation&, const PostfixRecord&) {}
void gen_p_p_par_call(Compilation&, const PostfixRecord&) {}

}  // namespace tarn
