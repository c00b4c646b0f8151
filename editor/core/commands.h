// The file commands of the editor (new, open, open-recent, save, save-as,
// close of the window) as a state machine over what the window can do. The
// window supplies a `DocumentView`; tests supply a fake one.
#pragma once

#include <optional>
#include <string>

#include "core/settings.h"
#include "core/source_text.h"

namespace tarn::editor {

enum class Answer { Yes, No, Cancel };

struct FileChoice {
  std::string path;
  Encoding encoding = Encoding::Ansi;
};

// What the commands ask of the window. Paths are UTF-8.
class DocumentView {
 public:
  virtual ~DocumentView() = default;
  virtual bool modified() const = 0;
  virtual void set_modified(bool modified) = 0;
  // "Save changes?" with Yes, No and Cancel for the document at `path`.
  virtual Answer ask_save(const std::string& path) = 0;
  virtual std::optional<FileChoice> open_dialog(const std::string& folder) = 0;
  virtual std::optional<FileChoice> save_dialog(const std::string& folder) = 0;
  // Both return false after telling the learner why; a failed load leaves the
  // text as it was, a failed store leaves the old file as it was.
  virtual bool load(const std::string& path, Encoding encoding) = 0;
  virtual bool store(const std::string& path, Encoding encoding) = 0;
  virtual void clear_text() = 0;
  virtual void clear_messages() = 0;
  virtual void show_title(const std::string& title) = 0;
  virtual void show_recent(const RecentFiles& recent) = 0;
  virtual void close_running_program(const std::string& exe_path) = 0;
  virtual void store_settings(const Settings& settings) = 0;
  virtual std::string documents_folder() = 0;
};

inline constexpr const char* kUntitledName = "noname.pas";

class Commands {
 public:
  Commands(DocumentView& view, Settings& settings, std::string product_title);

  // Each returns false when the learner cancelled or the command failed.
  bool new_document();
  bool open();
  bool open_recent(int n);  // 1..5
  bool save();
  bool save_as();
  // The window is about to close: ask to save; false keeps it open.
  bool close_window();

  const std::string& path() const { return path_; }
  bool untitled() const { return untitled_; }
  const RecentFiles& recent() const { return recent_; }
  // The executable built from this document (set by compiling).
  std::string& exe_path() { return exe_path_; }
  std::string title() const { return product_title_ + " - " + path_; }

 private:
  bool ask_save(bool closing);
  bool save_through_dialog(const std::string& folder);
  bool load(const std::string& path, Encoding encoding);
  void became_current(const std::string& path);
  void push(const std::string& path);

  DocumentView& view_;
  Settings& settings_;
  std::string product_title_;
  std::string path_ = kUntitledName;
  bool untitled_ = true;
  std::string exe_path_;
  RecentFiles recent_;
};

}  // namespace tarn::editor
