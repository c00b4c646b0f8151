// Reading a PE32 i386 executable for the emulating runner: the headers are
// checked against the file before anything is trusted, so a truncated or
// foreign file ends with one line of text instead of a wild read.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarnrun {

// Anything that keeps the runner from starting the program; the text is the
// whole one-line message.
struct RunnerError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Section {
  uint32_t rva = 0;
  uint32_t size = 0;       // in memory, before page rounding
  uint32_t characteristics = 0;
};

struct Import {
  std::string dll;         // as the image spells it
  std::string name;
  uint32_t slot_rva = 0;   // the import address table entry the loader fills
};

struct PeImage {
  uint32_t base = 0;
  uint32_t size = 0;       // SizeOfImage, page-rounded
  uint32_t entry_rva = 0;
  std::vector<uint8_t> memory;  // the image as mapped at `base`
  std::vector<Section> sections;
  std::vector<Import> imports;
};

// Loads `path`; throws RunnerError naming the fault.
PeImage load_pe_image(const std::string& path);

}  // namespace tarnrun
