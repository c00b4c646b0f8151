// The bilingual message table and the one error report of the compiler.
// Every error of every pass ends here: the report writes three lines to the
// output file (message with the line number, the source line, a caret under the
// offending token) and throws CompileError, which the entry catches.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tarn {

struct termsg {
  uint16_t code;
  std::string tmplmsg;   // English template, UTF-8 in the code
  std::string tmplmsg2;  // Russian template, UTF-8 in the code
};

// The codes of the message table, named by what their messages say. Code 90
// has no entry of its own: it is shown as code 0 shows its text.
enum class ErrorCode : uint16_t {
  kInternal = 0,                       // '%s'
  kIdentifierExpected = 2,             // Identifier expected.
  kUnknownIdentifier = 3,              // Unknown identifier: '%s'.
  kDuplicateIdentifier = 4,            // Duplicate identifier: '%s'.
  kStringExceedsLine = 8,              // String constant exceeds line.
  kBadVariableType = 21,               // Error in type ('integer', 'float', 'string' , 'array' or usert type expected).
  kIntegerConstantExpectedFound = 22,  // Integer constant expected, but '%s' found.
  kBadFormalType = 23,                 // Error in type ('integer', 'float', 'string' or user type expected).
  kTypeMismatch = 26,                  // Type mismatch.
  kSemicolonExpected = 85,             // ';' expected.
  kColonExpected = 86,                 // ':' expected.
  kDotExpected = 90,                   // (no entry: shown as code 0 shows its text)
  kExpected = 99,                      // '%s' expected.
  kVariableOrConstantExpected = 100,   // Variable or constant expected, but '%s' found.
  kCompareOperatorExpected = 101,      // Compare operator expected, but '%s' found.
  kOperandExpected = 102,              // Variable, constant or '(' expected, but '%s' found.
  kEndExpected = 103,                  // Keyword 'end' expected, but '%s' found.
  kThenExpected = 104,                 // Keyword 'then' expected, but '%s' found.
  kVariableNameExpected = 105,         // Variable name expected, but '%s' found.
  kVariableOrStringExpected = 106,     // Variable name or string constant expected, but '%s' found.
  kStatementExpected = 107,            // Statement expected, but '%s' found.
  kProcedureOrProgramExpected = 108,   // 'procedure' or 'program' expected, but '%s' found.
  kIndexNotInteger = 109,              // Error in type (index expression mast be integer type).
  kIntegerVariableExpected = 110,      // Integer variable expected, but '%s' found.
  kTooManyActuals = 111,               // Too many actual parameters.
  kTooFewActuals = 112,                // Not enough actual parameters.
  kIncompatibleActual = 113,           // Incompatible types (actual and formal parameters).
  kFunctionWithoutResultType = 114,    // Function need result type.
  kIntegerLiteralExpected = 115,       // Integer conctant expected.
  kStringCapacityOutOfRange = 116,     // String lenght out of range.
  kIncompatibleStrings = 117,          // Incompatible types in string type expression.
  kBadFunctionName = 118,              // Bad function name.
  kBadStringOperation = 119,           // Bad operation over string operand.
  kOperandsMustBeStrings = 120,        // Operands must be string expression.
  kIdentifierExpectedFound = 121,      // Identifier expected, but '%s' found.
  kBadIdentifierName = 122,            // Bad identifier name: '%s'
  kTooManyNamesInList = 123,           // The number of variables in the list should not be more than 10
  kConstantExpected = 124,             // Integer, float or string constant expected.
  kConstantChanged = 125,              // You can't change constant value.
  kArrayTooLarge = 126,                // Array size must not exceed 255.
  kBadIntegerConstant = 127,           // Not valid integer constant value
  kIntegerConstantExpected = 128,      // Integer constant expected.
  kNumberConstantExpected = 129,       // Float or integer constant expected.
  kStringConstantExpected = 130,       // String constant expected.
  kInitialListLength = 131,            // List length does not match the number of array elements.
  kLabelExpected = 132,                // Label expected.
  kDuplicateLabel = 133,               // Duplicate label '%s'.
  kColonExpectedFound = 134,           // Colon expected but '%s' found.
  kDuplicateField = 135,               // Duplicate declaration a record field
  kBadFieldName = 136,                 // '%s' - bad record field name.
  kOfExpected = 137,                   // Keyword 'of' expected, but '%s' found.
  kBadSelector = 138,                  // The selector must be an integer variable or expression.
  kBadFieldType = 139,           // Error in type ('integer', 'float', 'string'  or pointer to an record type expected).
  kRecordPointerExpected = 140,  // Error in type (pointer to an record type expected).
  kFieldNotRecordPointer = 141,  // Error in type (field must be pointer to record).
  kBadPointerComparison = 142,   // Invalid comparison operator. Expected '=' or '!='.
  kRecordTypeExpected = 143,     // Record type expected.
  kBadFloatConstant = 144,       // Bad float constant.
  kCannotCreateExe = 201,        // Can't create exe file (%s).
  kImageTooLarge = 202,          // The sum of the data size and the program code size is above 64K.
};

// The 60 entries in table order; lookups take the first entry of a code.
const std::vector<termsg>& message_table();

enum Language { kEnglish = 1, kRussian = 2 };

struct Diagnostics {
  int language = kEnglish;
};

// Raised by the report (message "Error: <code>") and by the image buffer when
// the 64 KiB limit is passed.
struct CompileError : std::runtime_error {
  explicit CompileError(int c) : std::runtime_error("Error: " + std::to_string(c)), code(c) {}
  int code;
};

// A failure of the compiler's own files (work folder, source, version file,
// work files): no message-table entry fits, so the entry reports it with code
// 0 and a text of its own in the message language, with the host's reason.
enum class FileFailure {
  kWorkFolder,      // the work folder cannot be created or used
  kWorkFolderBusy,  // another compile holds the work folder too long
  kWorkFile,        // a work file cannot be written or read
  kSourceRead,
  kSourceTooLarge,
  kVersionRead,
  kVersionTooLarge,
  kVersionCreate,
};

struct FileError : std::runtime_error {
  FileError(FileFailure k, std::string p, std::string r)
      : std::runtime_error(p + (r.empty() ? "" : ": " + r)), kind(k), path(std::move(p)), reason(std::move(r)) {}
  FileFailure kind;
  std::string path;    // UTF-8
  std::string reason;  // the host's words, UTF-8
};

// Two of the files a compile touches are one file; writing would destroy one.
enum class FileRole { kSource, kOutput, kExecutable, kVersion };

// The report line's message for these failures: "Error 0: " + text, code page 1251.
std::string file_failure_message(const Diagnostics& d, const FileError& e);
std::string same_file_message(const Diagnostics& d, FileRole a, FileRole b, const std::string& path);

void set_language(Diagnostics& d, int language);

// "Error <code>: " + the template with the argument for "%s"; code page 1251.
// The argument is code page 1251 text too.
std::string format_message(const Diagnostics& d, int code, std::string_view arg);


// The narrow face of the same report, for a subsystem that keeps to its own
// state: `report` writes the report and throws CompileError.
class ErrorReporter {
 public:
  [[noreturn]] virtual void report(ErrorCode code, std::string_view arg = {}) = 0;

 protected:
  ~ErrorReporter() = default;
};

// The report through the narrow face; never returns.
[[noreturn]] inline void report_error(ErrorReporter& errors, ErrorCode code, std::string_view arg = {}) {
  errors.report(code, arg);
  throw CompileError(static_cast<int>(code));  // not reached: every reporter throws
}

// The column (from 1) of the last occurrence of `token` in `line`, ignoring
// ASCII letter case; 0 when it does not occur.
int caret_column(std::string_view line, std::string_view token);

}  // namespace tarn
