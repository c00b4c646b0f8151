// Files on disk: whole-file reads, the safe write that never leaves a cut
// file behind, and the settings file "tarnedit.ini" in APPDATA.
#include "app.h"

#include <vector>

#include "core/source_text.h"

namespace tarn::editor {

std::wstring widen(std::string_view utf8) {
  std::u16string w = utf8_to_utf16(utf8);
  return std::wstring(w.begin(), w.end());
}

std::string narrow(std::wstring_view text) {
  return utf16_to_utf8(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

bool read_whole_file(const std::wstring& path, std::string& bytes, DWORD& error) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return false;
  }
  bytes.clear();
  std::vector<char> buf(1 << 16);
  bool ok = true;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(h, buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr)) {
      error = GetLastError();
      ok = false;
      break;
    }
    if (got == 0) break;
    bytes.append(buf.data(), got);
  }
  CloseHandle(h);
  return ok;
}

bool write_file_safely(const std::wstring& path, const std::string& bytes, DWORD& error) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
    error = ERROR_ACCESS_DENIED;
    return false;
  }
  std::wstring folder = path.substr(0, path.find_last_of(L"\\/") + 1);
  if (folder.empty()) folder = L".";
  wchar_t temp[MAX_PATH + 1];
  if (!GetTempFileNameW(folder.c_str(), L"tnw", 0, temp)) {
    error = GetLastError();
    return false;
  }
  HANDLE h = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool ok = h != INVALID_HANDLE_VALUE;
  if (!ok) error = GetLastError();
  size_t done = 0;
  while (ok && done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20)), put = 0;
    if (!WriteFile(h, bytes.data() + done, chunk, &put, nullptr)) {
      error = GetLastError();
      ok = false;
    } else if (put < chunk) {  // a short write without an error: the disk is full
      error = ERROR_DISK_FULL;
      ok = false;
    }
    done += put;
  }
  if (ok && !FlushFileBuffers(h)) {
    error = GetLastError();
    ok = false;
  }
  if (h != INVALID_HANDLE_VALUE && !CloseHandle(h) && ok) {
    error = GetLastError();
    ok = false;
  }
  if (ok && !MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = GetLastError();
    ok = false;
  }
  if (!ok) DeleteFileW(temp);
  return ok;
}

std::wstring system_error_text(DWORD error) {
  wchar_t* text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring out = text ? text : L"Error " + std::to_wstring(error);
  if (text) LocalFree(text);
  while (!out.empty() && (out.back() == L'\n' || out.back() == L'\r' || out.back() == L' ')) out.pop_back();
  return out;
}

std::wstring own_folder() {
  wchar_t path[MAX_PATH * 4];
  DWORD n = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
  std::wstring p(path, n);
  return p.substr(0, p.find_last_of(L"\\/") + 1);
}

void load_settings(App& app) {
  wchar_t appdata[MAX_PATH * 4];
  DWORD n = GetEnvironmentVariableW(L"APPDATA", appdata, static_cast<DWORD>(std::size(appdata)));
  if (n == 0 || n >= std::size(appdata)) return;
  app.ini_path = std::wstring(appdata, n) + L"\\tarnedit.ini";
  std::string bytes;
  DWORD error = 0;
  if (!read_whole_file(app.ini_path, bytes, error)) return;
  if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
  app.settings = read_settings(bytes);
}

void store_settings(App& app) {
  if (app.ini_path.empty()) return;
  std::string old;
  DWORD error = 0;
  read_whole_file(app.ini_path, old, error);
  if (old.rfind("\xEF\xBB\xBF", 0) == 0) old.erase(0, 3);
  // Settings are not the learner's text: a failed write is not worth a box.
  write_file_safely(app.ini_path, write_settings(app.settings, old), error);
}

}  // namespace tarn::editor
