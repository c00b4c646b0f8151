// tarnedit's main window (TForm1): menu, tool bar, the source editor, the
// message pane and the status bar; each command is a small handler.
#include "app.h"

#include <richedit.h>
#include <richole.h>
#include <tom.h>

#include <algorithm>

#include "core/source_text.h"

namespace tarn::editor {

namespace {

constexpr wchar_t kWindowClass[] = L"TForm1";
constexpr int kMessagePaneHeight = 110;

constexpr UINT kRecolourMessage = WM_APP + 1;

App* g_app = nullptr;  // the one window's state, for the window procedures

// --- tool bar glyphs: drawn here, so the program carries no image files ---

void draw_glyph(HDC dc, int index, int x) {
  auto pen = [&](COLORREF c, int w) { return SelectObject(dc, CreatePen(PS_SOLID, w, c)); };
  auto brush = [&](COLORREF c) { return SelectObject(dc, CreateSolidBrush(c)); };
  auto done = [&](HGDIOBJ old_pen, HGDIOBJ old_brush) {
    DeleteObject(SelectObject(dc, old_pen));
    DeleteObject(SelectObject(dc, old_brush));
  };
  HGDIOBJ p, b;
  switch (index) {
    case 0: {  // New: a page with a folded corner
      p = pen(RGB(64, 64, 64), 1), b = brush(RGB(255, 255, 255));
      POINT page[] = {{x + 3, 1}, {x + 10, 1}, {x + 13, 4}, {x + 13, 14}, {x + 3, 14}};
      Polygon(dc, page, 5);
      MoveToEx(dc, x + 10, 1, nullptr);
      LineTo(dc, x + 10, 4);
      LineTo(dc, x + 13, 4);
      done(p, b);
      break;
    }
    case 1: {  // Open: a yellow folder
      p = pen(RGB(128, 96, 0), 1), b = brush(RGB(240, 200, 60));
      POINT folder[] = {{x + 1, 3}, {x + 6, 3}, {x + 7, 5}, {x + 14, 5}, {x + 14, 13}, {x + 1, 13}};
      Polygon(dc, folder, 6);
      done(p, b);
      break;
    }
    case 2: {  // Save: a blue diskette
      p = pen(RGB(0, 0, 96), 1), b = brush(RGB(40, 80, 190));
      Rectangle(dc, x + 1, 1, x + 15, 15);
      done(p, b);
      p = pen(RGB(0, 0, 96), 1), b = brush(RGB(255, 255, 255));
      Rectangle(dc, x + 4, 2, x + 12, 7);
      done(p, b);
      p = pen(RGB(0, 0, 96), 1), b = brush(RGB(200, 200, 200));
      Rectangle(dc, x + 4, 10, x + 12, 15);
      done(p, b);
      break;
    }
    case 3: {  // Compile: a page with a blue tick
      p = pen(RGB(64, 64, 64), 1), b = brush(RGB(255, 255, 255));
      Rectangle(dc, x + 2, 1, x + 12, 15);
      done(p, b);
      p = pen(RGB(0, 90, 220), 2), b = brush(RGB(0, 90, 220));
      MoveToEx(dc, x + 5, 9, nullptr);
      LineTo(dc, x + 8, 12);
      LineTo(dc, x + 14, 4);
      done(p, b);
      break;
    }
    case 4: {  // Run: a green triangle
      p = pen(RGB(0, 110, 0), 1), b = brush(RGB(30, 170, 30));
      POINT play[] = {{x + 4, 2}, {x + 13, 8}, {x + 4, 14}};
      Polygon(dc, play, 3);
      done(p, b);
      break;
    }
    case 5: {  // Help: a blue disc with a question mark
      p = pen(RGB(0, 60, 160), 1), b = brush(RGB(40, 110, 220));
      Ellipse(dc, x + 1, 1, x + 15, 15);
      done(p, b);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, RGB(255, 255, 255));
      HFONT f = CreateFontW(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
      HGDIOBJ old = SelectObject(dc, f);
      RECT r = {x + 1, 1, x + 15, 15};
      DrawTextW(dc, L"?", 1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      DeleteObject(SelectObject(dc, old));
      break;
    }
  }
}

HIMAGELIST toolbar_images() {
  constexpr int kGlyphs = 6;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 16 * kGlyphs, 16);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  HBRUSH key = CreateSolidBrush(RGB(255, 0, 255));
  RECT all = {0, 0, 16 * kGlyphs, 16};
  FillRect(dc, &all, key);
  DeleteObject(key);
  for (int i = 0; i < kGlyphs; ++i) draw_glyph(dc, i, 16 * i);
  SelectObject(dc, old);
  DeleteDC(dc);
  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, kGlyphs, 0);
  ImageList_AddMasked(images, bitmap, RGB(255, 0, 255));
  DeleteObject(bitmap);
  return images;
}

// --- building the window ---

void build_menu(App& app) {
  auto item = [&](HMENU m, int id, int text, const wchar_t* keys = nullptr) {
    std::wstring caption = app.text(text);
    if (keys) caption += std::wstring(L"\t") + keys;
    AppendMenuW(m, MF_STRING, id, caption.c_str());
  };
  HMENU file = CreatePopupMenu();
  item(file, kCmdNew, kItemNew, L"Ctrl+N");
  item(file, kCmdOpen, kItemOpen, L"Ctrl+O");
  app.reopen_menu = CreatePopupMenu();
  std::wstring reopen = app.text(kReopen);
  while (!reopen.empty() && reopen.back() == L' ') reopen.pop_back();
  AppendMenuW(file, MF_POPUP, reinterpret_cast<UINT_PTR>(app.reopen_menu), reopen.c_str());
  item(file, kCmdSave, kItemSave, L"Ctrl+S");
  item(file, kCmdSaveAs, kItemSaveAs);
  item(file, kCmdClose, kItemClose);
  AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
  item(file, kCmdExit, kItemExit, L"Alt+F4");

  HMENU edit = CreatePopupMenu();
  item(edit, kCmdUndo, kItemUndo, L"Ctrl+Z");
  AppendMenuW(edit, MF_SEPARATOR, 0, nullptr);
  item(edit, kCmdCut, kItemCut, L"Ctrl+X");
  item(edit, kCmdCopy, kItemCopy, L"Ctrl+C");
  item(edit, kCmdPaste, kItemPaste, L"Ctrl+V");

  HMENU help = CreatePopupMenu();
  item(help, kCmdHelp, kItemHelp, L"F1");
  item(help, kCmdAbout, kItemAbout);

  app.menu = CreateMenu();
  AppendMenuW(app.menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), app.text(kMenuFile).c_str());
  AppendMenuW(app.menu, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), app.text(kMenuEdit).c_str());
  AppendMenuW(app.menu, MF_STRING, kCmdCompile, app.text(kMenuCompile).c_str());
  AppendMenuW(app.menu, MF_STRING, kCmdRun, app.text(kMenuRun).c_str());
  AppendMenuW(app.menu, MF_STRING, kCmdOptions, app.text(kMenuOptions).c_str());
  AppendMenuW(app.menu, MF_POPUP, reinterpret_cast<UINT_PTR>(help), app.text(kMenuHelp).c_str());
  SetMenu(app.window, app.menu);

  ACCEL keys[] = {
      {FCONTROL | FVIRTKEY, 'N', kCmdNew},   {FCONTROL | FVIRTKEY, 'O', kCmdOpen},
      {FCONTROL | FVIRTKEY, 'S', kCmdSave},  {FVIRTKEY, VK_F9, kCmdCompile},
      {FCONTROL | FVIRTKEY, VK_F9, kCmdRun}, {FVIRTKEY, VK_F1, kCmdHelp},
      {FALT | FVIRTKEY, VK_F4, kCmdExit},  // also when the editor holds the focus
  };
  app.accelerators = CreateAcceleratorTableW(keys, static_cast<int>(std::size(keys)));
}

void build_toolbar(App& app) {
  app.toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP, 0, 0, 0, 0,
                                app.window, reinterpret_cast<HMENU>(kIdToolbar), app.instance, nullptr);
  SendMessageW(app.toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(app.toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolbar_images()));
  const int commands[] = {kCmdNew, kCmdOpen, kCmdSave, kCmdCompile, kCmdRun, kCmdHelp};
  TBBUTTON buttons[8] = {};
  int n = 0;
  for (int i = 0; i < 6; ++i) {
    if (i == 3 || i == 5) buttons[n++] = TBBUTTON{0, 0, TBSTATE_ENABLED, BTNS_SEP, {}, 0, 0};
    buttons[n++] = TBBUTTON{i, commands[i], TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0};
  }
  SendMessageW(app.toolbar, TB_ADDBUTTONSW, n, reinterpret_cast<LPARAM>(buttons));
  SendMessageW(app.toolbar, TB_AUTOSIZE, 0, 0);
}

// The hint of a tool button, by its command.
int hint_for(UINT_PTR command) {
  switch (command) {
    case kCmdNew: return kHintNew;
    case kCmdOpen: return kHintOpen;
    case kCmdSave: return kHintSave;
    case kCmdCompile: return kHintCompile;
    case kCmdRun: return kHintRun;
    case kCmdHelp: return kHintHelp;
  }
  return -1;
}

LRESULT CALLBACK editor_proc(HWND, UINT, WPARAM, LPARAM);
WNDPROC g_editor_default = nullptr;

HWND create_rich_edit(App& app, int id, DWORD style) {
  HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, MSFTEDIT_CLASS, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                              app.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), app.instance, nullptr);
  if (!edit)  // systems without Msftedit.dll still have RichEdit 2.0
    edit = CreateWindowExW(WS_EX_CLIENTEDGE, RICHEDIT_CLASSW, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                           app.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), app.instance, nullptr);
  return edit;
}

void build_controls(App& app) {
  build_toolbar(app);
  app.editor = create_rich_edit(app, kIdEditor,
                                WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                                    ES_NOHIDESEL | ES_WANTRETURN | WS_TABSTOP);
  // Without this the control holds 32,767 characters and a longer file
  // would load cut, and be saved back cut.
  SendMessageW(app.editor, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  SendMessageW(app.editor, EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_SELCHANGE);
  SendMessageW(app.editor, EM_SETTEXTMODE, TM_RICHTEXT | TM_MULTILEVELUNDO | TM_MULTICODEPAGE, 0);
  g_editor_default = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(app.editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editor_proc)));

  app.messages = create_rich_edit(app, kIdMessages, WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL);
  SendMessageW(app.messages, EM_SETBKGNDCOLOR, 0, GetSysColor(COLOR_BTNFACE));

  app.status = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                               app.window, reinterpret_cast<HMENU>(kIdStatus), app.instance, nullptr);
  int parts[] = {160, 260, 370, -1};
  SendMessageW(app.status, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(parts));
  SendMessageW(app.status, SB_SETTEXTW, kPanelHint, reinterpret_cast<LPARAM>(app.text(kStatusHelp).c_str()));

  // A zero-sized button that is never seen: it holds the focus while the
  // editor is recoloured in bulk, so the editor does not flicker.
  app.focus_button = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 0, 0, app.window,
                                     reinterpret_cast<HMENU>(kIdFocusButton), app.instance, nullptr);
}

void layout(App& app) {
  RECT client;
  GetClientRect(app.window, &client);
  SendMessageW(app.toolbar, TB_AUTOSIZE, 0, 0);
  SendMessageW(app.status, WM_SIZE, 0, 0);
  RECT bar, status;
  GetWindowRect(app.toolbar, &bar);
  GetWindowRect(app.status, &status);
  int top = bar.bottom - bar.top, bottom = client.bottom - (status.bottom - status.top);
  int pane = std::min(kMessagePaneHeight, std::max(0, (bottom - top) / 3));
  MoveWindow(app.editor, 0, top, client.right, std::max(0, bottom - top - pane), TRUE);
  MoveWindow(app.messages, 0, bottom - pane, client.right, pane, TRUE);
}

// --- the editor's hooks: change handler, key bookkeeping and colouring ---

CHARRANGE editor_selection(App& app) {
  CHARRANGE sel = {};
  SendMessageW(app.editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
  return sel;
}

size_t editor_length(App& app) {
  GETTEXTLENGTHEX length = {GTL_NUMCHARS | GTL_PRECISE, 1200};
  return static_cast<size_t>(SendMessageW(app.editor, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
}

}  // namespace

std::u16string editor_text(App& app) {
  size_t n = editor_length(app);
  std::u16string text(n + 1, u'\0');
  GETTEXTEX get = {static_cast<DWORD>((n + 1) * sizeof(char16_t)), GT_DEFAULT, 1200, nullptr, nullptr};
  auto got = static_cast<size_t>(
      SendMessageW(app.editor, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(text.data())));
  text.resize(std::min(got, n));
  return text;
}

namespace {

std::u16string editor_range(App& app, LONG begin, LONG end) {
  end = std::min(end, static_cast<LONG>(editor_length(app)));
  if (end <= begin) return {};
  std::u16string buffer(static_cast<size_t>(end - begin) + 1, u'\0');
  TEXTRANGEW range = {{begin, end}, reinterpret_cast<wchar_t*>(buffer.data())};
  auto got = static_cast<size_t>(SendMessageW(app.editor, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range)));
  buffer.resize(std::min(got, buffer.size() - 1));
  return buffer;
}

// The characters around the caret before a key acts, as the colouring counts them.
CaretContext caret_context(App& app) {
  CHARRANGE sel = editor_selection(app);
  CaretContext at;
  at.selection = sel.cpMin != sel.cpMax;
  LONG caret = sel.cpMax, from = std::max<LONG>(0, caret - 2);
  std::string around = colouring_text(editor_range(app, from, caret + 1));
  size_t before = static_cast<size_t>(caret - from);
  if (before >= 2 && around.size() >= before) at.before2 = around[before - 2];
  if (before >= 1 && around.size() >= before) at.before = around[before - 1];
  if (around.size() > before) at.after = around[before];
  return at;
}

ITextDocument* text_document(App& app) {
  if (app.text_document) return app.text_document;
  IRichEditOle* ole = nullptr;
  SendMessageW(app.editor, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole));
  if (!ole) return nullptr;
  // IID_ITextDocument, spelled out: not every import library carries it.
  static const GUID kTextDocument = {0x8CC497C0, 0xA1DF, 0x11CE, {0x80, 0x98, 0x00, 0xAA, 0x00, 0x47, 0xBE, 0x5D}};
  void* doc = nullptr;
  if (SUCCEEDED(ole->QueryInterface(kTextDocument, &doc))) app.text_document = static_cast<ITextDocument*>(doc);
  ole->Release();
  return app.text_document;
}

}  // namespace

// Gives spans their looks in the control: the change handler detached,
// redrawing off, the selection kept, and the undo history left to the
// learner's own edits.
void apply_spans(App& app, const std::vector<Span>& spans, bool focus_holder) {
  if (!spans.empty()) {
    bool attached = app.change_attached;
    app.change_attached = false;
    LRESULT mask = SendMessageW(app.editor, EM_GETEVENTMASK, 0, 0);
    SendMessageW(app.editor, EM_SETEVENTMASK, 0, mask & ~(ENM_CHANGE | ENM_SELCHANGE));
    ITextDocument* doc = text_document(app);
    if (app.undo_suspends && !(doc && SUCCEEDED(doc->Undo(tomSuspend, nullptr)))) app.undo_suspends = false;
    if (focus_holder) SetFocus(app.focus_button);
    SendMessageW(app.editor, WM_SETREDRAW, FALSE, 0);
    CHARRANGE keep = editor_selection(app);
    for (const Span& span : spans) {
      CHARRANGE range = {static_cast<LONG>(span.begin), static_cast<LONG>(span.end)};
      SendMessageW(app.editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
      CHARFORMAT2W format = {};
      format.cbSize = sizeof format;
      format.dwMask = CFM_COLOR | CFM_ITALIC;
      format.crTextColor = colour_ref(span.colour);
      format.dwEffects = style_of(span.colour).italic ? CFE_ITALIC : 0;
      SendMessageW(app.editor, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    }
    SendMessageW(app.editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&keep));
    SendMessageW(app.editor, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(app.editor, nullptr, FALSE);
    if (app.undo_suspends) doc->Undo(tomResume, nullptr);
    SendMessageW(app.editor, EM_SETEVENTMASK, 0, mask);
    app.change_attached = attached;
  }
  if (GetFocus() == app.focus_button) SetFocus(app.editor);
}

namespace {

void on_editor_change(App& app) {
  if (!app.change_attached) return;
  Recolourer& colours = app.recolourer;
  CHARRANGE now = editor_selection(app);
  size_t caret = static_cast<size_t>(now.cpMax), length = editor_length(app), known = colours.text().size();
  size_t a = static_cast<size_t>(app.edit_selection.cpMin), b = static_cast<size_t>(app.edit_selection.cpMax);
  Recolouring result;
  bool placed = false;
  if (b <= known && a <= b) {
    // Where a key or a paste changed the text, only what it put in is read;
    // a length that does not fit (overtyping, say) falls back to the whole text.
    if (app.edit == App::Edit::backspace && a == b && a > 0 && length + 1 == known) {
      result = colours.change(a - 1, 1, "", caret);
      placed = true;
    } else if (app.edit == App::Edit::del && a == b && a < known && length + 1 == known) {
      result = colours.change(a, 1, "", caret);
      placed = true;
    } else if (app.edit != App::Edit::none && caret >= a && known - (b - a) + (caret - a) == length) {
      std::string inserted = colouring_text(editor_range(app, static_cast<LONG>(a), static_cast<LONG>(caret)));
      if (inserted.size() == caret - a) {
        result = colours.change(a, b - a, inserted, caret);
        placed = true;
      }
    }
  }
  if (!placed) result = colours.change(colouring_text(editor_text(app)), caret, a);
  app.edit = App::Edit::none;
  // The looks are set once the control has finished its own edit: this runs
  // inside the control's handling of the key.
  if (!result.skipped && !result.spans.empty()) {
    bool first = app.pending_spans.empty();
    app.pending_spans.insert(app.pending_spans.end(), result.spans.begin(), result.spans.end());
    app.pending_focus_holder |= result.focus_holder;
    if (first) PostMessageW(app.window, kRecolourMessage, 0, 0);
  }
  update_caret_display(app);
  if (app.document_ready) show_modified(app, true);
}

void apply_pending_spans(App& app) {
  std::vector<Span> spans;
  spans.swap(app.pending_spans);
  bool holder = app.pending_focus_holder;
  app.pending_focus_holder = false;
  apply_spans(app, spans, holder);
  update_caret_display(app);
}

void note_edit(App& app, App::Edit kind) {
  app.edit = kind;
  app.edit_selection = editor_selection(app);
}

void on_editor_key_down(App& app, WPARAM key) {
  if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU) return;  // no key of their own
  Key which = key == VK_BACK ? Key::backspace : key == VK_SPACE ? Key::space : Key::other;
  key_down(app.recolourer.keys, which, caret_context(app));
  if (key == VK_BACK) note_edit(app, App::Edit::backspace);
  if (key == VK_DELETE) note_edit(app, App::Edit::del);
}

void on_editor_char(App& app, WPARAM ch) {
  if (ch == VK_BACK) {
    note_edit(app, App::Edit::backspace);
    return;
  }
  if (ch < 0x20 && ch != '\r' && ch != '\t') return;  // Ctrl+letter: a command, not a character
  key_press(app.recolourer.keys, ch < 0x80 ? static_cast<char>(ch) : '_', caret_context(app));
  note_edit(app, App::Edit::typed);
}

// Takes back the learner's last edit. Where the control cannot keep the
// colouring out of its undo history (Wine's cannot), steps that only set
// looks are taken back too until the text changes, and the looks they
// restored are set anew over the whole text.
void undo_edit(App& app) {
  if (app.undo_suspends) {
    CallWindowProcW(g_editor_default, app.editor, EM_UNDO, 0, 0);
    return;
  }
  bool attached = app.change_attached;
  app.change_attached = false;
  std::u16string before = editor_text(app);
  do CallWindowProcW(g_editor_default, app.editor, EM_UNDO, 0, 0);
  while (editor_text(app) == before && SendMessageW(app.editor, EM_CANUNDO, 0, 0));
  app.change_attached = attached;
  app.pending_spans.clear();
  Recolouring all = app.recolourer.load(colouring_text(editor_text(app)));
  apply_spans(app, all.spans, all.many_lines);
  update_caret_display(app);
  if (app.document_ready) show_modified(app, SendMessageW(app.editor, EM_GETMODIFY, 0, 0) != 0);
}

// Whether suspending the undo history keeps what it holds: Wine's control
// empties it instead, and there colouring is taken back step by step.
void check_undo_suspend(App& app) {
  bool attached = app.change_attached;
  app.change_attached = false;
  SendMessageW(app.editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"x"));
  ITextDocument* doc = text_document(app);
  app.undo_suspends = doc && SUCCEEDED(doc->Undo(tomSuspend, nullptr)) &&
                      SendMessageW(app.editor, EM_CANUNDO, 0, 0) != 0;
  if (doc) doc->Undo(tomResume, nullptr);
  if (doc && !app.undo_suspends) doc->Undo(tomTrue, nullptr);  // the history on again, whatever suspending did
  SETTEXTEX set = {ST_DEFAULT, 1200};
  SendMessageW(app.editor, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&set), reinterpret_cast<LPARAM>(L""));
  SendMessageW(app.editor, EM_SETMODIFY, FALSE, 0);
  app.change_attached = attached;
}

bool is_undo_key(UINT message, WPARAM key) {
  return message == WM_KEYDOWN && key == 'Z' && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_SHIFT) >= 0;
}

// Text pasted from elsewhere comes in as plain text, without its fonts and colours.
bool is_paste_key(UINT message, WPARAM key) {
  if (message != WM_KEYDOWN) return false;
  bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
  return (ctrl && !shift && key == 'V') || (shift && !ctrl && key == VK_INSERT);
}

LRESULT CALLBACK editor_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PASTE || is_paste_key(message, wparam)) {
    if (g_app) note_edit(*g_app, App::Edit::typed);
    CallWindowProcW(g_editor_default, hwnd, EM_PASTESPECIAL, CF_UNICODETEXT, 0);
    if (g_app) g_app->edit = App::Edit::none;
    return 0;
  }
  if (g_app && (message == WM_UNDO || message == EM_UNDO || is_undo_key(message, wparam))) {
    undo_edit(*g_app);
    return 1;
  }
  if (g_app) {
    if (message == WM_KEYDOWN) on_editor_key_down(*g_app, wparam);
    if (message == WM_CHAR) on_editor_char(*g_app, wparam);
  }
  LRESULT result = CallWindowProcW(g_editor_default, hwnd, message, wparam, lparam);
  // The change a key makes is handled while the key is; a key that changed
  // nothing leaves no place behind for a later change.
  if (g_app && (message == WM_KEYDOWN || message == WM_CHAR)) g_app->edit = App::Edit::none;
  return result;
}

// --- commands ---


void command(App& app, int id) {
  Commands& c = *app.commands;
  switch (id) {
    case kCmdNew:
    case kCmdClose: c.new_document(); break;
    case kCmdOpen: c.open(); break;
    case kCmdSave: c.save(); break;
    case kCmdSaveAs: c.save_as(); break;
    case kCmdExit: SendMessageW(app.window, WM_CLOSE, 0, 0); break;
    case kCmdUndo: undo_edit(app); break;
    case kCmdCut: SendMessageW(app.editor, WM_CUT, 0, 0); break;
    case kCmdCopy: SendMessageW(app.editor, WM_COPY, 0, 0); break;
    case kCmdPaste: SendMessageW(app.editor, WM_PASTE, 0, 0); break;
    case kCmdCompile: compile_document(app); break;
    case kCmdRun: run_document(app); break;
    case kCmdOptions: show_options(app); break;
    case kCmdHelp: show_help(app); break;
    case kCmdAbout: show_about(app); break;
    default:
      if (id >= kCmdReopen1 && id < kCmdReopen1 + RecentFiles::kCount) c.open_recent(id - kCmdReopen1 + 1);
      return;
  }
  if (id != kCmdExit) SetFocus(app.editor);
}

void close_window(App& app) {
  if (!app.commands->close_window()) return;
  close_help(app);
  WINDOWPLACEMENT place = {};
  place.length = sizeof place;
  GetWindowPlacement(app.window, &place);
  app.settings.form_width = place.rcNormalPosition.right - place.rcNormalPosition.left;
  app.settings.form_height = place.rcNormalPosition.bottom - place.rcNormalPosition.top;
  store_settings(app);
  DestroyWindow(app.window);
}

LRESULT CALLBACK window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  App* app = g_app;
  if (!app || !app->commands) return DefWindowProcW(hwnd, message, wparam, lparam);
  switch (message) {
    case WM_SIZE: layout(*app); return 0;
    case kRecolourMessage: apply_pending_spans(*app); return 0;
    case WM_SETFOCUS: SetFocus(app->editor); return 0;
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lparam) == app->editor) {
        if (HIWORD(wparam) == EN_CHANGE) on_editor_change(*app);
        return 0;
      }
      if (lparam == 0 || reinterpret_cast<HWND>(lparam) == app->toolbar) command(*app, LOWORD(wparam));
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lparam);
      if (header->code == TTN_GETDISPINFOW) {
        auto* tip = reinterpret_cast<NMTTDISPINFOW*>(lparam);
        static std::wstring hint;
        int text = hint_for(tip->hdr.idFrom);
        hint = text < 0 ? L"" : app->text(text);
        tip->lpszText = hint.data();
        return 0;
      }
      if (header->hwndFrom == app->editor && header->code == EN_SELCHANGE) update_caret_display(*app);
      return 0;
    }
    case WM_CLOSE: close_window(*app); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace

void update_caret_display(App& app) {
  CHARRANGE sel = {};
  SendMessageW(app.editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
  LRESULT line = SendMessageW(app.editor, EM_EXLINEFROMCHAR, 0, sel.cpMax);
  LRESULT start = SendMessageW(app.editor, EM_LINEINDEX, line, 0);
  std::wstring text = widen(caret_display(static_cast<int>(line) + 1, static_cast<int>(sel.cpMax - start) + 1));
  SendMessageW(app.status, SB_SETTEXTW, kPanelCaret, reinterpret_cast<LPARAM>(text.c_str()));
}

void show_modified(App& app, bool modified) {
  std::wstring text = modified ? app.text(kModified) : L"";
  SendMessageW(app.status, SB_SETTEXTW, kPanelModified, reinterpret_cast<LPARAM>(text.c_str()));
}

void apply_editor_font(App& app) {
  bool attached = app.change_attached, modified = SendMessageW(app.editor, EM_GETMODIFY, 0, 0) != 0;
  app.change_attached = false;
  std::wstring face = widen(app.settings.fontname);
  CHARFORMAT2W format = {};
  format.cbSize = sizeof format;
  format.dwMask = CFM_FACE | CFM_SIZE | CFM_CHARSET;
  format.yHeight = app.settings.fontsize * 20;
  format.bCharSet = DEFAULT_CHARSET;
  format.bPitchAndFamily = FIXED_PITCH | FF_MODERN;  // a missing face falls back to a fixed one
  lstrcpynW(format.szFaceName, face.c_str(), LF_FACESIZE);
  SendMessageW(app.editor, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
  SendMessageW(app.editor, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  HDC dc = GetDC(app.window);
  HFONT font = CreateFontW(-MulDiv(app.settings.fontsize, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, 0,
                           0, 0, DEFAULT_CHARSET, 0, 0, 0, FIXED_PITCH, face.c_str());
  ReleaseDC(app.window, dc);
  SendMessageW(app.editor, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageW(app.editor, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
  if (app.editor_font) DeleteObject(app.editor_font);
  app.editor_font = font;
  SendMessageW(app.editor, EM_SETMODIFY, modified, 0);
  app.change_attached = attached;
}

void load_coloured(App& app, const std::u16string& text) {
  bool attached = app.change_attached;
  app.change_attached = false;
  SendMessageW(app.editor, WM_SETREDRAW, FALSE, 0);
  std::string rtf = coloured_rtf(text, colour_stretch(colouring_text(text)).spans,
                                 std::u16string(reinterpret_cast<const char16_t*>(widen(app.settings.fontname).c_str())),
                                 app.settings.fontsize);
  SETTEXTEX set = {ST_DEFAULT, CP_ACP};
  SendMessageW(app.editor, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&set), reinterpret_cast<LPARAM>(rtf.c_str()));
  CHARRANGE start = {0, 0};
  SendMessageW(app.editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&start));
  app.recolourer.load(colouring_text(editor_text(app)));  // the RTF carries every look already
  app.pending_spans.clear();
  app.edit = App::Edit::none;
  SendMessageW(app.editor, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(app.editor, nullptr, TRUE);
  app.change_attached = attached;
}

void show_recent_menu(App& app, const RecentFiles& recent) {
  if (!app.reopen_menu) return;
  while (GetMenuItemCount(app.reopen_menu) > 0) DeleteMenu(app.reopen_menu, 0, MF_BYPOSITION);
  int shown = 0;
  for (int i = 0; i < RecentFiles::kCount; ++i) {
    if (recent.paths[i].empty()) continue;
    std::wstring caption = std::to_wstring(i + 1) + L" " + widen(recent.paths[i]);
    AppendMenuW(app.reopen_menu, MF_STRING, kCmdReopen1 + i, caption.c_str());
    ++shown;
  }
  int reopen_position = 2;  // after New and Open... in the File menu
  EnableMenuItem(GetSubMenu(app.menu, 0), reopen_position, MF_BYPOSITION | (shown ? MF_ENABLED : MF_GRAYED));
  if (app.window) DrawMenuBar(app.window);
}

}  // namespace tarn::editor

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  using namespace tarn::editor;
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv && argc == 3 && lstrcmpW(argv[1], L"/console") == 0)
    return console_host(argv[2], language_for_locale(GetThreadLocale()));
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  if (!LoadLibraryW(L"Msftedit.dll")) LoadLibraryW(L"Riched20.dll");

  static App app;
  g_app = &app;
  app.instance = instance;
  app.language = language_for_locale(GetThreadLocale());
  load_settings(app);

  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = window_proc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kWindowClass;
  RegisterClassExW(&wc);

  int width = std::max(300, app.settings.form_width), height = std::max(200, app.settings.form_height);
  int x = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
  int y = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
  app.window = CreateWindowExW(0, kWindowClass, app.text(kProductTitle).c_str(), WS_OVERLAPPEDWINDOW, x, y, width,
                               height, nullptr, nullptr, instance, nullptr);
  if (!app.window) return 1;
  build_menu(app);
  build_controls(app);
  apply_editor_font(app);
  app.recolourer.load("");  // what the empty editor shows
  check_undo_suspend(app);

  app.view = std::make_unique<Win32View>(app);
  app.commands = std::make_unique<Commands>(*app.view, app.settings, narrow(app.text(kProductTitle)));
  app.document_ready = true;
  update_caret_display(app);
  layout(app);

  ShowWindow(app.window, show);
  UpdateWindow(app.window);
  SetFocus(app.editor);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (TranslateAcceleratorW(app.window, app.accelerators, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
