// Message boxes (task dialogs where the system has them), help through the
// HTML Help viewer, the options dialog with its font dialog, and the about box.
#include "app.h"

#include <commdlg.h>

#include "resource.h"

namespace tarn::editor {

namespace {

using TaskDialogIndirectFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

TaskDialogIndirectFn task_dialog() {
  HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
  return comctl ? reinterpret_cast<TaskDialogIndirectFn>(
                      reinterpret_cast<void*>(GetProcAddress(comctl, "TaskDialogIndirect")))
                : nullptr;
}

int classic_box(App& app, const std::wstring& instruction, const std::wstring& text, BoxKind kind,
                TASKDIALOG_COMMON_BUTTON_FLAGS buttons) {
  UINT type = kind == BoxKind::Error ? MB_ICONERROR : kind == BoxKind::Warning ? MB_ICONWARNING : MB_ICONINFORMATION;
  if (buttons & TDCBF_CANCEL_BUTTON) type |= (buttons & TDCBF_YES_BUTTON) ? MB_YESNOCANCEL : MB_OKCANCEL;
  else if (buttons & TDCBF_YES_BUTTON) type |= MB_YESNO;
  std::wstring body = text.empty() ? instruction : instruction + L"\n\n" + text;
  return MessageBoxW(app.window, body.c_str(), app.text(kProductTitle).c_str(), type);
}

}  // namespace

int message_box(App& app, const std::wstring& instruction, const std::wstring& text, BoxKind kind,
                TASKDIALOG_COMMON_BUTTON_FLAGS buttons) {
  TaskDialogIndirectFn show = task_dialog();
  if (!show) return classic_box(app, instruction, text, kind, buttons);
  std::wstring title = app.text(kProductTitle);
  TASKDIALOGCONFIG config = {};
  config.cbSize = sizeof config;
  config.hwndParent = app.window;
  config.hInstance = app.instance;
  config.dwFlags = TDF_POSITION_RELATIVE_TO_WINDOW | TDF_ALLOW_DIALOG_CANCELLATION;
  config.dwCommonButtons = buttons;
  config.pszWindowTitle = title.c_str();
  config.pszMainIcon = kind == BoxKind::Error ? TD_ERROR_ICON : kind == BoxKind::Warning ? TD_WARNING_ICON
                                                                                      : TD_INFORMATION_ICON;
  config.pszMainInstruction = instruction.c_str();
  config.pszContent = text.empty() ? nullptr : text.c_str();
  int pressed = IDCANCEL;
  if (FAILED(show(&config, &pressed, nullptr, nullptr))) return classic_box(app, instruction, text, kind, buttons);
  return pressed;
}

namespace {

HWND help_window(App& app) { return FindWindowW(L"HH Parent", app.text(kProductTitle).c_str()); }

}  // namespace

void show_help(App& app) {
  std::wstring path = own_folder() + app.text(kHelpFile);
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    message_box(app, app.text(kHelpFileMissing), path, BoxKind::Error, TDCBF_OK_BUTTON);
    return;
  }
  if (HWND help = help_window(app)) {
    ShowWindow(help, SW_RESTORE);
    SetForegroundWindow(help);
    return;
  }
  std::wstring command = L"hh.exe \"" + path + L"\"";
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
}

void close_help(App& app) {
  if (HWND help = help_window(app)) SendMessageW(help, WM_CLOSE, 0, 0);
}

namespace {

// TOptionsFrm: the editor font as "name, size", chosen through the font dialog.
struct OptionsState {
  App* app;
  std::wstring fontname;
  int fontsize;
  bool keep_console;
};

void show_font_choice(HWND dialog, const OptionsState& state) {
  std::wstring text = state.fontname + L", " + std::to_wstring(state.fontsize);
  SetDlgItemTextW(dialog, IDC_OPTIONS_FONT, text.c_str());
}

INT_PTR CALLBACK options_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* state = reinterpret_cast<OptionsState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      state = reinterpret_cast<OptionsState*>(lparam);
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      App& app = *state->app;
      SetWindowTextW(dialog, app.text(kOptionsCaption).c_str());
      SetDlgItemTextW(dialog, IDC_OPTIONS_GROUP, app.text(kOptionsEditor).c_str());
      SetDlgItemTextW(dialog, IDC_OPTIONS_FONT_LABEL, app.text(kOptionsFont).c_str());
      show_font_choice(dialog, *state);
      SetDlgItemTextW(dialog, IDC_OPTIONS_KEEP_CONSOLE, app.text(kKeepConsole).c_str());
      CheckDlgButton(dialog, IDC_OPTIONS_KEEP_CONSOLE, state->keep_console ? BST_CHECKED : BST_UNCHECKED);
      SetFocus(GetDlgItem(dialog, IDOK));
      return FALSE;
    }
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDC_OPTIONS_CHOOSE: {
          LOGFONTW font = {};
          HDC dc = GetDC(dialog);
          font.lfHeight = -MulDiv(state->fontsize, GetDeviceCaps(dc, LOGPIXELSY), 72);
          ReleaseDC(dialog, dc);
          lstrcpynW(font.lfFaceName, state->fontname.c_str(), LF_FACESIZE);
          CHOOSEFONTW choose = {};
          choose.lStructSize = sizeof choose;
          choose.hwndOwner = dialog;
          choose.lpLogFont = &font;
          choose.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_NOSCRIPTSEL;
          if (ChooseFontW(&choose)) {
            state->fontname = font.lfFaceName;
            state->fontsize = choose.iPointSize / 10;
            show_font_choice(dialog, *state);
          }
          return TRUE;
        }
        case IDOK:
          state->keep_console = IsDlgButtonChecked(dialog, IDC_OPTIONS_KEEP_CONSOLE) == BST_CHECKED;
          [[fallthrough]];
        case IDCANCEL:
          EndDialog(dialog, LOWORD(wparam));
          return TRUE;
      }
      break;
  }
  return FALSE;
}

INT_PTR CALLBACK about_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      App& app = *reinterpret_cast<App*>(lparam);
      SetWindowTextW(dialog, app.text(kAboutCaption).c_str());
      SetDlgItemTextW(dialog, IDC_ABOUT_VERSION, app.text(kAboutVersion).c_str());
      SetDlgItemTextW(dialog, IDC_ABOUT_COPYRIGHT, app.text(kAboutCopyright).c_str());
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

void show_options(App& app) {
  OptionsState state{&app, widen(app.settings.fontname), app.settings.fontsize, app.settings.keepconsole};
  if (DialogBoxParamW(app.instance, MAKEINTRESOURCEW(IDD_OPTIONS), app.window, options_proc,
                      reinterpret_cast<LPARAM>(&state)) != IDOK)
    return;
  app.settings.fontname = narrow(state.fontname);
  app.settings.fontsize = state.fontsize > 0 ? state.fontsize : app.settings.fontsize;
  app.settings.keepconsole = state.keep_console;
  store_settings(app);
  apply_editor_font(app);
}

void show_about(App& app) {
  DialogBoxParamW(app.instance, MAKEINTRESOURCEW(IDD_ABOUT), app.window, about_proc, reinterpret_cast<LPARAM>(&app));
}

}  // namespace tarn::editor
