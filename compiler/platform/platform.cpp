#include "platform/platform.h"

#include <ctime>

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

namespace tarn::platform {

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

std::string local_appdata_folder() {
  wchar_t buf[MAX_PATH];
  if (SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, buf) != S_OK) return "";
  return narrow(buf);
}

bool file_exists(const std::string& path) {
  DWORD a = GetFileAttributesW(wide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool folder_exists(const std::string& path) {
  DWORD a = GetFileAttributesW(wide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool create_folder(const std::string& path) { return CreateDirectoryW(wide(path).c_str(), nullptr) != 0; }

FILE* open_file(const std::string& path, const char* mode) {
  return _wfopen(wide(path).c_str(), wide(mode).c_str());
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

bool FileLock::acquire(const std::string& path) {
  HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  OVERLAPPED ov{};
  if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &ov)) {
    CloseHandle(h);
    return false;
  }
  handle_ = h;
  return true;
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
  if (!home || !*home) return "";
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

bool create_folder(const std::string& path) { return mkdir(path.c_str(), 0777) == 0; }

FILE* open_file(const std::string& path, const char* mode) { return fopen(path.c_str(), mode); }

std::vector<std::string> arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void set_binary_stdio() {}

FileLock::~FileLock() { release(); }

bool FileLock::acquire(const std::string& path) {
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  if (flock(fd, LOCK_EX) != 0) {
    close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

void FileLock::release() {
  if (fd_ < 0) return;
  flock(fd_, LOCK_UN);
  close(fd_);
  fd_ = -1;
}

#endif

bool read_file(const std::string& path, std::string& bytes) {
  FILE* f = open_file(path, "rb");
  if (!f) return false;
  bytes.clear();
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
  bool ok = !ferror(f);
  fclose(f);
  return ok;
}

bool write_file(const std::string& path, const std::string& bytes) {
  FILE* f = open_file(path, "wb");
  if (!f) return false;
  bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && ok;
}

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
