// The symbol table, the function table and the parser's small stacks.
//
// One flat table holds every name the compiler knows: keywords and built-in
// routines first, then literals, user names, temporaries and labels in the
// order they are met. An entry's position never changes, because postfix code
// and the generator refer to entries by position ("location").
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarn {

constexpr int kSymbolCapacity = 650;
constexpr int kScopeStackCapacity = 10;
constexpr int kNameStackCapacity = 10;
constexpr size_t kNameStackNameLength = 15;
constexpr size_t kNameSlots = 2048;  // a power of two well above kSymbolCapacity
static_assert(kSymbolCapacity < 32768, "the name index holds positions in 16 bits");

// Symbol classes. A name's token kind is its class (see the lexer).
enum class SymbolClass : uint8_t {
  kNone = 0,
  kVariable = 1,      // temporary or scalar variable
  kProcedure = 2,     // also a name declared at global level while a heading is read
  kKeyword = 3,
  kLocal = 4,         // name declared inside a procedure
  kLiteral = 5,
  kSysLabel = 6,
  kGotoLabel = 7,
  kMathFunction = 11,
  kArray = 12,
  kFunction = 13,
  kConstant = 16,
  kRecord = 20,
  kPointer = 21,
  kTypeName = 25,
};

// Type numbers, shared by symbols, parameters and results. User types take
// the numbers from kFirstUserType on (their number in the user type table).
enum class TypeNumber : uint8_t {
  kNone = 0,
  kInteger = 4,
  kIntegerLiteral = 5,
  kStringLiteral = 7,
  kFloat = 8,
  kFloatLiteral = 9,
  kArray = 12,
  kString = 14,
  kText = 15,
  kRecordName = 20,
  kPointer = 21,
  kRecord = 25,
};
constexpr int kFirstUserType = 101;

// The type number of user type `number` (from kFirstUserType on).
inline TypeNumber user_type(int number) { return static_cast<TypeNumber>(number); }

// append_entry sets every field of a new entry: a field added here is set there too.
struct TSymbolbableRecord {
  std::string name;      // lower case; literals as written, strings without quotes
  int32_t procname = 0;  // scope: position of the owning routine, 0 = global
  SymbolClass symbolclass = SymbolClass::kNone;
  TypeNumber symboltype = TypeNumber::kNone;
  int32_t location = 0;  // keywords and class 11: their fixed code; otherwise the own position
  uint8_t tag = 0;       // routines: parameter count
  int32_t tag2 = 0;
  uint8_t tag3 = 0;
  uint8_t tag4 = 0;
  uint8_t tag5 = 0;
};

struct TFunParam {
  TypeNumber type = TypeNumber::kNone;
  bool by_reference = false;
  bool var_formal = false;  // declared with `var`: the callee may change the actual
};

// The parameter list and result of one routine, keyed by its symbol position.
struct TTblFun {
  int key = 0;
  TypeNumber result_type = TypeNumber::kNone;
  std::vector<TFunParam> params;  // parameter k is params[k - 1]
};

struct SymbolTable {
  std::array<TSymbolbableRecord, kSymbolCapacity + 1> entries;  // position 0 unused
  int count = 0;
  std::vector<TTblFun> functions;
  std::array<int, kScopeStackCapacity> scopes{};
  int scope_count = 0;
  std::array<std::string, kNameStackCapacity> names;
  int name_count = 0;
  // The name index over entries[1, indexed], without an allocation: name_slots
  // is an open-addressing hash table holding, for each name, its newest
  // position (0: an empty slot); older_same_name[p] is the next older position
  // of the name at p (0: none). Lookups bring it up to date with count and
  // build it afresh when the table shrank (reload_symbol_table resets it).
  mutable std::array<int16_t, kNameSlots> name_slots{};
  mutable std::array<int16_t, kSymbolCapacity + 1> older_same_name{};
  mutable int indexed = 0;
};

}  // namespace tarn

namespace tarn {

class ErrorReporter;

enum SymbolMode { kDeclare = 0, kResolve = 1, kDeclareAlways = 2 };

inline TSymbolbableRecord& sym_at(SymbolTable& t, int position) { return t.entries[position]; }
inline const TSymbolbableRecord& sym_at(const SymbolTable& t, int position) { return t.entries[position]; }

// Walks from the newest entry down, skipping string literals. Keywords and
// routines (classes 3, 11, 13) match in every scope and give their location;
// other entries match in `scope` only and give their position. On a miss the
// class and code are left untouched.
bool look_up(const SymbolTable& t, std::string_view name, int scope, SymbolClass& symbol_class, int& code);

// The position of the newest literal entry (class 5) whose text is `text`
// (and whose type is `type`); 0 when there is none.
int find_literal(const SymbolTable& t, std::string_view text);
int find_literal(const SymbolTable& t, std::string_view text, TypeNumber type);

// Error 0 "Symboltable overflow" when the table is full, as symbol() reports
// it in every mode before anything else.
void check_room(const SymbolTable& t, ErrorReporter& errors);

// The one way names and literals enter the table (see SymbolMode). Declare:
// `symbol_class` in, `code` in for classes 3 and 11, out otherwise; a literal
// (class 5) reuses an earlier entry of the same text. Resolve: looks in
// `scope`, then globally, then in the innermost enclosing routine; class and
// code out. Reports 0 "Symboltable overflow", 3 and 4.
// `owner` is the routine whose declarations are being read (0: the program).
void symbol(SymbolTable& t, ErrorReporter& errors, int owner, int mode, const std::string& name,
            SymbolClass& symbol_class, int scope, int& code);

// A bare entry (location stays 0); the new position.
int add_raw_entry(SymbolTable& t, ErrorReporter& errors, const std::string& name, SymbolClass symbol_class, int scope);
// Declared in scope 0; the position.
int declare_named(SymbolTable& t, ErrorReporter& errors, int owner, const std::string& name, SymbolClass symbol_class);
// The postfix emitter's own entries, named by it ("_t1", "_sys1"): no name in
// a source begins with "_", so no earlier entry holds one and none is looked
// for. A temporary is a class 1 entry of the given type owned by the current
// routine, a jump label one of class 6; the position.
int declare_temporary(SymbolTable& t, ErrorReporter& errors, int owner, const std::string& name, TypeNumber type);
int declare_label(SymbolTable& t, ErrorReporter& errors, int owner, const std::string& name);

// Function table.
TTblFun create_signature(int key, TypeNumber result_type);
void add_value_param(TTblFun& f, TypeNumber type);
void add_reference_param(TTblFun& f, TypeNumber type);
TypeNumber param_type(const TTblFun& f, int k);
bool param_is_reference(const TTblFun& f, int k);
int param_count(const TTblFun& f);
void append_signature(SymbolTable& t, TTblFun f);
const TTblFun* find_signature(const SymbolTable& t, int key);

// Scope stack of enclosing routines: -1 when full (push) or empty (pop, top).
int push_scope(SymbolTable& t, int procedure);
int pop_scope(SymbolTable& t);
int top_scope(const SymbolTable& t);

// Name stack of the declaration parser: names cut to 15 characters; push gives
// -1 when full, pop the empty text when empty.
int push_name(SymbolTable& t, std::string_view name);
std::string pop_name(SymbolTable& t);

// "symtab.tmp" in the work folder: written after the front end, read back
// before code generation.
void dump_symbol_table(const SymbolTable& t, const std::string& path);
void reload_symbol_table(SymbolTable& t, const std::string& path);

// The texts of the debug-mode listings.
std::string symbol_listing(const SymbolTable& t);
std::string function_listing(const SymbolTable& t);

}  // namespace tarn
