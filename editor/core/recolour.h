// Incremental colouring: after each change of the editor's text only the
// stretch around the change is recoloured.
//
// The key handlers keep a little bookkeeping (KeyState: which key went down,
// which character was typed or deleted), and the change handler asks the
// Recolourer which spans to apply. Two things decide what is recoloured:
// - the stretch the keys call for: normally the word at the caret; the rest
//   of the line after an apostrophe or a "//"; up to the next "}" after a "{"
//   was typed or deleted; up to the next "{" after a "}" was typed; the caret's
//   whole line for a change that came from no key (paste, undo, a command);
// - what actually changed: the Recolourer keeps what the control shows (the
//   text and each character's class) and the comment state at the start of
//   every line, re-reads the changed lines from the state the line before
//   left, and carries on over the following lines only while their starting
//   state differs from the one they had. Anything whose class changed is
//   always recoloured, so the control always shows what colouring the whole
//   text would give, however the keys' stretch falls.
//
// How the window applies a Recolouring (editor/win32):
// - On every text change (EN_CHANGE) tell the Recolourer what changed. For a
//   key or a paste the window knows the place: the selection before the
//   change (kept from EN_SELCHANGE) [a, b) and the caret c after it give
//   change(a, b - a, inserted, c) for typing and pasting, with `inserted` read
//   by EM_GETTEXTRANGE [a, c) through colouring_text; Backspace without a
//   selection is change(a - 1, 1, "", c), Delete change(a, 1, "", c). First
//   check that text().size() - removed + inserted.size() equals the
//   control's length (EM_GETTEXTLENGTHEX, GTL_NUMCHARS | GTL_PRECISE); when
//   it does not (overtyping, say), and for undo or anything else, read the
//   whole text (EM_GETTEXTEX, GT_DEFAULT, through colouring_text) and call
//   change(text, c, a), which finds the change itself. Under Wine a whole
//   read of a 5,000-line text costs several milliseconds, the typed
//   character nothing. When `skipped`, do nothing more.
// - Otherwise detach the change handler (the event mask without ENM_CHANGE)
//   and turn redrawing off (WM_SETREDRAW FALSE): a stretch over many lines
//   (`many_lines`) must not flicker, and under Wine every EM_SETCHARFORMAT
//   is several times cheaper without redrawing. When `focus_holder`, move
//   the focus to the hidden focus button first.
// - Remember the selection, then for each span select it (EM_EXSETSEL) and
//   set its colour and italic (EM_SETCHARFORMAT, SCF_SELECTION, CFM_COLOR |
//   CFM_ITALIC, crTextColor = colour_ref, CFE_ITALIC from style_of). TAB and
//   CR outside the spans keep the look they have.
// - Restore the selection, turn redrawing back on and invalidate the control,
//   re-attach the change handler, update the caret display ("%4d :%4d"), show
//   "Modified" in the second status panel when the document is ready, and give
//   the focus back to the editor if the focus button holds it.
// - Setting the character format must not land in the undo history (suspend
//   it around the colouring, ITextDocument::Undo(tomSuspend) / tomResume),
//   else Ctrl+Z would take back a colouring instead of the learner's edit.
// - Key handlers: WM_KEYDOWN calls key_down() with the characters around the
//   caret before the key acts; WM_CHAR calls key_press().
// - Loading a file, New, and any text replaced while the handler is
//   detached: call load() with the new text. Fastest (about half a second
//   for 5,000 lines under Wine): colour the file's text whole and put it in
//   as RTF with coloured_rtf(file, spans, font, points) through EM_SETTEXTEX,
//   then load() the control's text. One selection per span takes seconds for
//   such a file; if used, give the whole text the "other word" look first
//   (one EM_SETCHARFORMAT with SCF_ALL) and apply load(text, true), which
//   leaves those spans out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/colouring.h"

namespace tarn::editor {

// What surrounds the caret when a key goes down or a character is typed,
// before the key acts. Characters outside ASCII as "_", none as 0.
struct CaretContext {
  char before2 = 0;  // the character two before the caret
  char before = 0;   // the character just before the caret
  char after = 0;    // the character at the caret
  bool selection = false;
};

enum class Key { backspace, space, other };

// The bookkeeping shared by the key handlers and the change handler. All but
// `colouring` are one-shot: the next change clears them.
struct KeyState {
  bool colouring = true;      // off while a space is typed after a space
  bool key_driven = false;    // the coming change comes from a key
  char last_typed = 0;
  bool double_slash = false;  // a "/" typed next to a "/"
  bool slash_deleted = false; // Backspace took a "/" that stood next to a "/"
  bool open_typed = false, close_typed = false;
  bool open_deleted = false, close_deleted = false;
};

void key_down(KeyState& keys, Key key, const CaretContext& at);
void key_press(KeyState& keys, char typed, const CaretContext& at);

// The nearest "{" before the caret, if any, is not closed before the caret.
bool inside_comment_at_caret(std::string_view text, size_t caret);

// The stretch the keys call for: [begin, end) of the text, and whether the
// focus should go to the hidden focus button while it is coloured.
struct Plan {
  size_t begin = 0, end = 0;
  bool focus_holder = false;
};
Plan plan_recolour(std::string_view text, size_t caret, const KeyState& keys);

struct Recolouring {
  std::vector<Span> spans;
  bool skipped = false;       // colouring is off (a space after a space): nothing to do
  bool many_lines = false;    // the spans reach over more than one line
  bool focus_holder = false;
};

class Recolourer {
 public:
  KeyState keys;

  // A new text in the control: spans for all of it. With `already_words` the
  // control shows the whole text as other words, and only the rest comes back.
  Recolouring load(std::string text, bool already_words = false);

  // The control's text after a change (as colouring_text gives it), the
  // caret after the change and, when the window knows it, where the
  // selection began before the change (what was typed or pasted runs from
  // there to the caret). Clears the one-shot key flags.
  Recolouring change(const std::string& text, size_t caret, size_t edit_begin = kUnknownPlace);
  static constexpr size_t kUnknownPlace = static_cast<size_t>(-1);

  // A change whose place the window knows (typing, Backspace, Delete, a
  // paste over the selection): [pos, pos + removed) of the text became
  // `inserted`. Reading only the inserted characters from the control keeps
  // a keystroke cheap in a long text.
  Recolouring change(size_t pos, size_t removed, std::string_view inserted, size_t caret);

  const std::string& text() const { return text_; }
  // Per character what the control shows: a Colour, kNoColour for a TAB or CR
  // left alone, or kUnknownColour for text the control got its look for
  // itself (typed or pasted) and not recoloured yet.
  const std::vector<uint8_t>& shown() const { return shown_; }
  static constexpr uint8_t kUnknownColour = 0xfe;

 private:
  Recolouring recolour(size_t p, size_t removed, std::string_view inserted, size_t dirty_begin, size_t dirty_end,
                       size_t caret);

  std::string text_;
  std::vector<uint8_t> shown_;
  // Per line: 1 when it starts inside a "{" comment, 0 when not, and
  // kUnknownState for a line the last change made and nothing re-read yet.
  std::vector<uint8_t> line_starts_inside_;
  static constexpr uint8_t kUnknownState = 2;
};

}  // namespace tarn::editor
