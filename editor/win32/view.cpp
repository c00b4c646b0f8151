// The window side of the file commands: its dialogs, and the editor text
// loaded from and stored to disk in either encoding.
#include "app.h"

#include <commdlg.h>
#include <richedit.h>
#include <shlobj.h>

#include <vector>

#include "core/source_text.h"

namespace tarn::editor {

namespace {

// Filter lists of the open and save dialogs: the first two differ only in the
// encoding, and the chosen index says which one the learner wants.
const wchar_t kOpenFilters[] = L"ANSI текст (*.pas)\0*.pas\0ASCII текст (*.pas)\0*.pas\0All (*.*)\0*.*\0";
const wchar_t kSaveFilters[] = L"Текст ANSI (*.pas)\0*.pas\0Текст ASCII (*.pas)\0*.pas\0";

std::optional<FileChoice> file_dialog(App& app, const std::string& folder, bool save) {
  std::vector<wchar_t> name(32768, L'\0');
  std::wstring initial = widen(folder);
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = app.window;
  ofn.lpstrFilter = save ? kSaveFilters : kOpenFilters;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = static_cast<DWORD>(name.size());
  ofn.lpstrInitialDir = initial.empty() ? nullptr : initial.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  if (save) {
    ofn.Flags |= OFN_OVERWRITEPROMPT;
    ofn.lpstrDefExt = L"pas";
    if (!GetSaveFileNameW(&ofn)) return std::nullopt;
  } else {
    ofn.Flags |= OFN_FILEMUSTEXIST;
    if (!GetOpenFileNameW(&ofn)) return std::nullopt;
  }
  return FileChoice{narrow(name.data()), ofn.nFilterIndex == 2 ? Encoding::Ascii : Encoding::Ansi};
}

void say_file_failed(App& app, const std::string& path, DWORD error) {
  message_box(app, widen(path), system_error_text(error), BoxKind::Error, TDCBF_OK_BUTTON);
}

}  // namespace

bool Win32View::modified() const { return SendMessageW(app_.editor, EM_GETMODIFY, 0, 0) != 0; }

void Win32View::set_modified(bool modified) {
  SendMessageW(app_.editor, EM_SETMODIFY, modified, 0);
  show_modified(app_, modified);
}

Answer Win32View::ask_save(const std::string& path) {
  int pressed = message_box(app_, app_.text(kSaveChanges), widen(path), BoxKind::Warning,
                            TDCBF_YES_BUTTON | TDCBF_NO_BUTTON | TDCBF_CANCEL_BUTTON);
  return pressed == IDYES ? Answer::Yes : pressed == IDNO ? Answer::No : Answer::Cancel;
}

std::optional<FileChoice> Win32View::open_dialog(const std::string& folder) {
  return file_dialog(app_, folder, false);
}

std::optional<FileChoice> Win32View::save_dialog(const std::string& folder) {
  return file_dialog(app_, folder, true);
}

bool Win32View::load(const std::string& path, Encoding encoding) {
  std::string bytes;
  DWORD error = 0;
  if (!read_whole_file(widen(path), bytes, error)) {
    say_file_failed(app_, path, error);
    return false;
  }
  std::u16string text;
  for (const std::u16string& line : decode_source(bytes, encoding)) {
    text += line;
    text += u'\r';
  }
  if (!text.empty()) text.pop_back();

  load_coloured(app_, text);
  app_.document_ready = true;
  update_caret_display(app_);
  return true;
}

bool Win32View::store(const std::string& path, Encoding encoding) {
  GETTEXTLENGTHEX length = {GTL_NUMCHARS | GTL_PRECISE, 1200};
  LRESULT chars = SendMessageW(app_.editor, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
  std::vector<wchar_t> buf(static_cast<size_t>(chars) + 1, L'\0');
  GETTEXTEX get = {static_cast<DWORD>(buf.size() * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
  LRESULT got = SendMessageW(app_.editor, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                             reinterpret_cast<LPARAM>(buf.data()));
  std::u16string_view text(reinterpret_cast<const char16_t*>(buf.data()), static_cast<size_t>(got));
  std::string bytes = encode_source(split_lines(text), encoding);
  DWORD error = 0;
  if (!write_file_safely(widen(path), bytes, error)) {
    say_file_failed(app_, path, error);
    return false;
  }
  return true;
}

void Win32View::clear_text() {
  load_coloured(app_, u"");
  app_.document_ready = true;
  update_caret_display(app_);
}

void Win32View::clear_messages() { SetWindowTextW(app_.messages, L""); }

void Win32View::show_title(const std::string& title) { SetWindowTextW(app_.window, widen(title).c_str()); }

void Win32View::show_recent(const RecentFiles& recent) { show_recent_menu(app_, recent); }

void Win32View::close_running_program(const std::string& exe_path) {
  if (exe_path.empty()) return;
  if (HWND running = FindWindowW(nullptr, widen(exe_path).c_str())) SendMessageW(running, WM_CLOSE, 0, 0);
}

void Win32View::store_settings(const Settings& settings) {
  app_.settings = settings;
  tarn::editor::store_settings(app_);
}

std::string Win32View::documents_folder() {
  wchar_t path[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, path))) return app_.settings.pasfolder;
  return narrow(path);
}

}  // namespace tarn::editor
