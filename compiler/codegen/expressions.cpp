// Templates of expressions and assignments (filled in by the expression code).
#include "codegen/emitters.h"

#include "driver/compilation.h"

namespace tarn {

void gen_plus(Compilation&, const PostfixRecord&) {}
void gen_minus(Compilation&, const PostfixRecord&) {}
void gen_mult(Compilation&, const PostfixRecord&) {}
void gen_assign(Compilation&, const PostfixRecord&) {}
void gen_divide(Compilation&, const PostfixRecord&) {}
void gen_not(Compilation&, const PostfixRecord&) {}
void gen_compare(Compilation&, const PostfixRecord&) {}
void gen_and(Compilation&, const PostfixRecord&) {}
void gen_or(Compilation&, const PostfixRecord&) {}
void gen_math_fun(Compilation&, const PostfixRecord&) {}
void gen_negate(Compilation&, const PostfixRecord&) {}
void gen_random(Compilation&, const PostfixRecord&) {}
void gen_length(Compilation&, const PostfixRecord&) {}
void gen_date_fun(Compilation&, const PostfixRecord&) {}
void gen_mod(Compilation&, const PostfixRecord&) {}
void gen_div(Compilation&, const PostfixRecord&) {}

}  // namespace tarn
