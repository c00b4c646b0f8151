// The state of the one editor window and the pieces of the shell that share it.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>
#include <richole.h>
#include <tom.h>

#include <memory>
#include <string>
#include <string_view>

#include "core/commands.h"
#include "core/recolour.h"
#include "core/settings.h"
#include "core/ui_texts.h"

namespace tarn::editor {

// Command identifiers of the menu, the tool bar and the accelerators.
enum CommandId : int {
  kCmdNew = 101, kCmdOpen, kCmdSave, kCmdSaveAs, kCmdClose, kCmdExit,
  kCmdReopen1 = 111,  // ..115
  kCmdUndo = 121, kCmdCut, kCmdCopy, kCmdPaste,
  kCmdCompile = 131, kCmdRun,
  kCmdOptions = 141,
  kCmdHelp = 151, kCmdAbout,
};

// Child control identifiers; the window tests find the controls by them.
enum ControlId : int {
  kIdEditor = 1001, kIdMessages = 1002, kIdStatus = 1003, kIdToolbar = 1004, kIdFocusButton = 1005,
};

// Status bar panels.
enum StatusPanel : int { kPanelHint = 0, kPanelModified = 1, kPanelCaret = 2, kPanelSpare = 3 };

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view text);

class Win32View;

struct App {
  HINSTANCE instance = nullptr;
  Language language = Language::English;
  Settings settings;
  std::wstring ini_path;  // empty when APPDATA is not set: nothing is stored

  HWND window = nullptr, toolbar = nullptr, editor = nullptr, messages = nullptr, status = nullptr;
  HWND focus_button = nullptr;  // takes the focus while the editor is recoloured in bulk
  HMENU menu = nullptr, reopen_menu = nullptr;
  HACCEL accelerators = nullptr;
  HFONT editor_font = nullptr;

  bool change_attached = true;  // the editor's change handler runs only when attached
  bool document_ready = false;  // edits show "Modified" only once a document is in place

  // Colouring: what the control shows, and the edit a key or a paste is
  // making right now (its kind and the selection before it), so the change
  // handler knows where the text changed without reading all of it.
  Recolourer recolourer;
  enum class Edit { none, typed, backspace, del } edit = Edit::none;
  CHARRANGE edit_selection = {};
  std::vector<Span> pending_spans;  // found by the change handler, applied once the control is done
  bool pending_focus_holder = false;
  bool undo_suspends = true;
  CHARRANGE error_mark = {};  // the line coloured red for the last error
  bool error_marked = false;  // colouring stays out of the undo history
  ITextDocument* text_document = nullptr;  // for keeping colouring out of the undo history

  std::unique_ptr<Win32View> view;
  std::unique_ptr<Commands> commands;

  std::wstring text(int index) const { return widen(ui_text(language, index)); }
};

// main_window.cpp
void update_caret_display(App& app);
void show_modified(App& app, bool modified);
void apply_editor_font(App& app);
void show_recent_menu(App& app, const RecentFiles& recent);
// Puts the editor's text in anew, coloured whole (loading, New).
void load_coloured(App& app, const std::u16string& text);

// files.cpp: files on disk and the settings file.
bool read_whole_file(const std::wstring& path, std::string& bytes, DWORD& error);
// Writes through a temporary file beside `path` that replaces it only when the
// whole write succeeded, so a failed save leaves the old file as it was.
bool write_file_safely(const std::wstring& path, const std::string& bytes, DWORD& error);
std::wstring system_error_text(DWORD error);
void load_settings(App& app);
void store_settings(App& app);
std::wstring own_folder();

// compile.cpp: compiling the document with tarnc.exe and running the result.
void compile_document(App& app);
void run_document(App& app);
// `tarnedit /console EXE`: runs EXE in a console that stays open until a key is pressed.
int console_host(const std::wstring& exe, Language language);
void apply_spans(App& app, const std::vector<Span>& spans, bool focus_holder);
std::u16string editor_text(App& app);

// dialogs.cpp
enum class BoxKind { Info, Warning, Error };
int message_box(App& app, const std::wstring& instruction, const std::wstring& text, BoxKind kind,
                TASKDIALOG_COMMON_BUTTON_FLAGS buttons);
void show_help(App& app);
void close_help(App& app);
void show_options(App& app);
void show_about(App& app);

// The window side of the file commands.
class Win32View : public DocumentView {
 public:
  explicit Win32View(App& app) : app_(app) {}
  bool modified() const override;
  void set_modified(bool modified) override;
  Answer ask_save(const std::string& path) override;
  std::optional<FileChoice> open_dialog(const std::string& folder) override;
  std::optional<FileChoice> save_dialog(const std::string& folder) override;
  bool load(const std::string& path, Encoding encoding) override;
  bool store(const std::string& path, Encoding encoding) override;
  void clear_text() override;
  void clear_messages() override;
  void show_title(const std::string& title) override;
  void show_recent(const RecentFiles& recent) override;
  void close_running_program(const std::string& exe_path) override;
  void store_settings(const Settings& settings) override;
  std::string documents_folder() override;

 private:
  App& app_;
};

}  // namespace tarn::editor
