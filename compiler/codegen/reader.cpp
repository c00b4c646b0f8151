// The generator's main sequence. Input: "postfix.tmp", four lines of one
// decimal integer per record (op, A, B, R). Output: "jmp start", the whole
// run-time library, then the template of every record, appended at the write
// position. Invariant: every patch label is consumed once by the end.
#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "codegen/emitters.h"
#include "codegen/generator.h"
#include "common/text.h"
#include "driver/compilation.h"
#include "runtime/runtime.h"

namespace tarn {

namespace {

// How a route hands the operands to its emitter.
enum Operands { kAsRead, kRAB };  // kRAB: (R, A, B), for the readln forms of arrays and line skips

struct Route {
  int op;
  const char* name;
  Emitter emitter;
  Operands order = kAsRead;
};

// Every operation with code. Ops that are not here (END_PROG, the string and
// file functions, ...) take effect through CALL_FUN and the run-time routines.
const Route kRoutes[] = {
    {-1, "PLUS_OP", gen_plus},
    {-2, "MINUS_OP", gen_minus},
    {-3, "MULT_OP", gen_mult},
    {-4, "ASIGN_OP", gen_assign},
    {-6, "DIV_OP", gen_divide},
    {-10, "WD_PROG", gen_program},
    {-11, "WD_PROC", gen_proc_entry},
    {-14, "WD_IF", gen_if},
    {-16, "WD_ELSE", gen_else},
    {-17, "WD_WHILE", gen_loop_head},
    {-18, "WD_DO", gen_do},
    {-21, "WD_READLN", gen_readln},
    {-22, "WRITE", gen_write},
    {-23, "WD_WRITELN", gen_writeln},
    {-24, "END_PROC", gen_proc_return},
    {-25, "END_IF", gen_end_if},
    {-26, "END_WHILE", gen_end_loop},
    {-29, "WD_NOT", gen_not},
    {-34, "LT_OP", gen_compare},
    {-35, "LTE_OP", gen_compare},
    {-36, "GT_OP", gen_compare},
    {-37, "GTE_OP", gen_compare},
    {-38, "E_OP", gen_compare},
    {-39, "NE_OP", gen_compare},
    {-40, "AND_OP", gen_and},
    {-41, "OR_OP", gen_or},
    {-44, "SQRT_FUN", gen_math_fun},
    {-45, "U_MINUS", gen_negate},
    {-46, "SIN_FUN", gen_math_fun},
    {-47, "COS_FUN", gen_math_fun},
    {-50, "GET_ARR", gen_get_arr},
    {-51, "SET_ARR", gen_set_arr},
    {-54, "READ_ARR", gen_readln, kRAB},
    {-55, "WD_READLN0", gen_readln0, kRAB},
    {-56, "WD_FOR", gen_loop_head},
    {-58, "END_FOR", gen_end_loop},
    {-59, "WD_REPEAT", gen_repeat},
    {-60, "WD_UNTIL", gen_until},
    {-61, "FOR_INC", gen_for_inc},
    {-63, "PAR_CALL", gen_par_call},
    {-64, "CALL", gen_call},
    {-65, "GET_PAR", gen_get_par},
    {-67, "WD_FUN", gen_fun_entry},
    {-68, "END_FUN", gen_fun_return},
    {-69, "WD_RETURN", gen_return},
    {-70, "CALL_FUN", gen_call_fun},
    {-71, "ROUND_FUN", gen_math_fun},
    {-72, "ABS_FUN", gen_math_fun},
    {-73, "TRUNC_FUN", gen_math_fun},
    {-74, "RANDOM_FUN", gen_random},
    {-76, "LENGTH_FUN", gen_length},
    {-82, "INDEX_OP", gen_index_column},
    {-83, "INDEX_OP2", gen_index_row},
    {-97, "ARCTG_FUN", gen_math_fun},
    {-98, "TG_FUN", gen_math_fun},
    {-99, "DAY_FUN", gen_date_fun},
    {-100, "MONTH_FUN", gen_date_fun},
    {-101, "YEAR_FUN", gen_date_fun},
    {-102, "TIME_FUN", gen_date_fun},
    {-103, "DAYOFWEEK_FUN", gen_date_fun},
    {-105, "MOD_OP", gen_mod},
    {-106, "DIV2_OP", gen_div},
    {-108, "GOTO", gen_goto},
    {-109, "MARK", gen_mark},
    {-112, "P_PAR_CALL", gen_p_par_call},
    {-113, "GET_P_PAR", gen_get_p_par},
    {-114, "GET_FLD", gen_get_fld},
    {-115, "SET_FLD", gen_set_fld},
    {-116, "GET_FLD_A", gen_get_fld_a},
    {-117, "SET_FLD_A", gen_set_fld_a},
    {-118, "INDEX_OP3", gen_index_record},
    {-121, "WD_NEW", gen_new},
    {-122, "WD_FREE", gen_free},
    {-123, "GET_HEAP_PROC", gen_get_heap},
    {-124, "WD_NIL", gen_nil},
    {-125, "P_P_PAR_CALL", gen_p_p_par_call},
};

const Route* find_route(int op) {
  for (const Route& r : kRoutes)
    if (r.op == op) return &r;
  return nullptr;
}

// The records of a postfix file. Any line that is not one integer, or a
// record cut short, makes the whole file unusable.
std::vector<PostfixRecord> read_postfix(const std::string& path) {
  std::string bytes;
  if (!platform::read_file(path, bytes)) throw std::runtime_error("Cannot open file " + path);
  std::vector<int> values;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find('\n', pos);
    if (end == std::string::npos) end = bytes.size();
    std::string_view line(bytes.data() + pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    int64_t v = 0;
    if (!parse_int64(line, v) || v < INT32_MIN || v > INT32_MAX)
      throw std::runtime_error("Bad line in " + path + ": " + std::string(line));
    values.push_back(static_cast<int>(v));
    pos = end + 1;
  }
  if (values.size() % 4 != 0) throw std::runtime_error("Incomplete record at the end of " + path);
  std::vector<PostfixRecord> records;
  for (size_t i = 0; i < values.size(); i += 4) records.push_back({values[i], values[i + 1], values[i + 2], values[i + 3]});
  return records;
}

}  // namespace

void generate_code(Compilation& c, const std::string& work_folder) {
  const std::vector<PostfixRecord> records = read_postfix(work_folder + "postfix.tmp");
  emit_start_jump(c);
  emit_runtime_library(c);
  for (const PostfixRecord& rec : records) {
    const Route* route = find_route(rec.op);
    if (!route) continue;
    if (route->order == kRAB) route->emitter(c, PostfixRecord{rec.op, rec.r, rec.a, rec.b});
    else route->emitter(c, rec);
  }
  // Without a main body the entry jump would run into the run-time library:
  // it lands on the exit sequence that follows instead.
  const auto& pending = c.gen.pending_patches;
  if (std::find(pending.begin(), pending.end(), "_start") != pending.end()) gen_program(c, PostfixRecord{});
  if (!c.gen.pending_patches.empty())
    throw std::logic_error("jump label never placed: " + c.gen.pending_patches.front());
}

}  // namespace tarn
