// The statements parser.
//
// Input: tokens from `begin` on. Output: postfix records for every statement
// form, with control flow as "_sys<n>" jump labels numbered across the whole
// compile. Every structured statement ends with its own `end` (repeat with
// `until`); every statement of a list ends with ";".
#include "frontend/statements.h"

#include <vector>

#include "frontend/expressions.h"
#include "frontend/lexer.h"
#include "frontend/parsing.h"
#include "ir/postfix.h"
#include "tables/symbol_fields.h"
#include "tables/symtab.h"
#include "tables/types.h"

namespace tarn {

namespace {

bool is_integer_literal(FrontEnd& c, const Token& t) {
  return t.kind == TokenKind::kLiteral && t.code > 0 && entry(c, t.code).symboltype == TypeNumber::kIntegerLiteral;
}

void expect_semicolon(FrontEnd& c, const Token& tok) {
  if (!is_sign(tok, kSemicolon)) report_error(c.errors, ErrorCode::kSemicolonExpected);
}

// The ":=" of an assignment.
void expect_assign(FrontEnd& c, const Token& tok) {
  if (!is_sign(tok, kAssign))
    report_error(c.errors, ErrorCode::kInternal, "assign operator expected, but '" + tok.text + "' found");
}

void expect_keyword(FrontEnd& c, const Token& tok, int code, ErrorCode error, const char* text) {
  if (!is_keyword(tok, code))
    report_error(c.errors, error, error == ErrorCode::kExpected ? std::string(text) : tok.text);
}

// v ":=" simple-expression
void assignment(FrontEnd& c, Token& tok) {
  const int variable = tok.code;
  emit_postfix(c, variable);
  if (is_read_only(entry(c, variable))) report_error(c.errors, ErrorCode::kConstantChanged);
  next(c, tok);
  expect_assign(c, tok);
  next(c, tok);
  parse_simple_expression(c, tok);
  emit_postfix(c, ASIGN_OP);
  expect_semicolon(c, tok);
}

// a "[" index "]" ":=" e   |   a "[" index "]" "." field ":=" e
void element_assignment(FrontEnd& c, Token& tok) {
  const int array = tok.code;
  next(c, tok);
  if (entry(c, array).symboltype == TypeNumber::kRecord) {
    parse_record_element_index(c, tok, array);
    if (read_char(c) != '.') report_error(c.errors, ErrorCode::kDotExpected, ".");
    int field = parse_field_name(c, tok, record_type(entry(c, array)));
    emit_postfix(c, array);
    push_operand(c, field);
    next(c, tok);
    if (!is_sign(tok, kAssign)) report_error(c.errors, ErrorCode::kExpected, ":=");
    next(c, tok);
    parse_simple_expression(c, tok);
    emit_postfix(c, SET_FLD_A);
  } else {
    emit_postfix(c, array);
    parse_array_index(c, tok, array);
    next(c, tok);
    expect_assign(c, tok);
    next(c, tok);
    parse_simple_expression(c, tok);
    emit_postfix(c, SET_ARR);
  }
  expect_semicolon(c, tok);
}

// The source of `p := source`: nil, a pointer (or pointer field), a record
// field, a field of an array-of-records element, or a function giving a
// pointer. Anything else would lose the assignment: 26.
void pointer_source(FrontEnd& c, Token& tok) {
  if (is_keyword(tok, kNil)) {
    emit_postfix(c, WD_NIL);
    next(c, tok);
    return;
  }
  switch (tok.kind) {
    case TokenKind::kPointer:
    case TokenKind::kRecord:
      parse_factor(c, tok);
      return;
    case TokenKind::kArray:
      if (entry(c, tok.code).symboltype != TypeNumber::kRecord) report_error(c.errors, ErrorCode::kTypeMismatch);
      parse_factor(c, tok);
      return;
    case TokenKind::kFunction: {
      const TTblFun* f = find_signature(c.sym, tok.code);
      if (f == nullptr || f->result_type != TypeNumber::kPointer) report_error(c.errors, ErrorCode::kTypeMismatch);
      parse_factor(c, tok);
      return;
    }
    default: report_error(c.errors, ErrorCode::kTypeMismatch);
  }
}

// r "." field ":=" e  |  p "^" "." field ":=" e  |  p ":=" source
void field_or_pointer_assignment(FrontEnd& c, Token& tok) {
  const int variable = tok.code;
  const bool pointer = tok.kind == TokenKind::kPointer;
  emit_postfix(c, variable);
  next(c, tok);
  if (pointer && is_sign(tok, kAssign)) {
    next(c, tok);
    pointer_source(c, tok);
    emit_postfix(c, ASIGN_OP);
    expect_semicolon(c, tok);
    return;
  }
  if (pointer) {
    if (!is_sign(tok, kCaret)) report_error(c.errors, ErrorCode::kExpected, ":=");
    next(c, tok);
  }
  if (tok.text != ".") report_error(c.errors, ErrorCode::kExpected, ".");
  const TTypeDesc* record = type_by_number(c.types, record_type(entry(c, variable)));
  int field = parse_field_name(c, tok, record ? record->number : 0);
  push_operand(c, field);
  next(c, tok);
  if (!is_sign(tok, kAssign)) report_error(c.errors, ErrorCode::kExpected, ":=");
  next(c, tok);
  parse_simple_expression(c, tok);
  emit_postfix(c, SET_FLD);
  expect_semicolon(c, tok);
}

// "if" condition "then" statements [ "else" statements ] "end"
void if_statement(FrontEnd& c, Token& tok) {
  next(c, tok);
  parse_condition(c, tok);
  const int l1 = new_sys_label(c);
  emit_postfix(c, l1);
  emit_postfix(c, WD_IF);
  expect_keyword(c, tok, kThen, ErrorCode::kThenExpected, nullptr);
  next(c, tok);
  parse_statement_list(c, tok);
  int last = l1;
  if (is_keyword(tok, kElse)) {
    const int l2 = new_sys_label(c);
    emit_postfix(c, l1);
    emit_postfix(c, l2);
    emit_postfix(c, WD_ELSE);
    next(c, tok);
    parse_statement_list(c, tok);
    last = l2;
  }
  expect_keyword(c, tok, kEnd, ErrorCode::kEndExpected, nullptr);
  emit_postfix(c, last);
  emit_postfix(c, END_IF);
  next(c, tok);
}

// "while" condition "do" statements "end"
void while_statement(FrontEnd& c, Token& tok) {
  const int head = new_sys_label(c);
  emit_postfix(c, head);
  emit_postfix(c, WD_WHILE);
  next(c, tok);
  parse_condition(c, tok);
  expect_keyword(c, tok, kDo, ErrorCode::kExpected, "do");
  const int exit = new_sys_label(c);
  emit_postfix(c, exit);
  emit_postfix(c, WD_DO);
  next(c, tok);
  parse_statement_list(c, tok);
  expect_keyword(c, tok, kEnd, ErrorCode::kExpected, "end");
  emit_postfix(c, head);
  emit_postfix(c, exit);
  emit_postfix(c, END_WHILE);
  next(c, tok);
}

// "repeat" statements "until" condition
void repeat_statement(FrontEnd& c, Token& tok) {
  const int head = new_sys_label(c);
  emit_postfix(c, head);
  emit_postfix(c, WD_REPEAT);
  next(c, tok);
  parse_statement_list(c, tok);
  expect_keyword(c, tok, kUntil, ErrorCode::kExpected, "until");
  next(c, tok);
  parse_condition(c, tok);
  emit_postfix(c, head);
  emit_postfix(c, WD_UNTIL);
}

// "for" v ":=" e1 "to" e2 "do" statements "end"   (v <= e2 tested each round)
void for_statement(FrontEnd& c, Token& tok) {
  next(c, tok);
  if (tok.kind != TokenKind::kLocalName || tok.code <= 0 || entry(c, tok.code).symboltype != TypeNumber::kInteger)
    report_error(c.errors, ErrorCode::kIntegerVariableExpected, tok.text);
  const int variable = tok.code;
  emit_postfix(c, variable);
  next(c, tok);
  if (!is_sign(tok, kAssign)) report_error(c.errors, ErrorCode::kExpected, ":=");
  next(c, tok);
  parse_simple_expression(c, tok);
  emit_postfix(c, ASIGN_OP);
  const int head = new_sys_label(c);
  emit_postfix(c, head);
  emit_postfix(c, WD_FOR);
  expect_keyword(c, tok, kTo, ErrorCode::kExpected, "to");
  emit_postfix(c, variable);
  next(c, tok);
  parse_simple_expression(c, tok);
  emit_postfix(c, LTE_OP);
  expect_keyword(c, tok, kDo, ErrorCode::kExpected, "do");
  const int exit = new_sys_label(c);
  emit_postfix(c, exit);
  emit_postfix(c, WD_DO);
  next(c, tok);
  parse_statement_list(c, tok);
  emit_postfix(c, variable);
  emit_postfix(c, FOR_INC);
  expect_keyword(c, tok, kEnd, ErrorCode::kExpected, "end");
  emit_postfix(c, head);
  emit_postfix(c, exit);
  emit_postfix(c, END_FOR);
  next(c, tok);
}

// "do" statements "end" ";" of a case branch; ends on the ";".
void case_branch_body(FrontEnd& c, Token& tok) {
  expect_keyword(c, tok, kDo, ErrorCode::kExpected, "do");
  next(c, tok);
  parse_statement_list(c, tok);
  expect_keyword(c, tok, kEnd, ErrorCode::kEndExpected, nullptr);
  next(c, tok);
  expect_semicolon(c, tok);
  next(c, tok);
}

// "case" e "of" { value [ ".." value ] ":" "do" statements "end" ";" }
//   [ "else" "do" statements "end" ";" ] "end"      (ends on the ";" after it)
void case_statement(FrontEnd& c, Token& tok) {
  next(c, tok);
  parse_simple_expression(c, tok);
  const int selector = pop_operand(c);
  if (entry(c, selector).symboltype != TypeNumber::kInteger) report_error(c.errors, ErrorCode::kBadSelector);
  if (!is_keyword(tok, kOf)) report_error(c.errors, ErrorCode::kOfExpected, tok.text);
  next(c, tok);
  // Labels whose END_IF closes the case; as many as there are branches.
  std::vector<int> pending;
  int branch_label = 0;
  for (;;) {
    if (!is_integer_literal(c, tok)) report_error(c.errors, ErrorCode::kIntegerConstantExpected);
    const int low = tok.code;
    int high = 0;
    next(c, tok);
    if (tok.text == "..") {
      next(c, tok);
      if (!is_integer_literal(c, tok)) report_error(c.errors, ErrorCode::kIntegerConstantExpected);
      high = tok.code;
      next(c, tok);
    }
    if (!is_sign(tok, kColon)) report_error(c.errors, ErrorCode::kColonExpected);
    next(c, tok);
    if (high == 0) {
      emit_postfix(c, selector);
      emit_postfix(c, low);
      emit_postfix(c, E_OP);
    } else {
      emit_postfix(c, selector);
      emit_postfix(c, low);
      emit_postfix(c, GTE_OP);
      emit_postfix(c, selector);
      emit_postfix(c, high);
      emit_postfix(c, LTE_OP);
      emit_postfix(c, AND_OP);
    }
    branch_label = new_sys_label(c);
    emit_postfix(c, branch_label);
    emit_postfix(c, WD_IF);
    case_branch_body(c, tok);
    if (!is_integer_literal(c, tok)) break;
    const int after = new_sys_label(c);
    emit_postfix(c, branch_label);
    emit_postfix(c, after);
    emit_postfix(c, WD_ELSE);
    pending.push_back(after);
  }
  if (is_keyword(tok, kElse)) {
    const int after = new_sys_label(c);
    pending.push_back(after);
    emit_postfix(c, branch_label);
    emit_postfix(c, after);
    emit_postfix(c, WD_ELSE);
    next(c, tok);
    case_branch_body(c, tok);
  } else {
    pending.push_back(branch_label);
  }
  expect_keyword(c, tok, kEnd, ErrorCode::kEndExpected, nullptr);
  next(c, tok);
  expect_semicolon(c, tok);
  for (auto it = pending.rbegin(); it != pending.rend(); ++it) {
    emit_postfix(c, *it);
    emit_postfix(c, END_IF);
  }
}

// "goto" label
void goto_statement(FrontEnd& c, Token& tok) {
  next_raw_token(c, tok);
  if (tok.kind != TokenKind::kGotoLabel || tok.code <= 0) report_error(c.errors, ErrorCode::kLabelExpected);
  c.lex.goto_targets.push_back(tok.code);
  emit_postfix(c, tok.code);
  emit_postfix(c, GOTO);
  next(c, tok);
}

// "return" simple-expression
void return_statement(FrontEnd& c, Token& tok) {
  if (c.lex.current_function == 0) report_error(c.errors, ErrorCode::kStatementExpected, tok.text);
  emit_postfix(c, c.lex.current_function);
  next(c, tok);
  parse_simple_expression(c, tok);
  emit_postfix(c, WD_RETURN);
}

// label ":"      (ends on the ":"; no ";" follows)
void label_placement(FrontEnd& c, Token& tok) {
  const int label = tok.code;
  emit_postfix(c, label);
  if (is_placed(entry(c, label))) report_error(c.errors, ErrorCode::kDuplicateLabel, tok.text);
  mark_placed(entry(c, label));
  next(c, tok);
  if (!is_sign(tok, kColon)) report_error(c.errors, ErrorCode::kColonExpectedFound, tok.text);
  emit_postfix(c, MARK);
}

// p "(" [ actual { "," actual } ] ")" ";"
void procedure_call(FrontEnd& c, Token& tok) {
  const int procedure = tok.code;
  if (find_signature(c.sym, procedure) == nullptr) report_error(c.errors, ErrorCode::kInternal, "Error in statement");
  const int count = parse_call_arguments(c, tok, procedure, true);
  if (!is_sign(tok, kSemicolon)) report_error(c.errors, ErrorCode::kExpected, ";");
  emit_postfix(c, procedure);
  emit_postfix(c, count > 0 ? count : EMPTY_OPERAND);
  emit_postfix(c, CALL);
}

// "readln" [ "(" ( variable | array-element ) ")" ]
void readln_statement(FrontEnd& c, Token& tok) {
  next(c, tok);
  if (!is_sign(tok, kOpenParen)) {
    if (!is_sign(tok, kSemicolon)) report_error(c.errors, ErrorCode::kExpected, "(");
    emit_postfix(c, WD_READLN0);
    return;
  }
  next(c, tok);
  if (tok.kind == TokenKind::kLocalName && tok.code > 0) {
    emit_postfix(c, tok.code);
    emit_postfix(c, WD_READLN);
    next(c, tok);
  } else if (tok.kind == TokenKind::kArray && entry(c, tok.code).symboltype != TypeNumber::kRecord) {
    const int array = tok.code;
    emit_postfix(c, array);
    next(c, tok);
    parse_array_index(c, tok, array);
    emit_postfix(c, array);
    emit_postfix(c, READ_ARR);
    emit_postfix(c, SET_ARR);
    next(c, tok);
  } else {
    report_error(c.errors, ErrorCode::kVariableNameExpected, tok.text);
  }
  if (!is_sign(tok, kCloseParen)) report_error(c.errors, ErrorCode::kExpected, ")");
  next(c, tok);
}

// A width or decimals of a write item: an integer literal.
void format_number(FrontEnd& c, Token& tok) {
  next(c, tok);
  if (!is_integer_literal(c, tok)) report_error(c.errors, ErrorCode::kIntegerLiteralExpected);
  emit_postfix(c, tok.code);
  next(c, tok);
}

// ("write" | "writeln") [ "(" item { "," item } ")" ],
// item = simple-expression [ ":" width [ ":" decimals ] ]
void write_statement(FrontEnd& c, Token& tok) {
  const bool line = tok.code == kWriteln;
  next(c, tok);
  if (is_sign(tok, kOpenParen)) {
    do {
      next(c, tok);
      parse_simple_expression(c, tok);
      if (is_sign(tok, kColon)) {
        format_number(c, tok);
        if (is_sign(tok, kColon)) format_number(c, tok);
        else emit_postfix(c, EMPTY_OPERAND);
      } else {
        emit_postfix(c, EMPTY_OPERAND);
        emit_postfix(c, EMPTY_OPERAND);
      }
      emit_postfix(c, WRITE);
    } while (is_sign(tok, kComma));
    if (!is_sign(tok, kCloseParen)) report_error(c.errors, ErrorCode::kExpected, ")");
    next(c, tok);
  } else if (!is_sign(tok, kSemicolon)) {
    report_error(c.errors, ErrorCode::kExpected, "(");
  }
  if (line) emit_postfix(c, WD_WRITELN);
}

// ("new" | "free") "(" pointer ")"
void heap_statement(FrontEnd& c, Token& tok) {
  const bool allocate = tok.code == kNew;
  next(c, tok);
  if (!is_sign(tok, kOpenParen)) report_error(c.errors, ErrorCode::kExpected, "(");
  next(c, tok);
  if (tok.kind != TokenKind::kPointer) report_error(c.errors, ErrorCode::kRecordPointerExpected);
  const int pointer = tok.code;
  next(c, tok);
  if (!is_sign(tok, kCloseParen)) report_error(c.errors, ErrorCode::kExpected, ")");
  emit_postfix(c, pointer);
  if (allocate) {
    const TTypeDesc* record = type_by_number(c.types, record_type(entry(c, pointer)));
    push_operand(c, record ? record->attr2 : 0);
    emit_postfix(c, WD_NEW);
  } else {
    emit_postfix(c, WD_FREE);
  }
  next(c, tok);
}

// A statement that starts with a keyword; ends on the token after it.
void keyword_statement(FrontEnd& c, Token& tok) {
  switch (tok.code) {
    case kIf: if_statement(c, tok); break;
    case kWhile: while_statement(c, tok); break;
    case kRepeat: repeat_statement(c, tok); break;
    case kFor: for_statement(c, tok); break;
    case kCase: case_statement(c, tok); break;
    case kGoto: goto_statement(c, tok); break;
    case kReturn: return_statement(c, tok); break;
    case kReadln: readln_statement(c, tok); break;
    case kWrite: case kWriteln: write_statement(c, tok); break;
    case kNew: case kFree: heap_statement(c, tok); break;
    default: report_error(c.errors, ErrorCode::kExpected, "end");
  }
  if (!is_sign(tok, kSemicolon)) report_error(c.errors, ErrorCode::kExpected, ";");
}

bool ends_list(const Token& tok) {
  return is_keyword(tok, kEnd) || is_keyword(tok, kElse) || is_keyword(tok, kUntil);
}

}  // namespace

void parse_statement_list(FrontEnd& c, Token& tok) {
  NestingGuard nested(c, "Statements nested too deeply");
  if (is_keyword(tok, kEnd) || is_keyword(tok, kElse)) report_error(c.errors, ErrorCode::kStatementExpected, tok.text);
  while (!ends_list(tok)) {
    switch (tok.kind) {
      case TokenKind::kSeparator:
        if (tok.code > 0) procedure_call(c, tok);
        else if (tok.code != kSemicolon) report_error(c.errors, ErrorCode::kIdentifierExpectedFound, tok.text);
        break;
      case TokenKind::kKeyword: keyword_statement(c, tok); break;
      case TokenKind::kLocalName: assignment(c, tok); break;
      case TokenKind::kGotoLabel: label_placement(c, tok); break;
      case TokenKind::kArray: element_assignment(c, tok); break;
      case TokenKind::kRecord: case TokenKind::kPointer: field_or_pointer_assignment(c, tok); break;
      default: report_error(c.errors, ErrorCode::kInternal, "Error in statement");
    }
    // A list still open at the end of the source would otherwise wait forever
    // on the last token.
    if (!next_token(c, tok) && at_end_of_source(c.lex)) report_error(c.errors, ErrorCode::kExpected, "end");
  }
}

void check_goto_targets(FrontEnd& c) {
  for (int label : c.lex.goto_targets)
    if (!is_placed(sym_at(c.sym, label))) report_error(c.errors, ErrorCode::kLabelExpected, sym_at(c.sym, label).name);
  c.lex.goto_targets.clear();
}

}  // namespace tarn
