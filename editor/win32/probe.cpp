// tarnprobe: reads tarnedit's window from outside, with the standard messages
// of its controls, for the window tests. Output is UTF-8 on standard output.
//
//   tarnprobe launch APPDATA EXE [ARGS]  start EXE with APPDATA set for it
//   tarnprobe wait [SECONDS]             wait for the main window, print its title
//   tarnprobe title | text | messages    the window title / editor / message pane text
//   tarnprobe selection                  the editor's selection: "start end"
//   tarnprobe limit | modified           EM_GETLIMITTEXT / EM_GETMODIFY of the editor
//   tarnprobe status N                   the text of status bar panel N
//   tarnprobe charformat                 face and point size of the editor's selection
//   tarnprobe window TITLE               1 when a top-level window has that title, else 0
//   tarnprobe colours FROM TO            the look of each editor character in [FROM, TO): its
//                                        colour as RRGGBB, "i" after it when italic; one a line
//   tarnprobe chars TEXT                 TEXT into the editor as the characters a keyboard
//                                        layout would give (WM_CHAR), for letters xdotool cannot type
//   tarnprobe menus                      the menu tree (read inside tarnedit by tarnmenu.dll)
//   tarnprobe dialogs                    each dialog of tarnedit: its title, then its controls' texts
//   tarnprobe press TEXT                 click the button captioned TEXT in a dialog of tarnedit
//   tarnprobe gone [SECONDS]             wait until tarnedit's main window has closed
#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr int kIdEditor = 1001, kIdMessages = 1002, kIdStatus = 1003;

std::string utf8(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

void print(const std::wstring& w) {
  std::string s = utf8(w) + "\n";
  DWORD put;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), s.data(), static_cast<DWORD>(s.size()), &put, nullptr);
}

HWND main_window() { return FindWindowW(L"TForm1", nullptr); }

std::wstring window_text(HWND hwnd) {
  LRESULT n = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
  std::vector<wchar_t> buf(static_cast<size_t>(n) + 2, L'\0');
  LRESULT got = SendMessageW(hwnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()));
  return std::wstring(buf.data(), static_cast<size_t>(got));
}

// A message whose LPARAM points to a buffer: the buffer lives in tarnedit's
// own memory, since these messages are not copied between processes.
std::vector<char> remote_message(HWND hwnd, UINT message, WPARAM wparam, std::vector<char> out, LRESULT* result) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  size_t size = out.size();
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return out;
  void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  WriteProcessMemory(process, remote, out.data(), size, nullptr);
  *result = SendMessageW(hwnd, message, wparam, reinterpret_cast<LPARAM>(remote));
  ReadProcessMemory(process, remote, out.data(), size, nullptr);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return out;
}

struct DialogSearch {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK collect_dialog(HWND hwnd, LPARAM lparam) {
  auto* search = reinterpret_cast<DialogSearch*>(lparam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  wchar_t cls[64];
  GetClassNameW(hwnd, cls, 64);
  if (pid == search->pid && IsWindowVisible(hwnd) && lstrcmpW(cls, L"#32770") == 0) search->found.push_back(hwnd);
  return TRUE;
}

std::vector<HWND> dialogs() {
  DialogSearch search{0, {}};
  if (HWND w = main_window()) GetWindowThreadProcessId(w, &search.pid);
  if (search.pid) EnumWindows(collect_dialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CALLBACK collect_child(HWND hwnd, LPARAM lparam) {
  reinterpret_cast<std::vector<HWND>*>(lparam)->push_back(hwnd);
  return TRUE;
}

std::vector<HWND> children(HWND parent) {
  std::vector<HWND> all;
  EnumChildWindows(parent, collect_child, reinterpret_cast<LPARAM>(&all));
  return all;
}

std::wstring without_ampersands(std::wstring s) {
  std::wstring out;
  for (wchar_t c : s)
    if (c != L'&') out += c;
  return out;
}

int launch(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  SetEnvironmentVariableW(L"APPDATA", argv[2]);
  std::wstring command = L"\"" + std::wstring(argv[3]) + L"\"";
  for (int i = 4; i < argc; ++i) command += L" \"" + std::wstring(argv[i]) + L"\"";
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 1;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 0;
}

// tarnmenu.dll, copied under a fresh name so that each load runs its dump,
// writes the menu tree to "<its path>.txt" from inside tarnedit.
int menus(HWND window) {
  wchar_t own[MAX_PATH];
  GetModuleFileNameW(nullptr, own, MAX_PATH);
  std::wstring folder(own);
  folder = folder.substr(0, folder.find_last_of(L"\\/") + 1);
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring copy = std::wstring(temp) + L"tarnmenu_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                      std::to_wstring(GetTickCount()) + L".dll";
  if (!CopyFileW((folder + L"tarnmenu.dll").c_str(), copy.c_str(), FALSE)) return 1;
  std::wstring result = copy + L".txt";
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
  if (!process) return 1;
  size_t bytes = (copy.size() + 1) * sizeof(wchar_t);
  void* remote = VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  WriteProcessMemory(process, remote, copy.c_str(), bytes, nullptr);
  auto load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
  HANDLE thread = CreateRemoteThread(process, nullptr, 0, load, remote, 0, nullptr);
  if (!thread) return 1;
  WaitForSingleObject(thread, 10000);
  CloseHandle(thread);
  CloseHandle(process);
  for (int i = 0; i < 100; ++i, Sleep(100)) {
    HANDLE h = CreateFileW(result.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) continue;
    std::string text;
    char buf[4096];
    DWORD got;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got) text.append(buf, got);
    CloseHandle(h);
    DWORD put;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
    DeleteFileW(result.c_str());
    return 0;
  }
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  std::wstring what = argv[1];
  if (what == L"launch") return launch(argc, argv);
  if (what == L"wait" || what == L"gone") {
    int seconds = argc > 2 ? _wtoi(argv[2]) : 20;
    for (int i = 0; i < seconds * 10; ++i, Sleep(100)) {
      HWND w = main_window();
      if (what == L"gone" && !w) return 0;
      if (what == L"wait" && w && IsWindowVisible(w)) {
        print(window_text(w));
        return 0;
      }
    }
    return 1;
  }
  HWND window = main_window();
  if (!window) {
    std::fputs("no tarnedit window\n", stderr);
    return 1;
  }
  HWND editor = GetDlgItem(window, kIdEditor);
  // The character format of the editor's selection, read in the editor's process.
  auto selection_format = [&] {
    LRESULT r = 0;
    CHARFORMAT2W ask = {};
    ask.cbSize = sizeof ask;
    std::vector<char> data = remote_message(
        editor, EM_GETCHARFORMAT, SCF_SELECTION,
        std::vector<char>(reinterpret_cast<char*>(&ask), reinterpret_cast<char*>(&ask) + sizeof ask), &r);
    return *reinterpret_cast<CHARFORMAT2W*>(data.data());
  };
  if (what == L"title") print(window_text(window));
  else if (what == L"text") print(window_text(editor));
  else if (what == L"messages") print(window_text(GetDlgItem(window, kIdMessages)));
  else if (what == L"limit") print(std::to_wstring(SendMessageW(editor, EM_GETLIMITTEXT, 0, 0)));
  else if (what == L"modified") print(std::to_wstring(SendMessageW(editor, EM_GETMODIFY, 0, 0) != 0));
  else if (what == L"selection") {
    LRESULT r = 0;
    std::vector<char> data = remote_message(editor, EM_EXGETSEL, 0, std::vector<char>(sizeof(CHARRANGE)), &r);
    auto* range = reinterpret_cast<CHARRANGE*>(data.data());
    print(std::to_wstring(range->cpMin) + L" " + std::to_wstring(range->cpMax));
  } else if (what == L"chars" && argc > 2) {
    for (const wchar_t* c = argv[2]; *c; ++c) SendMessageW(editor, WM_CHAR, *c, 1);
  } else if (what == L"charformat") {
    const CHARFORMAT2W format = selection_format();
    print(std::wstring(format.szFaceName) + L" " + std::to_wstring(format.yHeight / 20));
  } else if (what == L"window" && argc > 2) {
    print(FindWindowW(nullptr, argv[2]) ? L"1" : L"0");
  } else if (what == L"colours" && argc > 3) {
    auto range_message = [&](UINT message, CHARRANGE range) {
      LRESULT r = 0;
      std::vector<char> bytes(reinterpret_cast<char*>(&range), reinterpret_cast<char*>(&range) + sizeof range);
      std::vector<char> back = remote_message(editor, message, 0, bytes, &r);
      return *reinterpret_cast<CHARRANGE*>(back.data());
    };
    CHARRANGE keep = range_message(EM_EXGETSEL, {});
    for (LONG at = _wtoi(argv[2]), to = _wtoi(argv[3]); at < to; ++at) {
      range_message(EM_EXSETSEL, {at, at + 1});
      const CHARFORMAT2W format = selection_format();
      wchar_t look[16];
      COLORREF c = format.crTextColor;
      swprintf(look, 16, L"%02X%02X%02X%ls", GetRValue(c), GetGValue(c), GetBValue(c),
               (format.dwEffects & CFE_ITALIC) ? L"i" : L"");
      print(look);
    }
    range_message(EM_EXSETSEL, keep);
  } else if (what == L"status" && argc > 2) {
    HWND status = GetDlgItem(window, kIdStatus);
    int panel = _wtoi(argv[2]);
    LRESULT length = SendMessageW(status, SB_GETTEXTLENGTHW, panel, 0);
    LRESULT r = 0;
    std::vector<char> data =
        remote_message(status, SB_GETTEXTW, panel, std::vector<char>((LOWORD(length) + 1u) * 2), &r);
    print(std::wstring(reinterpret_cast<const wchar_t*>(data.data()), LOWORD(length)));
  } else if (what == L"menus") {
    return menus(window);
  } else if (what == L"dialogs") {
    for (HWND dialog : dialogs()) {
      print(L"dialog: " + window_text(dialog));
      for (HWND child : children(dialog)) {
        std::wstring text = window_text(child);
        if (!text.empty() && IsWindowVisible(child)) print(L"  " + text);
      }
    }
  } else if (what == L"press" && argc > 2) {
    std::wstring wanted = without_ampersands(argv[2]);
    for (HWND dialog : dialogs())
      for (HWND child : children(dialog)) {
        wchar_t cls[32];
        GetClassNameW(child, cls, 32);
        if (lstrcmpiW(cls, L"Button") == 0 && IsWindowVisible(child) &&
            without_ampersands(window_text(child)) == wanted) {
          // What the button tells its dialog when clicked; BM_CLICK would
          // need the dialog to be the active window, and without a window
          // manager it is not always.
          PostMessageW(GetParent(child), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(child), BN_CLICKED),
                       reinterpret_cast<LPARAM>(child));
          return 0;
        }
      }
    return 1;
  } else {
    return 2;
  }
  return 0;
}
