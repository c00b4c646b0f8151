#include "core/settings.h"

#include <charconv>
#include <vector>

namespace tarn::editor {

namespace {

constexpr std::string_view kSection = "parameters";

std::string_view trim_view(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool same_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
    char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
    if (x != y) return false;
  }
  return true;
}

std::vector<std::string_view> lines_of(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// "[name]" -> "name"; empty when the line is not a section header.
std::string_view section_name(std::string_view line) {
  line = trim_view(line);
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return {};
  return trim_view(line.substr(1, line.size() - 2));
}

void read_number(std::string_view text, int& value) {
  int n = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (ec == std::errc() && end == text.data() + text.size()) value = n;
}

}  // namespace

Settings read_settings(std::string_view ini_text) {
  Settings s;
  bool in_section = false;
  for (std::string_view line : lines_of(ini_text)) {
    if (!section_name(line).empty()) {
      in_section = same_ignoring_case(section_name(line), kSection);
      continue;
    }
    size_t eq = line.find('=');
    if (!in_section || eq == std::string_view::npos) continue;
    std::string_view key = trim_view(line.substr(0, eq));
    std::string_view value = trim_view(line.substr(eq + 1));
    if (same_ignoring_case(key, "fontname")) s.fontname = value;
    else if (same_ignoring_case(key, "fontsize")) read_number(value, s.fontsize);
    else if (same_ignoring_case(key, "form_width")) read_number(value, s.form_width);
    else if (same_ignoring_case(key, "form_height")) read_number(value, s.form_height);
    else if (same_ignoring_case(key, "lastfile")) s.lastfile = value;
    else if (same_ignoring_case(key, "pasfolder")) s.pasfolder = value;
    else if (same_ignoring_case(key, "keepconsole")) s.keepconsole = value != "0";
  }
  return s;
}

std::string write_settings(const Settings& s, std::string_view old_ini_text) {
  std::string section = "[parameters]\r\n";
  section += "fontname=" + s.fontname + "\r\n";
  section += "fontsize=" + std::to_string(s.fontsize) + "\r\n";
  section += "form_width=" + std::to_string(s.form_width) + "\r\n";
  section += "form_height=" + std::to_string(s.form_height) + "\r\n";
  section += "lastfile=" + s.lastfile + "\r\n";
  section += "pasfolder=" + s.pasfolder + "\r\n";
  section += std::string("keepconsole=") + (s.keepconsole ? "1" : "0") + "\r\n";

  // Our section replaces the old one where it stood; everything else is kept.
  std::string out;
  bool in_section = false, written = false;
  for (std::string_view line : lines_of(old_ini_text)) {
    std::string_view name = section_name(line);
    if (!name.empty()) {
      in_section = same_ignoring_case(name, kSection);
      if (in_section) {
        if (!written) out += section;
        written = true;
        continue;
      }
    }
    if (in_section || trim_view(line).empty()) continue;
    out += trim_view(line);
    out += "\r\n";
  }
  if (!written) out += section;
  return out;
}

RecentFiles parse_lastfile(std::string_view lastfile) {
  RecentFiles recent;
  for (int i = 0; i < RecentFiles::kCount && !lastfile.empty(); ++i) {
    size_t hash = lastfile.find('#');
    recent.paths[i] = lastfile.substr(0, hash);
    lastfile.remove_prefix(hash == std::string_view::npos ? lastfile.size() : hash + 1);
  }
  return recent;
}

std::string format_lastfile(const RecentFiles& recent) {
  std::string out;
  for (const std::string& p : recent.paths) out += p + "#";
  return out;
}

bool push_recent(RecentFiles& recent, const std::string& path) {
  if (path.empty() || recent.paths[0] == path) return false;
  for (int i = RecentFiles::kCount - 1; i > 0; --i) recent.paths[i] = recent.paths[i - 1];
  recent.paths[0] = path;
  return true;
}

}  // namespace tarn::editor
