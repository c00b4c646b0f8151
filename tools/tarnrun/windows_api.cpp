// The served functions. Each reads its stdcall arguments from the guest stack
// and returns what lands in eax; failures are reported the Windows way (0,
// FALSE or INVALID_HANDLE_VALUE), never by ending the runner.
#include "windows_api.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace tarnrun {

// ---- guest memory ----

void Memory::read(uint32_t at, void* to, size_t n) const {
  if (n && uc_mem_read(uc_, at, to, n) != UC_ERR_OK) throw GuestFault{at};
}

void Memory::write(uint32_t at, const void* from, size_t n) {
  if (n && uc_mem_write(uc_, at, from, n) != UC_ERR_OK) throw GuestFault{at};
}

uint32_t Memory::u32(uint32_t at) const {
  uint32_t v;
  read(at, &v, 4);
  return v;
}

std::string Memory::c_string(uint32_t at, size_t limit) const {
  std::string s;
  for (char ch; s.size() < limit; s += ch) {
    read(at + static_cast<uint32_t>(s.size()), &ch, 1);
    if (ch == 0) break;
  }
  return s;
}

std::u16string Memory::wide_string(uint32_t at, size_t limit) const {
  std::u16string s;
  for (char16_t ch; s.size() < limit; s += ch) {
    read(at + 2 * static_cast<uint32_t>(s.size()), &ch, 2);
    if (ch == 0) break;
  }
  return s;
}

namespace {

constexpr uint32_t kInvalidHandle = 0xFFFFFFFFu;
constexpr uint32_t kHeapHandle = 0x00050000u;

int host_fd(Call& c, uint32_t handle) {
  auto it = c.p.files.find(handle);
  return it == c.p.files.end() ? -1 : it->second;
}

// ---- Kernel32: standard handles and files ----

uint32_t GetStdHandle(Call& c) {
  switch (static_cast<int32_t>(c.arg(0))) {
    case -10: return 0x10;
    case -11: return 0x14;
    case -12: return 0x18;
    default: return kInvalidHandle;
  }
}

// One read: a pipe or terminal gives what is there, a file what is asked for;
// 0 bytes at the end of the input.
uint32_t ReadFile(Call& c) {
  int fd = host_fd(c, c.arg(0));
  uint32_t buffer = c.arg(1), wanted = c.arg(2), done_at = c.arg(3);
  if (done_at) c.p.mem.put_u32(done_at, 0);
  if (fd < 0) return 0;
  std::vector<char> bytes(wanted);
  ssize_t got;
  do got = ::read(fd, bytes.data(), wanted); while (got < 0 && errno == EINTR);
  if (got < 0) return 0;
  c.p.mem.write(buffer, bytes.data(), static_cast<size_t>(got));
  if (done_at) c.p.mem.put_u32(done_at, static_cast<uint32_t>(got));
  return 1;
}

uint32_t WriteFile(Call& c) {
  int fd = host_fd(c, c.arg(0));
  uint32_t buffer = c.arg(1), count = c.arg(2), done_at = c.arg(3);
  std::vector<char> bytes(count);
  c.p.mem.read(buffer, bytes.data(), count);
  if (done_at) c.p.mem.put_u32(done_at, 0);
  if (fd < 0) return 0;
  size_t written = 0;
  while (written < count) {
    ssize_t n = ::write(fd, bytes.data() + written, count - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<size_t>(n);
  }
  if (done_at) c.p.mem.put_u32(done_at, static_cast<uint32_t>(written));
  return written == count;
}

// Names are taken relative to the working folder with "\" read as "/".
uint32_t CreateFileA(Call& c) {
  std::string name = c.p.mem.c_string(c.arg(0), 4096);
  uint32_t access = c.arg(1), disposition = c.arg(4);
  for (char& ch : name) if (ch == '\\') ch = '/';
  bool read = access & 0x80000000u, write = access & 0x40000000u;
  int flags = read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
  switch (disposition) {
    case 1: flags |= O_CREAT | O_EXCL; break;   // CREATE_NEW
    case 2: flags |= O_CREAT | O_TRUNC; break;  // CREATE_ALWAYS
    case 3: break;                              // OPEN_EXISTING
    case 4: flags |= O_CREAT; break;            // OPEN_ALWAYS
    case 5: flags |= O_TRUNC; break;            // TRUNCATE_EXISTING
    default: return kInvalidHandle;
  }
  struct stat st;
  if (name.empty() || (::stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode))) return kInvalidHandle;
  int fd = ::open(name.c_str(), flags | O_CLOEXEC, 0666);
  if (fd < 0) return kInvalidHandle;
  uint32_t handle = c.p.next_handle;
  c.p.next_handle += 4;
  c.p.files[handle] = fd;
  return handle;
}

uint32_t SetFilePointer(Call& c) {
  int fd = host_fd(c, c.arg(0));
  uint32_t high_at = c.arg(2), method = c.arg(3);
  int64_t distance = high_at ? static_cast<int64_t>(uint64_t{c.p.mem.u32(high_at)} << 32 | c.arg(1))
                             : static_cast<int32_t>(c.arg(1));
  static const int whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  if (fd < 0 || method > 2) return 0xFFFFFFFFu;
  off_t at = ::lseek(fd, distance, whence[method]);
  if (at < 0) return 0xFFFFFFFFu;
  if (high_at) c.p.mem.put_u32(high_at, static_cast<uint32_t>(static_cast<uint64_t>(at) >> 32));
  return static_cast<uint32_t>(at);
}

uint32_t CloseHandle(Call& c) {
  auto it = c.p.files.find(c.arg(0));
  if (it == c.p.files.end()) return 0;
  if (it->second > 2) ::close(it->second);  // the runner's own standard handles stay open
  c.p.files.erase(it);
  return 1;
}

uint32_t ExitProcess(Call& c) {
  c.p.exited = true;
  c.p.exit_code = c.arg(0);
  return 0;
}

// ---- Kernel32: strings, clock, heap, command line ----

// lstrlen guards its pointer: a bad one gives 0, as on Windows.
uint32_t lstrlenA(Call& c) {
  uint32_t at = c.arg(0);
  if (!at) return 0;
  try {
    return static_cast<uint32_t>(c.p.mem.c_string(at).size());
  } catch (const GuestFault&) {
    return 0;
  }
}

// Byte order, not the locale's collation that Windows uses.
uint32_t lstrcmpA(Call& c) {
  std::string a = c.arg(0) ? c.p.mem.c_string(c.arg(0)) : "";
  std::string b = c.arg(1) ? c.p.mem.c_string(c.arg(1)) : "";
  int r = a.compare(b);
  return static_cast<uint32_t>(r < 0 ? -1 : r > 0 ? 1 : 0);
}

uint32_t GetLocalTime(Call& c) {
  std::vector<uint16_t> f;
  if (c.p.fixed_time) {
    f = *c.p.fixed_time;
  } else {
    auto now = std::chrono::system_clock::now();
    std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    f = {static_cast<uint16_t>(tm.tm_year + 1900), static_cast<uint16_t>(tm.tm_mon + 1), static_cast<uint16_t>(tm.tm_wday),
         static_cast<uint16_t>(tm.tm_mday), static_cast<uint16_t>(tm.tm_hour), static_cast<uint16_t>(tm.tm_min),
         static_cast<uint16_t>(tm.tm_sec), static_cast<uint16_t>(ms)};
  }
  for (uint32_t i = 0; i < 8; ++i) c.p.mem.put_u16(c.arg(0) + 2 * i, f[i]);
  return 0;
}

uint32_t GetProcessHeap(Call&) { return kHeapHandle; }

uint32_t HeapAlloc(Call& c) {
  Process& p = c.p;
  uint32_t flags = c.arg(1), size = c.arg(2);
  if (c.arg(0) != kHeapHandle || size > 0x7FFFFFF8u) return 0;  // the rounding below cannot overflow
  uint32_t rounded = std::max<uint32_t>(8, (size + 7) & ~7u), block = 0;
  if (auto it = p.heap_free.lower_bound(rounded); it != p.heap_free.end()) {
    rounded = it->first;
    block = it->second;
    p.heap_free.erase(it);
  } else if (p.heap_end - p.heap_next >= rounded) {
    block = p.heap_next;
    p.heap_next += rounded;
  } else {
    return 0;
  }
  p.heap_used[block] = rounded;
  if (flags & 0x8) p.mem.write(block, std::vector<char>(rounded).data(), rounded);  // HEAP_ZERO_MEMORY
  return block;
}

uint32_t HeapFree(Call& c) {
  uint32_t block = c.arg(2);
  if (block == 0) return 1;
  auto it = c.p.heap_used.find(block);
  if (c.arg(0) != kHeapHandle || it == c.p.heap_used.end()) return 0;
  c.p.heap_free.emplace(it->second, block);
  c.p.heap_used.erase(it);
  return 1;
}

// The text was placed in guest memory when the process started.
uint32_t GetCommandLineA(Call& c) { return c.p.command_line_at; }

// ---- Kernel32: the console screen ----

// Standard handles here are pipes, files or terminals, never a Windows
// console, so these fail as Windows fails them on a redirected handle.
uint32_t NotAConsole(Call&) { return 0; }

// ---- User32 ----

// wsprintf's conversions: %[-][#][0][width][.precision][h|l|w]{c C d i u x X s S %}.
// Output stops at 1024 units with the terminator, as the Windows buffer limit.
template <class Unit>
uint32_t format(Call& c, const std::basic_string<Unit>& fmt, uint32_t out, uint32_t args) {
  std::basic_string<Unit> r;
  auto next = [&] { uint32_t v = c.p.mem.u32(args); args += 4; return v; };
  auto put_ascii = [&](const std::string& s) { for (unsigned char ch : s) r += static_cast<Unit>(ch); };
  for (size_t i = 0; i < fmt.size(); ++i) {
    if (fmt[i] != '%') { r += fmt[i]; continue; }
    std::string spec = "%";
    size_t j = i + 1;
    bool left = false;
    for (; j < fmt.size() && (fmt[j] == '-' || fmt[j] == '#' || fmt[j] == '0'); ++j) {
      left |= fmt[j] == '-';
      spec += static_cast<char>(fmt[j]);
    }
    int width = 0, precision = -1;
    for (; j < fmt.size() && fmt[j] >= '0' && fmt[j] <= '9'; ++j) width = std::min(width * 10 + (fmt[j] - '0'), 1024);
    if (j < fmt.size() && fmt[j] == '.') {
      precision = 0;
      for (++j; j < fmt.size() && fmt[j] >= '0' && fmt[j] <= '9'; ++j) precision = std::min(precision * 10 + (fmt[j] - '0'), 1024);
    }
    int size = 0;  // 'h' narrow, 'l'/'w' wide, 0 as the function's own
    if (j < fmt.size() && (fmt[j] == 'h' || fmt[j] == 'l' || fmt[j] == 'w')) size = fmt[j++] == 'h' ? 1 : 2;
    if (j >= fmt.size()) break;
    Unit type = fmt[j];
    i = j;
    bool own_wide = sizeof(Unit) == 2;
    std::basic_string<Unit> field;
    if (type == 'd' || type == 'i' || type == 'u' || type == 'x' || type == 'X') {
      if (width > 0) spec += std::to_string(width);
      if (precision >= 0) spec += "." + std::to_string(precision);
      spec += type == 'i' ? 'd' : static_cast<char>(type);
      char buf[2100];
      uint32_t v = next();
      if (type == 'd' || type == 'i') std::snprintf(buf, sizeof buf, spec.c_str(), static_cast<int32_t>(v));
      else std::snprintf(buf, sizeof buf, spec.c_str(), v);
      put_ascii(buf);
      continue;
    } else if (type == 'c' || type == 'C') {
      field += static_cast<Unit>(next() & (sizeof(Unit) == 2 ? 0xFFFF : 0xFF));
    } else if (type == 's' || type == 'S') {
      bool wide = size ? size == 2 : (type == 's') == own_wide;
      uint32_t at = next();
      if (!at) {
        put_ascii("(null)");
        continue;
      }
      size_t limit = precision >= 0 ? static_cast<size_t>(precision) : 1024;
      if (wide) for (char16_t ch : c.p.mem.wide_string(at, limit)) field += static_cast<Unit>(ch);
      else for (unsigned char ch : c.p.mem.c_string(at, limit)) field += static_cast<Unit>(ch);
    } else {
      field += type;  // "%%" and unknown conversions give the character itself
    }
    bool zero = spec.find('0') != std::string::npos && !left && type != 's' && type != 'S';
    std::basic_string<Unit> pad(static_cast<size_t>(std::max(0, width - static_cast<int>(field.size()))),
                                static_cast<Unit>(zero ? '0' : ' '));
    r += left ? field + pad : pad + field;
  }
  if (r.size() > 1023) r.resize(1023);
  r += Unit(0);
  c.p.mem.write(out, r.data(), r.size() * sizeof(Unit));
  return static_cast<uint32_t>(r.size() - 1);
}

uint32_t wvsprintfA(Call& c) {
  std::string fmt = c.p.mem.c_string(c.arg(1));
  return format(c, fmt, c.arg(0), c.arg(2));
}

uint32_t wvsprintfW(Call& c) {
  std::u16string fmt = c.p.mem.wide_string(c.arg(1));
  return format(c, fmt, c.arg(0), c.arg(2));
}

// Case mapping of the Russian ANSI code page (1251), the system code page of
// the machines these programs are written for.
uint8_t upper_1251(uint8_t ch) {
  if ((ch >= 'a' && ch <= 'z') || ch >= 0xE0) return static_cast<uint8_t>(ch - 0x20);
  switch (ch) {
    case 0xB8: return 0xA8;  // ё
    case 0x90: return 0x80;
    case 0x83: return 0x81;
    case 0x9A: case 0x9C: case 0x9D: case 0x9E: case 0x9F: return static_cast<uint8_t>(ch - 0x10);
    case 0xA2: return 0xA1;
    case 0xBC: return 0xA3;
    case 0xB4: return 0xA5;
    case 0xBA: return 0xAA;
    case 0xBF: return 0xAF;
    case 0xB3: return 0xB2;
    case 0xBE: return 0xBD;
    default: return ch;
  }
}

uint8_t lower_1251(uint8_t ch) {
  for (int low = 0x80; low < 0x100; ++low)
    if (upper_1251(static_cast<uint8_t>(low)) == ch && low != ch) return static_cast<uint8_t>(low);
  return ch >= 'A' && ch <= 'Z' ? static_cast<uint8_t>(ch + 0x20) : ch;
}

// A pointer whose high word is zero is one character to convert and return;
// otherwise the string is converted in place and its address returned.
template <uint8_t (*Map)(uint8_t)>
uint32_t char_case(Call& c) {
  uint32_t at = c.arg(0);
  if ((at >> 16) == 0) return Map(static_cast<uint8_t>(at));
  std::string s = c.p.mem.c_string(at);
  for (char& ch : s) ch = static_cast<char>(Map(static_cast<uint8_t>(ch)));
  c.p.mem.write(at, s.data(), s.size());
  return at;
}

}  // namespace

const std::vector<Service>& services() {
  static const std::vector<Service> table = {
      {"kernel32.dll", "GetStdHandle", 4, GetStdHandle},
      {"kernel32.dll", "WriteFile", 20, WriteFile},
      {"kernel32.dll", "ReadFile", 20, ReadFile},
      {"kernel32.dll", "ExitProcess", 4, ExitProcess},
      {"kernel32.dll", "lstrlen", 4, lstrlenA},
      {"kernel32.dll", "lstrlenA", 4, lstrlenA},
      {"kernel32.dll", "lstrcmpA", 8, lstrcmpA},
      {"kernel32.dll", "CreateFileA", 28, CreateFileA},
      {"kernel32.dll", "SetFilePointer", 16, SetFilePointer},
      {"kernel32.dll", "CloseHandle", 4, CloseHandle},
      {"kernel32.dll", "GetLocalTime", 4, GetLocalTime},
      {"kernel32.dll", "GetProcessHeap", 0, GetProcessHeap},
      {"kernel32.dll", "HeapAlloc", 12, HeapAlloc},
      {"kernel32.dll", "HeapFree", 12, HeapFree},
      {"kernel32.dll", "GetCommandLineA", 0, GetCommandLineA},
      {"kernel32.dll", "GetConsoleScreenBufferInfo", 8, NotAConsole},
      {"kernel32.dll", "FillConsoleOutputCharacterA", 20, NotAConsole},
      {"kernel32.dll", "SetConsoleCursorPosition", 8, NotAConsole},
      {"kernel32.dll", "SetConsoleCursorInfo", 8, NotAConsole},
      {"user32.dll", "wvsprintfA", 12, wvsprintfA},
      {"user32.dll", "wvsprintfW", 12, wvsprintfW},
      {"user32.dll", "CharLowerA", 4, char_case<lower_1251>},
      {"user32.dll", "CharUpperA", 4, char_case<upper_1251>},
  };
  return table;
}

bool parse_fixed_time(const std::string& text, std::vector<uint16_t>& fields) {
  int y, mo, d, h, mi, s, ms = 0;
  int n = std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d.%d", &y, &mo, &d, &h, &mi, &s, &ms);
  if (n < 6 || y < 1601 || y > 30827 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59 || ms > 999)
    return false;
  std::tm tm{};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = 12;
  std::time_t t = timegm(&tm);
  std::tm back{};
  gmtime_r(&t, &back);
  fields = {static_cast<uint16_t>(y), static_cast<uint16_t>(mo), static_cast<uint16_t>(back.tm_wday), static_cast<uint16_t>(d),
            static_cast<uint16_t>(h), static_cast<uint16_t>(mi), static_cast<uint16_t>(s), static_cast<uint16_t>(ms)};
  return true;
}

}  // namespace tarnrun
