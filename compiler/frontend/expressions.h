// Expressions: conditions, simple expressions, terms, factors and calls.
// Operands are pushed as soon as they are recognised and each operator is
// emitted after its right operand; the emitter checks types.
#pragma once

namespace tarn {

struct FrontEnd;
struct Token;

// Each starts on its construct's first token and leaves the token after it.

// condition = [ "not" ] relation { ( "and" | "or" ) relation }
void parse_condition(FrontEnd& c, Token& tok);
// simple-expression = "nil" | term { ( "+" | "-" ) term }
void parse_simple_expression(FrontEnd& c, Token& tok);
// factor (used by pointer assignments for their source)
void parse_factor(FrontEnd& c, Token& tok);

// call-arguments = "(" [ actual { "," actual } ] ")"  for routine `routine`:
// starts on the routine's name, leaves the token after ")". Emits a parameter
// record per actual; gives the number of actuals.
int parse_call_arguments(FrontEnd& c, Token& tok, int routine, bool procedure);

// "[" index [ "," index ] ... for an array of simple elements: starts on "[",
// pushes the (linear) index, ends on "]".
void parse_array_index(FrontEnd& c, Token& tok, int array);
// The same for an array of records: ends after INDEX_OP3, on "]".
void parse_record_element_index(FrontEnd& c, Token& tok, int array);
// After "]" of a record element or "." of a record: the field name, read raw,
// looked up in record type `record_type`; its number.
int parse_field_name(FrontEnd& c, Token& tok, int record_type);

}  // namespace tarn
