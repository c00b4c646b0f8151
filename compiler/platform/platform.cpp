#include "platform/platform.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <thread>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <shlobj.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "common/codepage.h"
#include "common/text.h"

namespace tarn::platform {

namespace {

std::string g_last_error;

// Records the reason of a failure and returns false, for `return fail(...)`.
bool fail(std::string reason) {
  g_last_error = std::move(reason);
  return false;
}

std::filesystem::path fs_path(const std::string& utf8) {
  return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string utf8_of(const std::filesystem::path& p) {
  std::u8string u = p.u8string();
  return std::string(reinterpret_cast<const char*>(u.data()), u.size());
}

}  // namespace

std::string last_error() { return g_last_error; }

// Absolute spelling with "." and ".." resolved and links followed as far as
// the path exists.
static std::string full_spelling(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::weakly_canonical(std::filesystem::absolute(fs_path(path), ec), ec);
  return ec ? path : utf8_of(p);
}

#ifdef _WIN32

static std::wstring wide(const std::string& utf8) {
  std::wstring w;
  for (char32_t ch : utf8_to_utf32(utf8)) {
    if (ch >= 0x10000) {
      ch -= 0x10000;
      w.push_back(static_cast<wchar_t>(0xD800 + (ch >> 10)));
      w.push_back(static_cast<wchar_t>(0xDC00 + (ch & 0x3FF)));
    } else {
      w.push_back(static_cast<wchar_t>(ch));
    }
  }
  return w;
}

static std::string narrow(const wchar_t* w) {
  std::u32string u;
  for (; *w; ++w) {
    char32_t ch = static_cast<char16_t>(*w);
    if (ch >= 0xD800 && ch < 0xDC00 && w[1] >= 0xDC00 && w[1] < 0xE000) {
      ch = 0x10000 + ((ch - 0xD800) << 10) + (static_cast<char16_t>(w[1]) - 0xDC00);
      ++w;
    }
    u.push_back(ch);
  }
  return utf32_to_utf8(u);
}

const char* separator() { return "\\"; }

static bool fail_windows() {
  DWORD code = GetLastError();
  wchar_t* text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string reason = text ? narrow(text) : "error " + std::to_string(code);
  if (text) LocalFree(text);
  reason = trim(reason);
  while (!reason.empty() && reason.back() == '.') reason.pop_back();
  return fail(reason);
}

std::string local_appdata_folder() {
  wchar_t buf[MAX_PATH + 1];
  if (SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, buf) == S_OK && buf[0]) return narrow(buf);
  DWORD n = GetTempPathW(MAX_PATH + 1, buf);
  if (n == 0 || n > MAX_PATH) return ".";
  std::string t = narrow(buf);
  while (t.size() > 3 && (t.back() == '\\' || t.back() == '/')) t.pop_back();
  return t;
}

bool file_exists(const std::string& path) {
  DWORD a = GetFileAttributesW(wide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool folder_exists(const std::string& path) {
  DWORD a = GetFileAttributesW(wide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool create_folder(const std::string& path) {
  if (CreateDirectoryW(wide(path).c_str(), nullptr)) return true;
  if (GetLastError() == ERROR_ALREADY_EXISTS && folder_exists(path)) return true;
  return fail_windows();
}

FILE* open_file(const std::string& path, const char* mode) {
  FILE* f = _wfopen(wide(path).c_str(), wide(mode).c_str());
  if (!f) fail(strerror(errno));
  return f;
}

FILE* open_for_rewrite(const std::string& path) { return open_file(path, "wb"); }

bool same_file(const std::string& a, const std::string& b) {
  auto identity = [](const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    HANDLE h = CreateFileW(wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    return ok;
  };
  BY_HANDLE_FILE_INFORMATION ia, ib;
  if (identity(a, ia) && identity(b, ib))
    return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
           ia.nFileIndexLow == ib.nFileIndexLow;
  return CompareStringOrdinal(wide(full_spelling(a)).c_str(), -1, wide(full_spelling(b)).c_str(), -1, TRUE) ==
         CSTR_EQUAL;
}

bool read_file(const std::string& path, std::string& bytes, size_t max_bytes, bool* too_large) {
  if (too_large) *too_large = false;
  HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return fail_windows();
  bytes.clear();
  char buf[65536];
  bool ok = true;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(h, buf, sizeof buf, &got, nullptr)) {
      ok = GetLastError() == ERROR_BROKEN_PIPE || fail_windows();
      break;
    }
    if (got == 0) break;
    bytes.append(buf, got);
    if (bytes.size() > max_bytes) {
      if (too_large) *too_large = true;
      ok = fail("too large");
      break;
    }
  }
  CloseHandle(h);
  return ok;
}

bool replace_file(const std::string& path, const std::string& bytes) {
  const std::wstring target = wide(path);
  const std::wstring temp = wide(path + "." + std::to_string(GetCurrentProcessId()) + ".tmp");
  HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return fail_windows();
  size_t done = 0;
  bool ok = true;
  while (ok && done < bytes.size()) {
    DWORD part = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20)), put = 0;
    ok = WriteFile(h, bytes.data() + done, part, &put, nullptr) && put == part;
    done += put;
  }
  if (ok) ok = FlushFileBuffers(h) != 0;
  if (!ok) fail_windows();
  if (!CloseHandle(h) && ok) ok = fail_windows();
  if (ok && !MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    ok = fail_windows();
  if (!ok) DeleteFileW(temp.c_str());
  return ok;
}

std::vector<std::string> arguments(int, char**) {
  std::vector<std::string> r;
  int n = 0;
  wchar_t** w = CommandLineToArgvW(GetCommandLineW(), &n);
  for (int i = 1; w && i < n; ++i) r.push_back(narrow(w[i]));
  if (w) LocalFree(w);
  return r;
}

void set_binary_stdio() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
}

FileLock::~FileLock() { release(); }

FileLock::Result FileLock::acquire(const std::string& path, int wait_ms) {
  HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    fail_windows();
    return kFailed;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
  for (;;) {
    OVERLAPPED ov{};
    if (LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &ov)) break;
    if (GetLastError() != ERROR_LOCK_VIOLATION || std::chrono::steady_clock::now() >= deadline) {
      Result r = GetLastError() == ERROR_LOCK_VIOLATION ? kBusy : kFailed;
      if (r == kFailed) fail_windows();
      CloseHandle(h);
      return r;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  handle_ = h;
  return kLocked;
}

void FileLock::release() {
  if (!handle_) return;
  OVERLAPPED ov{};
  UnlockFileEx(handle_, 0, 1, 0, &ov);
  CloseHandle(handle_);
  handle_ = nullptr;
}

#else

const char* separator() { return "/"; }

std::string local_appdata_folder() {
  for (const char* var : {"LOCALAPPDATA", "XDG_DATA_HOME"}) {
    const char* v = getenv(var);
    if (v && *v) return v;
  }
  const char* home = getenv("HOME");
  if (!home || !*home) {
    // No home: the system's temporary folder, never the file-system root.
    const char* tmp = getenv("TMPDIR");
    std::string t = tmp && *tmp ? tmp : "/tmp";
    while (t.size() > 1 && t.back() == '/') t.pop_back();
    return t;
  }
  std::string share = std::string(home) + "/.local";
  if (!folder_exists(share)) create_folder(share);
  share += "/share";
  if (!folder_exists(share)) create_folder(share);
  return share;
}

bool file_exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool folder_exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool create_folder(const std::string& path) {
  if (mkdir(path.c_str(), 0777) == 0) return true;
  int e = errno;
  if (e == EEXIST && folder_exists(path)) return true;
  return fail(strerror(e));
}

FILE* open_file(const std::string& path, const char* mode) {
  FILE* f = fopen(path.c_str(), mode);
  if (!f) fail(strerror(errno));
  return f;
}

// Not O_TRUNC: ext4 flushes a file emptied on opening when it is closed, and
// the next compile's emptying then waited for that write. Cut to its first
// byte instead, an old report never shows a line of its own.
FILE* open_for_rewrite(const std::string& path) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    fail(strerror(errno));
    return nullptr;
  }
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 1 && ftruncate(fd, 1) != 0) {
    fail(strerror(errno));
    close(fd);
    return nullptr;
  }
  FILE* f = fdopen(fd, "wb");
  if (!f) {
    fail(strerror(errno));
    close(fd);
  }
  return f;
}

bool same_file(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  if (stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  return full_spelling(a) == full_spelling(b);
}

bool read_file(const std::string& path, std::string& bytes, size_t max_bytes, bool* too_large) {
  if (too_large) *too_large = false;
  // Non-blocking: a pipe with no writer must not hold the compile.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return fail(strerror(errno));
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    close(fd);
    return fail(strerror(EISDIR));
  }
  bytes.clear();
  char buf[65536];
  bool ok = true;
  for (;;) {
    ssize_t got = read(fd, buf, sizeof buf);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno == EAGAIN) break;
    if (got < 0) {
      ok = fail(strerror(errno));
      break;
    }
    if (got == 0) break;
    bytes.append(buf, static_cast<size_t>(got));
    if (bytes.size() > max_bytes) {
      if (too_large) *too_large = true;
      ok = fail("too large");
      break;
    }
  }
  close(fd);
  return ok;
}

// Every byte to fd, across short writes and interruptions; a full disk that
// takes nothing more is reported as such.
static bool write_all(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return fail(strerror(put < 0 ? errno : ENOSPC));
    done += static_cast<size_t>(put);
  }
  return true;
}

// Puts temp in path's place in one step, without forcing it to the disk
// first: an executable is made again by the next compile, and waiting for the
// disk cost more than the rest of a compile. Where the old file is a plain
// file the two names are swapped and the old file, now under the temporary
// name, is removed: a rename over another file makes ext4 write the new one
// out at once, and the compile waited for that write too.
static bool put_in_place(const std::string& temp, const std::string& path) {
#if defined(__linux__) && defined(RENAME_EXCHANGE)
  // Only with a plain file: a swap would also take a folder's place, where a
  // rename fails as it must.
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
      renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE) == 0) {
    unlink(temp.c_str());
    return true;
  }
  // No old file, or a file system that cannot swap: a plain rename.
#endif
  return rename(temp.c_str(), path.c_str()) == 0 || fail(strerror(errno));
}

bool replace_file(const std::string& path, const std::string& bytes) {
  const std::string temp = path + "." + std::to_string(getpid()) + ".tmp";
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) return fail(strerror(errno));
  bool ok = write_all(fd, bytes);
  if (close(fd) != 0 && ok) ok = fail(strerror(errno));
  if (ok) ok = put_in_place(temp, path);
  if (!ok) unlink(temp.c_str());
  return ok;
}

std::vector<std::string> arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void set_binary_stdio() {}

FileLock::~FileLock() { release(); }

FileLock::Result FileLock::acquire(const std::string& path, int wait_ms) {
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    fail(strerror(errno));
    return kFailed;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
  while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int e = errno;
    if (e == EINTR) continue;
    if (e != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
      if (e != EWOULDBLOCK) fail(strerror(e));
      close(fd);
      return e == EWOULDBLOCK ? kBusy : kFailed;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  fd_ = fd;
  return kLocked;
}

void FileLock::release() {
  if (fd_ < 0) return;
  flock(fd_, LOCK_UN);
  close(fd_);
  fd_ = -1;
}

// The bytes are written over the old file from its start and the file is then
// cut to their length, rather than emptied first: ext4 makes a file that was
// emptied on opening reach the disk when it is closed, which cost the work
// files of every compile most of a millisecond each.
bool write_file(const std::string& path, std::string_view bytes) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return fail(strerror(errno));
  bool ok = write_all(fd, bytes);
  if (ok && ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) ok = fail(strerror(errno));
  if (close(fd) != 0 && ok) ok = fail(strerror(errno));
  return ok;
}

#endif

bool create_file(const std::string& path) {
  FILE* f = open_file(path, "ab");
  if (!f) return false;
  if (fclose(f) != 0) return fail(strerror(errno));
  return true;
}

#ifdef _WIN32
bool write_file(const std::string& path, std::string_view bytes) {
  FILE* f = open_file(path, "wb");
  if (!f) return false;
  bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (!ok) fail(strerror(errno));
  if (fclose(f) != 0 && ok) ok = fail(strerror(errno));
  return ok;
}
#endif

int current_year() {
  time_t now = time(nullptr);
  struct tm t;
#ifdef _WIN32
  localtime_s(&t, &now);
#else
  localtime_r(&now, &t);
#endif
  return t.tm_year + 1900;
}

}  // namespace tarn::platform
