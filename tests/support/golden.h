// Golden-file cases found on disk: tests/programs/NAME.pas with NAME.out, and
// tests/errors/NAME.pas with NAME.err. With TARN_UPDATE_GOLDEN=1 in the
// environment, a mismatch writes NAME.out.new / NAME.err.new for review
// instead of failing silently on a hand-edited expectation.
#pragma once

#include <string>
#include <vector>

namespace tarn::test {

// Names (without ".pas") of the sources in a folder under tests/, sorted.
std::vector<std::string> golden_cases(const std::string& folder);

// The file's text, or empty when it does not exist.
std::string optional_file(const std::string& path);

// Whitespace-separated words of a file (arguments, names).
std::vector<std::string> words_of(const std::string& text);

// Compares; on a mismatch with updating switched on, writes `expected_path`.new.
bool matches_golden(const std::string& expected_path, const std::string& actual);

// Turns a file name into a test name GoogleTest accepts.
std::string test_name(const std::string& name);

}  // namespace tarn::test
