// The expressions parser.
//
// Input: tokens. Output: postfix operations, each emitted after its operands,
// so the emitter's operand stack holds the value of each finished part. The
// parser checks the shapes of accesses and the arguments of calls; types are
// the emitter's. Precedence, from tightest: factor (unary minus covers a whole
// term), "*" "/" mod div, "+" "-", one comparison, and/or (equal, left to
// right), not (over the whole chain).
#include "frontend/expressions.h"

#include "frontend/lexer.h"
#include "frontend/parsing.h"
#include "ir/postfix.h"
#include "tables/symbol_fields.h"
#include "tables/symtab.h"
#include "tables/types.h"

namespace tarn {

namespace {

bool is_delimiter(const Token& t) { return t.kind == TokenKind::kSeparator && t.code < 0; }

// relation = "(" condition ")" | simple-expression [ comparison simple-expression ]
void relation(FrontEnd& c, Token& tok) {
  if (is_sign(tok, kOpenParen)) {
    NestingGuard nested(c, "Expression nested too deeply");
    next(c, tok);
    parse_condition(c, tok);
    if (!is_sign(tok, kCloseParen)) report_error(c.errors, ErrorCode::kExpected, ")");
    next(c, tok);
    return;
  }
  if (is_delimiter(tok)) report_error(c.errors, ErrorCode::kExpected, "(");
  const bool from_nil = is_keyword(tok, kNil);
  switch (tok.kind) {
    case TokenKind::kLocalName: case TokenKind::kLiteral: case TokenKind::kFloat: case TokenKind::kMathFunction:
    case TokenKind::kArray: case TokenKind::kFunction: case TokenKind::kPointer:
      break;
    default:
      if (!from_nil) report_error(c.errors, ErrorCode::kOperandExpected, tok.text);
  }
  parse_simple_expression(c, tok);
  if (tok.kind != TokenKind::kRelation) {
    if (from_nil) report_error(c.errors, ErrorCode::kBadPointerComparison);
    return;
  }
  const int op = tok.code;
  if (from_nil && op != kEqual && op != kNotEqual) report_error(c.errors, ErrorCode::kBadPointerComparison);
  next(c, tok);
  parse_simple_expression(c, tok);
  emit_postfix(c, op);
}

// term = factor { ( "*" | "/" | "mod" | "div" ) factor }
void term(FrontEnd& c, Token& tok) {
  parse_factor(c, tok);
  for (;;) {
    const bool multiplicative = (tok.kind == TokenKind::kArith && (tok.code == kStar || tok.code == kSlash)) ||
                                is_keyword(tok, kMod) || is_keyword(tok, kDiv);
    if (!multiplicative) return;
    const int op = tok.code;
    next(c, tok);
    parse_factor(c, tok);
    emit_postfix(c, op);
  }
}

const TTypeDesc& record_type_of(FrontEnd& c, int variable) {
  const TTypeDesc* d = type_by_number(c.types, record_type(entry(c, variable)));
  if (d == nullptr || d->kind != kKindRecord) report_error(c.errors, ErrorCode::kRecordTypeExpected);
  return *d;
}

// Built-in function: name "(" [ argument ] ")". Without its parentheses the
// rest of the expression would be taken for the argument.
void builtin_function(FrontEnd& c, Token& tok) {
  const int op = tok.code;
  next(c, tok);
  if (!is_sign(tok, kOpenParen)) report_error(c.errors, ErrorCode::kExpected, "(");
  next(c, tok);
  // An argument must be there exactly when the function takes one, or the
  // operation would take an operand that belongs to the enclosing expression.
  const bool takes_argument = c.post.arity[-op] == 1;
  if (is_sign(tok, kCloseParen) == takes_argument)
    report_error(c.errors, takes_argument ? ErrorCode::kOperandExpected : ErrorCode::kExpected,
                 takes_argument ? tok.text : ")");
  if (takes_argument) parse_simple_expression(c, tok);
  emit_postfix(c, op);
  if (!is_sign(tok, kCloseParen)) report_error(c.errors, ErrorCode::kExpected, ")");
  next(c, tok);
}

// A function called inside an expression: its arguments, then CALL_FUN.
void function_call(FrontEnd& c, Token& tok) {
  const int function = tok.code;
  const int count = parse_call_arguments(c, tok, function, false);
  if (function == c.lex.current_function) mark_recursive(entry(c, function));
  emit_postfix(c, function);
  emit_postfix(c, count > 0 ? count : EMPTY_OPERAND);
}

// Does variable `actual` fit a formal of user type `d`?
bool fits_user_type(FrontEnd& c, int actual, const TTypeDesc& d) {
  const TSymbolbableRecord& e = entry(c, actual);
  if (e.symbolclass != static_cast<SymbolClass>(d.kind)) return false;
  if (d.kind == kKindRecord) return record_type(e) == d.number;
  if (d.kind == kKindPointer) return record_type(e) == d.attr1;
  // An array type keeps the element and the array's tags as they stand.
  int element = element_number(e);
  if (element == static_cast<int>(TypeNumber::kRecord)) element = record_type(e);
  return element == d.attr1 && e.tag == d.attr2 && e.tag2 == d.attr3 && e.tag3 == d.attr4;
}

}  // namespace

void parse_condition(FrontEnd& c, Token& tok) {
  bool negate = false;
  if (is_keyword(tok, kNot)) {
    negate = true;
    next(c, tok);
  }
  relation(c, tok);
  while (is_keyword(tok, kAnd) || is_keyword(tok, kOr)) {
    const int op = tok.code;
    next(c, tok);
    relation(c, tok);
    emit_postfix(c, op);
  }
  if (negate) emit_postfix(c, WD_NOT);
}

void parse_simple_expression(FrontEnd& c, Token& tok) {
  if (is_keyword(tok, kNil)) {
    emit_postfix(c, WD_NIL);
    next(c, tok);
    return;
  }
  term(c, tok);
  while (tok.kind == TokenKind::kArith && (tok.code == kPlus || tok.code == kMinus)) {
    const int op = tok.code;
    next(c, tok);
    term(c, tok);
    emit_postfix(c, op);
  }
}

void parse_array_index(FrontEnd& c, Token& tok, int array) {
  if (!is_sign(tok, kOpenBracket)) report_error(c.errors, ErrorCode::kExpected, "[");
  next(c, tok);
  parse_simple_expression(c, tok);
  if (columns(entry(c, array)) != 0) {
    emit_postfix(c, array);
    emit_postfix(c, INDEX_OP2);
    if (!is_sign(tok, kComma)) report_error(c.errors, ErrorCode::kExpected, ",");
    next(c, tok);
    parse_simple_expression(c, tok);
    emit_postfix(c, INDEX_OP);
  }
  if (!is_sign(tok, kCloseBracket)) report_error(c.errors, ErrorCode::kExpected, "]");
}

void parse_record_element_index(FrontEnd& c, Token& tok, int array) {
  if (!is_sign(tok, kOpenBracket)) report_error(c.errors, ErrorCode::kExpected, "[");
  next(c, tok);
  parse_simple_expression(c, tok);
  emit_postfix(c, array);
  if (columns(entry(c, array)) != 0) {
    if (!is_sign(tok, kComma)) report_error(c.errors, ErrorCode::kExpected, ",");
    next(c, tok);
    parse_simple_expression(c, tok);
  } else {
    emit_postfix(c, EMPTY_OPERAND);
  }
  emit_postfix(c, INDEX_OP3);
  if (!is_sign(tok, kCloseBracket)) report_error(c.errors, ErrorCode::kExpected, "]");
}

int parse_field_name(FrontEnd& c, Token& tok, int record_type) {
  next_raw_token(c, tok);
  const TTypeDesc* d = type_by_number(c.types, record_type);
  const TField* f = d ? find_field(*d, tok.text) : nullptr;
  if (f == nullptr) report_error(c.errors, ErrorCode::kBadFieldName, tok.text);
  return f->number;
}

void parse_factor(FrontEnd& c, Token& tok) {
  if (is_sign(tok, kOpenParen)) {
    NestingGuard nested(c, "Expression nested too deeply");
    next(c, tok);
    parse_simple_expression(c, tok);
    if (!is_sign(tok, kCloseParen)) report_error(c.errors, ErrorCode::kExpected, ")");
    next(c, tok);
    return;
  }
  if (is_delimiter(tok)) report_error(c.errors, ErrorCode::kExpected, "(");
  switch (tok.kind) {
    case TokenKind::kLocalName:
    case TokenKind::kLiteral:
    case TokenKind::kFloat: {
      TSymbolbableRecord& e = entry(c, tok.code);
      if (e.symboltype == TypeNumber::kStringLiteral)
        set_capacity(e, static_cast<int>(std::min<size_t>(tok.text.size() + 1, 255)));
      emit_postfix(c, tok.code);
      next(c, tok);
      return;
    }
    case TokenKind::kMathFunction:
      builtin_function(c, tok);
      return;
    case TokenKind::kArray: {
      const int array = tok.code;
      next(c, tok);
      if (entry(c, array).symboltype == TypeNumber::kRecord) {
        parse_record_element_index(c, tok, array);
        // The "." must follow the "]" directly.
        if (read_char(c) != '.') report_error(c.errors, ErrorCode::kExpected, ".");
        int field = parse_field_name(c, tok, record_type(entry(c, array)));
        emit_postfix(c, array);
        push_operand(c, field);
        emit_postfix(c, GET_FLD_A);
      } else {
        emit_postfix(c, array);
        parse_array_index(c, tok, array);
        emit_postfix(c, GET_ARR);
      }
      next(c, tok);
      return;
    }
    case TokenKind::kRecord:
    case TokenKind::kPointer: {
      const int variable = tok.code;
      const bool pointer = tok.kind == TokenKind::kPointer;
      emit_postfix(c, variable);
      next(c, tok);
      if (tok.text != "." && !is_sign(tok, kCaret)) return;  // the variable itself
      if (pointer) {
        if (!is_sign(tok, kCaret)) report_error(c.errors, ErrorCode::kExpected, "^");
        next(c, tok);
      }
      if (tok.text != ".") report_error(c.errors, ErrorCode::kExpected, ".");
      int field = parse_field_name(c, tok, record_type_of(c, variable).number);
      push_operand(c, field);
      emit_postfix(c, GET_FLD);
      next(c, tok);
      return;
    }
    case TokenKind::kFunction:
      function_call(c, tok);
      emit_postfix(c, CALL_FUN);
      return;
    default:
      break;
  }
  if (tok.kind == TokenKind::kArith && tok.code == kMinus) {
    NestingGuard nested(c, "Expression nested too deeply");
    next(c, tok);
    term(c, tok);
    emit_postfix(c, U_MINUS);
    return;
  }
  report_error(c.errors, ErrorCode::kOperandExpected, tok.text);
}

int parse_call_arguments(FrontEnd& c, Token& tok, int routine, bool procedure) {
  const TTblFun* signature = find_signature(c.sym, routine);
  if (signature == nullptr) report_error(c.errors, ErrorCode::kOperandExpected, tok.text);
  const int formals = param_count(*signature);
  next(c, tok);
  if (!is_sign(tok, kOpenParen)) report_error(c.errors, ErrorCode::kExpected, "(");
  next(c, tok);
  int count = 0;
  while (!is_sign(tok, kCloseParen)) {
    ++count;
    if (count > formals) report_error(c.errors, ErrorCode::kTooManyActuals);
    const TypeNumber formal_type = param_type(*signature, count);
    const TTypeDesc* user_type = type_by_number(c.types, formal_type);
    const bool whole_variable =
        tok.kind == TokenKind::kArray || tok.kind == TokenKind::kRecord || tok.kind == TokenKind::kPointer;
    int op = PAR_CALL;
    if (param_is_reference(*signature, count) || (user_type != nullptr && whole_variable)) {
      // Arrays, records and pointers pass as whole variables.
      if (user_type == nullptr || tok.code <= 0 || !fits_user_type(c, tok.code, *user_type))
        report_error(c.errors, ErrorCode::kIncompatibleActual, tok.text);
      const TSymbolbableRecord& actual = entry(c, tok.code);
      if (param_is_reference(*signature, count) && actual.symbolclass == SymbolClass::kPointer)
        op = is_reference(actual) ? P_P_PAR_CALL : P_PAR_CALL;
      emit_postfix(c, tok.code);
      next(c, tok);
    } else {
      parse_simple_expression(c, tok);
      const TSymbolbableRecord& value = entry(c, c.post.operands[c.post.operand_pointer - 1]);
      const TypeNumber type = value.symboltype;
      bool ok = true;
      if (type == TypeNumber::kInteger || type == TypeNumber::kIntegerLiteral) ok = formal_type == TypeNumber::kInteger;
      else if (type == TypeNumber::kString || type == TypeNumber::kStringLiteral)
        ok = formal_type == TypeNumber::kString;
      else if (type == TypeNumber::kFloat || type == TypeNumber::kFloatLiteral) ok = formal_type == TypeNumber::kFloat;
      else if (type == TypeNumber::kPointer)
        ok = user_type != nullptr && (record_type(value) == 0 || record_type(value) == user_type->attr1);
      // A `var` formal would write into the constant's own data: 5 would
      // print as 6 afterwards, and a longer text would run over the data
      // that follows a string literal.
      const bool named_constant =
          (value.symbolclass == SymbolClass::kVariable || value.symbolclass == SymbolClass::kLocal) &&
          is_read_only(value);
      if (signature->params[count - 1].var_formal &&
          (value.symbolclass == SymbolClass::kLiteral || value.symbolclass == SymbolClass::kConstant || named_constant))
        ok = false;
      if (!ok) report_error(c.errors, ErrorCode::kIncompatibleActual);
    }
    push_operand(c, count);
    push_operand(c, routine);
    emit_postfix(c, op);
    if (is_sign(tok, kComma)) {
      if (count == formals) report_error(c.errors, ErrorCode::kTooManyActuals);
      next(c, tok);
    } else if (!is_sign(tok, kCloseParen)) {
      report_error(c.errors, ErrorCode::kExpected, procedure ? "," : ")");
    }
  }
  if (count < formals) report_error(c.errors, ErrorCode::kTooFewActuals);
  next(c, tok);
  return count;
}

}  // namespace tarn
