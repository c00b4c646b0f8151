// The symbol table: look-up, the Symbol operation with its three modes, the
// function table, the operand / scope / name stacks, and the two text forms of
// the table ("symtab.tmp" for the back end, the debug listing for people).
#include "tables/symtab.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "base/diagnostics.h"
#include "common/text.h"
#include "platform/platform.h"

namespace tarn {

namespace {

bool is_global_class(SymbolClass symbol_class) {
  return symbol_class == SymbolClass::kKeyword || symbol_class == SymbolClass::kMathFunction ||
         symbol_class == SymbolClass::kFunction;
}

uint64_t load8(const char* p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

uint32_t load4(const char* p) {
  uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// Eight bytes at a time: string literals are often long. The last word
// overlaps the one before it; only which slot a name takes depends on it.
uint32_t name_hash(std::string_view name) {
  constexpr uint64_t kMix = 0x9E3779B97F4A7C15u;
  const char* p = name.data();
  const size_t n = name.size();
  uint64_t h = n * kMix;
  if (n >= 8) {
    for (size_t i = 0; i + 8 <= n; i += 8) h = (h ^ load8(p + i)) * kMix;
    if (n % 8 != 0) h = (h ^ load8(p + n - 8)) * kMix;
  } else if (n >= 4) {
    h = (h ^ (uint64_t{load4(p)} << 32 | load4(p + n - 4))) * kMix;
  } else if (n > 0) {
    const auto byte = [p](size_t i) { return uint64_t{static_cast<unsigned char>(p[i])}; };
    h = (h ^ (byte(0) << 16 | byte(n / 2) << 8 | byte(n - 1))) * kMix;
  }
  return static_cast<uint32_t>((h ^ (h >> 29)) * kMix >> 40);
}

// The slot holding the newest position of `name`, or the empty slot where it
// goes. The table never fills: it has more slots than the table has entries.
int16_t& name_slot(const SymbolTable& t, std::string_view name) {
  size_t i = name_hash(name) & (kNameSlots - 1);
  while (t.name_slots[i] != 0 && t.entries[static_cast<size_t>(t.name_slots[i])].name != name)
    i = (i + 1) & (kNameSlots - 1);
  return t.name_slots[i];
}

void sync_name_index(const SymbolTable& t) {
  if (t.count < t.indexed) {
    t.name_slots.fill(0);
    t.indexed = 0;
  }
  while (t.indexed < t.count) {
    const int position = ++t.indexed;
    int16_t& newest = name_slot(t, t.entries[static_cast<size_t>(position)].name);
    t.older_same_name[static_cast<size_t>(position)] = newest;
    newest = static_cast<int16_t>(position);
  }
}

// The newest position holding `name`, 0 when none; older ones follow through
// older_same_name.
int newest_named(const SymbolTable& t, std::string_view name) {
  sync_name_index(t);
  return name_slot(t, name);
}

int append_entry(SymbolTable& t, ErrorReporter& errors, const std::string& name, SymbolClass symbol_class, int scope) {
  check_room(t, errors);
  sync_name_index(t);  // a table shortened since the last lookup is indexed afresh before it grows
  int position = ++t.count;
  TSymbolbableRecord& e = t.entries[position];
  e.name.assign(name);  // keeps the entry's own buffer
  e.procname = scope;
  e.symbolclass = symbol_class;
  e.symboltype = TypeNumber::kNone;
  e.location = 0;
  e.tag = 0;
  e.tag2 = 0;
  e.tag3 = 0;
  e.tag4 = 0;
  e.tag5 = 0;
  return position;
}

}  // namespace

void check_room(const SymbolTable& t, ErrorReporter& errors) {
  if (t.count >= kSymbolCapacity) errors.report(ErrorCode::kInternal, "Symboltable overflow");
}

bool look_up(const SymbolTable& t, std::string_view name, int scope, SymbolClass& symbol_class, int& code) {
  for (int i = newest_named(t, name); i != 0; i = t.older_same_name[static_cast<size_t>(i)]) {
    const TSymbolbableRecord& e = t.entries[static_cast<size_t>(i)];
    // Every position on the chain holds `name`.
    if (e.symboltype == TypeNumber::kStringLiteral) continue;
    if (is_global_class(e.symbolclass)) {
      symbol_class = e.symbolclass;
      code = e.location;
      return true;
    }
    if (e.procname == scope) {
      symbol_class = e.symbolclass;
      code = i;
      return true;
    }
  }
  return false;
}

namespace {

int newest_literal(const SymbolTable& t, std::string_view text, const TypeNumber* type) {
  for (int i = newest_named(t, text); i != 0; i = t.older_same_name[static_cast<size_t>(i)]) {
    const TSymbolbableRecord& e = t.entries[static_cast<size_t>(i)];
    if (e.symbolclass == SymbolClass::kLiteral && (!type || e.symboltype == *type)) return i;
  }
  return 0;
}

}  // namespace

int find_literal(const SymbolTable& t, std::string_view text) { return newest_literal(t, text, nullptr); }
int find_literal(const SymbolTable& t, std::string_view text, TypeNumber type) {
  return newest_literal(t, text, &type);
}

void symbol(SymbolTable& t, ErrorReporter& errors, int owner, int mode, const std::string& name,
            SymbolClass& symbol_class, int scope, int& code) {
  check_room(t, errors);
  if (mode == kResolve) {
    if (look_up(t, name, scope, symbol_class, code)) return;
    if (look_up(t, name, 0, symbol_class, code)) return;
    if (t.scope_count > 0 && look_up(t, name, top_scope(t), symbol_class, code)) return;
    errors.report(ErrorCode::kUnknownIdentifier, name);
  }
  if (symbol_class == SymbolClass::kLiteral) {
    if (const int earlier = find_literal(t, name)) {
      code = t.entries[earlier].location;
      return;
    }
    int position = append_entry(t, errors, name, SymbolClass::kLiteral, scope);
    t.entries[position].location = position;
    code = position;
    return;
  }
  if (mode == kDeclare) {
    SymbolClass found_class = SymbolClass::kNone;
    int found_code = 0;
    if (look_up(t, name, scope, found_class, found_code)) errors.report(ErrorCode::kDuplicateIdentifier, name);
  }
  // A declared name belongs to the routine being compiled, whatever scope the
  // duplicate check used.
  int position = append_entry(t, errors, name, symbol_class, owner);
  TSymbolbableRecord& e = t.entries[position];
  if (symbol_class == SymbolClass::kKeyword || symbol_class == SymbolClass::kMathFunction) {
    e.location = code;
  } else {
    e.location = position;
    code = position;
  }
}

int add_raw_entry(SymbolTable& t, ErrorReporter& errors, const std::string& name, SymbolClass symbol_class, int scope) {
  return append_entry(t, errors, name, symbol_class, scope);
}

int declare_named(SymbolTable& t, ErrorReporter& errors, int owner, const std::string& name, SymbolClass symbol_class) {
  int code = 0;
  symbol(t, errors, owner, kDeclare, name, symbol_class, 0, code);
  return code;
}

namespace {

// What symbol() declares, less the look-up for a duplicate.
int declare_generated(SymbolTable& t, ErrorReporter& errors, int owner, const std::string& name,
                      SymbolClass symbol_class) {
  check_room(t, errors);
  const int position = append_entry(t, errors, name, symbol_class, owner);
  t.entries[position].location = position;
  return position;
}

}  // namespace

int declare_temporary(SymbolTable& t, ErrorReporter& errors, int owner, const std::string& name, TypeNumber type) {
  const int code = declare_generated(t, errors, owner, name, SymbolClass::kVariable);
  TSymbolbableRecord& e = t.entries[code];
  e.symboltype = type;
  e.procname = owner;
  return code;
}

int declare_label(SymbolTable& t, ErrorReporter& errors, int owner, const std::string& name) {
  return declare_generated(t, errors, owner, name, SymbolClass::kSysLabel);
}

TTblFun create_signature(int key, TypeNumber result_type) {
  TTblFun f;
  f.key = key;
  f.result_type = result_type;
  return f;
}

void add_value_param(TTblFun& f, TypeNumber type) { f.params.push_back({type, false}); }
void add_reference_param(TTblFun& f, TypeNumber type) { f.params.push_back({type, true}); }

TypeNumber param_type(const TTblFun& f, int k) {
  return k >= 1 && k <= param_count(f) ? f.params[k - 1].type : TypeNumber::kNone;
}

bool param_is_reference(const TTblFun& f, int k) {
  return k >= 1 && k <= param_count(f) && f.params[k - 1].by_reference;
}

int param_count(const TTblFun& f) { return static_cast<int>(f.params.size()); }

void append_signature(SymbolTable& t, TTblFun f) { t.functions.push_back(std::move(f)); }

const TTblFun* find_signature(const SymbolTable& t, int key) {
  for (const TTblFun& f : t.functions)
    if (f.key == key) return &f;
  return nullptr;
}

int push_scope(SymbolTable& t, int procedure) {
  if (t.scope_count >= kScopeStackCapacity) return -1;
  t.scopes[t.scope_count++] = procedure;
  return t.scope_count;
}

int pop_scope(SymbolTable& t) {
  if (t.scope_count <= 0) return -1;
  return t.scopes[--t.scope_count];
}

int top_scope(const SymbolTable& t) { return t.scope_count > 0 ? t.scopes[t.scope_count - 1] : -1; }

int push_name(SymbolTable& t, std::string_view name) {
  if (t.name_count >= kNameStackCapacity) return -1;
  t.names[t.name_count++] = std::string(name.substr(0, kNameStackNameLength));
  return t.name_count;
}

std::string pop_name(SymbolTable& t) {
  if (t.name_count <= 0) return {};
  return std::move(t.names[--t.name_count]);
}

namespace {

// A field of the dump: at most eleven characters ("-2147483648").
char* put_number(char* out, int64_t n) {
  if (n >= 0 && n < 10) {
    *out = static_cast<char>('0' + n);
    return out + 1;
  }
  return std::to_chars(out, out + 11, n).ptr;
}

char* end_line(char* out) {
  out[0] = '\r';
  out[1] = '\n';
  return out + 2;
}

// A line of the dump's own shape: an optional "-", one to nine digits, CR LF.
// Anything else is left to the general reading, with nothing taken.
bool take_plain_number(std::string_view all, size_t& pos, int64_t& value) {
  size_t p = pos;
  const bool negative = p < all.size() && all[p] == '-';
  if (negative) ++p;
  const size_t first = p;
  int64_t v = 0;
  for (; p < all.size() && p - first < 9 && all[p] >= '0' && all[p] <= '9'; ++p) v = v * 10 + (all[p] - '0');
  if (p == first || p + 1 >= all.size() || all[p] != '\r' || all[p + 1] != '\n') return false;
  value = negative ? -v : v;
  pos = p + 2;
  return true;
}

}  // namespace

void dump_symbol_table(const SymbolTable& t, const std::string& path) {
  // Seven lines a record: the name and six numbers. They are written into a
  // buffer with room for the longest numbers, which the text then copies: a
  // text of that size made first would be filled twice.
  constexpr size_t kNumbersRoom = 6 * (11 + 2);
  size_t room = 0;
  for (int i = 1; i <= t.count; ++i) room += t.entries[i].name.size() + 2 + kNumbersRoom;
  const std::unique_ptr<char[]> buffer(new char[room + 1]);
  char* out = buffer.get();
  for (int i = 1; i <= t.count; ++i) {
    const TSymbolbableRecord& e = t.entries[i];
    std::memcpy(out, e.name.data(), e.name.size());
    out = end_line(out + e.name.size());
    for (int64_t n : {int64_t{static_cast<int>(e.symbolclass)}, int64_t{static_cast<int>(e.symboltype)},
                      int64_t{e.location}, int64_t{e.procname}, int64_t{e.tag}, int64_t{e.tag2}})
      out = end_line(put_number(out, n));
  }
  const std::string text(buffer.get(), static_cast<size_t>(out - buffer.get()));
  if (!platform::write_file(path, text)) throw FileError(FileFailure::kWorkFile, path, platform::last_error());
}

void reload_symbol_table(SymbolTable& t, const std::string& path) {
  std::string bytes;
  if (!platform::read_file(path, bytes)) throw FileError(FileFailure::kWorkFile, path, platform::last_error());
  // Seven lines make a record; lines end with LF, a CR before it is dropped,
  // and a last line may lack its LF. Lines left over at the end are ignored.
  const std::string_view all = bytes;
  size_t pos = 0;
  auto next_line = [&all, &pos]() {
    size_t end = all.find('\n', pos);
    if (end == std::string_view::npos) end = all.size();
    std::string_view line = all.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos = end + 1;
    return line;
  };
  auto number = [](std::string_view s) {
    // The dump writes plain decimals: those of up to nine digits are read
    // here, anything else the general way below.
    const bool negative = !s.empty() && s[0] == '-';
    const std::string_view digits = s.substr(negative ? 1 : 0);
    if (!digits.empty() && digits.size() <= 9) {
      int64_t v = 0;
      size_t k = 0;
      for (; k < digits.size() && digits[k] >= '0' && digits[k] <= '9'; ++k) v = v * 10 + (digits[k] - '0');
      if (k == digits.size()) return negative ? -v : v;
    }
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
    int64_t v = 0;
    if (!parse_int64(s.substr(b, e - b), v)) throw std::runtime_error("Bad number in symtab.tmp: " + std::string(s));
    return v;
  };
  int records = 0;
  std::array<std::string_view, 7> lines;
  std::array<int64_t, 6> numbers;
  while (records < kSymbolCapacity) {
    // A record as the dump writes it is read in one pass.
    const size_t name_end = all.find('\n', pos);
    if (name_end != std::string_view::npos) {
      size_t p = name_end + 1;
      size_t k = 0;
      while (k < numbers.size() && take_plain_number(all, p, numbers[k])) ++k;
      if (k == numbers.size()) {
        std::string_view name = all.substr(pos, name_end - pos);
        if (!name.empty() && name.back() == '\r') name.remove_suffix(1);
        TSymbolbableRecord& e = t.entries[++records];
        e.name.assign(name);
        e.symbolclass = static_cast<SymbolClass>(numbers[0]);
        e.symboltype = static_cast<TypeNumber>(numbers[1]);
        e.location = static_cast<int32_t>(numbers[2]);
        e.procname = static_cast<int32_t>(numbers[3]);
        e.tag = static_cast<uint8_t>(numbers[4]);
        e.tag2 = static_cast<int32_t>(numbers[5]);
        pos = p;
        continue;
      }
    }
    size_t n = 0;
    while (n < lines.size() && pos < all.size()) lines[n++] = next_line();
    if (n < lines.size()) break;
    TSymbolbableRecord& e = t.entries[++records];
    e.name.assign(lines[0]);
    e.symbolclass = static_cast<SymbolClass>(number(lines[1]));
    e.symboltype = static_cast<TypeNumber>(number(lines[2]));
    e.location = static_cast<int32_t>(number(lines[3]));
    e.procname = static_cast<int32_t>(number(lines[4]));
    e.tag = static_cast<uint8_t>(number(lines[5]));
    e.tag2 = static_cast<int32_t>(number(lines[6]));
  }
  t.count = records;
  t.name_slots.fill(0);
  t.indexed = 0;
}

std::string symbol_listing(const SymbolTable& t) {
  std::string text = "\r\n--- Symboltable ---\r\n";
  char line[160];
  for (int i = 1; i <= t.count; ++i) {
    const TSymbolbableRecord& e = t.entries[i];
    std::snprintf(line, sizeof line, "%10s%5d%4d%4d%5d%5d%5d%5d%5d%5d\r\n", e.name.c_str(), e.location,
                  static_cast<int>(e.symbolclass), static_cast<int>(e.symboltype), e.procname, e.tag, e.tag2, e.tag3,
                  e.tag4, e.tag5);
    text += line;
  }
  return text + "--------------------\r\n";
}

std::string function_listing(const SymbolTable& t) {
  std::string text = "Function table\r\n";
  for (const TTblFun& f : t.functions) {
    text += std::to_string(f.key) + " ( ";
    for (size_t k = 0; k < f.params.size(); ++k) {
      if (k > 0) text += ", ";
      if (f.params[k].by_reference) text += "ref ";
      text += std::to_string(static_cast<int>(f.params[k].type));
    }
    text += " ) :" + std::to_string(static_cast<int>(f.result_type)) + "\r\n";
  }
  return text;
}


}  // namespace tarn
