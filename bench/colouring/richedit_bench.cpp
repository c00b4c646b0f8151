// Times the editor's colouring against a real rich-edit control: loading a
// long program and colouring it (one selection per span, and one RTF load),
// and the recolouring after single keystrokes in the middle of it, the way
// the editor applies spans. Checks the control's looks afterwards with
// EM_GETCHARFORMAT against colouring the whole text.
//   richedit_bench.exe [lines]
#include <windows.h>
#include <richedit.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/colouring.h"
#include "core/recolour.h"

using namespace tarn::editor;
using Clock = std::chrono::steady_clock;

namespace {

double ms_since(Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

std::u16string control_text(HWND edit) {
  GETTEXTLENGTHEX len = {GTL_DEFAULT | GTL_NUMCHARS, 1200};
  const auto n = static_cast<size_t>(SendMessageW(edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&len), 0));
  std::u16string text(n + 1, u'\0');
  GETTEXTEX get = {};
  get.cb = static_cast<DWORD>((n + 1) * sizeof(char16_t));
  get.flags = GT_DEFAULT;
  get.codepage = 1200;
  const auto got = static_cast<size_t>(SendMessageW(edit, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                                    reinterpret_cast<LPARAM>(text.data())));
  text.resize(got);
  return text;
}

void apply(HWND edit, const std::vector<Span>& spans) {
  CHARRANGE keep;
  SendMessageW(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&keep));
  for (const Span& s : spans) {
    CHARRANGE range = {static_cast<LONG>(s.begin), static_cast<LONG>(s.end)};
    SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMAT2W format = {};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_COLOR | CFM_ITALIC;
    format.crTextColor = colour_ref(s.colour);
    format.dwEffects = style_of(s.colour).italic ? CFE_ITALIC : 0;
    SendMessageW(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  }
  SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&keep));
}

std::string text_range(HWND edit, size_t begin, size_t end) {
  std::wstring buffer(end - begin + 1, L'\0');
  TEXTRANGEW range = {{static_cast<LONG>(begin), static_cast<LONG>(end)}, buffer.data()};
  const auto got = static_cast<size_t>(SendMessageW(edit, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range)));
  return colouring_text(buffer.data(), got);
}

// Characters whose look in the control differs from colouring the whole text,
// over every `step`-th character.
int wrong_looks(HWND edit, size_t step) {
  const std::string text = colouring_text(control_text(edit));
  const std::vector<uint8_t> want = shades_of(text);
  int wrong = 0;
  for (size_t i = 0; i < text.size(); i += step) {
    if (want[i] == kNoColour) continue;
    CHARRANGE range = {static_cast<LONG>(i), static_cast<LONG>(i + 1)};
    SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMAT2W format = {};
    format.cbSize = sizeof(format);
    SendMessageW(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    const auto c = static_cast<Colour>(want[i]);
    if (format.crTextColor != colour_ref(c) || ((format.dwEffects & CFE_ITALIC) != 0) != style_of(c).italic) ++wrong;
  }
  return wrong;
}

// The editor's font and the look of other words over the whole text.
void set_plain(HWND edit) {
  CHARFORMAT2W format = {};
  format.cbSize = sizeof(format);
  format.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_ITALIC;
  format.crTextColor = colour_ref(Colour::word);
  format.yHeight = 200;
  wcscpy(format.szFaceName, L"Courier New");
  SendMessageW(edit, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
}

}  // namespace

int main(int argc, char** argv) {
  const int lines = argc > 1 ? std::atoi(argv[1]) : 5000;
  LoadLibraryW(L"Msftedit.dll");
  HWND edit = CreateWindowExW(0, MSFTEDIT_CLASS, L"", WS_POPUP | ES_MULTILINE | WS_VSCROLL | WS_HSCROLL, 0, 0, 800,
                              600, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!edit) {
    std::printf("no rich-edit control\n");
    return 1;
  }
  SendMessageW(edit, EM_EXLIMITTEXT, 0, 16 * 1024 * 1024);

  const char16_t* block[] = {
      u"procedure show(n: integer);",
      u"var i: integer; s: string[20];",
      u"begin",
      u"  s := 'Привет, {мир}';  // greet",
      u"  for i := 1 to n do begin",
      u"    if i mod 2 = 0 then writeln(s, i:4) else writeln(i / 2:8:2);",
      u"  end;",
      u"  { a comment",
      u"    over two lines }",
      u"end;",
  };
  std::u16string file;
  for (int i = 0; i < lines; ++i) {
    file += block[i % 10];
    file += u"\r\n";
  }
  std::printf("%d lines, %zu characters\n", lines, file.size());

  // Load 1: plain text, every line "other word", then one selection per other span.
  SendMessageW(edit, WM_SETREDRAW, FALSE, 0);
  auto t = Clock::now();
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
  set_plain(edit);
  Recolourer colours;
  Recolouring loaded = colours.load(colouring_text(control_text(edit)), true);
  apply(edit, loaded.spans);
  std::printf("load, one selection per span (%zu spans): %.0f ms\n", loaded.spans.size(), ms_since(t));
  SendMessageW(edit, WM_SETREDRAW, TRUE, 0);
  std::printf("  wrong looks (every 97th character): %d\n", wrong_looks(edit, 97));

  // Load 2: the same as RTF in one step.
  SendMessageW(edit, WM_SETREDRAW, FALSE, 0);
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  t = Clock::now();
  const std::string text = colouring_text(file);
  const std::string rtf = coloured_rtf(file, colour_stretch(text).spans, u"Courier New", 10);
  SETTEXTEX set = {ST_DEFAULT, CP_ACP};
  SendMessageW(edit, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&set), reinterpret_cast<LPARAM>(rtf.c_str()));
  colours.load(colouring_text(control_text(edit)));
  const double rtf_ms = ms_since(t);
  SendMessageW(edit, WM_SETREDRAW, TRUE, 0);
  std::printf("load as RTF: %.0f ms\n", rtf_ms);
  std::printf("  wrong looks (every 97th character): %d\n", wrong_looks(edit, 97));

  // Keystrokes in the middle: type "x" after a keyword, then a blank.
  const std::u16string middle = control_text(edit);
  size_t caret = middle.find(u"begin", middle.size() / 2) + 5;
  for (const bool whole : {true, false}) {
  double worst = 0, total = 0, read_ms = 0, change_ms = 0, apply_ms = 0;
  const int keys = 40;
  for (int k = 0; k < keys; ++k) {
    const wchar_t typed[2] = {k % 2 ? L' ' : L'x', 0};
    CHARRANGE at = {static_cast<LONG>(caret), static_cast<LONG>(caret)};
    SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&at));
    CaretContext context;
    context.before = caret > 0 ? static_cast<char>(middle[caret - 1]) : 0;
    key_down(colours.keys, typed[0] == L' ' ? Key::space : Key::other, context);
    key_press(colours.keys, static_cast<char>(typed[0]), context);
    SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(typed));
    t = Clock::now();
    const std::string now = whole ? colouring_text(control_text(edit)) : text_range(edit, caret, caret + 1);
    read_ms += ms_since(t);
    const auto t2 = Clock::now();
    const Recolouring r = whole ? colours.change(now, caret + 1, caret) : colours.change(caret, 0, now, caret + 1);
    change_ms += ms_since(t2);
    const auto t3 = Clock::now();
    if (!r.skipped) {
      SendMessageW(edit, WM_SETREDRAW, FALSE, 0);
      apply(edit, r.spans);
      SendMessageW(edit, WM_SETREDRAW, TRUE, 0);
      InvalidateRect(edit, nullptr, FALSE);
    }
    apply_ms += ms_since(t3);
    const double ms = ms_since(t);
    total += ms;
    worst = std::max(worst, ms);
    ++caret;
  }
  std::printf("keystroke, %s: %.2f ms on average, %.2f ms at most\n",
              whole ? "reading the whole text" : "reading the typed character", total / keys, worst);
  std::printf("  of which reading %.2f ms, finding the spans %.2f ms, applying them %.2f ms\n", read_ms / keys,
              change_ms / keys, apply_ms / keys);
  }

  // "{" in the middle: the rest of the text turns into a comment.
  CHARRANGE at = {static_cast<LONG>(caret), static_cast<LONG>(caret)};
  SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&at));
  key_down(colours.keys, Key::other, {});
  key_press(colours.keys, '{', {});
  SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"{"));
  t = Clock::now();
  SendMessageW(edit, WM_SETREDRAW, FALSE, 0);
  const Recolouring brace = colours.change(colouring_text(control_text(edit)), caret + 1, caret);
  apply(edit, brace.spans);
  SendMessageW(edit, WM_SETREDRAW, TRUE, 0);
  std::printf("\"{\" typed mid-text (%zu spans): %.2f ms\n", brace.spans.size(), ms_since(t));
  std::printf("  wrong looks after the keystrokes (every 97th character): %d\n", wrong_looks(edit, 97));
  DestroyWindow(edit);
  return 0;
}
