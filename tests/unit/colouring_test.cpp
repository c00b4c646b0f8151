// The editor's colouring without a window. Expected looks are written one
// letter per character: c comment, k keyword, s string, w other word or blank,
// p punctuation, "." a TAB or CR left as it is.
//
// The incremental side runs against a model of the control: typed text takes
// the look of the character before it (as the control gives it), pasted and
// restored text any look at all, and after every change the model, with the
// spans applied, must show what colouring the whole text gives.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/colouring.h"
#include "core/recolour.h"
#include "support/golden.h"
#include "support/test_support.h"

namespace tarn::editor {

void PrintTo(const Span& s, std::ostream* out) {
  *out << '[' << s.begin << ',' << s.end << ")" << "ckswp"[static_cast<int>(s.colour)];
}

namespace {

char letter_of(uint8_t shade) {
  return shade == kNoColour ? '.' : shade < kColourCount ? "ckswp"[shade] : '?';
}

std::string looks(const std::vector<uint8_t>& shades) {
  std::string out;
  for (uint8_t s : shades) out += letter_of(s);
  return out;
}

std::string looks_of(std::string_view text, bool inside = false) { return looks(shades_of(text, inside)); }

TEST(Colouring, FragmentsGetTheirLooks) {
  const struct {
    const char* text;
    const char* look;
  } cases[] = {
      // Keywords in any letter case; a longer word is no keyword.
      {"begin", "kkkkk"},
      {"BeGiN End", "kkkkkwkkk"},
      {"beginx xbegin begin1", "wwwwwwwwwwwwwwwwwwww"},
      {"while x<>0 do", "kkkkkwwwwwwkk"},
      // An assignment without blanks: target, colon, then one word to the delimiter.
      {"a:=b+1;", "wpwwwwp"},
      {"x[i].f(1,2)", "wpwppwpwpwp"},
      // Strings: through the next apostrophe, an unclosed one to the line's end.
      {"writeln('Hi, {you}');", "wwwwwwwpssssssssssspp"},
      {"s := 'it''s'", "wwpwwsssssss"},
      {"s := 'open; end\rbegin", "wwpwwssssssssss.kkkkk"},
      {"'http://x' begin", "sssssssssswkkkkk"},
      // "//" to the line's end, a lone "/" is punctuation.
      {"x := 1; // the end", "wwpwwwpwcccccccccc"},
      {"a / b //\rend", "wwpwwwcc.kkk"},
      {"// {\rbegin", "cccc.kkkkk"},
      // Braces: through the next "}" across lines, a lone "}" as comment.
      {"{ don't } end", "cccccccccwkkk"},
      {"a {x\r\ty} b", "wwccccccww"},
      {"end } begin", "kkkwcwkkkkk"},
      {"{a}{b}", "cccccc"},
      // TAB and CR outside comments keep their look.
      {"\tend;\r", ".kkkp."},
      {"", ""},
  };
  for (const auto& t : cases) EXPECT_EQ(looks_of(t.text), t.look) << '"' << t.text << '"';
}

TEST(Colouring, EveryKeywordInAnyCaseAndNothingElse) {
  const char* keywords[] = {"begin", "end",   "if",     "then",   "else",      "for",      "to",      "while",
                            "do",    "repeat", "until", "and",    "or",        "not",      "var",     "const",
                            "type",  "array", "of",     "record", "set",       "procedure", "function", "program",
                            "return", "mod",  "div",    "label",  "goto",      "case"};
  for (const char* k : keywords) {
    std::string upper = k;
    for (char& c : upper) c = static_cast<char>(c - 'a' + 'A');
    EXPECT_TRUE(is_keyword(k)) << k;
    EXPECT_TRUE(is_keyword(upper)) << upper;
    EXPECT_FALSE(is_keyword(std::string(k) + "x")) << k;
  }
  for (const char* w : {"integer", "float", "string", "writeln", "nil", "new", "xor", "in", "downto", "", "_"})
    EXPECT_FALSE(is_keyword(w)) << w;
}

TEST(Colouring, AnOpenBraceCarriesIntoTheNextStretch) {
  const Coloured open = colour_stretch("x { note", false);
  EXPECT_TRUE(open.inside_comment);
  EXPECT_EQ(open.spans, (std::vector<Span>{{0, 2, Colour::word}, {2, 8, Colour::comment}}));

  EXPECT_EQ(looks_of("still } end", true), "ccccccc" "wkkk");
  EXPECT_FALSE(colour_stretch("still } end", true).inside_comment);
  EXPECT_TRUE(colour_stretch("no close", true).inside_comment);

  // A stretch inside a longer text keeps the text's positions and stops at its end.
  const Coloured part = colour_stretch("begin {x} end", 6, 9, false);
  EXPECT_EQ(part.spans, (std::vector<Span>{{6, 9, Colour::comment}}));
}

TEST(Colouring, TheControlsTextCountsUnitsAndEndsLinesWithCR) {
  EXPECT_EQ(colouring_text(std::string_view("a\r\nb\nc\r")), "a\rb\rc\r");
  EXPECT_EQ(colouring_text(std::u16string_view(u"конец end")), "_____ end");
  EXPECT_EQ(looks_of(colouring_text(std::u16string_view(u"Конец; BEGIN"))), "wwwwwpwkkkkk");
  // A Cyrillic letter glued to a keyword makes it a plain word.
  EXPECT_EQ(looks_of(colouring_text(std::u16string_view(u"endы"))), "wwww");
  const std::u16string lf = u"{ a\n b } begin\n  x := 'y'\n";
  std::u16string crlf_text;
  for (char16_t c : lf) crlf_text += c == u'\n' ? std::u16string(u"\r\n") : std::u16string(1, c);
  EXPECT_EQ(looks_of(colouring_text(lf)), looks_of(colouring_text(crlf_text)));
}

// A loaded file can go into the control in one step as RTF with the looks.
TEST(Colouring, RtfCarriesTheLooksOfAWholeFile) {
  const std::u16string file = u"begin {x}\r\n'\u0436'\tend\\";
  EXPECT_EQ(coloured_rtf(file, colour_stretch(colouring_text(file)).spans),
            "{\\rtf1\\ansi\\uc0{\\colortbl ;\\red0\\green128\\blue0;\\red0\\green0\\blue255;"
            "\\red128\\green0\\blue0;\\red28\\green28\\blue28;\\red0\\green0\\blue0;}\n"
            "\\cf2\\i0 begin\\cf4\\i0  \\cf1\\i \\{x\\}\\par\n"
            "\\cf3\\i0 '\\u1078 '\\tab \\cf4\\i0 end\\\\}");
  const std::string with_font = coloured_rtf(u"x", {{0, 1, Colour::word}}, u"Courier New", 10);
  EXPECT_NE(with_font.find("{\\fonttbl{\\f0\\fmodern Courier New;}}"), std::string::npos) << with_font;
  EXPECT_NE(with_font.find("}\n\\f0\\fs20 \\cf4\\i0 x}"), std::string::npos) << with_font;
}

// Every program of the test corpus, coloured line by line with the state the
// line before left, looks as it does coloured whole.
TEST(Colouring, LineByLineEqualsWhole) {
  std::vector<std::string> texts = {"{ one\r two } begin { three\r\r four }}\r'x{'//{\r{\r"};
  for (const std::string& name : test::golden_cases("programs"))
    texts.push_back(colouring_text(test::read_file(test::test_data("programs/" + name + ".pas"))));
  ASSERT_GT(texts.size(), 50u);
  for (const std::string& text : texts) {
    std::vector<uint8_t> lines(text.size(), kNoColour);
    bool inside = false;
    for (size_t pos = 0; pos < text.size();) {
      const size_t cr = text.find('\r', pos);
      const size_t stop = cr == std::string::npos ? text.size() : cr + 1;
      paint(lines, colour_stretch(text, pos, stop, inside).spans);
      inside = colour_stretch(text, pos, stop, inside).inside_comment;
      pos = stop;
    }
    EXPECT_EQ(looks(lines), looks_of(text)) << text.substr(0, 60);
  }
}

// The flags whose reading is not obvious: a slash next to a slash on either
// side, and a blank only counts as a second blank after a blank.
TEST(KeyBookkeeping, SlashesAndBlanksAreJudgedByTheirNeighbours) {
  KeyState keys;
  key_down(keys, Key::backspace, {'a', '/', '/', false});
  EXPECT_TRUE(keys.slash_deleted);
  KeyState lone;
  key_down(lone, Key::backspace, {'a', '/', 'b', false});
  EXPECT_FALSE(lone.slash_deleted);
  key_press(lone, '/', {0, 0, '/', false});
  EXPECT_TRUE(lone.double_slash);

  key_down(keys, Key::space, {'x', ' ', 'y', false});
  EXPECT_FALSE(keys.colouring);
  key_down(keys, Key::space, {' ', 'x', ' ', false});
  EXPECT_TRUE(keys.colouring);
  key_down(keys, Key::space, {'x', ' ', 'y', true});  // the blank replaces a selection
  EXPECT_TRUE(keys.colouring);
}

TEST(KeyBookkeeping, InsideCommentAtCaretLooksForTheNearestBraces) {
  const std::string_view text = "a { b } c { d";
  EXPECT_FALSE(inside_comment_at_caret(text, 2));
  EXPECT_TRUE(inside_comment_at_caret(text, 4));
  EXPECT_TRUE(inside_comment_at_caret(text, 6));  // the "}" at the caret still closes it
  EXPECT_FALSE(inside_comment_at_caret(text, 8));
  EXPECT_TRUE(inside_comment_at_caret(text, 13));  // no "}" at all
}

// The stretch each kind of key calls for.
TEST(KeyBookkeeping, PlanFollowsTheKeys) {
  const std::string text = "x := 'a'; beginx := 1;\ry {z\r} w { v";
  auto keyed = [](char typed) {
    KeyState k;
    k.key_driven = true;
    k.last_typed = typed;
    return k;
  };
  // A letter in a word: from the word's start through the delimiter after it.
  KeyState k = keyed('x');
  Plan plan = plan_recolour(text, 16, k);  // caret after "beginx"
  EXPECT_EQ(text.substr(plan.begin, plan.end - plan.begin), "'a'; beginx ");  // the line's apostrophe comes first
  plan = plan_recolour(text, 26, keyed('z'));  // after "{z" on line 2
  EXPECT_EQ(plan.begin, 25u);
  // A closing apostrophe: the whole line; an opening one: from itself to the line's end.
  plan = plan_recolour(text, 8, keyed('\''));
  EXPECT_EQ(plan.begin, 0u);
  EXPECT_EQ(plan.end, 22u);
  plan = plan_recolour(text, 6, keyed('\''));
  EXPECT_EQ(plan.begin, 5u);
  EXPECT_EQ(plan.end, 22u);
  // "{" typed: from the line's start through the next "}", across lines.
  k = keyed('{');
  k.open_typed = true;
  plan = plan_recolour(text, 26, k);
  EXPECT_EQ(plan.end, 29u);
  EXPECT_FALSE(plan.focus_holder);
  // "}" typed: up to the next "{", with the focus on the focus button.
  k = keyed('}');
  k.close_typed = true;
  plan = plan_recolour(text, 29, k);
  EXPECT_EQ(plan.end, 32u);
  EXPECT_TRUE(plan.focus_holder);
  // A change no key made: the caret's line.
  plan = plan_recolour(text, 3, KeyState{});
  EXPECT_EQ(plan.begin, 0u);
  EXPECT_EQ(plan.end, 22u);
}

// A model of the editor control: text, the look of each character, a caret.
struct Control {
  Recolourer colours;
  std::string text;
  std::vector<uint8_t> look;
  size_t caret = 0;
  std::mt19937* random = nullptr;
  bool places_known = false;  // the window tells where a key or paste changed the text

  void load(const std::string& t) {
    text = t;
    look.assign(text.size(), static_cast<uint8_t>(Colour::keyword));
    apply(colours.load(text));
    caret = 0;
  }
  void apply(const Recolouring& r) {
    if (r.skipped) return;
    paint(look, r.spans);
  }
  CaretContext at() const {
    CaretContext c;
    c.before = caret > 0 ? text[caret - 1] : 0;
    c.before2 = caret > 1 ? text[caret - 2] : 0;
    c.after = caret < text.size() ? text[caret] : 0;
    return c;
  }
  uint8_t any_look() { return static_cast<uint8_t>((*random)() % kColourCount); }
  // The control gives typed text the look of the character before it.
  void insert(size_t at, const std::string& s, bool own_look) {
    const uint8_t inherited = at > 0 ? look[at - 1] : static_cast<uint8_t>(Colour::keyword);
    text.insert(at, s);
    std::vector<uint8_t> l(s.size(), inherited);
    if (own_look)
      for (uint8_t& x : l) x = any_look();
    look.insert(look.begin() + static_cast<ptrdiff_t>(at), l.begin(), l.end());
  }
  void erase(size_t at, size_t count) {
    text.erase(at, count);
    look.erase(look.begin() + static_cast<ptrdiff_t>(at), look.begin() + static_cast<ptrdiff_t>(at + count));
  }
  Recolouring changed(size_t edit_begin = Recolourer::kUnknownPlace) {
    Recolouring r = colours.change(text, caret, edit_begin);
    apply(r);
    return r;
  }
  // The same when the window knows the place: [at, at + removed) became text[at, caret).
  Recolouring changed_at(size_t at, size_t removed) {
    if (!places_known) return changed(at);
    Recolouring r = colours.change(at, removed, std::string_view(text).substr(at, caret - at), caret);
    apply(r);
    return r;
  }
  Recolouring type(char c) {
    key_down(colours.keys, c == ' ' ? Key::space : Key::other, at());
    key_press(colours.keys, c, at());
    insert(caret, std::string(1, c), false);
    ++caret;
    return changed_at(caret - 1, 0);
  }
  void type(std::string_view s) {
    for (char c : s) type(c);
  }
  void backspace() {
    key_down(colours.keys, Key::backspace, at());
    if (caret == 0) return;
    erase(--caret, 1);
    changed_at(caret, 1);
  }
  void del() {
    key_down(colours.keys, Key::other, at());
    if (caret >= text.size()) return;
    erase(caret, 1);
    changed_at(caret, 1);
  }
  // Over a selection of `replaced` characters at the caret.
  Recolouring paste(const std::string& s, size_t replaced = 0) {
    erase(caret, replaced);
    insert(caret, s, true);
    caret += s.size();
    return changed_at(caret - s.size(), replaced);
  }
  // What the control shows differs from colouring the whole text: the first place.
  std::string wrong() const {
    const std::vector<uint8_t> want = shades_of(text);
    for (size_t i = 0; i < text.size(); ++i)
      if (want[i] != kNoColour && want[i] != look[i])
        return "at " + std::to_string(i) + " of \"" + text + "\": shows " + letter_of(look[i]) + ", wants " +
               letter_of(want[i]) + "\n  shows " + looks(look) + "\n  wants " + looks(want);
    return {};
  }
};

TEST(Recolouring, TypingAProgramKeepsEveryCharacterRight) {
  std::mt19937 random(1);
  Control c;
  c.random = &random;
  c.load("");
  const std::string program =
      "program demo;\rvar s: string[10];\rbegin\r  s := 'Hi';  // greet\r  writeln(s, 10 / 2);\rend.\r";
  for (char ch : program) {
    c.type(ch);
    ASSERT_EQ(c.wrong(), "") << "after typing up to " << c.text.size();
  }

  // "{" typed mid-program turns the rest green, up to the next "}".
  c.caret = c.text.find("  s :=");
  const Recolouring r = c.type('{');
  EXPECT_EQ(c.wrong(), "");
  EXPECT_TRUE(r.many_lines);
  for (size_t i = c.caret - 1; i < c.text.size(); ++i)
    if (c.text[i] != '\r') {
      EXPECT_EQ(c.look[i], static_cast<uint8_t>(Colour::comment)) << i;
    }
  // Its "}" recolours the code after it.
  c.caret = c.text.find("  writeln");
  c.type('}');
  EXPECT_EQ(c.wrong(), "");
  EXPECT_EQ(c.look[c.text.find("writeln") - 1], static_cast<uint8_t>(Colour::word));
  // Deleting the "{" again gives back the code's colours.
  c.caret = c.text.find('{') + 1;
  c.backspace();
  EXPECT_EQ(c.wrong(), "");
  EXPECT_EQ(c.look[c.text.find("'Hi'")], static_cast<uint8_t>(Colour::string));
}

TEST(Recolouring, ASecondBlankIsNotRecolouredAndNeedsNot) {
  std::mt19937 random(2);
  Control c;
  c.random = &random;
  c.load("x");
  c.caret = 1;
  EXPECT_FALSE(c.type(' ').skipped);
  const Recolouring second = c.type(' ');
  EXPECT_TRUE(second.skipped);
  EXPECT_EQ(c.wrong(), "");
  // A blank typed between two words is no "second blank", whatever came before.
  c.load("endx");
  c.caret = 3;
  EXPECT_FALSE(c.type(' ').skipped);
  EXPECT_EQ(c.wrong(), "");
  EXPECT_EQ(c.look[0], static_cast<uint8_t>(Colour::keyword));
}

TEST(Recolouring, AChangeRecoloursOnlyTheLinesItTouches) {
  std::mt19937 random(3);
  Control c;
  c.random = &random;
  std::string text;
  for (int i = 0; i < 200; ++i) text += "  x := x + 1; { step }\r";
  c.load(text);
  const size_t line = text.size() / 2 / 23 * 23;
  c.caret = line;
  const Recolouring pasted = c.paste("begin\r  y := 'a';\rend;\r");
  EXPECT_EQ(c.wrong(), "");
  ASSERT_FALSE(pasted.spans.empty());
  EXPECT_GE(pasted.spans.front().begin, line);
  EXPECT_LE(pasted.spans.back().end, c.caret + 23);
  // A letter in a word: that word and the blank after it; a "{" before a "}"
  // on the line: up to that "}".
  const size_t next = c.caret;
  c.caret = next + 3;
  const Recolouring letter = c.type('y');
  EXPECT_EQ(letter.spans, (std::vector<Span>{{next + 2, next + 5, Colour::word}}));
  c.caret = next + 4;
  const Recolouring brace = c.type('{');
  EXPECT_EQ(c.wrong(), "");
  EXPECT_FALSE(brace.many_lines);
  EXPECT_EQ(brace.spans.back(), (Span{next + 4, next + 24, Colour::comment}));
}

// Undo changes text away from the caret, and a run of equal characters
// hides where exactly: the text itself must show what changed.
TEST(Recolouring, AChangeAwayFromTheCaretIsFoundByTheText) {
  std::mt19937 random(4);
  Control c;
  c.random = &random;
  c.load("e_x}\r/");
  c.caret = 5;
  c.type('\'');  // the "/" after it becomes part of a string
  c.erase(5, 1);  // undone at the start of the line, the caret elsewhere
  c.caret = 0;
  c.changed();
  EXPECT_EQ(c.wrong(), "");
  EXPECT_EQ(c.look[5], static_cast<uint8_t>(Colour::punctuation));

  c.load("begin  x\rend");
  c.insert(5, " ", false);  // a blank with the keyword's look, among blanks
  c.caret = c.text.size();  // on the next line
  c.changed();
  EXPECT_EQ(c.wrong(), "");
}

// Thousands of random edits (typing, Backspace, Delete, paste, undo) at random
// places: the control must always show what colouring the whole text gives.
TEST(Recolouring, RandomEditsAlwaysEqualColouringTheWholeText) {
  std::mt19937 random(20261208);
  const std::string pieces[] = {"{", "}", "'", "/", "//", "\r", " ", "  ", "\t", ";", ":=", "(", ")",
                                "begin", "end", "x", "d", "_", "{ c }", "'s'", "if", "e", "n"};
  int changes = 0;
  for (int sequence = 0; sequence < 1200; ++sequence) {
    Control c;
    c.random = &random;
    c.places_known = sequence % 2;
    std::string start;
    for (int i = random() % 16; i > 0; --i) start += pieces[random() % std::size(pieces)];
    c.load(start);
    ASSERT_EQ(c.wrong(), "") << "after loading";
    std::vector<std::string> history;
    for (int step = 0; step < 25; ++step) {
      const std::string before = c.text;
      c.caret = c.text.empty() ? 0 : random() % (c.text.size() + 1);
      const int what = random() % 10;
      if (what < 5) {
        c.type(pieces[random() % std::size(pieces)]);
      } else if (what < 7) {
        c.backspace();
      } else if (what == 7) {
        c.del();
      } else if (what == 8) {
        std::string block;
        for (int i = random() % 4 + 1; i > 0; --i) block += pieces[random() % std::size(pieces)];
        const size_t replaced = random() % 2 ? std::min<size_t>(random() % 6, c.text.size() - c.caret) : 0;
        c.paste(block, replaced);
      } else if (!history.empty()) {
        // Undo: the text before the last edit comes back, in whatever look,
        // with the caret after what came back or anywhere.
        const std::string old = history.back();
        history.pop_back();
        size_t p = 0;
        while (p < old.size() && p < c.text.size() && old[p] == c.text[p]) ++p;
        size_t s = 0;
        while (s < old.size() - p && s < c.text.size() - p && old[old.size() - 1 - s] == c.text[c.text.size() - 1 - s]) ++s;
        c.erase(p, c.text.size() - s - p);
        c.insert(p, old.substr(p, old.size() - s - p), true);
        c.caret = random() % 2 ? old.size() - s : random() % (old.size() + 1);
        c.changed();
        ASSERT_EQ(c.wrong(), "") << "sequence " << sequence << ", undo";
        continue;
      }
      ++changes;
      history.push_back(before);
      ASSERT_EQ(c.wrong(), "") << "sequence " << sequence << " step " << step << " from \"" << before << '"';
    }
  }
  EXPECT_GT(changes, 24000);
}

}  // namespace
}  // namespace tarn::editor
