// tarnrun: runs a PE32 i386 console program written by tarnc on any x86-64
// Linux host, 32-bit capable or not. The image is placed at its base, its x86
// code runs on the Unicorn CPU emulator, and each import is bound to a stub
// ("int 2Eh; ret N") whose interrupt the runner serves (windows_api.cpp).
//
// It is a test tool, not a Windows: see README.md beside this file for what
// it does not do.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <unicorn/unicorn.h>

#include "pe_image.h"
#include "windows_api.h"

namespace tarnrun {
namespace {

// Exit codes of the runner itself; a program's own code is passed on.
constexpr int kExitRunnerError = 120;  // usage, unreadable or foreign image, an import not served
constexpr int kExitFault = 121;        // the program faulted: divide error, access violation, ...
constexpr int kExitLimit = 122;        // the instruction or time limit ended the program

// Guest address space: the image below 0x50000000, then the heap, the stack
// and the page of import stubs.
constexpr uint32_t kHeapBase = 0x50000000u, kHeapSize = 0x10000000u;
constexpr uint32_t kStackBase = 0x6F000000u, kStackSize = 0x00100000u;
constexpr uint32_t kStubBase = 0x70000000u, kStubSize = 0x1000u;
constexpr uint32_t kStubBytes = 8;
constexpr int kServiceInterrupt = 0x2E;

struct Options {
  bool count = false;
  uint64_t max_instructions = 0;  // 0: no limit
  double timeout_s = 0;           // 0: no limit
  std::string exe;
  std::vector<std::string> args;
};

struct Run {
  uc_engine* uc = nullptr;
  Process* process = nullptr;
  uint64_t executed = 0;
  uint64_t max_instructions = 0;
  bool limit_hit = false;
  std::string fault;  // set when the program faulted
};

uint32_t reg(uc_engine* uc, int r) {
  uint32_t v = 0;
  uc_reg_read(uc, r, &v);
  return v;
}

std::string hex(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", v);
  return buf;
}

const char* exception_name(uint32_t vector) {
  switch (vector) {
    case 0: return "integer divide error (division by zero or quotient overflow)";
    case 1: case 3: return "breakpoint";
    case 4: return "integer overflow (into)";
    case 5: return "array bounds exceeded (bound)";
    case 6: return "illegal instruction";
    case 13: return "privileged instruction or general protection fault";
    case 16: return "x87 floating-point error";
    default: return nullptr;
  }
}

void on_interrupt(uc_engine* uc, uint32_t vector, void* data) {
  Run& run = *static_cast<Run*>(data);
  uint32_t eip = reg(uc, UC_X86_REG_EIP);
  if (vector == kServiceInterrupt && eip >= kStubBase + 2 && eip < kStubBase + kStubSize) {
    size_t index = (eip - 2 - kStubBase) / kStubBytes;
    const auto& table = services();
    uint32_t esp = reg(uc, UC_X86_REG_ESP);
    uint32_t eax = 0;
    if (index == table.size()) {  // the entry point returned: its eax is the exit code
      run.process->exited = true;
      run.process->exit_code = reg(uc, UC_X86_REG_EAX);
    } else if (index < table.size()) {
      Call call{*run.process, esp};
      try {
        eax = table[index].fn(call);
      } catch (const GuestFault& f) {
        run.fault = std::string("access violation at ") + hex(f.address) + " in " + table[index].name +
                    ", called from " + hex(run.process->mem.u32(esp));
      }
      uc_reg_write(uc, UC_X86_REG_EAX, &eax);
    }
    if (run.process->exited || !run.fault.empty()) uc_emu_stop(uc);
    return;
  }
  const char* name = exception_name(vector);
  run.fault = std::string(name ? name : "CPU exception " + std::to_string(vector)) + " at " + hex(eip);
  uc_emu_stop(uc);
}

bool on_bad_access(uc_engine* uc, uc_mem_type type, uint64_t address, int, int64_t, void* data) {
  Run& run = *static_cast<Run*>(data);
  const char* what = "reading";
  if (type == UC_MEM_WRITE_UNMAPPED || type == UC_MEM_WRITE_PROT) what = "writing";
  if (type == UC_MEM_FETCH_UNMAPPED || type == UC_MEM_FETCH_PROT) what = "executing";
  run.fault = std::string("access violation ") + what + " " + hex(static_cast<uint32_t>(address)) + " at " +
              hex(reg(uc, UC_X86_REG_EIP));
  return false;
}

bool on_invalid_instruction(uc_engine* uc, void* data) {
  Run& run = *static_cast<Run*>(data);
  run.fault = "illegal instruction at " + hex(reg(uc, UC_X86_REG_EIP));
  return false;
}

void on_instruction(uc_engine* uc, uint64_t, uint32_t, void* data) {
  Run& run = *static_cast<Run*>(data);
  if (++run.executed > run.max_instructions && run.max_instructions) {
    --run.executed;
    run.limit_hit = true;
    uc_emu_stop(uc);
  }
}

[[noreturn]] void usage() {
  std::fputs(
      "usage: tarnrun [--count] [--max-instructions N] [--timeout SECONDS] program.exe [arguments...]\n"
      "  runs a 32-bit console program written by tarnc on an emulated x86 CPU\n"
      "  --count                print the number of executed instructions on standard error\n"
      "  --max-instructions N   end the program after N instructions (exit code 122)\n"
      "  --timeout SECONDS      end the program after that much time (exit code 122)\n"
      "  TARNRUN_TIME=\"YYYY-MM-DD HH:MM:SS[.mmm]\" fixes the clock GetLocalTime reads\n",
      stderr);
  std::exit(kExitRunnerError);
}

Options parse_options(int argc, char** argv) {
  Options o;
  int i = 1;
  auto number = [&](const char* option) {
    if (i + 1 >= argc) usage();
    char* end = nullptr;
    double v = std::strtod(argv[++i], &end);
    if (*end || v < 0) throw RunnerError(std::string(option) + " needs a non-negative number");
    return v;
  };
  for (; i < argc && argv[i][0] == '-' && argv[i][1] == '-'; ++i) {
    std::string a = argv[i];
    if (a == "--count") o.count = true;
    else if (a == "--max-instructions") o.max_instructions = static_cast<uint64_t>(number("--max-instructions"));
    else if (a == "--timeout") o.timeout_s = number("--timeout");
    else if (a == "--") { ++i; break; }
    else usage();
  }
  if (i >= argc) usage();
  o.exe = argv[i++];
  o.args.assign(argv + i, argv + argc);
  return o;
}

void check(uc_err e, const char* what) {
  if (e != UC_ERR_OK) throw RunnerError(std::string(what) + ": " + uc_strerror(e));
}

uint32_t protection(uint32_t characteristics) {
  uint32_t p = 0;
  if (characteristics & 0x40000000u) p |= UC_PROT_READ;
  if (characteristics & 0x80000000u) p |= UC_PROT_WRITE;
  if (characteristics & 0x20000000u) p |= UC_PROT_EXEC | UC_PROT_READ;
  return p;
}

// Maps the image, binds its imports to stubs, and sets up stack, heap and
// registers as a Windows process starts.
void prepare(uc_engine* uc, const PeImage& img, Process& p, const Options& o) {
  const auto& table = services();
  std::vector<uint8_t> memory = img.memory;
  for (const Import& imp : img.imports) {
    std::string dll = imp.dll;
    std::transform(dll.begin(), dll.end(), dll.begin(), [](unsigned char c) { return std::tolower(c); });
    auto it = std::find_if(table.begin(), table.end(), [&](const Service& s) { return dll == s.dll && imp.name == s.name; });
    if (it == table.end()) throw RunnerError(o.exe + " imports " + imp.dll + "!" + imp.name + ", which the runner does not serve");
    uint32_t stub = kStubBase + kStubBytes * static_cast<uint32_t>(it - table.begin());
    std::memcpy(memory.data() + imp.slot_rva, &stub, 4);
  }
  if (uint64_t{img.base} + img.size > kHeapBase) throw RunnerError(o.exe + " asks for an image base the runner cannot place");
  check(uc_mem_map(uc, img.base, img.size, UC_PROT_READ), "mapping the image");
  check(uc_mem_write(uc, img.base, memory.data(), memory.size()), "mapping the image");
  for (const Section& s : img.sections) {
    uint32_t size = (s.size + 0xFFF) & ~0xFFFu;
    if (size) check(uc_mem_protect(uc, img.base + s.rva, size, protection(s.characteristics)), "mapping a section");
  }

  std::vector<uint8_t> stubs(kStubSize, 0xF4);  // hlt between stubs
  for (size_t k = 0; k <= table.size(); ++k) {
    uint8_t* at = stubs.data() + kStubBytes * k;
    uint16_t pop = k < table.size() ? table[k].arg_bytes : 0;
    at[0] = 0xCD;
    at[1] = kServiceInterrupt;
    if (pop) { at[2] = 0xC2; at[3] = static_cast<uint8_t>(pop); at[4] = static_cast<uint8_t>(pop >> 8); }
    else at[2] = k < table.size() ? 0xC3 : 0xF4;
  }
  check(uc_mem_map(uc, kStubBase, kStubSize, UC_PROT_READ | UC_PROT_EXEC), "mapping the stubs");
  check(uc_mem_write(uc, kStubBase, stubs.data(), stubs.size()), "mapping the stubs");

  check(uc_mem_map(uc, kHeapBase, kHeapSize, UC_PROT_READ | UC_PROT_WRITE), "mapping the heap");
  p.heap_next = kHeapBase + 0x10000;  // the first 64 KiB hold the command line
  p.heap_end = kHeapBase + kHeapSize;
  std::string line = o.exe;
  for (const std::string& a : o.args) line += " " + a;
  line.resize(std::min<size_t>(line.size(), 0xFFFF));
  check(uc_mem_write(uc, kHeapBase, line.c_str(), line.size() + 1), "writing the command line");
  p.command_line_at = kHeapBase;
  p.files = {{0x10, 0}, {0x14, 1}, {0x18, 2}};

  check(uc_mem_map(uc, kStackBase, kStackSize, UC_PROT_READ | UC_PROT_WRITE), "mapping the stack");
  uint32_t esp = kStackBase + kStackSize - 16;
  uint32_t exit_stub = kStubBase + kStubBytes * static_cast<uint32_t>(table.size());
  check(uc_mem_write(uc, esp, &exit_stub, 4), "writing the stack");
  uc_reg_write(uc, UC_X86_REG_ESP, &esp);
  uint32_t fpcw = 0x027F;  // x87 as a Windows process starts: 53-bit precision, exceptions masked
  uc_reg_write(uc, UC_X86_REG_FPCW, &fpcw);
}

int run(const Options& o) {
  PeImage img = load_pe_image(o.exe);
  uc_engine* uc = nullptr;
  check(uc_open(UC_ARCH_X86, UC_MODE_32, &uc), "starting the emulator");
  std::unique_ptr<uc_engine, uc_err (*)(uc_engine*)> owner(uc, uc_close);
  Process process{Memory(uc)};
  if (const char* t = std::getenv("TARNRUN_TIME")) {
    std::vector<uint16_t> fields;
    if (!parse_fixed_time(t, fields)) throw RunnerError(std::string("TARNRUN_TIME is not \"YYYY-MM-DD HH:MM:SS[.mmm]\": ") + t);
    process.fixed_time = fields;
  }
  prepare(uc, img, process, o);

  Run r;
  r.uc = uc;
  r.process = &process;
  r.max_instructions = o.max_instructions;
  uc_hook h;
  check(uc_hook_add(uc, &h, UC_HOOK_INTR, reinterpret_cast<void*>(on_interrupt), &r, 1, 0), "hooking interrupts");
  check(uc_hook_add(uc, &h, UC_HOOK_MEM_INVALID, reinterpret_cast<void*>(on_bad_access), &r, 1, 0), "hooking memory");
  check(uc_hook_add(uc, &h, UC_HOOK_INSN_INVALID, reinterpret_cast<void*>(on_invalid_instruction), &r, 1, 0),
        "hooking instructions");
  if (o.count || o.max_instructions)
    check(uc_hook_add(uc, &h, UC_HOOK_CODE, reinterpret_cast<void*>(on_instruction), &r, 1, 0), "counting instructions");

  auto start = std::chrono::steady_clock::now();
  uint64_t timeout_us = static_cast<uint64_t>(o.timeout_s * 1e6);
  uc_err e = uc_emu_start(uc, img.base + img.entry_rva, 0, timeout_us, 0);
  double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  int code;
  if (process.exited) {
    code = static_cast<int>(process.exit_code & 0xFF);
  } else if (!r.fault.empty()) {
    std::fprintf(stderr, "tarnrun: %s\n", r.fault.c_str());
    code = kExitFault;
  } else if (r.limit_hit) {
    std::fprintf(stderr, "tarnrun: instruction limit of %llu reached at %s\n",
                 static_cast<unsigned long long>(o.max_instructions), hex(reg(uc, UC_X86_REG_EIP)).c_str());
    code = kExitLimit;
  } else if (e == UC_ERR_OK && timeout_us && elapsed * 1e6 >= static_cast<double>(timeout_us) * 0.99) {
    std::fprintf(stderr, "tarnrun: time limit of %g s reached at %s\n", o.timeout_s, hex(reg(uc, UC_X86_REG_EIP)).c_str());
    code = kExitLimit;
  } else {
    // Stopped without a hook saying why: a jump to address 0, or an error
    // the emulator reports only here.
    std::fprintf(stderr, "tarnrun: %s at %s\n", e == UC_ERR_OK ? "access violation executing 0x00000000" : uc_strerror(e),
                 hex(reg(uc, UC_X86_REG_EIP)).c_str());
    code = kExitFault;
  }
  if (o.count) std::fprintf(stderr, "tarnrun: instructions: %llu\n", static_cast<unsigned long long>(r.executed));
  for (auto& [handle, fd] : process.files)
    if (fd > 2) ::close(fd);
  return code;
}

}  // namespace
}  // namespace tarnrun

// In the sanitizer build: the emulator library keeps its translation buffers
// to the end, and scanning them for leaks at every exit would cost more than
// the run itself. Memory errors are still caught.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

int main(int argc, char** argv) {
  try {
    return tarnrun::run(tarnrun::parse_options(argc, argv));
  } catch (const tarnrun::RunnerError& e) {
    std::fprintf(stderr, "tarnrun: %s\n", e.what());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tarnrun: %s\n", e.what());
  }
  return tarnrun::kExitRunnerError;
}
