// The symbol table: look-up, the Symbol operation with its three modes, the
// function table, the operand / scope / name stacks, and the two text forms of
// the table ("symtab.tmp" for the back end, the debug listing for people).
#include "tables/symtab.h"

#include <cstdio>

#include "common/text.h"
#include "base/diagnostics.h"
#include "platform/platform.h"

namespace tarn {

namespace {

bool is_global_class(SymbolClass symbol_class) {
  return symbol_class == SymbolClass::kKeyword || symbol_class == SymbolClass::kMathFunction || symbol_class == SymbolClass::kFunction;
}

void check_room(const SymbolTable& t, ErrorReporter& errors) {
  if (t.count >= kSymbolCapacity) errors.report(ErrorCode::kInternal, "Symboltable overflow");
}

int append_entry(SymbolTable& t, ErrorReporter& errors, const std::string& name, SymbolClass symbol_class, int scope) {
  check_room(t, errors);
  int position = ++t.count;
  TSymbolbableRecord& e = t.entries[position];
  e = TSymbolbableRecord{};
  e.name = name;
  e.symbolclass = symbol_class;
  e.procname = scope;
  return position;
}

}  // namespace

namespace {

void sync_name_index(const SymbolTable& t) {
  if (t.count < t.indexed) {
    t.name_index.clear();
    t.indexed = 0;
  }
  for (; t.indexed < t.count; ++t.indexed) t.name_index[t.entries[t.indexed + 1].name].push_back(t.indexed + 1);
}

}  // namespace

bool look_up(const SymbolTable& t, std::string_view name, int scope, SymbolClass& symbol_class, int& code) {
  sync_name_index(t);
  auto found = t.name_index.find(std::string(name));
  if (found == t.name_index.end()) return false;
  const std::vector<int>& positions = found->second;
  for (auto p = positions.rbegin(); p != positions.rend(); ++p) {
    const int i = *p;
    const TSymbolbableRecord& e = t.entries[i];
    if (e.symboltype == kTypeStringLiteral || e.name != name) continue;
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

void symbol(SymbolTable& t, ErrorReporter& errors, int owner, int mode, const std::string& name, SymbolClass& symbol_class,
            int scope, int& code) {
  check_room(t, errors);
  if (mode == kResolve) {
    if (look_up(t, name, scope, symbol_class, code)) return;
    if (look_up(t, name, 0, symbol_class, code)) return;
    if (t.scope_count > 0 && look_up(t, name, top_scope(t), symbol_class, code)) return;
    errors.report(ErrorCode::kUnknownIdentifier, name);
  }
  if (symbol_class == SymbolClass::kLiteral) {
    for (int i = t.count; i >= 1; --i)
      if (t.entries[i].symbolclass == SymbolClass::kLiteral && t.entries[i].name == name) {
        code = t.entries[i].location;
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

int declare_temporary(SymbolTable& t, ErrorReporter& errors, int owner, const std::string& name, int type) {
  SymbolClass symbol_class = SymbolClass::kVariable;
  int code = 0;
  symbol(t, errors, owner, kDeclare, name, symbol_class, 0, code);
  TSymbolbableRecord& e = t.entries[code];
  e.symboltype = static_cast<uint8_t>(type);
  e.procname = owner;
  return code;
}

TTblFun create_signature(int key, int result_type) {
  TTblFun f;
  f.key = key;
  f.result_type = result_type;
  return f;
}

void add_value_param(TTblFun& f, int type) { f.params.push_back({type, false}); }
void add_reference_param(TTblFun& f, int type) { f.params.push_back({type, true}); }

int param_type(const TTblFun& f, int k) {
  return k >= 1 && k <= param_count(f) ? f.params[k - 1].type : 0;
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

void dump_symbol_table(const SymbolTable& t, const std::string& path) {
  std::string text;
  for (int i = 1; i <= t.count; ++i) {
    const TSymbolbableRecord& e = t.entries[i];
    for (const std::string& line :
         {e.name, std::to_string(static_cast<int>(e.symbolclass)), std::to_string(e.symboltype), std::to_string(e.location),
          std::to_string(e.procname), std::to_string(e.tag), std::to_string(e.tag2)})
      text += line + "\r\n";
  }
  if (!platform::write_file(path, text)) throw FileError(FileFailure::kWorkFile, path, platform::last_error());
}

void reload_symbol_table(SymbolTable& t, const std::string& path) {
  std::string bytes;
  if (!platform::read_file(path, bytes)) throw FileError(FileFailure::kWorkFile, path, platform::last_error());
  std::vector<std::string> lines;
  for (size_t pos = 0; pos < bytes.size();) {
    size_t end = bytes.find('\n', pos);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    pos = end + 1;
  }
  auto number = [](const std::string& s) {
    int64_t v = 0;
    if (!parse_int64(trim(s), v)) throw std::runtime_error("Bad number in symtab.tmp: " + s);
    return v;
  };
  int records = 0;
  for (size_t i = 0; i + 7 <= lines.size() && records < kSymbolCapacity; i += 7) {
    TSymbolbableRecord& e = t.entries[++records];
    e.name = lines[i];
    e.symbolclass = static_cast<SymbolClass>(number(lines[i + 1]));
    e.symboltype = static_cast<uint8_t>(number(lines[i + 2]));
    e.location = static_cast<int32_t>(number(lines[i + 3]));
    e.procname = static_cast<int32_t>(number(lines[i + 4]));
    e.tag = static_cast<uint8_t>(number(lines[i + 5]));
    e.tag2 = static_cast<int32_t>(number(lines[i + 6]));
  }
  t.count = records;
  t.name_index.clear();
  t.indexed = 0;
}

std::string symbol_listing(const SymbolTable& t) {
  std::string text = "\r\n--- Symboltable ---\r\n";
  char line[160];
  for (int i = 1; i <= t.count; ++i) {
    const TSymbolbableRecord& e = t.entries[i];
    std::snprintf(line, sizeof line, "%10s%5d%4d%4d%5d%5d%5d%5d%5d%5d\r\n", e.name.c_str(), e.location,
                  static_cast<int>(e.symbolclass), e.symboltype, e.procname, e.tag, e.tag2, e.tag3, e.tag4, e.tag5);
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
      text += std::to_string(f.params[k].type);
    }
    text += " ) :" + std::to_string(f.result_type) + "\r\n";
  }
  return text;
}


}  // namespace tarn
