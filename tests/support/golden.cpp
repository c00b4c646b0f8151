#include "support/golden.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "support/test_support.h"

namespace tarn::test {

namespace fs = std::filesystem;

std::vector<std::string> golden_cases(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(test_data(folder), ec))
    if (entry.path().extension() == ".pas") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string optional_file(const std::string& path) { return exists(path) ? read_file(path) : ""; }

std::vector<std::string> words_of(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

bool matches_golden(const std::string& expected_path, const std::string& actual) {
  if (exists(expected_path) && read_file(expected_path) == actual) return true;
  const char* update = getenv("TARN_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") write_file(expected_path + ".new", actual);
  return false;
}

std::string test_name(const std::string& name) {
  std::string r;
  for (char ch : name) r += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
  return r;
}

}  // namespace tarn::test
