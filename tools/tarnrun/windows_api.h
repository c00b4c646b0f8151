// The Windows functions a tarnc program imports, served to the emulated CPU
// with the semantics the run-time library relies on. The emulator core
// (main.cpp) only moves arguments and results; everything that touches the
// host (files, standard handles, the clock) lives behind this header.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <unicorn/unicorn.h>

namespace tarnrun {

// A guest pointer that leads outside mapped memory, met inside a service;
// it ends the run as an access violation at the service's call.
struct GuestFault {
  uint32_t address;
};

// Guest memory access through Unicorn.
class Memory {
 public:
  explicit Memory(uc_engine* uc) : uc_(uc) {}
  void read(uint32_t at, void* to, size_t n) const;
  void write(uint32_t at, const void* from, size_t n);
  uint32_t u32(uint32_t at) const;
  void put_u16(uint32_t at, uint16_t v) { write(at, &v, 2); }
  void put_u32(uint32_t at, uint32_t v) { write(at, &v, 4); }
  // A NUL-terminated byte string of at most `limit` bytes.
  std::string c_string(uint32_t at, size_t limit = 1 << 20) const;
  std::u16string wide_string(uint32_t at, size_t limit = 1 << 20) const;

 private:
  uc_engine* uc_;
};

// What the program's process owns: handles, its heap, its command line.
struct Process {
  explicit Process(Memory m) : mem(m) {}
  Memory mem;
  uint32_t command_line_at = 0;  // GetCommandLineA's text in guest memory
  std::optional<std::vector<uint16_t>> fixed_time;  // SYSTEMTIME fields, from TARNRUN_TIME
  std::map<uint32_t, int> files;                    // handle -> host descriptor
  uint32_t next_handle = 0x100;
  bool exited = false;
  uint32_t exit_code = 0;

  // The process heap: a bump region with first-fit reuse of freed blocks.
  uint32_t heap_next = 0;
  uint32_t heap_end = 0;
  std::map<uint32_t, uint32_t> heap_used;  // block -> size
  std::multimap<uint32_t, uint32_t> heap_free;  // size -> block
};

// The guest's view of one call: stdcall arguments on its stack.
struct Call {
  Process& p;
  uint32_t esp;  // at the return address
  uint32_t arg(int i) const { return p.mem.u32(esp + 4 + 4 * static_cast<uint32_t>(i)); }
};

using ServiceFn = uint32_t (*)(Call&);

struct Service {
  const char* dll;   // lower case
  const char* name;
  uint16_t arg_bytes;  // what the callee pops (stdcall)
  ServiceFn fn;
};

// Every function the runner serves, in a fixed order (a stub's index).
const std::vector<Service>& services();

// Parses TARNRUN_TIME ("YYYY-MM-DD HH:MM:SS[.mmm]"); false when malformed.
bool parse_fixed_time(const std::string& text, std::vector<uint16_t>& fields);

}  // namespace tarnrun
