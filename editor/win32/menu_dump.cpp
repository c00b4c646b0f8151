// tarnmenu.dll: loaded into tarnedit by tarnprobe, it writes the main
// window's menu tree to "<this DLL's path>.txt" (UTF-8), one item a line,
// indented by depth, "[grayed]" after items that cannot be chosen. Menus
// cannot be read from another process, so this runs inside tarnedit.
#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>

#include <string>

namespace {

HMODULE g_self = nullptr;

std::string utf8(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

void dump(HMENU menu, int depth, std::string& out) {
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[512] = {};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING | MIIM_STATE | MIIM_SUBMENU | MIIM_FTYPE | MIIM_ID;
    info.dwTypeData = text;
    info.cch = 511;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
    out += std::string(static_cast<size_t>(depth) * 2, ' ');
    out += (info.fType & MFT_SEPARATOR) ? "-" : utf8(text);
    if (info.fState & MFS_GRAYED) out += " [grayed]";
    out += "\n";
    if (info.hSubMenu) dump(info.hSubMenu, depth + 1, out);
  }
}

DWORD WINAPI write_menus(void*) {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(g_self, path, MAX_PATH);
  std::wstring target = std::wstring(path) + L".txt", temp = target + L".part";
  std::string out;
  HWND window = FindWindowW(L"TForm1", nullptr);
  if (window && GetMenu(window)) dump(GetMenu(window), 0, out);
  HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 1;
  DWORD put;
  WriteFile(h, out.data(), static_cast<DWORD>(out.size()), &put, nullptr);
  CloseHandle(h);
  MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
  return 0;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_self = instance;
    HANDLE thread = CreateThread(nullptr, 0, write_menus, nullptr, 0, nullptr);
    if (thread) CloseHandle(thread);
  }
  return TRUE;
}
