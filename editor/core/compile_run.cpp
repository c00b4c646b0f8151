#include "core/compile_run.h"

#include <cstdlib>

namespace tarn::editor {

namespace {

std::vector<std::string_view> lines_of(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

int number_in(std::string_view text) {
  size_t i = text.find_first_not_of(' ');
  if (i == std::string_view::npos) return 0;
  return std::atoi(std::string(text.substr(i)).c_str());
}

struct Hint {
  int code;
  const char* text;
};
const Hint kHints[] = {
    {2003, "необъявленный иденификатор"},
    {2010, "несовместиные типы"},
    {2066, "нет оператора или символа \";\""},
    {2081, "изменение переменной-счетчика в теле цикла"},
    {2052, "ошибка записи строковой константы, нет завершающей кавычки"},
    {2053, "перед ELSE не должно быть символа \";\""},
    {2029, ""},
    {10, "нет символа \"конец файла\""},
};

// At most `count` characters of UTF-8 text, never cutting one in two.
std::string_view first_characters(std::string_view text, size_t count) {
  size_t i = 0;
  for (size_t n = 0; i < text.size() && n < count; ++n) {
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
  }
  return text.substr(0, i);
}

}  // namespace

CompileReport read_report(std::string_view text) {
  CompileReport report;
  std::vector<std::string_view> lines = lines_of(text);
  report.readable = !lines.empty();
  for (size_t n = 0; n < lines.size(); ++n) {
    std::string_view line = lines[n];
    report.last_line = std::string(line);
    size_t at = line.find("Error");
    if (at == std::string_view::npos) continue;
    report.error = true;
    report.message = std::string(first_characters(line.substr(at), 256));
    size_t close = line.rfind(')', at);
    if (close != std::string_view::npos) {
      size_t open = line.rfind('(', close);
      if (open != std::string_view::npos) report.row = number_in(line.substr(open + 1, close - open - 1));
    }
    size_t space = line.find(' ', at);
    if (space != std::string_view::npos) {
      size_t colon = line.find(':', space);
      if (colon != std::string_view::npos) report.code = number_in(line.substr(space + 1, colon - space - 1));
    }
    if (n + 2 < lines.size()) {
      size_t mark = lines[n + 2].find('^');
      report.caret = mark == std::string_view::npos ? 0 : static_cast<int>(mark) + 1;
    }
    break;
  }
  if (report.row < 0) report.row = 0;
  return report;
}

const char* error_hint(int code) {
  for (const Hint& hint : kHints)
    if (hint.code == code) return hint.text;
  return nullptr;
}

std::vector<std::string> pane_lines(const CompileReport& report, Language language) {
  std::vector<std::string> lines;
  if (!report.readable) {
    lines.push_back(std::string(ui_text(language, kCompilingErrors)));
    lines.push_back(std::string(ui_text(language, kNoCompilationResult)));
    return lines;
  }
  if (report.error) {
    lines.push_back("Error code: " + std::to_string(report.code));
    lines.push_back(std::string(ui_text(language, kCompilingErrors)));
    std::string message = report.message;
    if (const char* hint = error_hint(report.code)) message += std::string(" - ") + hint;
    lines.push_back(message);
    if (report.row != 0) lines.push_back("Row: " + std::to_string(report.row));
    return lines;
  }
  lines.push_back(std::string(ui_text(language, kCompilingDone)));
  lines.push_back(report.last_line);
  return lines;
}

std::string with_extension(std::string_view path, std::string_view extension) {
  size_t slash = path.find_last_of("\\/");
  size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) dot = path.size();
  return std::string(path.substr(0, dot)) + std::string(extension);
}

std::string compiler_parameters(std::string_view source, std::string_view exe, std::string_view version_file,
                                Language language, std::string_view output) {
  std::string par(source);
  par += " /E:";
  par += exe;
  par += " /R:";
  par += version_file;
  par += language == Language::Russian ? " /L:RU " : " /L:EN ";
  par += "/O:";
  par += output;
  return par;
}

std::string command_line(std::string_view program, std::string_view parameters) {
  return "\"" + std::string(program) + "\" " + std::string(parameters);
}

std::string shorten_path(std::string_view path, int limit, const std::function<int(std::string_view)>& width) {
  std::string drive, folder, name;
  std::string rest(path);
  if (rest.size() >= 2 && rest[1] == ':') {
    drive = rest.substr(0, 2);
    rest = rest.substr(2);
  }
  size_t slash = rest.rfind('\\');
  if (slash == std::string::npos) {
    name = rest;
  } else {
    folder = rest.substr(0, slash + 1);
    name = rest.substr(slash + 1);
  }
  auto text = [&] { return drive + folder + name; };
  while (width(text()) > limit && (!drive.empty() || !folder.empty())) {
    if (folder == "\\...\\") {
      drive.clear();
      folder = "...\\";
      continue;
    }
    if (folder.empty() || folder == "...\\") {
      if (drive.empty() && folder.empty()) break;
      if (!drive.empty()) {
        drive.clear();
        continue;
      }
      folder.clear();
      continue;
    }
    // Drop the first folder component: a leading "\" stays, a leading "...\" is skipped.
    std::string lead;
    std::string body = folder;
    if (body.rfind("\\...\\", 0) == 0) {
      lead = "\\";
      body = body.substr(5);
    } else if (body.rfind("...\\", 0) == 0) {
      body = body.substr(4);
    } else if (body.rfind("\\", 0) == 0) {
      lead = "\\";
      body = body.substr(1);
    }
    size_t next = body.find('\\');
    body = next == std::string::npos ? std::string() : body.substr(next + 1);
    folder = body.empty() ? (lead.empty() ? std::string() : lead + "...\\") : lead + "...\\" + body;
  }
  return text();
}

}  // namespace tarn::editor
