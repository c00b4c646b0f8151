// The change handler's side of incremental colouring: find what changed by
// comparing the new text with the one the control showed, re-read the lines
// around it from the comment state the line before left, and hand back the
// spans whose look must change, widened to the stretch the keys call for.
#include "core/recolour.h"

#include <algorithm>

namespace tarn::editor {
namespace {

constexpr char kCR = '\r';

size_t line_start(std::string_view text, size_t pos) {
  const size_t cr = pos == 0 ? std::string_view::npos : text.rfind(kCR, pos - 1);
  return cr == std::string_view::npos ? 0 : cr + 1;
}

// The position of the line's CR, or the end of the text.
size_t line_end(std::string_view text, size_t pos) {
  const size_t cr = text.find(kCR, pos);
  return cr == std::string_view::npos ? text.size() : cr;
}

size_t find_or_end(std::string_view text, char c, size_t from) {
  const size_t at = text.find(c, from);
  return at == std::string_view::npos ? text.size() : at;
}

size_t count_lines_before(std::string_view text, size_t pos) {
  return static_cast<size_t>(std::count(text.begin(), text.begin() + static_cast<ptrdiff_t>(pos), kCR));
}

}  // namespace

void key_down(KeyState& keys, Key key, const CaretContext& at) {
  keys.key_driven = true;
  keys.last_typed = 0;
  // A second blank in a row looks exactly like the one before it (the control
  // gives typed text the look of the character before), so it needs no colouring.
  keys.colouring = !(key == Key::space && at.before == ' ' && !at.selection);
  if (key != Key::backspace || at.selection) return;
  switch (at.before) {
    case '{': keys.open_deleted = true; break;
    case '}': keys.close_deleted = true; break;
    case '/':
      if (at.before2 == '/' || at.after == '/') keys.slash_deleted = true;
      break;
    default: break;
  }
}

void key_press(KeyState& keys, char typed, const CaretContext& at) {
  switch (typed) {
    case '{': keys.open_typed = true; break;
    case '}': keys.close_typed = true; break;
    case '/':
      if (at.before == '/' || at.after == '/') keys.double_slash = true;
      break;
    default: break;
  }
  keys.last_typed = typed;
}

bool inside_comment_at_caret(std::string_view text, size_t caret) {
  caret = std::min(caret, text.size());
  if (caret == 0) return false;
  const size_t open = text.rfind('{', caret - 1);
  if (open == std::string_view::npos) return false;
  const size_t close = text.find('}', open + 1);
  return close == std::string_view::npos || close >= caret;
}

Plan plan_recolour(std::string_view text, size_t caret, const KeyState& keys) {
  const size_t n = text.size();
  caret = std::min(caret, n);
  const size_t line_begin = line_start(text, caret);
  const size_t line_stop = line_end(text, caret);

  Plan plan;
  size_t stretch_end = line_stop;
  if (keys.open_typed || keys.open_deleted) {
    const size_t close = find_or_end(text, '}', caret);
    stretch_end = close < n ? close + 1 : n;
    plan.focus_holder = keys.open_deleted;
  } else if (keys.close_typed) {
    stretch_end = find_or_end(text, '{', caret);
    plan.focus_holder = true;
  }
  // A deleted "}" may have left the caret inside a comment that now runs on
  // to the next "}".
  size_t comment_begin = n, comment_end = 0;
  if (keys.close_deleted && inside_comment_at_caret(text, caret)) {
    const size_t close = find_or_end(text, '}', caret);
    comment_begin = caret;
    comment_end = close < n ? close + 1 : n;
  }

  if (!keys.key_driven) {
    plan.begin = line_begin;
    plan.end = stretch_end;
  } else {
    const std::string_view before = text.substr(line_begin, caret - line_begin);
    size_t start = caret > 0 ? caret - 1 : 0;
    if (keys.last_typed == '\'') {
      // A closing apostrophe changes the string it closes: from the line's start.
      if (caret > line_begin && before.substr(0, before.size() - 1).find('\'') != std::string_view::npos)
        start = line_begin;
    } else if (keys.last_typed != '/') {
      const size_t apostrophe = before.find('\'');
      if (apostrophe != std::string_view::npos) {
        start = line_begin + apostrophe;
      } else if (start < n && !is_delimiter(text[start])) {
        while (start > 0 && !is_delimiter(text[start - 1])) --start;
      }
      const size_t slashes = before.find("//");
      if (slashes != std::string_view::npos) start = line_begin + slashes;
    }
    size_t end;
    if (keys.last_typed == '\'' || keys.double_slash || keys.slash_deleted) {
      end = line_stop;
    } else {
      size_t d = caret;
      while (d < n && !is_delimiter(text[d])) ++d;
      end = d < n ? d + 1 : n;
    }
    if (keys.open_typed || keys.open_deleted || keys.close_typed) end = std::max(end, stretch_end);
    plan.begin = start;
    plan.end = end;
  }
  if (comment_begin < comment_end) {
    plan.begin = std::min(plan.begin, comment_begin);
    plan.end = std::max(plan.end, comment_end);
  }
  plan.end = std::min(plan.end, n);
  plan.begin = std::min(plan.begin, plan.end);
  return plan;
}

Recolouring Recolourer::load(std::string text, bool already_words) {
  text_ = std::move(text);
  const size_t n = text_.size();
  Recolouring result;
  bool inside = false;
  line_starts_inside_.assign(1, 0);
  std::vector<Span> spans;
  for (size_t pos = 0; pos < n;) {
    const size_t stop = std::min(line_end(text_, pos) + 1, n);
    colour_into(text_, pos, stop, inside, spans);
    if (stop < n || text_[n - 1] == kCR) line_starts_inside_.push_back(inside ? 1 : 0);
    pos = stop;
  }
  shown_.assign(n, kNoColour);
  paint(shown_, spans);
  for (const Span& s : spans)
    if (!already_words || s.colour != Colour::word) result.spans.push_back(s);
  result.many_lines = line_starts_inside_.size() > 1;
  return result;
}

Recolouring Recolourer::change(const std::string& text, size_t caret, size_t edit_begin) {
  const std::string& old = text_;
  const size_t n_old = old.size(), n_new = text.size();
  caret = std::min(caret, n_new);

  // What changed: old[p, p + removed) became text[p, p + inserted). The text
  // after the caret is taken as untouched, which pins typing, deleting and
  // pasting to where they happened even inside a run of equal characters.
  const size_t shorter = std::min(n_old, n_new);
  const size_t prefix = static_cast<size_t>(
      std::mismatch(old.begin(), old.begin() + static_cast<ptrdiff_t>(shorter), text.begin()).first - old.begin());
  const size_t suffix = static_cast<size_t>(
      std::mismatch(old.rbegin(), old.rbegin() + static_cast<ptrdiff_t>(shorter), text.rbegin()).first - old.rbegin());
  const size_t kept_tail = std::min(suffix, n_new - caret);
  const size_t p = std::min(prefix, shorter - kept_tail);
  const size_t removed = n_old - kept_tail - p;
  const size_t inserted = n_new - kept_tail - p;

  // Where an equal run makes the place of an insertion or deletion ambiguous,
  // the control's own look may sit on any character of the run: re-read it all.
  size_t dirty_begin = p, dirty_end = p + inserted;
  if (n_old != n_new && prefix + suffix >= shorter) {
    dirty_begin = std::min(dirty_begin, shorter - suffix);
    dirty_end = std::max(dirty_end, prefix + (n_new - shorter));
  }
  // A replaced selection may have been replaced in part by the same text:
  // all that came in has the control's own look.
  if (edit_begin < caret) {
    dirty_begin = std::min(dirty_begin, edit_begin);
    dirty_end = std::max(dirty_end, caret);
  }

  return recolour(p, removed, std::string_view(text).substr(p, inserted), dirty_begin, dirty_end, caret);
}

Recolouring Recolourer::change(size_t pos, size_t removed, std::string_view inserted, size_t caret) {
  pos = std::min(pos, text_.size());
  removed = std::min(removed, text_.size() - pos);
  return recolour(pos, removed, inserted, pos, pos + inserted.size(), caret);
}

Recolouring Recolourer::recolour(size_t p, size_t removed, std::string_view inserted_text, size_t dirty_begin,
                                 size_t dirty_end, size_t caret) {
  Recolouring result;
  const std::string& old = text_;
  const size_t inserted = inserted_text.size();
  const size_t n_new = old.size() - removed + inserted;
  caret = std::min(caret, n_new);

  if (!keys.colouring) {
    keys.colouring = true;
    if (removed == 0 && inserted_text == " " && p > 0 && old[p - 1] == ' ') {
      shown_.insert(shown_.begin() + static_cast<ptrdiff_t>(p), shown_[p - 1]);
      text_.insert(p, 1, ' ');
      keys = KeyState{};
      result.skipped = true;
      return result;
    }
    // Anything else (overtyping, a replaced selection) is coloured as usual.
  }

  // Shift the per-character and per-line records past the change.
  const size_t first_line = count_lines_before(old, p);
  const auto lines_in = [](std::string_view s, size_t from, size_t count) {
    return static_cast<size_t>(std::count(s.begin() + static_cast<ptrdiff_t>(from),
                                           s.begin() + static_cast<ptrdiff_t>(from + count), kCR));
  };
  const size_t lines_removed = lines_in(old, p, removed);
  const size_t lines_inserted = static_cast<size_t>(std::count(inserted_text.begin(), inserted_text.end(), kCR));
  auto line_at = line_starts_inside_.begin() + static_cast<ptrdiff_t>(first_line + 1);
  line_at = line_starts_inside_.erase(line_at, line_at + static_cast<ptrdiff_t>(lines_removed));
  line_starts_inside_.insert(line_at, lines_inserted, kUnknownState);
  auto shown_at = shown_.begin() + static_cast<ptrdiff_t>(p);
  shown_at = shown_.erase(shown_at, shown_at + static_cast<ptrdiff_t>(removed));
  shown_.insert(shown_at, inserted, kUnknownColour);
  std::fill(shown_.begin() + static_cast<ptrdiff_t>(dirty_begin),
            shown_.begin() + static_cast<ptrdiff_t>(dirty_end), kUnknownColour);
  text_.replace(p, removed, inserted_text);
  const std::string_view now = text_;

  const Plan plan = plan_recolour(now, caret, keys);
  result.focus_holder = plan.focus_holder;
  keys = KeyState{};

  // Re-read whole lines from the first one touched, with the state the line
  // before left, until past the change and the keys' stretch and back in step
  // with what the following line started with before.
  const size_t from_pos = std::min(dirty_begin, plan.begin);
  // Line numbers near the change, counted from the one line number known.
  const auto line_of = [&](size_t pos) {
    return pos <= p ? first_line - lines_in(now, pos, p - pos) : first_line + lines_in(now, p, pos - p);
  };
  size_t line = line_of(from_pos);
  const size_t dirty_last_line = line_of(dirty_end);
  for (size_t l = line_of(dirty_begin) + 1; l <= dirty_last_line; ++l)
    line_starts_inside_[l] = kUnknownState;
  const size_t region_begin = line_start(now, from_pos);
  bool inside = line_starts_inside_[line] == 1;
  std::vector<Span> spans;
  size_t pos = region_begin;
  while (pos < n_new) {
    const size_t stop = std::min(line_end(now, pos) + 1, n_new);
    colour_into(now, pos, stop, inside, spans);
    pos = stop;
    if (pos == n_new && now[n_new - 1] != kCR) break;
    ++line;
    const uint8_t state = inside ? 1 : 0;
    if (pos > dirty_end && pos >= plan.end && line_starts_inside_[line] == state) break;
    line_starts_inside_[line] = state;
  }
  const size_t region_end = pos;

  // Recolour from the first to the last character whose look changed, and at
  // least the keys' stretch.
  std::vector<uint8_t> wanted(region_end - region_begin, kNoColour);
  for (const Span& s : spans)
    std::fill(wanted.begin() + static_cast<ptrdiff_t>(s.begin - region_begin),
              wanted.begin() + static_cast<ptrdiff_t>(s.end - region_begin),
              static_cast<uint8_t>(s.colour));
  size_t begin = plan.begin < plan.end ? plan.begin : region_end;
  size_t end = plan.begin < plan.end ? plan.end : region_begin;
  for (size_t i = region_begin; i < region_end; ++i) {
    const uint8_t want = wanted[i - region_begin];
    if (want != kNoColour && want != shown_[i]) {
      begin = std::min(begin, i);
      end = std::max(end, i + 1);
    }
  }
  for (const Span& s : spans) {
    const size_t b = std::max(s.begin, begin), e = std::min(s.end, end);
    if (b >= e) continue;
    result.spans.push_back({b, e, s.colour});
    std::fill(shown_.begin() + static_cast<ptrdiff_t>(b), shown_.begin() + static_cast<ptrdiff_t>(e),
              static_cast<uint8_t>(s.colour));
  }
  if (!result.spans.empty())
    result.many_lines = now.substr(result.spans.front().begin,
                                   result.spans.back().end - result.spans.front().begin)
                            .find(kCR) != std::string_view::npos;
  return result;
}

}  // namespace tarn::editor
