// Compile and Run: the document goes to tarnc.exe (beside tarnedit.exe)
// through a work file, the compiler's report comes back into the message
// pane, and the first error's line is marked in the editor.
#include "app.h"

#include <shellapi.h>
#include <shlobj.h>

#include "core/compile_run.h"
#include "core/colouring.h"
#include "core/source_text.h"
#include "resource.h"

namespace tarn::editor {

namespace {

struct CompileJob {
  App* app = nullptr;
  std::wstring cmd, par, exe_file, cou_file, source;
  bool auto_close = false;
  bool failed = true;  // until a readable report without an error says otherwise
  std::string report;  // the output file as UTF-8
};

std::wstring work_folder() {
  wchar_t local[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local))) return L"";
  std::wstring folder = std::wstring(local) + L"\\tarnc";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

// The 8.3 form of a path, or empty when the system gives none.
std::wstring short_path(const std::wstring& path) {
  DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (n == 0) return L"";
  std::wstring out(n, L'\0');
  n = GetShortPathNameW(path.c_str(), out.data(), n);
  out.resize(n);
  return out;
}

// A file that may not exist yet in the short form of its folder; empty when
// the result would still hold a blank.
std::wstring short_file_path(const std::wstring& path) {
  size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos) return L"";
  std::wstring folder = short_path(path.substr(0, slash));
  std::wstring result = folder.empty() ? L"" : folder + path.substr(slash);
  return result.find(L' ') == std::wstring::npos ? result : L"";
}

// Starts a program hidden in a console of its own and waits for it to end.
bool start_and_wait(const std::wstring& program, const std::wstring& parameters) {
  std::wstring line = widen(command_line(narrow(program), narrow(parameters)));
  std::wstring folder = program.substr(0, program.find_last_of(L'\\') + 1);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS,
                      nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &process))
    return false;
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

bool read_report_file(const std::wstring& path, std::string& utf8) {
  std::string bytes;
  DWORD error = 0;
  if (!read_whole_file(path, bytes, error)) return false;
  int n = MultiByteToWideChar(1251, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(1251, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
  utf8 = narrow(wide);
  return true;
}

// The path in the label's width, measured with the label's font.
std::wstring fitted(HWND label, const std::wstring& path, int spare = 0) {
  RECT box;
  GetClientRect(label, &box);
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
  auto width = [&](std::string_view text) {
    std::wstring w = widen(text);
    SIZE size = {};
    GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &size);
    return static_cast<int>(size.cx);
  };
  std::wstring result = widen(shorten_path(narrow(path), box.right - spare, width));
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  return result;
}

void set_bold(HWND label, bool bold) {
  static HFONT bold_font = nullptr;
  static HFONT normal_font = nullptr;
  if (!normal_font) {
    normal_font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
    LOGFONTW lf = {};
    GetObjectW(normal_font, sizeof lf, &lf);
    lf.lfWeight = FW_BOLD;
    bold_font = CreateFontIndirectW(&lf);
  }
  SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(bold ? bold_font : normal_font), TRUE);
}

INT_PTR CALLBACK compile_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* job = reinterpret_cast<CompileJob*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      job = reinterpret_cast<CompileJob*>(lparam);
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      App& app = *job->app;
      SetWindowTextW(dialog, app.text(kHintCompile).c_str());
      SetDlgItemTextW(dialog, IDOK, app.text(kCancelButton).c_str());
      HWND path = GetDlgItem(dialog, IDC_COMPILE_PATH);
      SetWindowTextW(path, (app.text(kCompileLabel) + fitted(path, job->source, 60)).c_str());
      SetDlgItemTextW(dialog, IDC_COMPILE_STATUS, L"");
      SetTimer(dialog, 1, 100, nullptr);
      return TRUE;
    }
    case WM_TIMER: {
      KillTimer(dialog, 1);
      App& app = *job->app;
      start_and_wait(job->cmd, job->par);
      SetDlgItemTextW(dialog, IDOK, L"OK");
      HWND status = GetDlgItem(dialog, IDC_COMPILE_STATUS);
      CompileReport report;
      if (read_report_file(job->cou_file, job->report)) report = read_report(job->report);
      job->failed = report.failed();
      if (!report.readable) {
        SetWindowTextW(status, app.text(kCouAccessError1).c_str());
      } else if (report.error) {
        set_bold(status, true);
        SetWindowTextW(status, app.text(kThereAreErrors).c_str());
      } else {
        std::wstring done = app.text(kDoneLabel);
        SetWindowTextW(status, (done + fitted(status, job->exe_file, 80)).c_str());
      }
      HWND button = GetDlgItem(dialog, IDOK);
      EnableWindow(button, TRUE);
      SetFocus(button);
      if (job->auto_close && !job->failed) EndDialog(dialog, IDOK);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        set_bold(GetDlgItem(dialog, IDC_COMPILE_STATUS), false);
        EndDialog(dialog, IDOK);
      }
      return TRUE;
  }
  return FALSE;
}

void show_pane(App& app, const std::vector<std::string>& lines) {
  std::wstring text;
  for (const std::string& line : lines) {
    if (!text.empty()) text += L"\r\n";
    text += widen(line);
  }
  SetWindowTextW(app.messages, text.c_str());
}

// The red line of the last error goes back to its colours.
void remove_error_mark(App& app) {
  if (!app.error_marked) return;
  app.error_marked = false;
  std::string text = colouring_text(editor_text(app));
  size_t begin = std::min(static_cast<size_t>(app.error_mark.cpMin), text.size());
  size_t end = std::min(static_cast<size_t>(app.error_mark.cpMax), text.size());
  bool inside = false;
  std::vector<Span> before;
  colour_into(text, 0, begin, inside, before);
  std::vector<Span> spans = colour_stretch(text, begin, end, inside).spans;
  bool modified = SendMessageW(app.editor, EM_GETMODIFY, 0, 0) != 0;
  apply_spans(app, spans, false);
  SendMessageW(app.editor, EM_SETMODIFY, modified, 0);
}

void mark_error(App& app, int row, int caret) {
  LRESULT lines = SendMessageW(app.editor, EM_GETLINECOUNT, 0, 0);
  if (row < 1 || row > lines) return;  // no line to mark
  LRESULT start = SendMessageW(app.editor, EM_LINEINDEX, row - 1, 0);
  LRESULT length = SendMessageW(app.editor, EM_LINELENGTH, start, 0);
  bool attached = app.change_attached, modified = SendMessageW(app.editor, EM_GETMODIFY, 0, 0) != 0;
  app.change_attached = false;
  LRESULT mask = SendMessageW(app.editor, EM_GETEVENTMASK, 0, 0);
  SendMessageW(app.editor, EM_SETEVENTMASK, 0, 0);
  CHARRANGE line = {static_cast<LONG>(start), static_cast<LONG>(start + length)};
  SendMessageW(app.editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&line));
  CHARFORMAT2W format = {};
  format.cbSize = sizeof format;
  format.dwMask = CFM_COLOR;
  format.crTextColor = RGB(255, 0, 0);
  SendMessageW(app.editor, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  app.error_mark = line;
  app.error_marked = true;
  LONG at = static_cast<LONG>(start) + (caret > 0 ? std::min<LONG>(caret - 1, static_cast<LONG>(length)) : 0);
  CHARRANGE place = {at, at};
  SendMessageW(app.editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&place));
  SendMessageW(app.editor, EM_SCROLLCARET, 0, 0);
  SendMessageW(app.editor, EM_SETEVENTMASK, 0, mask);
  SendMessageW(app.editor, EM_SETMODIFY, modified, 0);
  app.change_attached = attached;
  update_caret_display(app);
  SetFocus(app.editor);
}

// Compiles the document; true when it failed (no folder, no compiler, errors).
bool compile(App& app, bool auto_close) {
  Commands& commands = *app.commands;
  std::wstring folder = work_folder();
  SetWindowTextW(app.messages, L"");
  std::wstring src_tmp = folder + L"\\src.tmp", src_cou = folder + L"\\src.cou";
  std::string bytes = encode_source(split_lines(editor_text(app)), Encoding::Ansi);
  DWORD error = 0;
  write_file_safely(src_tmp, bytes, error);
  DeleteFileW(src_cou.c_str());

  if (commands.untitled() || folder_of(commands.path()).empty()) {
    commands.save();
    if (commands.untitled() || folder_of(commands.path()).empty()) return true;
  }
  std::wstring exe = widen(with_extension(commands.path(), ".exe"));
  std::wstring rs = widen(with_extension(commands.path(), ".rs"));
  commands.exe_path() = narrow(exe);
  app.view->close_running_program(narrow(exe));

  std::wstring exe_arg = exe, rs_arg = rs;
  if (needs_short_form(narrow(exe))) {
    exe_arg = short_file_path(exe);
    rs_arg = short_file_path(rs);
    if (exe_arg.empty() || rs_arg.empty()) {
      show_pane(app, {std::string(ui_text(app.language, kCompilingErrors)),
                      std::string(ui_text(app.language, kNoShortPath)) + folder_of(commands.path())});
      return true;
    }
  }
  std::wstring own = own_folder();
  std::wstring own_short = short_path(own);
  CompileJob job;
  job.app = &app;
  job.cmd = (own_short.empty() ? own : own_short) + L"tarnc.exe";
  if (job.cmd.find(L"\\\\") != std::wstring::npos) job.cmd = own + L"tarnc.exe";
  job.par = widen(compiler_parameters(narrow(src_tmp), narrow(exe_arg), narrow(rs_arg), app.language, narrow(src_cou)));
  job.exe_file = exe;
  job.cou_file = src_cou;
  job.source = widen(commands.path());
  job.auto_close = auto_close;
  DialogBoxParamW(app.instance, MAKEINTRESOURCEW(IDD_COMPILE), app.window, compile_proc,
                  reinterpret_cast<LPARAM>(&job));

  remove_error_mark(app);
  CompileReport report = read_report(job.report);
  show_pane(app, pane_lines(report, app.language));
  if (report.error) mark_error(app, report.row, report.caret);
  return job.failed;
}

}  // namespace

void compile_document(App& app) { compile(app, false); }

void run_document(App& app) {
  if (compile(app, true)) return;
  std::wstring exe = widen(app.commands->exe_path());
  app.view->close_running_program(narrow(exe));
  if (GetFileAttributesW(exe.c_str()) == INVALID_FILE_ATTRIBUTES) {
    message_box(app, exe, app.text(kFileNotFound), BoxKind::Error, TDCBF_OK_BUTTON);
    return;
  }
  if (app.settings.keepconsole) {
    // tarnedit itself holds the console: it starts the program in it and,
    // once the program ends, keeps it open until a key is pressed.
    wchar_t self[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, self, static_cast<DWORD>(std::size(self)));
    std::wstring parameters = L"/console \"" + exe + L"\"";
    ShellExecuteW(app.window, L"open", std::wstring(self, n).c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL);
    return;
  }
  ShellExecuteW(app.window, L"open", exe.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

int console_host(const std::wstring& exe, Language language) {
  AllocConsole();
  SetConsoleTitleW(exe.c_str());  // the title close-running-program looks for
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::wstring line = L"\"" + exe + L"\"";
  DWORD code = 1;
  if (CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  SetConsoleTitleW(exe.c_str());
  HANDLE out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
  HANDLE in = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, 0, nullptr);
  std::wstring press = L"\r\n" + widen(ui_text(language, kPressAnyKey));
  DWORD written = 0;
  WriteConsoleW(out, press.c_str(), static_cast<DWORD>(press.size()), &written, nullptr);
  FlushConsoleInputBuffer(in);
  for (;;) {
    INPUT_RECORD record;
    DWORD got = 0;
    if (!ReadConsoleInputW(in, &record, 1, &got) || got == 0) break;
    if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown) break;
  }
  CloseHandle(in);
  CloseHandle(out);
  return static_cast<int>(code);
}

}  // namespace tarn::editor
