// The editor's settings ("tarnedit.ini", section "parameters") and the
// recent-files list kept in its "lastfile" key. Text is UTF-8.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace tarn::editor {

struct Settings {
  std::string fontname = "Consolas";
  int fontsize = 10;
  int form_width = 800;
  int form_height = 600;
  std::string lastfile;
  std::string pasfolder = "c:\\";
  bool keepconsole = true;  // Run leaves the program's console open until a key is pressed
};

// Keys missing from the section (or numbers that do not read) keep their defaults.
Settings read_settings(std::string_view ini_text);

// `old_ini_text` with the section "parameters" holding `s`; other sections and
// keys stay as they were. Lines end with CR LF.
std::string write_settings(const Settings& s, std::string_view old_ini_text = {});

// Most recent first; an empty path is an unused place.
struct RecentFiles {
  static constexpr int kCount = 5;
  std::array<std::string, kCount> paths;
};

// "p1#p2#...#": the paths in order, each followed by "#".
RecentFiles parse_lastfile(std::string_view lastfile);
std::string format_lastfile(const RecentFiles& recent);

// Puts `path` first and shifts the others down (the fifth drops out); a path
// that is already first changes nothing. Returns whether the list changed.
bool push_recent(RecentFiles& recent, const std::string& path);

}  // namespace tarn::editor
