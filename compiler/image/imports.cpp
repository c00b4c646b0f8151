// The import area at the `.code` section's first byte: address table, lookup
// table, library names, hint/name entries, descriptors.
#include "image/imports.h"

#include "common/text.h"

namespace tarn {

namespace {

// Every program imports the same functions, in this order. The one lower-case
// "kernel32.dll" is a library of its own, which moves ReadFile's slot after
// the other kernel functions; the run-time routines rely on these slots.
const struct {
  const char* library;
  const char* function;
} kImports[] = {
    {"Kernel32.dll", "GetStdHandle"},
    {"Kernel32.dll", "WriteFile"},
    {"Kernel32.dll", "WriteFile"},
    {"kernel32.dll", "ReadFile"},
    {"Kernel32.dll", "ExitProcess"},
    {"Kernel32.dll", "lstrlen"},
    {"User32.dll", "wvsprintfA"},
    {"User32.dll", "wvsprintfW"},
    {"Kernel32.dll", "lstrlenA"},
    {"Kernel32.dll", "lstrcmpA"},
    {"User32.dll", "CharLowerA"},
    {"User32.dll", "CharUpperA"},
    {"Kernel32.dll", "CreateFileA"},
    {"Kernel32.dll", "WriteFile"},
    {"Kernel32.dll", "SetFilePointer"},
    {"Kernel32.dll", "CloseHandle"},
    {"Kernel32.dll", "GetLocalTime"},
    {"Kernel32.dll", "GetProcessHeap"},
    {"Kernel32.dll", "HeapAlloc"},
    {"Kernel32.dll", "HeapFree"},
    {"Kernel32.dll", "GetCommandLineA"},
    {"Kernel32.dll", "GetConsoleScreenBufferInfo"},
    {"Kernel32.dll", "FillConsoleOutputCharacterA"},
    {"Kernel32.dll", "SetConsoleCursorPosition"},
    {"Kernel32.dll", "SetConsoleCursorInfo"},
};

uint32_t area_rva(int32_t offset) { return kCodeRva + static_cast<uint32_t>(offset); }

}  // namespace

void AddImport(ImageState& im, std::string_view library, std::string_view function) {
  const std::string key = trim(library);
  TFunction f{std::string(2, '\0') + std::string(function) + std::string(1, '\0'), 0};
  for (TDLL& lib : im.libraries) {
    if (trim(lib.Name) == key) {
      lib.Functions.push_back(f);
      return;
    }
  }
  im.libraries.push_back(TDLL{std::string(library) + std::string(2, '\0'), {f}});
}

ImportLayout import_layout(const std::vector<TDLL>& libraries) {
  ImportLayout l;
  for (const TDLL& lib : libraries) {
    l.thunks += 4 * static_cast<int32_t>(lib.Functions.size()) + 4;
    l.names += static_cast<int32_t>(lib.Name.size());
    for (const TFunction& f : lib.Functions) l.hints += static_cast<int32_t>(f.Name.size());
  }
  l.libraries = static_cast<int32_t>(libraries.size());
  l.iat = 0;
  l.ilt = l.thunks;
  l.name_at = 2 * l.thunks;
  l.hint_at = l.name_at + l.names;
  l.descriptors = l.hint_at + l.hints;
  l.size = l.descriptors + 20 * l.libraries + 20;
  return l;
}

ImportLayout BuildImportArea(ImageState& im) {
  const ImportLayout l = import_layout(im.libraries);
  put_dword_at(im, kImportDirectoryOffset, area_rva(l.descriptors));
  put_dword_at(im, kImportDirectoryOffset + 4, static_cast<uint32_t>(20 * l.libraries));  // the terminator not counted

  int32_t ilt = l.ilt, iat = l.iat, name = l.name_at, hint = l.hint_at, desc = l.descriptors;
  auto at = [&](int32_t offset) { seek(im, kCodeFileOffset + offset); };
  for (TDLL& lib : im.libraries) {
    at(desc);
    put_dword(im, area_rva(ilt));   // OriginalFirstThunk: the lookup table
    put_dword(im, 0);               // TimeDateStamp
    put_dword(im, 0);               // ForwarderChain
    put_dword(im, area_rva(name));  // Name
    put_dword(im, area_rva(iat));   // FirstThunk: the address table the loader fills
    desc += 20;
    at(name);
    put_text(im, lib.Name);
    name += static_cast<int32_t>(lib.Name.size());
    for (TFunction& f : lib.Functions) {
      at(ilt);
      put_dword(im, area_rva(hint));
      ilt += 4;
      at(iat);
      put_dword(im, area_rva(hint));
      f.Addr = kImageBase + area_rva(iat);
      iat += 4;
      at(hint);
      put_text(im, f.Name);
      hint += static_cast<int32_t>(f.Name.size());
    }
    at(ilt);
    put_dword(im, 0);
    at(iat);
    put_dword(im, 0);
    ilt += 4;
    iat += 4;
  }
  // The terminating descriptor is zero already; writing it grows the buffer
  // over the whole area.
  at(desc);
  for (int i = 0; i < 5; ++i) put_dword(im, 0);
  return l;
}

void add_program_imports(ImageState& im) {
  im.libraries.clear();
  for (const auto& imp : kImports) AddImport(im, imp.library, imp.function);
}

}  // namespace tarn
