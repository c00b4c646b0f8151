// Declarations: the source file, routine headers and the label, const, type and
// var sections.
//
// Input: tokens from the lexer. Output: the symbols and user types that the
// declarations describe, and the few postfix records they produce (routine
// starts and ends, parameter bindings, constant values). Every parse routine
// starts on its construct's first token and leaves `tok` on the first token
// after it, unless its comment says otherwise.
#include "frontend/declarations.h"

#include <vector>

#include "common/text.h"
#include "frontend/lexer.h"
#include "frontend/parsing.h"
#include "frontend/statements.h"
#include "ir/postfix.h"
#include "tables/symbol_fields.h"
#include "tables/symtab.h"
#include "tables/types.h"

namespace tarn {

namespace {

constexpr int kMaxListNames = 10;
constexpr int kMaxArrayBound = 255;
constexpr int kMaxStringCapacity = 128;

bool is_routine_start(const Token& t) { return is_keyword(t, kProcedure) || is_keyword(t, kFunction); }

// A name that the lexer has just declared.
bool is_new_name(const Token& t) {
  return (t.kind == TokenKind::kLocalName || t.kind == TokenKind::kSeparator || t.kind == TokenKind::kFunction) &&
         t.code > 0;
}

bool is_one_of(const Token& t, std::initializer_list<int> keywords) {
  for (int k : keywords)
    if (is_keyword(t, k)) return true;
  return false;
}

// Reads the next token with declaration mode on: names met are declared.
void next_declaring(FrontEnd& c, Token& tok) {
  c.lex.declaration_mode = true;
  next_token(c, tok);
  c.lex.declaration_mode = false;
}

// intconst = integer literal | name of an integer constant (value in tag2).
bool read_intconst(FrontEnd& c, Token& tok, int& value) {
  next_raw_token(c, tok);
  if (tok.kind == TokenKind::kLiteral) {
    int64_t v = 0;
    parse_int64(tok.text, v);
    value = static_cast<int>(v);
    return true;
  }
  if (tok.code > 0 && tok.code <= c.sym.count && tok.kind != TokenKind::kString && tok.kind != TokenKind::kFloat) {
    const TSymbolbableRecord& e = entry(c, tok.code);
    if (is_read_only(e) && e.symboltype == TypeNumber::kInteger) {
      value = constant_value(e);
      return true;
    }
  }
  return false;
}

// "[" intconst "]" after `string`: the capacity, 1 to 128 when checked.
int string_capacity(FrontEnd& c, Token& tok, bool check_range) {
  next_raw_token(c, tok);
  if (!is_sign(tok, kOpenBracket)) report_error(c.errors, ErrorCode::kExpected, "[");
  int n = 0;
  if (!read_intconst(c, tok, n)) report_error(c.errors, ErrorCode::kIntegerLiteralExpected);
  if (check_range && (n < 1 || n > kMaxStringCapacity)) report_error(c.errors, ErrorCode::kStringCapacityOutOfRange);
  next_raw_token(c, tok);
  if (!is_sign(tok, kCloseBracket)) report_error(c.errors, ErrorCode::kExpected, "]");
  return n;
}

// Gives `position` the description of user type `type_symbol` (a class 25
// entry): arrays keep their element type and dimensions, records their size,
// pointers name the record they point to.
void apply_user_type(FrontEnd& c, int position, int type_symbol) {
  const TSymbolbableRecord& ts = entry(c, type_symbol);
  TSymbolbableRecord& e = entry(c, position);
  const TTypeDesc* d =
      ts.symboltype == TypeNumber::kArray ? find_type(c.types, ts.name) : type_by_number(c.types, type_number(ts));
  if (d == nullptr) report_error(c.errors, ErrorCode::kBadFormalType);
  e.symbolclass = static_cast<SymbolClass>(d->kind);  // a type's kind is the class of its variables
  if (d->kind == kKindArray) {
    e.symboltype = d->attr1 >= 100 ? TypeNumber::kRecord : static_cast<TypeNumber>(d->attr1);
    copy_shape(e, ts);
    set_record_type(e, d->attr1 >= 100 ? d->attr1 : 0);
  } else if (d->kind == kKindRecord) {
    e.symboltype = TypeNumber::kRecord;
    set_data_size(e, d->attr2);
    set_record_type(e, d->number);
  } else {
    e.symboltype = TypeNumber::kPointer;
    set_data_size(e, 8);
    set_record_type(e, d->attr1);
  }
}

// The number of the user type that a class 25 symbol names.
int user_type_number(FrontEnd& c, int type_symbol) {
  const TSymbolbableRecord& ts = entry(c, type_symbol);
  const TTypeDesc* d =
      ts.symboltype == TypeNumber::kArray ? find_type(c.types, ts.name) : type_by_number(c.types, type_number(ts));
  return d ? d->number : 0;
}

// bound = "1" ".." intconst; the raw reader may deliver "1." then ".".
int array_bound(FrontEnd& c, Token& tok) {
  next_raw_token(c, tok);
  if (tok.kind == TokenKind::kFloat && tok.text == "1.") {
    next_token(c, tok);
    if (tok.text != ".") report_error(c.errors, ErrorCode::kExpected, "..");
  } else if (tok.kind == TokenKind::kLiteral && tok.text == "1") {
    next_token(c, tok);
    if (tok.text != "..") report_error(c.errors, ErrorCode::kExpected, "..");
  } else {
    report_error(c.errors, ErrorCode::kExpected, "1..");
  }
  int n = 0;
  if (!read_intconst(c, tok, n)) report_error(c.errors, ErrorCode::kIntegerConstantExpectedFound, tok.text);
  if (n > kMaxArrayBound) report_error(c.errors, ErrorCode::kArrayTooLarge);
  return n;
}

// array-type = "[" bound [ "," bound ] "]" "of" element-type
// Starts on `array`; describes `position` as an array variable.
void array_type(FrontEnd& c, Token& tok, int position) {
  next_raw_token(c, tok);
  if (!is_sign(tok, kOpenBracket)) report_error(c.errors, ErrorCode::kExpected, "[");
  int first = array_bound(c, tok);
  int second = 0;
  next_raw_token(c, tok);
  if (is_sign(tok, kComma)) {
    second = array_bound(c, tok);
    next_raw_token(c, tok);
  }
  if (!is_sign(tok, kCloseBracket)) report_error(c.errors, ErrorCode::kExpected, "]");
  next_raw_token(c, tok);
  if (!is_keyword(tok, kOf)) report_error(c.errors, ErrorCode::kExpected, "of");
  next_raw_token(c, tok);
  TSymbolbableRecord& e = entry(c, position);
  e.symbolclass = SymbolClass::kArray;
  e.tag = static_cast<uint8_t>(first);  // the first dimension, unless the elements are strings (below)
  set_columns(e, second);
  if (is_keyword(tok, kInteger)) {
    e.symboltype = TypeNumber::kInteger;
  } else if (is_keyword(tok, kFloat)) {
    e.symboltype = TypeNumber::kFloat;
  } else if (is_keyword(tok, kString)) {
    // The capacity lives in a one-byte tag: it is held to the range of
    // string variables rather than wrapping round.
    int capacity = string_capacity(c, tok, true);
    e.symboltype = TypeNumber::kString;
    set_rows(e, first);
    set_capacity(e, capacity);
  } else if (tok.kind == TokenKind::kTypeName && entry(c, tok.code).symboltype == TypeNumber::kRecordName) {
    e.symboltype = TypeNumber::kRecord;
    set_record_type(e, type_number(entry(c, tok.code)));
  } else {
    report_error(c.errors, ErrorCode::kBadFormalType);
  }
  next(c, tok);
}

// initial-list = value { "," value } ";"   (starts on "=", ends on ";")
void initial_list(FrontEnd& c, Token& tok, int array) {
  const TypeNumber element = entry(c, array).symboltype;
  const int element_capacity = capacity(entry(c, array));
  int count = 0;
  for (;;) {
    next_raw_token(c, tok);
    if (element == TypeNumber::kInteger) {
      if (tok.kind != TokenKind::kLiteral) report_error(c.errors, ErrorCode::kIntegerConstantExpected);
    } else if (element == TypeNumber::kFloat) {
      if (tok.kind != TokenKind::kLiteral && tok.kind != TokenKind::kFloat)
        report_error(c.errors, ErrorCode::kNumberConstantExpected);
    } else if (element == TypeNumber::kString) {
      if (tok.kind != TokenKind::kString) report_error(c.errors, ErrorCode::kStringConstantExpected);
    } else {
      report_error(c.errors, ErrorCode::kConstantExpected);
    }
    int value = add_raw_entry(c.sym, c.errors, tok.text, SymbolClass::kConstant, c.lex.current_procedure);
    TSymbolbableRecord& v = entry(c, value);
    v.symboltype = static_cast<TypeNumber>(element);
    v.location = array;
    if (element == TypeNumber::kString) set_capacity(v, element_capacity);
    ++count;
    next_raw_token(c, tok);
    if (is_sign(tok, kSemicolon)) break;
    if (!is_sign(tok, kComma)) report_error(c.errors, ErrorCode::kSemicolonExpected);
  }
  TSymbolbableRecord& a = entry(c, array);
  int elements = columns(a) != 0 ? rows(a) * columns(a) : rows(a);
  if (count != elements) report_error(c.errors, ErrorCode::kInitialListLength);
  set_rows(a, 0);  // the list's entries are the array's storage
}

// var-type = [ "^" ] ( "integer" | "float" | "text" | "string" "[" intconst "]"
//            | "array" array-type [ "=" initial-list ] | type-name )
// Starts after ":"; `names` in written order. Ends on the ";" of the entry.
void var_type(FrontEnd& c, Token& tok, const std::vector<int>& names) {
  next_raw_token(c, tok);
  bool pointer = false;
  if (is_sign(tok, kCaret)) {
    pointer = true;
    next_raw_token(c, tok);
  }
  auto each = [&](auto&& describe) {
    for (auto it = names.rbegin(); it != names.rend(); ++it) describe(entry(c, *it));
  };
  if (is_keyword(tok, kInteger) || is_keyword(tok, kFloat) || is_keyword(tok, kText)) {
    TypeNumber type = tok.code == kInteger ? TypeNumber::kInteger
                      : tok.code == kFloat ? TypeNumber::kFloat
                                           : TypeNumber::kText;
    each([&](TSymbolbableRecord& e) { e.symboltype = static_cast<TypeNumber>(type); });
    next(c, tok);
  } else if (is_keyword(tok, kString)) {
    int capacity = string_capacity(c, tok, true);
    each([&](TSymbolbableRecord& e) {
      e.symboltype = TypeNumber::kString;
      set_capacity(e, capacity);
    });
    next(c, tok);
  } else if (is_keyword(tok, kArray)) {
    const int described = names.back();
    array_type(c, tok, described);
    for (size_t i = 0; i + 1 < names.size(); ++i) {
      const TSymbolbableRecord& d = entry(c, described);
      TSymbolbableRecord& e = entry(c, names[names.size() - 2 - i]);
      e.symbolclass = d.symbolclass;
      e.symboltype = d.symboltype;
      copy_shape(e, d);
    }
    if (tok.kind == TokenKind::kRelation && tok.code == kEqual) initial_list(c, tok, described);
  } else if (tok.kind == TokenKind::kTypeName) {
    const int type_symbol = tok.code;
    const bool record = entry(c, type_symbol).symboltype == TypeNumber::kRecordName;
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
      apply_user_type(c, *it, type_symbol);
      if (pointer && record) {
        TSymbolbableRecord& e = entry(c, *it);
        e.symbolclass = SymbolClass::kPointer;
        e.symboltype = TypeNumber::kPointer;
        set_data_size(e, 8);
      }
    }
    next(c, tok);
  } else {
    report_error(c.errors, ErrorCode::kBadVariableType);
  }
}

void procedure_declaration(FrontEnd& c, Token& tok);
void function_declaration(FrontEnd& c, Token& tok);

// A routine declared inside another one's declarations: the enclosing routine
// stays searchable through the scope stack and is current again afterwards.
void nested_routine(FrontEnd& c, Token& tok) {
  LexerState& lex = c.lex;
  const int saved_procedure = lex.current_procedure;
  const int saved_heading = lex.heading_kind;
  const int saved_function = lex.current_function;
  if (push_scope(c.sym, saved_procedure) < 0) report_error(c.errors, ErrorCode::kTooManyNamesInList, "10");
  if (is_keyword(tok, kProcedure)) procedure_declaration(c, tok);
  else function_declaration(c, tok);
  pop_scope(c.sym);
  lex.current_procedure = saved_procedure;
  lex.heading_kind = saved_heading;
  lex.current_function = saved_function;
}

// var-section = "var" { ( name { "," name } ":" var-type | routine ) ";" }
void var_section(FrontEnd& c, Token& tok) {
  next_declaring(c, tok);
  bool first = true;
  for (;;) {
    if (is_routine_start(tok)) {
      nested_routine(c, tok);
      next_declaring(c, tok);
      first = false;
      continue;
    }
    if (!is_new_name(tok)) {
      if (!first && tok.kind == TokenKind::kKeyword) return;
      report_error(c.errors, ErrorCode::kIdentifierExpected);
    }
    std::vector<int> names{tok.code};
    next(c, tok);
    while (is_sign(tok, kComma)) {
      next_declaring(c, tok);
      if (!is_new_name(tok)) report_error(c.errors, ErrorCode::kIdentifierExpected);
      if (static_cast<int>(names.size()) == kMaxListNames) report_error(c.errors, ErrorCode::kTooManyNamesInList);
      names.push_back(tok.code);
      next(c, tok);
    }
    if (!is_sign(tok, kColon)) report_error(c.errors, ErrorCode::kColonExpected);
    var_type(c, tok, names);
    if (!is_sign(tok, kSemicolon)) report_error(c.errors, ErrorCode::kSemicolonExpected);
    next_declaring(c, tok);
    first = false;
  }
}

// label-section = "label" name { "," name } ";"
void label_section(FrontEnd& c, Token& tok) {
  do {
    next_declaring(c, tok);
    if (!is_new_name(tok)) report_error(c.errors, ErrorCode::kIdentifierExpected);
    TSymbolbableRecord& e = entry(c, tok.code);
    e.symbolclass = SymbolClass::kGotoLabel;
    e.tag = 0;  // not placed yet
    // A name where "," or ";" belongs is reported as the missing ";", not
    // as an unknown identifier.
    next_declaring(c, tok);
  } while (is_sign(tok, kComma));
  if (!is_sign(tok, kSemicolon)) report_error(c.errors, ErrorCode::kSemicolonExpected);
  next_declaring(c, tok);
}

// const-section = "const" { name "=" literal ";" }
void const_section(FrontEnd& c, Token& tok) {
  next_declaring(c, tok);
  while (is_new_name(tok)) {
    const int name = tok.code;
    next(c, tok);
    if (tok.kind != TokenKind::kRelation || tok.code != kEqual) report_error(c.errors, ErrorCode::kExpected, "=");
    next_raw_token(c, tok);
    int literal = 0;
    TypeNumber type = TypeNumber::kNone, literal_type = TypeNumber::kNone;
    const int scope = c.lex.current_procedure;
    if (tok.kind == TokenKind::kLiteral) {
      SymbolClass symbol_class = SymbolClass::kLiteral;
      symbol(c.sym, c.errors, c.lex.current_procedure, kDeclare, tok.text, symbol_class, scope, literal);
      type = TypeNumber::kInteger;
      literal_type = TypeNumber::kIntegerLiteral;
    } else if (tok.kind == TokenKind::kFloat || tok.kind == TokenKind::kString) {
      // The generator takes a float or string constant's value from the entry
      // right after the name, so these never share an earlier literal.
      literal = add_raw_entry(c.sym, c.errors, tok.text, SymbolClass::kLiteral, scope);
      entry(c, literal).location = literal;
      type = tok.kind == TokenKind::kFloat ? TypeNumber::kFloat : TypeNumber::kString;
      literal_type = tok.kind == TokenKind::kFloat ? TypeNumber::kFloatLiteral : TypeNumber::kStringLiteral;
    } else {
      report_error(c.errors, ErrorCode::kConstantExpected);
    }
    entry(c, literal).symboltype = literal_type;
    TSymbolbableRecord& e = entry(c, name);
    e.symboltype = type;
    mark_read_only(e);
    if (type == TypeNumber::kInteger) {
      int64_t v = 0;
      parse_int64(tok.text, v);
      set_constant_value(e, static_cast<int32_t>(v));
    } else if (type == TypeNumber::kString) {
      set_capacity(e, static_cast<int>(tok.text.size()) + 1);
    }
    emit_postfix(c, name);
    emit_postfix(c, literal);
    emit_postfix(c, ASIGN_OP);
    next(c, tok);
    if (!is_sign(tok, kSemicolon)) report_error(c.errors, ErrorCode::kSemicolonExpected);
    next_declaring(c, tok);
  }
}

// field-list = { name { "," name } ":" field-type ";" } "end"
// Starts on `record`; the fields of one line are created last-first.
void record_fields(FrontEnd& c, Token& tok, TTypeDesc& record) {
  SymbolTable& t = c.sym;
  for (;;) {
    next_raw_token(c, tok);
    if (is_keyword(tok, kEnd)) return;
    for (;;) {
      if (tok.text.empty() || !(tok.text[0] >= 'a' && tok.text[0] <= 'z') || tok.kind == TokenKind::kKeyword ||
          tok.kind == TokenKind::kMathFunction)
        report_error(c.errors, ErrorCode::kBadFieldName, tok.text);
      std::string name = tok.text.substr(0, kNameStackNameLength);
      bool duplicate = find_field(record, name) != nullptr;
      for (int i = 0; i < t.name_count; ++i) duplicate = duplicate || t.names[i] == name;
      if (duplicate) report_error(c.errors, ErrorCode::kDuplicateField);
      if (push_name(t, name) < 0) report_error(c.errors, ErrorCode::kInternal, "Access stack error");
      next_raw_token(c, tok);
      if (!is_sign(tok, kComma)) break;
      next_raw_token(c, tok);
    }
    if (!is_sign(tok, kColon)) {
      t.name_count = 0;
      report_error(c.errors, ErrorCode::kColonExpected);
    }
    next_raw_token(c, tok);
    TypeNumber type = TypeNumber::kNone;
    int capacity = 0;
    if (is_keyword(tok, kInteger)) {
      type = TypeNumber::kInteger;
    } else if (is_keyword(tok, kFloat)) {
      type = TypeNumber::kFloat;
    } else if (is_keyword(tok, kString)) {
      type = TypeNumber::kString;
      capacity = string_capacity(c, tok, true);
    } else if (is_sign(tok, kCaret)) {
      next_raw_token(c, tok);
      if (tok.kind != TokenKind::kTypeName) report_error(c.errors, ErrorCode::kBadFieldType);
      type = TypeNumber::kPointer;
    } else {
      report_error(c.errors, ErrorCode::kBadFieldType);
    }
    while (t.name_count > 0) add_field(c.errors, record, pop_name(t), type, capacity);
    next_raw_token(c, tok);
    if (!is_sign(tok, kSemicolon)) report_error(c.errors, ErrorCode::kSemicolonExpected);
  }
}

// type-section = "type" { name "=" ( "array" array-type | "record" field-list
//                "end" | "^" name ) ";" }
void type_section(FrontEnd& c, Token& tok) {
  next_declaring(c, tok);
  while (is_new_name(tok)) {
    const int name = tok.code;
    next(c, tok);
    if (tok.kind != TokenKind::kRelation || tok.code != kEqual) report_error(c.errors, ErrorCode::kExpected, "=");
    next_raw_token(c, tok);
    TTypeDesc d;
    d.name = entry(c, name).name;
    d.scope = entry(c, name).procname;
    if (is_keyword(tok, kArray)) {
      array_type(c, tok, name);
      TSymbolbableRecord& e = entry(c, name);
      d.kind = kKindArray;
      // The element and the array's tags as they stand, so that a variable
      // of this type can be told apart from other arrays (see expressions).
      d.attr1 = element_number(e);
      d.attr2 = e.tag;
      d.attr3 = e.tag2;
      d.attr4 = e.tag3;
      add_type(c.types, c.errors, d);
      e.symbolclass = SymbolClass::kTypeName;
      e.symboltype = TypeNumber::kArray;
    } else if (is_keyword(tok, kRecord)) {
      TSymbolbableRecord& e = entry(c, name);
      e.symbolclass = SymbolClass::kTypeName;
      e.symboltype = TypeNumber::kRecordName;
      d.kind = kKindRecord;
      record_fields(c, tok, d);
      set_type_number(entry(c, name), add_type(c.types, c.errors, d));
      next(c, tok);
    } else if (is_sign(tok, kCaret)) {
      next_raw_token(c, tok);
      if (tok.kind != TokenKind::kTypeName || entry(c, tok.code).symboltype != TypeNumber::kRecordName)
        report_error(c.errors, ErrorCode::kRecordTypeExpected);
      d.kind = kKindPointer;
      d.attr1 = type_number(entry(c, tok.code));
      TSymbolbableRecord& e = entry(c, name);
      e.symbolclass = SymbolClass::kTypeName;
      e.symboltype = TypeNumber::kPointer;
      set_type_number(e, add_type(c.types, c.errors, d));
      next(c, tok);
    } else {
      report_error(c.errors, ErrorCode::kBadVariableType);
    }
    if (!is_sign(tok, kSemicolon)) report_error(c.errors, ErrorCode::kSemicolonExpected);
    next_declaring(c, tok);
  }
}

// formal-list = "(" [ formal { "," formal } ] ")"
// formal = [ "var" ] name ":" ( "integer" | "float" | "string" | type-name )
void formal_list(FrontEnd& c, Token& tok, int routine, TTblFun& signature) {
  char after = read_char(c);
  if (after == ')') {
    next(c, tok);
    return;
  }
  push_back_char(c, after);
  for (int ordinal = 1;; ++ordinal) {
    next_declaring(c, tok);
    bool by_reference = false;
    if (is_keyword(tok, kVar)) {
      by_reference = true;
      next_declaring(c, tok);
    }
    if (!is_new_name(tok) || tok.kind != TokenKind::kLocalName) report_error(c.errors, ErrorCode::kIdentifierExpected);
    const int formal = tok.code;
    emit_postfix(c, formal);
    next(c, tok);
    if (!is_sign(tok, kColon)) report_error(c.errors, ErrorCode::kColonExpected);
    next_raw_token(c, tok);
    TSymbolbableRecord& e = entry(c, formal);
    if (is_keyword(tok, kInteger) || is_keyword(tok, kFloat) || is_keyword(tok, kString)) {
      TypeNumber type = tok.code == kInteger ? TypeNumber::kInteger
                        : tok.code == kFloat ? TypeNumber::kFloat
                                             : TypeNumber::kString;
      e.symboltype = type;
      if (type == TypeNumber::kString) set_capacity(e, kMaxStringCapacity);
      add_value_param(signature, type);
    } else if (tok.kind == TokenKind::kTypeName) {
      apply_user_type(c, formal, tok.code);
      const TypeNumber number = user_type(user_type_number(c, tok.code));
      if (by_reference) {
        set_reference(entry(c, formal), true);
        add_reference_param(signature, number);
      } else {
        add_value_param(signature, number);
      }
    } else {
      report_error(c.errors, ErrorCode::kBadFormalType);
    }
    signature.params.back().var_formal = by_reference;
    emit_postfix(c, ordinal);
    emit_postfix(c, routine);
    emit_postfix(c, by_reference && entry(c, formal).symboltype != TypeNumber::kRecord ? GET_P_PAR : GET_PAR);
    next(c, tok);
    if (is_sign(tok, kCloseParen)) break;
    if (!is_sign(tok, kComma)) report_error(c.errors, ErrorCode::kExpected, "\",\" or \")\"");
  }
  next(c, tok);
}

// Reads a routine's name in declaration mode with no current routine; the name
// becomes the current routine.
int routine_name(FrontEnd& c, Token& tok, int heading_kind) {
  LexerState& lex = c.lex;
  lex.heading_kind = heading_kind;
  lex.current_procedure = 0;
  next_declaring(c, tok);
  if (heading_kind == 2 && tok.code < 0) report_error(c.errors, ErrorCode::kBadFunctionName);
  if (!is_new_name(tok)) report_error(c.errors, ErrorCode::kIdentifierExpected);
  lex.current_procedure = tok.code;
  return tok.code;
}

// The formal list (if any) and the routine record; leaves the token after it.
TTblFun routine_header(FrontEnd& c, Token& tok, int routine) {
  TTblFun signature = create_signature(routine, TypeNumber::kNone);
  next(c, tok);
  if (is_sign(tok, kOpenParen)) formal_list(c, tok, routine, signature);
  set_formal_count(entry(c, routine), param_count(signature));
  return signature;
}

// "begin" statement-list "end"; leaves the token after `end`.
void routine_body(FrontEnd& c, Token& tok, int end_op) {
  if (!is_keyword(tok, kBegin)) report_error(c.errors, ErrorCode::kExpected, "begin");
  next(c, tok);
  parse_statement_list(c, tok);
  if (!is_keyword(tok, kEnd)) report_error(c.errors, ErrorCode::kExpected, "end");
  check_goto_targets(c);
  emit_postfix(c, end_op);
}

// procedure = "procedure" name [ formal-list ] [ const-section ] [ var-section ]
//             "begin" statement-list "end" ";"      (ends on the ";")
void procedure_declaration(FrontEnd& c, Token& tok) {
  const int routine = routine_name(c, tok, 1);
  c.lex.current_function = 0;
  emit_postfix(c, routine);
  emit_postfix(c, WD_PROC);
  append_signature(c.sym, routine_header(c, tok, routine));
  if (!is_one_of(tok, {kConst, kVar, kBegin})) report_error(c.errors, ErrorCode::kExpected, " const, var or begin");
  if (is_keyword(tok, kConst)) const_section(c, tok);
  if (is_keyword(tok, kVar)) var_section(c, tok);
  routine_body(c, tok, END_PROC);
  next(c, tok);
  if (!is_sign(tok, kSemicolon)) report_error(c.errors, ErrorCode::kSemicolonExpected);
}

// function = "function" name [ formal-list ] ":" result-type [ label-section ]
//            [ const-section ] [ var-section ] "begin" statement-list "end" ";"
void function_declaration(FrontEnd& c, Token& tok) {
  const int routine = routine_name(c, tok, 2);
  c.lex.current_function = routine;
  emit_postfix(c, routine);
  emit_postfix(c, WD_FUN);
  TTblFun signature = routine_header(c, tok, routine);
  if (!is_sign(tok, kColon)) report_error(c.errors, ErrorCode::kExpected, ":");
  next_raw_token(c, tok);
  TypeNumber result = TypeNumber::kNone;
  if (is_keyword(tok, kInteger)) result = TypeNumber::kInteger;
  else if (is_keyword(tok, kFloat)) result = TypeNumber::kFloat;
  else if (is_keyword(tok, kString)) result = TypeNumber::kString;
  else if (tok.kind == TokenKind::kTypeName) result = entry(c, tok.code).symboltype;
  else report_error(c.errors, ErrorCode::kFunctionWithoutResultType);
  signature.result_type = result;
  entry(c, routine).symboltype = static_cast<TypeNumber>(result);
  append_signature(c.sym, std::move(signature));
  next_declaring(c, tok);
  if (!is_one_of(tok, {kLabel, kConst, kVar, kBegin}))
    report_error(c.errors, ErrorCode::kExpected, " label, const, var or begin");
  if (is_keyword(tok, kLabel)) label_section(c, tok);
  if (!is_one_of(tok, {kConst, kVar, kBegin})) report_error(c.errors, ErrorCode::kExpected, "const, var or begin");
  if (is_keyword(tok, kConst)) const_section(c, tok);
  if (!is_one_of(tok, {kVar, kBegin})) report_error(c.errors, ErrorCode::kExpected, "var or begin");
  if (is_keyword(tok, kVar)) var_section(c, tok);
  routine_body(c, tok, END_FUN);
  next(c, tok);
  if (!is_sign(tok, kSemicolon)) report_error(c.errors, ErrorCode::kSemicolonExpected);
}

// main-block = "(" ")" [ label-section ] [ const-section ] [ type-section ]
//              [ var-section ] { routine } [ var-section ]
//              "begin" statement-list "end" "."
void main_program(FrontEnd& c, Token& tok) {
  LexerState& lex = c.lex;
  const int program = routine_name(c, tok, 0);
  lex.current_function = 0;
  next(c, tok);
  if (!is_sign(tok, kOpenParen)) report_error(c.errors, ErrorCode::kExpected, "(");
  next(c, tok);
  if (!is_sign(tok, kCloseParen)) report_error(c.errors, ErrorCode::kExpected, ")");
  next_declaring(c, tok);
  if (!is_one_of(tok, {kLabel, kConst, kType, kVar, kProcedure, kFunction, kBegin}))
    report_error(c.errors, ErrorCode::kExpected, " label, const, type, var, procedure, function, begin");
  if (is_keyword(tok, kLabel)) label_section(c, tok);
  if (!is_one_of(tok, {kConst, kType, kVar, kProcedure, kFunction, kBegin}))
    report_error(c.errors, ErrorCode::kExpected, " const, type, var, procedure, function, begin");
  if (is_keyword(tok, kConst)) const_section(c, tok);
  if (!is_one_of(tok, {kType, kVar, kProcedure, kFunction, kBegin}))
    report_error(c.errors, ErrorCode::kExpected, " type, var, procedure, function, begin");
  if (is_keyword(tok, kType)) type_section(c, tok);
  if (!is_one_of(tok, {kVar, kProcedure, kFunction, kBegin}))
    report_error(c.errors, ErrorCode::kExpected, " var, procedure, function, begin");
  if (is_keyword(tok, kVar)) var_section(c, tok);
  while (is_routine_start(tok)) {
    nested_routine(c, tok);
    next_declaring(c, tok);
  }
  lex.current_procedure = program;
  if (!is_one_of(tok, {kVar, kBegin})) report_error(c.errors, ErrorCode::kExpected, "var or begin");
  if (is_keyword(tok, kVar)) var_section(c, tok);
  if (!is_keyword(tok, kBegin)) report_error(c.errors, ErrorCode::kExpected, "begin");
  emit_postfix(c, program);
  emit_postfix(c, WD_PROG);
  emit_postfix(c, GET_HEAP_PROC);
  next(c, tok);
  parse_statement_list(c, tok);
  if (!is_keyword(tok, kEnd)) report_error(c.errors, ErrorCode::kExpected, "end");
  check_goto_targets(c);
  emit_postfix(c, END_PROG);
  next(c, tok);
  if (tok.text != ".") report_error(c.errors, ErrorCode::kExpected, ".");
}

}  // namespace

// source-file = { routine } "program" name "(" ")" main-block
// The words between routines are read raw: an unknown word there is reported
// as the missing `procedure` or `program` (108), not as an unknown name.
void parse_source_file(FrontEnd& c) {
  Token tok;
  bool read = next_raw_token(c, tok);
  while (read && is_routine_start(tok)) {
    if (is_keyword(tok, kProcedure)) procedure_declaration(c, tok);
    else function_declaration(c, tok);
    read = next_raw_token(c, tok);
  }
  if (!is_keyword(tok, kProgram)) report_error(c.errors, ErrorCode::kProcedureOrProgramExpected, tok.text);
  main_program(c, tok);
}

}  // namespace tarn
