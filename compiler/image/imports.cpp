// The `.code` section from its first byte: the import area (address table,
// lookup table, library names, hint/name entries, descriptors), the program's
// data, the run-time data, a gap, then the code from the entry point on.
// Input: the symbol table and "postfix.tmp"; output: the section's bytes, the
// import directory, the entry point and the listing "log.tmp".
#include "image/imports.h"

#include <exception>

#include "codegen/data.h"
#include "codegen/generator.h"
#include "common/text.h"
#include "driver/compilation.h"

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

enum DataKind { kDword, kString, kBlock, kWord };

// The run-time library's variables, 636 bytes. Names that occur twice (_dec,
// _p) are found at their first place only but keep their bytes.
const struct {
  const char* name;
  DataKind kind;
  int64_t value;       // dwords, blocks and words
  const char* text;    // strings
  int bytes;           // blocks
} kRuntimeData[] = {
    {"_fmt_int", kString, 0, "%i", 0},
    {"_str", kString, 0, "                              ", 0},  // 30 blanks
    {"_len", kDword, 0, nullptr, 0},
    {"_fr1", kDword, 0, nullptr, 0},
    {"_fn1", kDword, 0, nullptr, 0},
    {"_fn2", kDword, 0, nullptr, 0},
    {"_fn3", kDword, 0, nullptr, 0},
    {"_fn4", kDword, 0, nullptr, 0},
    {"_fn5", kDword, 0, nullptr, 0},
    {"_fn6", kDword, 0, nullptr, 0},
    {"_dec", kDword, 10, nullptr, 0},
    {"_ffmt", kString, 0, "%c%i.%s%i ", 0},
    {"_cwr", kDword, 0, nullptr, 0},
    {"_fd", kDword, 10, nullptr, 0},
    {"_100", kDword, 100, nullptr, 0},
    {"len_int", kDword, 0, nullptr, 0},
    {"hStdOut", kDword, 0, nullptr, 0},
    {"count", kDword, 0, nullptr, 0},
    {"str_crlf", kDword, 2573, nullptr, 0},  // CR LF 0 0
    {"hStdin", kDword, 0, nullptr, 0},
    {"_buff", kString, 0, nullptr, 127},     // 127 "#"
    {"_x", kDword, 0, nullptr, 0},
    {"_buffsize", kDword, 128, nullptr, 0},
    {"_random_seed", kDword, 0, nullptr, 0},
    {"_len1", kDword, 0, nullptr, 0},
    {"_len2", kDword, 0, nullptr, 0},
    {"_lastPos", kDword, 0, nullptr, 0},
    {"_r", kDword, 0, nullptr, 0},
    {"_p", kDword, 0, nullptr, 0},
    {"_single_10", kDword, 0x41200000, nullptr, 0},  // 10.0 as a single
    {"_dec", kDword, 10, nullptr, 0},
    {"_r1", kDword, 0, nullptr, 0},
    {"_r2", kDword, 0, nullptr, 0},
    {"_nn", kDword, 0, nullptr, 0},
    {"_mm", kDword, 0, nullptr, 0},
    {"_n1", kDword, 0, nullptr, 0},
    {"_kk", kDword, 0, nullptr, 0},
    {"_fs", kDword, 0, nullptr, 0},
    {"_ff", kDword, 0, nullptr, 0},
    {"_p", kDword, 0, nullptr, 0},
    {"_pp", kDword, 0, nullptr, 0},
    {"_crw", kDword, 0, nullptr, 0},
    {"_buf", kString, 0, "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx", 0},  // 40 "x"
    {"_pst", kDword, 0, nullptr, 0},
    {"_strlen", kDword, 0, nullptr, 0},
    {"_hStdout", kDword, 0, nullptr, 0},
    {"_nbw", kDword, 0, nullptr, 0},
    {"_strmaxlen", kDword, 0, nullptr, 0},
    {"_nwrstr", kDword, 0, nullptr, 0},
    {"_bwrstr", kString, 0, nullptr, 127},   // 127 "#"
    {"_CRLF", kDword, 2573, nullptr, 0},
    {"_crw2", kDword, 0, nullptr, 0},
    {"_year", kDword, 0, nullptr, 0},
    {"_month", kDword, 0, nullptr, 0},
    {"_dayofweek", kDword, 0, nullptr, 0},
    {"_day", kDword, 0, nullptr, 0},
    {"_hour", kDword, 0, nullptr, 0},
    {"_minute", kDword, 0, nullptr, 0},
    {"_second", kDword, 0, nullptr, 0},
    {"_millesecond", kDword, 0, nullptr, 0},
    {"_hHeap", kDword, 0, nullptr, 0},
    {"_HeapFlags", kDword, 8, nullptr, 0},
    {"_hHandle", kDword, 0, nullptr, 0},
    {"_csbi", kBlock, 0, nullptr, 22},
    {"_ci", kBlock, 0, nullptr, 16},
    {"_cpos", kBlock, 0, nullptr, 4},
    {"_nch", kWord, 0, nullptr, 0},
};

uint32_t area_rva(int32_t offset) { return kCodeRva + static_cast<uint32_t>(offset); }

void declare_runtime_data(Compilation& c) {
  for (const auto& d : kRuntimeData) {
    switch (d.kind) {
      case kDword: DeclareDword(c, d.name, d.value); break;
      // A string without text is a buffer of "#" the routines fill.
      case kString: DeclareStringConst(c, d.name, d.text ? std::string(d.text) : std::string(static_cast<size_t>(d.bytes), '#')); break;
      case kBlock: DeclareBlock(c, d.name, d.value, d.bytes); break;
      case kWord: DeclareWord(c, d.name, d.value); break;
    }
  }
}

void list_hex(Compilation& c, uint32_t value, std::string_view suffix = {}) {
  listing_line(c, HexText(value, 8) + std::string(suffix));
}

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

ImportLayout BuildImportArea(Compilation& c) {
  ImageState& im = c.image;
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

void ImportCall(Compilation& c, std::string_view function) {
  emit(c, "call " + std::string(function), "ff15", AddressOf(c, function));
}

int generate_image(Compilation& c) {
  try {
    if (c.gen.listing_path.empty()) open_listing(c, work_file(c, "log.tmp"));
    ImageState& im = c.image;
    im.libraries.clear();
    for (const auto& imp : kImports) AddImport(im, imp.library, imp.function);

    const ImportLayout l = import_layout(im.libraries);
    listing_line(c, "base=" + HexText(kImageBase, 8));
    listing_line(c, "memalign=" + HexText(0x1000, 8));
    listing_line(c, "filealign=" + HexText(0x200, 8));
    for (int32_t offset : {l.iat, l.ilt, l.descriptors, l.name_at, l.hint_at}) list_hex(c, static_cast<uint32_t>(offset));
    list_hex(c, area_rva(l.descriptors), "zzz");
    list_hex(c, static_cast<uint32_t>(20 * l.libraries), "zzz");
    BuildImportArea(c);

    seek(im, kCodeFileOffset + l.size);
    for (const TDLL& lib : im.libraries) {
      for (const TFunction& f : lib.Functions) {
        const std::string bare = trim(f.Name);
        AddVariable(c, bare, "0x" + HexText(f.Addr, 8), 4, f.Addr);
        listing_line(c, HexText(f.Addr, 8) + f.Name);
      }
    }
    declare_user_data(c);
    declare_runtime_data(c);

    // The code starts one import area's length after the last variable's
    // address: a gap of zero bytes separates data and code.
    const uint32_t s = c.gen.variables.back().VarAddr - c.gen.variables.front().VarAddr;
    put_dword_at(im, kEntryPointOffset, kCodeRva + static_cast<uint32_t>(l.size) + s);
    seek(im, kCodeFileOffset + l.size + static_cast<int32_t>(s));
    generate_code(c, c.drv.work_folder);
    emit(c, "push 0x00", "6a00");
    ImportCall(c, "ExitProcess");
    close_listing(c);
    return 0;
  } catch (const GeneratorFault&) {
    close_listing(c);
    throw;
  } catch (const std::exception&) {
    close_listing(c);
    return -1;
  }
}

}  // namespace tarn
