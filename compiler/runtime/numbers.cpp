// Number conversion: text to integers and single-precision floats, and back.
// Floats are written with their digits cut, never rounded, from the exact
// value the single holds: the digits come from the x87's own decimal store
// (fbstp) of the integer part and from multiplying the fraction by 10, steps
// that are exact in 64-bit precision, so 13.0 prints as 13.00, never 12.99.
#include "runtime/library.h"

namespace tarn {

namespace {

// Reads the byte at [esi] as a decimal digit into eax (0..9); jumps to `not_digit`
// otherwise.
void emit_digit_at_esi(RoutineBuilder& r, LocalLabel not_digit) {
  r.op("movzx eax, byte ptr [esi]", "0fb606");
  r.op("sub eax, '0'", "83e830");
  r.op("cmp eax, 9", "83f809");
  r.jump("ja", not_digit);
}

// The parsers round to the nearest single whatever rounding mode the program
// left in force (div, mod and trunc leave truncation): the caller's control
// word is kept in _cwr and given back at the end.
void emit_round_to_nearest(RoutineBuilder& r) {
  r.op("fnstcw [_cwr]", "d93d", r.at("_cwr"));
  r.op("mov ax, [_cwr]", "66a1", r.at("_cwr"));
  r.op("and ax, 0f3ffh", "6625fff3");  // round to nearest
  r.op("or ax, 0300h", "660d0003");    // 64-bit precision
  r.op("mov [_x], ax", "66a3", r.at("_x"));
  r.op("fldcw [_x]", "d92d", r.at("_x"));
}

void emit_restore_control_word(RoutineBuilder& r) { r.op("fldcw [_cwr]", "d92d", r.at("_cwr")); }

}  // namespace

// _str2int(address of the result): the integer at the start of "_buff": an
// optional "-", then digits up to the first other byte. Wraps at 32 bits.
// Plain ret.
void emit_str2int(RoutineBuilder& r, LibraryState&) {
  LocalLabel digits = r.label("digits");
  LocalLabel end = r.label("end");
  LocalLabel store = r.label("store");
  r.op("mov esi, offset _buff", "be", r.at("_buff"));
  r.op("xor edx, edx", "31d2");  // n
  r.op("xor ecx, ecx", "31c9");  // 1 when negative
  r.op("cmp byte ptr [esi], '-'", "803e2d");
  r.jump("jne", digits);
  r.op("inc ecx", "41");
  r.op("inc esi", "46");
  r.bind(digits);
  emit_digit_at_esi(r, end);
  r.op("imul edx, edx, 10", "6bd20a");
  r.op("add edx, eax", "01c2");
  r.op("inc esi", "46");
  r.jump("jmp", digits);
  r.bind(end);
  r.op("test ecx, ecx", "85c9");
  r.jump("jz", store);
  r.op("neg edx", "f7da");
  r.bind(store);
  r.op("mov eax, [esp+4]", "8b442404");
  r.op("mov [eax], edx", "8910");
  r.op("ret", "c3");
}

// _str2si(address of the result): the float at the start of "_buff": an
// optional "-", integer digits, an optional "." and fraction digits; at most 7
// significant digits before the point and 8 in all are used (later integer
// digits count as zeros). No exponent. Plain ret.
void emit_str2si(RoutineBuilder& r, LibraryState&) {
  LocalLabel integer = r.label("integer");
  LocalLabel integer_significant = r.label("integer_significant");
  LocalLabel integer_end = r.label("integer_end");
  LocalLabel none_dropped = r.label("none_dropped");
  LocalLabel fraction = r.label("fraction");
  LocalLabel fraction_significant = r.label("fraction_significant");
  LocalLabel fraction_end = r.label("fraction_end");
  LocalLabel value = r.label("value");
  LocalLabel scale = r.label("scale");
  LocalLabel scaled = r.label("scaled");
  LocalLabel divisor = r.label("divisor");
  LocalLabel divisor_done = r.label("divisor_done");
  LocalLabel positive = r.label("positive");

  emit_round_to_nearest(r);
  r.op("xor eax, eax", "31c0");
  for (const char* cell : {"_fn1", "_fn2", "_fn3", "_fn4", "_fn5"})
    r.op(std::string("mov [") + cell + "], eax", "a3", r.at(cell));
  r.op("mov esi, offset _buff", "be", r.at("_buff"));
  r.op("xor ebx, ebx", "31db");  // significant digits seen
  r.op("xor edi, edi", "31ff");  // the value of the digits kept
  r.op("cmp byte ptr [esi], '-'", "803e2d");
  r.jump("jne", integer);
  r.op("mov dword ptr [_fn5], 1", "c705", r.at("_fn5"), "01000000");
  r.op("inc esi", "46");

  r.bind(integer);
  emit_digit_at_esi(r, integer_end);
  r.op("inc esi", "46");
  r.op("test ebx, ebx", "85db");
  r.jump("jnz", integer_significant);
  r.op("test eax, eax", "85c0");
  r.jump("jz", integer);  // a leading zero
  r.bind(integer_significant);
  r.op("inc ebx", "43");
  r.op("cmp ebx, 7", "83fb07");
  r.jump("ja", integer);  // counted, not kept
  r.op("imul edi, edi, 10", "6bff0a");
  r.op("add edi, eax", "01c7");
  r.jump("jmp", integer);
  r.bind(integer_end);
  r.op("mov [_fn1], edi", "893d", r.at("_fn1"));
  r.op("cmp ebx, 7", "83fb07");
  r.jump("jb", none_dropped);
  r.op("lea ecx, [ebx-7]", "8d4bf9");
  r.op("mov [_fn2], ecx", "890d", r.at("_fn2"));
  r.bind(none_dropped);
  r.op("cmp byte ptr [esi], '.'", "803e2e");
  r.jump("jne", value);
  r.op("cmp ebx, 7", "83fb07");
  r.jump("ja", value);
  r.op("inc esi", "46");
  r.op("xor edi, edi", "31ff");
  r.bind(fraction);
  r.op("cmp ebx, 7", "83fb07");
  r.jump("ja", fraction_end);
  emit_digit_at_esi(r, fraction_end);
  r.op("inc esi", "46");
  r.op("inc dword ptr [_fn4]", "ff05", r.at("_fn4"));
  r.op("test ebx, ebx", "85db");
  r.jump("jnz", fraction_significant);
  r.op("test eax, eax", "85c0");
  r.jump("jz", fraction);
  r.bind(fraction_significant);
  r.op("inc ebx", "43");
  r.op("imul edi, edi, 10", "6bff0a");
  r.op("add edi, eax", "01c7");
  r.jump("jmp", fraction);
  r.bind(fraction_end);
  r.op("mov [_fn3], edi", "893d", r.at("_fn3"));

  // value = _fn1 * 10^_fn2 + _fn3 / 10^_fn4; the powers of ten are whole
  // numbers, so only the division and the final store round.
  r.bind(value);
  r.op("fild dword ptr [_fn1]", "db05", r.at("_fn1"));
  r.op("mov ecx, [_fn2]", "8b0d", r.at("_fn2"));
  r.bind(scale);
  r.op("test ecx, ecx", "85c9");
  r.jump("jz", scaled);
  r.op("fimul dword ptr [_dec]", "da0d", r.at("_dec"));
  r.op("dec ecx", "49");
  r.jump("jmp", scale);
  r.bind(scaled);
  r.op("fild dword ptr [_fn3]", "db05", r.at("_fn3"));
  r.op("fld1", "d9e8");
  r.op("mov ecx, [_fn4]", "8b0d", r.at("_fn4"));
  r.bind(divisor);
  r.op("test ecx, ecx", "85c9");
  r.jump("jz", divisor_done);
  r.op("fimul dword ptr [_dec]", "da0d", r.at("_dec"));
  r.op("dec ecx", "49");
  r.jump("jmp", divisor);
  r.bind(divisor_done);
  r.op("fdivp st(1), st", "def9");
  r.op("faddp st(1), st", "dec1");
  r.op("cmp dword ptr [_fn5], 0", "833d", r.at("_fn5"), "00");
  r.jump("je", positive);
  r.op("fchs", "d9e0");
  r.bind(positive);
  r.op("mov eax, [esp+4]", "8b442404");
  r.op("fstp dword ptr [eax]", "d918");
  emit_restore_control_word(r);
  r.op("ret", "c3");
}

// _si2nsi(address of the exponent p, address of the mantissa m, address of
// x): x = m * 10^p with 1 <= |m| < 10, or m = p = 0 for x = 0. p is found by
// comparing |x| with whole powers of ten, which the x87 holds exactly far
// beyond the range that matters, so p is exact. Resets the x87. Plain ret.
void emit_si2nsi(RoutineBuilder& r, LibraryState&) {
  LocalLabel zero = r.label("zero");
  LocalLabel up = r.label("up");
  LocalLabel up_done = r.label("up_done");
  LocalLabel down = r.label("down");
  LocalLabel down_done = r.label("down_done");
  LocalLabel positive = r.label("positive");

  r.op("fninit", "dbe3");
  r.op("mov eax, [esp+12]", "8b44240c");
  r.op("fld dword ptr [eax]", "d900");
  r.op("fabs", "d9e1");
  r.op("xor ecx, ecx", "31c9");  // p
  r.op("ftst", "d9e4");
  r.op("fnstsw ax", "dfe0");
  r.op("sahf", "9e");
  r.jump("jz", zero);  // also taken for a NaN (unordered)
  r.op("fld1", "d9e8");  // st = 10^p, st(1) = |x|
  r.bind(up);
  r.op("cmp ecx, 38", "83f926");  // an infinity stops here
  r.jump("jge", up_done);
  r.op("fld st", "d9c0");
  r.op("fmul dword ptr [_single_10]", "d80d", r.at("_single_10"));
  r.op("fcomp st(2)", "d8da");
  r.op("fnstsw ax", "dfe0");
  r.op("sahf", "9e");
  r.jump("ja", up_done);  // 10^(p+1) > |x|
  r.op("fmul dword ptr [_single_10]", "d80d", r.at("_single_10"));
  r.op("inc ecx", "41");
  r.jump("jmp", up);
  r.bind(up_done);
  r.op("fdivp st(1), st", "def9");
  r.bind(down);
  r.op("cmp ecx, -50", "83f9ce");
  r.jump("jle", down_done);
  r.op("fld1", "d9e8");
  r.op("fcomp st(1)", "d8d9");
  r.op("fnstsw ax", "dfe0");
  r.op("sahf", "9e");
  r.jump("jbe", down_done);  // 1 <= the value
  r.op("fmul dword ptr [_single_10]", "d80d", r.at("_single_10"));
  r.op("dec ecx", "49");
  r.jump("jmp", down);
  r.bind(down_done);
  r.op("mov eax, [esp+12]", "8b44240c");
  r.op("test byte ptr [eax+3], 80h", "f6400380");
  r.jump("jz", positive);
  r.op("fchs", "d9e0");
  r.bind(positive);
  r.op("mov eax, [esp+8]", "8b442408");
  r.op("fstp dword ptr [eax]", "d918");
  r.op("mov eax, [esp+4]", "8b442404");
  r.op("mov [eax], ecx", "8908");
  r.op("ret", "c3");
  r.bind(zero);
  r.op("fstp st", "ddd8");
  r.op("mov eax, [esp+8]", "8b442408");
  r.op("mov dword ptr [eax], 0", "c700", 0);
  r.op("mov eax, [esp+4]", "8b442404");
  r.op("mov dword ptr [eax], 0", "c700", 0);
  r.op("ret", "c3");
}

// _si2st(address of x, width, decimals): writes x right-aligned in the field.
// Fixed form (sign, digits, point, `decimals` digits) when the width is above
// 1, decimals are given and the value fits: p >= 0 with p + decimals <= 6, or
// p < 0 with -p <= decimals; else scientific form (sign, d.dddddd, E, sign,
// two exponent digits). The sign place holds "-" or a space. ret 12.
//
// The text is built by a local subroutine, float_text, that floattostr calls
// too: eax = address of x, ebx = width, ecx = decimals, edx = the sign
// character of a value that is not negative (a space, or 0 for none); it
// leaves the text in "_buff" and the x87 in truncating mode. Decimals are cut
// to 100 and the width to 127, so the text fits "_buff".
void emit_si2st(RoutineBuilder& r, LibraryState& lib) {
  LocalLabel float_text = r.label("float_text");
  LocalLabel decimals_fit = r.label("decimals_fit");
  LocalLabel width_fits = r.label("width_fits");
  LocalLabel p_positive = r.label("p_positive");
  LocalLabel scientific = r.label("scientific");
  LocalLabel layout_done = r.label("layout_done");
  LocalLabel padding = r.label("padding");
  LocalLabel sign = r.label("sign");
  LocalLabel not_negative = r.label("not_negative");
  LocalLabel digit_source = r.label("digit_source");
  LocalLabel large = r.label("large");
  LocalLabel scale_small = r.label("scale_small");
  LocalLabel power = r.label("power");
  LocalLabel split = r.label("split");
  LocalLabel fixed_small = r.label("fixed_small");
  LocalLabel integer_digits = r.label("integer_digits");
  LocalLabel fraction_digits = r.label("fraction_digits");
  LocalLabel small_digits = r.label("small_digits");
  LocalLabel scientific_text = r.label("scientific_text");
  LocalLabel scientific_digits = r.label("scientific_digits");
  LocalLabel exponent = r.label("exponent");
  LocalLabel finish = r.label("finish");
  LocalLabel next_digit = r.label("next_digit");
  LocalLabel fraction_digit = r.label("fraction_digit");
  LocalLabel low_nibble = r.label("low_nibble");

  r.op("mov eax, [esp+4]", "8b442404");
  r.op("movzx ebx, byte ptr [esp+8]", "0fb65c2408");
  r.op("movzx ecx, byte ptr [esp+12]", "0fb64c240c");
  r.op("mov edx, ' '", "ba", 0x20);
  r.call(float_text);
  r.op("push offset _buff", "68", r.at("_buff"));
  r.call_routine("_wrst");
  r.op("fninit", "dbe3");
  r.op("ret 12", "c20c00");

  lib.float_text = r.address_here();
  r.bind(float_text);
  r.op("mov [_fs], edx", "8915", r.at("_fs"));
  r.op("mov [_fr1], eax", "a3", r.at("_fr1"));
  r.op("cmp ecx, 100", "83f964");
  r.jump("jle", decimals_fit);
  r.op("mov ecx, 100", "b9", 100);
  r.bind(decimals_fit);
  r.op("mov [_nn], ecx", "890d", r.at("_nn"));
  r.op("cmp ebx, 127", "83fb7f");
  r.jump("jle", width_fits);
  r.op("mov ebx, 127", "bb", 127);
  r.bind(width_fits);
  r.op("mov [_kk], ebx", "891d", r.at("_kk"));
  r.op("push eax", "50");
  r.op("push offset _r", "68", r.at("_r"));
  r.op("push offset _p", "68", r.at("_p"));
  r.call_routine("_si2nsi");
  r.op("add esp, 12", "83c40c");

  // Layout: _ff = 1 for the fixed form; _mm = the characters after the sign.
  r.op("mov eax, [_p]", "a1", r.at("_p"));
  r.op("mov ecx, [_nn]", "8b0d", r.at("_nn"));
  r.op("mov dword ptr [_ff], 1", "c705", r.at("_ff"), "01000000");
  r.op("cmp dword ptr [_kk], 1", "833d", r.at("_kk"), "01");
  r.jump("jle", scientific);
  r.op("test ecx, ecx", "85c9");
  r.jump("jz", scientific);
  r.op("test eax, eax", "85c0");
  r.jump("jge", p_positive);
  r.op("mov edx, eax", "89c2");
  r.op("neg edx", "f7da");
  r.op("cmp edx, ecx", "39ca");
  r.jump("jg", scientific);
  r.op("lea edx, [ecx+2]", "8d5102");
  r.jump("jmp", layout_done);
  r.bind(p_positive);
  r.op("lea edx, [eax+ecx]", "8d1408");
  r.op("cmp edx, 6", "83fa06");
  r.jump("jg", scientific);
  r.op("add edx, 2", "83c202");
  r.jump("jmp", layout_done);
  r.bind(scientific);
  r.op("mov dword ptr [_ff], 0", "c705", r.at("_ff"), "00000000");
  r.op("mov edx, 8", "ba", 8);
  r.bind(layout_done);
  r.op("mov [_mm], edx", "8915", r.at("_mm"));

  // Padding: (width - 1) - _mm spaces, 4 fewer in scientific form.
  r.op("mov ecx, [_kk]", "8b0d", r.at("_kk"));
  r.op("dec ecx", "49");
  r.op("sub ecx, edx", "29d1");
  r.op("cmp dword ptr [_ff], 0", "833d", r.at("_ff"), "00");
  r.jump("jne", padding);
  r.op("sub ecx, 4", "83e904");
  r.bind(padding);
  r.op("mov edi, offset _buff", "bf", r.at("_buff"));
  r.op("test ecx, ecx", "85c9");
  r.jump("jle", sign);
  r.op("mov al, ' '", "b020");
  r.op("rep stosb", "f3aa");

  // Sign: "-" for a negative value (not for -0).
  r.bind(sign);
  r.op("mov eax, [_fr1]", "a1", r.at("_fr1"));
  r.op("mov edx, [eax]", "8b10");
  r.op("shl edx, 1", "d1e2");
  r.jump("jz", not_negative);
  r.jump("jnc", not_negative);
  r.op("mov al, '-'", "b02d");
  r.op("stosb", "aa");
  r.jump("jmp", digit_source);
  r.bind(not_negative);
  r.op("mov al, [_fs]", "a0", r.at("_fs"));
  r.op("test al, al", "84c0");
  r.jump("jz", digit_source);
  r.op("stosb", "aa");

  // The digit source: r = |x| scaled by a power of ten so that its integer
  // part holds the leading digits (all of them up to 10^17, the first 7
  // beyond); _str gets that integer part as packed decimal digits, _n1 the
  // place of the first digit in it, and st the fraction of r.
  r.bind(digit_source);
  r.op("fnstcw [_crw]", "d93d", r.at("_crw"));
  r.op("or word ptr [_crw], 0c00h", "66810d", r.at("_crw"), "000c");
  r.op("fldcw [_crw]", "d92d", r.at("_crw"));
  r.op("mov eax, [_fr1]", "a1", r.at("_fr1"));
  r.op("fld dword ptr [eax]", "d900");
  r.op("fabs", "d9e1");
  r.op("mov ecx, [_p]", "8b0d", r.at("_p"));
  r.op("mov [_n1], ecx", "890d", r.at("_n1"));
  r.op("test ecx, ecx", "85c9");
  r.jump("jge", large);
  r.op("mov dword ptr [_n1], 0", "c705", r.at("_n1"), "00000000");
  r.bind(scale_small);  // |x| * 10^-p, exact while the product fits 64 bits
  r.op("fmul dword ptr [_single_10]", "d80d", r.at("_single_10"));
  r.op("inc ecx", "41");
  r.jump("jnz", scale_small);
  r.jump("jmp", split);
  r.bind(large);
  r.op("cmp ecx, 17", "83f911");
  r.jump("jle", split);
  r.op("mov dword ptr [_n1], 6", "c705", r.at("_n1"), "06000000");
  r.op("sub ecx, 6", "83e906");
  r.op("fld1", "d9e8");
  r.bind(power);
  r.op("fmul dword ptr [_single_10]", "d80d", r.at("_single_10"));
  r.op("dec ecx", "49");
  r.jump("jnz", power);
  r.op("fdivp st(1), st", "def9");
  r.bind(split);
  r.op("fld st", "d9c0");
  r.op("frndint", "d9fc");
  r.op("fld st", "d9c0");
  r.op("fbstp tbyte ptr [_str]", "df35", r.at("_str"));
  r.op("fsubp st(1), st", "dee9");

  r.op("cmp dword ptr [_ff], 0", "833d", r.at("_ff"), "00");
  r.jump_near("je", scientific_text);
  r.op("mov eax, [_p]", "a1", r.at("_p"));
  r.op("test eax, eax", "85c0");
  r.jump("jl", fixed_small);
  r.op("lea ebx, [eax+1]", "8d5801");
  r.bind(integer_digits);
  r.call(next_digit);
  r.op("stosb", "aa");
  r.op("dec ebx", "4b");
  r.jump("jnz", integer_digits);
  r.op("mov al, '.'", "b02e");
  r.op("stosb", "aa");
  r.op("mov ebx, [_nn]", "8b1d", r.at("_nn"));
  r.bind(fraction_digits);
  r.call(next_digit);
  r.op("stosb", "aa");
  r.op("dec ebx", "4b");
  r.jump("jnz", fraction_digits);
  r.jump("jmp", finish);

  // 0.00ddd: -p - 1 zeros after the point, then digits up to the decimals.
  r.bind(fixed_small);
  r.op("mov al, '0'", "b030");
  r.op("stosb", "aa");
  r.op("mov al, '.'", "b02e");
  r.op("stosb", "aa");
  r.op("mov ecx, [_p]", "8b0d", r.at("_p"));
  r.op("neg ecx", "f7d9");
  r.op("dec ecx", "49");
  r.op("mov ebx, [_nn]", "8b1d", r.at("_nn"));
  r.op("sub ebx, ecx", "29cb");
  r.op("mov al, '0'", "b030");
  r.op("rep stosb", "f3aa");
  r.bind(small_digits);
  r.call(next_digit);
  r.op("stosb", "aa");
  r.op("dec ebx", "4b");
  r.jump("jnz", small_digits);
  r.jump("jmp", finish);

  r.bind(scientific_text);
  r.call(next_digit);
  r.op("stosb", "aa");
  r.op("mov al, '.'", "b02e");
  r.op("stosb", "aa");
  r.op("mov ebx, 6", "bb", 6);
  r.bind(scientific_digits);
  r.call(next_digit);
  r.op("stosb", "aa");
  r.op("dec ebx", "4b");
  r.jump("jnz", scientific_digits);
  r.op("mov al, 'E'", "b045");
  r.op("stosb", "aa");
  r.op("mov eax, [_p]", "a1", r.at("_p"));
  r.op("mov dl, '+'", "b22b");
  r.op("test eax, eax", "85c0");
  r.jump("jge", exponent);
  r.op("neg eax", "f7d8");
  r.op("mov dl, '-'", "b22d");
  r.bind(exponent);
  r.op("mov [edi], dl", "8817");
  r.op("inc edi", "47");
  r.op("mov cl, 10", "b10a");
  r.op("div cl", "f6f1");
  r.op("add ax, 3030h", "660530 30");
  r.op("stosb", "aa");
  r.op("mov al, ah", "88e0");
  r.op("stosb", "aa");
  r.bind(finish);
  r.op("mov byte ptr [edi], 0", "c60700");
  r.op("fstp st", "ddd8");
  r.op("ret", "c3");

  // next_digit: al = the next digit character; changes eax and edx.
  r.bind(next_digit);
  r.op("mov eax, [_n1]", "a1", r.at("_n1"));
  r.op("test eax, eax", "85c0");
  r.jump("js", fraction_digit);
  r.op("dec dword ptr [_n1]", "ff0d", r.at("_n1"));
  r.op("mov edx, eax", "89c2");
  r.op("shr edx, 1", "d1ea");
  r.op("mov dl, [edx+_str]", "8a92", r.at("_str"));
  r.op("test al, 1", "a801");
  r.jump("jz", low_nibble);
  r.op("shr dl, 4", "c0ea04");
  r.bind(low_nibble);
  r.op("and dl, 0fh", "80e20f");
  r.op("mov al, dl", "88d0");
  r.op("add al, '0'", "0430");
  r.op("ret", "c3");
  r.bind(fraction_digit);
  r.op("fmul dword ptr [_single_10]", "d80d", r.at("_single_10"));
  r.op("fld st", "d9c0");
  r.op("frndint", "d9fc");
  r.op("fist dword ptr [_r1]", "db15", r.at("_r1"));
  r.op("fsubp st(1), st", "dee9");
  r.op("mov al, [_r1]", "a0", r.at("_r1"));
  r.op("add al, '0'", "0430");
  r.op("ret", "c3");
}

// strtoint(address of the result, string): the string (at most 130 bytes of
// it) copied into "_buff" and parsed by _str2int. Plain ret.
void emit_strtoint(RoutineBuilder& r, LibraryState&) {
  LocalLabel copy = r.label("copy");
  LocalLabel copied = r.label("copied");
  r.op("mov esi, [esp+8]", "8b742408");
  r.op("mov edi, offset _buff", "bf", r.at("_buff"));
  r.op("mov ecx, 130", "b9", kBuffText);
  r.bind(copy);
  r.op("mov al, [esi]", "8a06");
  r.op("test al, al", "84c0");
  r.jump("jz", copied);
  r.op("mov [edi], al", "8807");
  r.op("inc esi", "46");
  r.op("inc edi", "47");
  r.op("dec ecx", "49");
  r.jump("jnz", copy);
  r.bind(copied);
  r.op("mov byte ptr [edi], 0", "c60700");
  r.op("push [esp+4]", "ff742404");
  r.call_routine("_str2int");
  r.op("add esp, 4", "83c404");
  r.op("ret", "c3");
}

// inttostr(destination, address of the integer): signed decimal. Plain ret.
void emit_inttostr(RoutineBuilder& r, LibraryState&) {
  r.op("push [esp+8]", "ff742408");  // the integer's address is the argument list
  r.op("push offset _fmt_int", "68", r.at("_fmt_int"));
  r.op("push [esp+12]", "ff74240c");  // the destination, two pushes further
  r.call_import("wvsprintfA");
  r.op("ret", "c3");
}

// floattostr(destination, address of the float): the text _si2st would write
// with width 5 and 2 decimals, but with no space for a positive sign.
// Plain ret.
void emit_floattostr(RoutineBuilder& r, LibraryState& lib) {
  LocalLabel copy = r.label("copy");
  r.op("mov eax, [esp+8]", "8b442408");
  r.op("mov ebx, 5", "bb", 5);
  r.op("mov ecx, 2", "b9", 2);
  r.op("xor edx, edx", "31d2");
  r.op("mov esi, float_text", "be", lib.float_text);
  r.op("call esi", "ffd6");
  r.op("fninit", "dbe3");
  r.op("mov esi, offset _buff", "be", r.at("_buff"));
  r.op("mov edi, [esp+4]", "8b7c2404");
  r.bind(copy);
  r.op("lodsb", "ac");
  r.op("stosb", "aa");
  r.op("test al, al", "84c0");
  r.jump("jnz", copy);
  r.op("ret", "c3");
}

// strtofloat(address of the result, string): an optional "-", integer
// digits ended by any byte (which is consumed, so "1x5" reads as 1.5), then
// fraction digits, then an exponent "E+n" or "E-n" right after the fraction.
// The digits are gathered on the x87, so long digit strings keep their value.
// Plain ret.
void emit_strtofloat(RoutineBuilder& r, LibraryState&) {
  LocalLabel integer = r.label("integer");
  LocalLabel integer_end = r.label("integer_end");
  LocalLabel fraction = r.label("fraction");
  LocalLabel fraction_end = r.label("fraction_end");
  LocalLabel positive = r.label("positive");
  LocalLabel exponent_sign = r.label("exponent_sign");
  LocalLabel exponent_digits = r.label("exponent_digits");
  LocalLabel exponent_end = r.label("exponent_end");
  LocalLabel power = r.label("power");
  LocalLabel apply = r.label("apply");
  LocalLabel divide = r.label("divide");
  LocalLabel store = r.label("store");

  emit_round_to_nearest(r);
  r.op("mov esi, [esp+8]", "8b742408");
  r.op("xor ebx, ebx", "31db");  // 1 when negative
  r.op("xor edi, edi", "31ff");  // 1 for a negative exponent
  r.op("cmp byte ptr [esi], '-'", "803e2d");
  r.op("fldz", "d9ee");  // the integer part
  r.jump("jne", integer);
  r.op("inc ebx", "43");
  r.op("inc esi", "46");
  r.bind(integer);
  r.op("movzx eax, byte ptr [esi]", "0fb606");
  r.op("inc esi", "46");
  r.op("sub eax, '0'", "83e830");
  r.op("cmp eax, 9", "83f809");
  r.jump("ja", integer_end);
  r.op("fimul dword ptr [_dec]", "da0d", r.at("_dec"));
  r.op("mov [_fn1], eax", "a3", r.at("_fn1"));
  r.op("fiadd dword ptr [_fn1]", "da05", r.at("_fn1"));
  r.jump("jmp", integer);
  r.bind(integer_end);
  r.op("fldz", "d9ee");  // the fraction digits as a whole number
  r.op("fld1", "d9e8");  // 10^(their count)
  r.op("cmp byte ptr [esi-1], 0", "807eff00");
  r.jump("jne", fraction);
  r.op("dec esi", "4e");  // the text ended: nothing follows
  r.bind(fraction);
  emit_digit_at_esi(r, fraction_end);
  r.op("inc esi", "46");
  r.op("fimul dword ptr [_dec]", "da0d", r.at("_dec"));
  r.op("fxch", "d9c9");
  r.op("fimul dword ptr [_dec]", "da0d", r.at("_dec"));
  r.op("mov [_fn2], eax", "a3", r.at("_fn2"));
  r.op("fiadd dword ptr [_fn2]", "da05", r.at("_fn2"));
  r.op("fxch", "d9c9");
  r.jump("jmp", fraction);
  r.bind(fraction_end);
  r.op("fdivp st(1), st", "def9");
  r.op("faddp st(1), st", "dec1");
  r.op("test ebx, ebx", "85db");
  r.jump("jz", positive);
  r.op("fchs", "d9e0");
  r.bind(positive);
  r.op("cmp byte ptr [esi], 'E'", "803e45");
  r.jump("jne", store);
  r.op("mov al, [esi+1]", "8a4601");
  r.op("cmp al, '+'", "3c2b");
  r.jump("je", exponent_sign);
  r.op("cmp al, '-'", "3c2d");
  r.jump("jne", store);
  r.op("inc edi", "47");
  r.bind(exponent_sign);
  r.op("add esi, 2", "83c602");
  r.op("xor ecx, ecx", "31c9");  // the exponent
  r.bind(exponent_digits);
  emit_digit_at_esi(r, exponent_end);
  r.op("inc esi", "46");
  r.op("cmp ecx, 1000", "81f9", 1000);  // far beyond any single: stop growing
  r.jump("jae", exponent_digits);
  r.op("imul ecx, ecx, 10", "6bc90a");
  r.op("add ecx, eax", "01c1");
  r.jump("jmp", exponent_digits);
  r.bind(exponent_end);
  r.op("fld1", "d9e8");
  r.bind(power);
  r.op("test ecx, ecx", "85c9");
  r.jump("jz", apply);
  r.op("fimul dword ptr [_dec]", "da0d", r.at("_dec"));
  r.op("dec ecx", "49");
  r.jump("jmp", power);
  r.bind(apply);
  r.op("test edi, edi", "85ff");
  r.jump("jnz", divide);
  r.op("fmulp st(1), st", "dec9");
  r.jump("jmp", store);
  r.bind(divide);
  r.op("fdivp st(1), st", "def9");
  r.bind(store);
  r.op("mov eax, [esp+4]", "8b442404");
  r.op("fstp dword ptr [eax]", "d918");
  emit_restore_control_word(r);
  r.op("ret", "c3");
}

}  // namespace tarn
