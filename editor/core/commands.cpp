#include "core/commands.h"

#include <utility>

namespace tarn::editor {

Commands::Commands(DocumentView& view, Settings& settings, std::string product_title)
    : view_(view), settings_(settings), product_title_(std::move(product_title)) {
  recent_ = parse_lastfile(settings_.lastfile);
  view_.show_recent(recent_);
  view_.show_title(title());
}

// Unsaved text is never dropped silently: Yes saves (a failed or cancelled
// save stops the command), No drops, Cancel stops.
bool Commands::ask_save(bool closing) {
  if (!view_.modified()) return true;
  switch (view_.ask_save(path_)) {
    case Answer::Cancel: return false;
    case Answer::No: return true;
    case Answer::Yes: break;
  }
  if (!untitled_) {
    if (!view_.store(path_, Encoding::Ansi)) return false;
    view_.set_modified(false);
    return true;
  }
  return save_through_dialog(closing ? view_.documents_folder() : settings_.pasfolder);
}

void Commands::became_current(const std::string& path) {
  path_ = path;
  view_.show_title(title());
  view_.close_running_program(exe_path_);
  exe_path_.clear();
}

void Commands::push(const std::string& path) {
  if (!push_recent(recent_, path)) return;
  view_.show_recent(recent_);
  settings_.lastfile = format_lastfile(recent_);
  view_.store_settings(settings_);
}

bool Commands::new_document() {
  if (!ask_save(false)) return false;
  view_.clear_text();
  view_.clear_messages();
  view_.set_modified(false);
  untitled_ = true;
  became_current(kUntitledName);
  return true;
}

bool Commands::load(const std::string& path, Encoding encoding) {
  if (!view_.load(path, encoding)) return false;
  view_.set_modified(false);
  untitled_ = false;
  view_.clear_messages();
  became_current(path);
  push(path);
  return true;
}

bool Commands::open() {
  if (!ask_save(false)) return false;
  std::optional<FileChoice> choice = view_.open_dialog(settings_.pasfolder);
  if (!choice) return false;
  settings_.pasfolder = folder_of(choice->path);
  view_.store_settings(settings_);
  return load(choice->path, choice->encoding);
}

bool Commands::open_recent(int n) {
  if (n < 1 || n > RecentFiles::kCount || recent_.paths[n - 1].empty()) return false;
  if (!ask_save(false)) return false;
  return load(recent_.paths[n - 1], Encoding::Ansi);
}

bool Commands::save_through_dialog(const std::string& folder) {
  std::optional<FileChoice> choice = view_.save_dialog(folder);
  if (!choice) return false;
  settings_.pasfolder = folder_of(choice->path);
  view_.store_settings(settings_);
  std::string path = blanks_to_underscores(choice->path);
  if (!view_.store(path, choice->encoding)) return false;
  view_.set_modified(false);
  untitled_ = false;
  became_current(path);
  push(path);
  return true;
}

bool Commands::save() {
  if (untitled_) return save_through_dialog(settings_.pasfolder);
  if (!view_.store(path_, Encoding::Ansi)) return false;
  view_.set_modified(false);
  return true;
}

bool Commands::save_as() { return save_through_dialog(settings_.pasfolder); }

bool Commands::close_window() {
  if (!ask_save(true)) return false;
  view_.close_running_program(exe_path_);
  return true;
}

}  // namespace tarn::editor
