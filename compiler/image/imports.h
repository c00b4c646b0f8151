// The import area: the first bytes of the `.code` section.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "image/image.h"

namespace tarn {

// Appends a function to a library, creating the library at the end of the list
// when no entry has that name. Names compare exactly (case-sensitive) once
// blanks and control characters are trimmed, so "kernel32.dll" and
// "Kernel32.dll" are two libraries.
void AddImport(ImageState& im, std::string_view library, std::string_view function);

// Offsets inside the import area, which starts at the code section's first byte.
struct ImportLayout {
  int32_t thunks = 0;       // T: one slot per function and a 0 per library
  int32_t names = 0;        // D: library names with their NULs
  int32_t hints = 0;        // H: hint/name entries
  int32_t libraries = 0;    // n
  int32_t iat = 0;          // import address table
  int32_t ilt = 0;          // import lookup table, at T
  int32_t name_at = 0;      // library names, at 2T
  int32_t hint_at = 0;      // hint/name entries, at 2T + D
  int32_t descriptors = 0;  // at 2T + D + H
  int32_t size = 0;         // A: the whole area with the terminating descriptor
};
ImportLayout import_layout(const std::vector<TDLL>& libraries);

// Writes the import area and the import data directory, and gives each
// function the VA of its slot; returns the layout used.
ImportLayout BuildImportArea(ImageState& im);

// Every function a program imports: always the same ones, in the same order.
// The one lower-case "kernel32.dll" is a library of its own, which moves
// ReadFile's slot after the other kernel functions; the run-time routines
// rely on these slots.
void add_program_imports(ImageState& im);

}  // namespace tarn
