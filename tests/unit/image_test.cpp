// The image buffer, the headers, the import area, the run-time data and the
// code section of the empty program, byte for byte at the places the loader
// and the run-time routines depend on.
#include <gtest/gtest.h>

#include <algorithm>

#include "codegen/generator.h"
#include "codegen/structures.h"
#include "codegen/templates.h"
#include "support/image_build.h"

namespace tarn {
namespace {

using test::le16;
using test::le32;
using test::TempDir;
using namespace std::string_literals;

constexpr size_t kSizeOfImage = 144;
constexpr size_t kCodeVirtualSize = 312 + 8;
constexpr size_t kCodeRawSize = 312 + 16;

ImageState started_image() {
  ImageState im;
  put_byte(im, 'M');  // the first put makes the 512 bytes of headers
  return im;
}

TEST(ImageGrowth, AWriteEndingAtTheBufferLengthGrowsItOneByteEarlierDoesNot) {
  struct Case {
    int32_t at;
    int size;
    size_t length;
  } cases[] = {
      {511, 1, 1024}, {510, 1, 512}, {508, 4, 1024}, {507, 4, 512}, {510, 2, 1024}, {509, 2, 512},
  };
  for (const Case& k : cases) {
    ImageState im = started_image();
    seek(im, k.at);
    if (k.size == 1) put_byte(im, 0xAB);
    else if (k.size == 2) put_word(im, 0xABAB);
    else put_dword(im, 0xABABABAB);
    EXPECT_EQ(im.bytes.size(), k.length) << "write of " << k.size << " at " << k.at;
    EXPECT_EQ(im.pos, k.at + k.size);
  }
}

TEST(ImageGrowth, ASeekFarBeyondTheEndGrowsStepByStepAndKeepsTheHeadersInStep) {
  ImageState im = started_image();
  seek(im, 512 + 1000);
  put_dword(im, 0x11223344);
  std::string bytes(im.bytes.begin(), im.bytes.end());
  EXPECT_EQ(bytes.size(), 1536u);
  EXPECT_EQ(le32(bytes, 1512), 0x11223344u);
  EXPECT_EQ(le32(bytes, kSizeOfImage), 0x2000u);
  EXPECT_EQ(le32(bytes, kCodeRawSize), 1024u);
  EXPECT_EQ(le32(bytes, 92), 1024u);  // SizeOfCode
  EXPECT_EQ(im.pos, 1516);
}

TEST(ImageGrowth, APageOfCodeTakesTwoPagesOfMemory) {
  ImageState im = started_image();
  seek(im, 4607 - 1);
  put_byte(im, 0);  // ends at 4607: the buffer becomes 4608
  ASSERT_EQ(im.bytes.size(), 4608u);
  std::string bytes(im.bytes.begin(), im.bytes.end());
  EXPECT_EQ(le32(bytes, kCodeVirtualSize), 8192u);
  EXPECT_EQ(le32(bytes, kSizeOfImage), 12288u);
}

TEST(ImageGrowth, TheLastByteOfSixtyFourKibibytesCannotBeWritten) {
  ImageState im = started_image();
  seek(im, 65534);
  put_byte(im, 1);
  EXPECT_EQ(im.bytes.size(), 65536u);
  for (int size : {1, 2, 4}) {
    seek(im, 65536 - size);
    try {
      if (size == 1) put_byte(im, 1);
      else if (size == 2) put_word(im, 1);
      else put_dword(im, 1);
      ADD_FAILURE() << "a write of " << size << " bytes ending at 65536 fitted";
    } catch (const ImageOverflow&) {
    }
  }
  EXPECT_EQ(im.bytes.size(), 65536u);
}

TEST(PutText, RussianLettersBecomeTheirConsoleCodePageBytes) {
  struct Case {
    std::string text;  // code page 1251
    std::string bytes;
  } cases[] = {
      {"\xCF\xF0\xE8\xE2\xE5\xF2", "\x8F\xE0\xA8\xA2\xA5\xE2"},  // Привет
      {"\xA8\xB8", "\xF0\xF1"},                                  // Ё ё
      {"\xC0\xDF\xE0\xFF", "\x80\x9F\xA0\xEF"},                  // А Я а я
      {"Hi #\t", "Hi #\t"},
  };
  for (const Case& k : cases) {
    ImageState im = started_image();
    seek(im, 600);
    put_text(im, k.text);
    EXPECT_EQ(std::string(im.bytes.begin() + 600, im.bytes.begin() + 600 + static_cast<long>(k.bytes.size())), k.bytes);
  }
}

TEST(Emission, UpperAndLowerCaseHexStoreTheSameBytesAndOperandsAreReversed) {
  Compilation a, b;
  for (Compilation* c : {&a, &b}) seek(c->image, 0x200);
  emit_instruction(a.code, "FFD3", "");
  emit_instruction(a.code, "BB", "0040A1B2");
  emit_instruction(b.code, "ffd3", "");
  emit_instruction(b.code, "bb", "0040a1b2");
  EXPECT_EQ(a.image.bytes, b.image.bytes);
  EXPECT_EQ(test::image_bytes(a).substr(0x200, 7), "\xFF\xD3\xBB\xB2\xA1\x40\x00"s);
}

TEST(Emission, HexTextPadsAndTakesTheTwosComplementOfNegatives) {
  const struct {
    int64_t n;
    int digits;
    const char* text;
  } cases[] = {
      {0, 8, "00000000"}, {5, 2, "05"}, {255, 2, "ff"}, {0x401000, 8, "00401000"},
      {-1, 8, "ffffffff"}, {-2, 2, "fe"}, {-12, 8, "fffffff4"}, {0xABCDEF, 8, "00abcdef"},
  };
  for (const auto& k : cases) EXPECT_EQ(HexText(k.n, k.digits), k.text) << k.n;
}

TEST(Emission, AddressOfFindsTheFirstEntryWhateverTheCaseAndFaultsOnUnknownNames) {
  Compilation c;
  AddVariable(c.code, "Count", 0x00401234);
  AddVariable(c.code, "count", 0x00405678);
  EXPECT_EQ(AddressOf(c.code, "COUNT"), "00401234");
  EXPECT_EQ(AddressOf(c.code, " count "), "00401234");
  EXPECT_THROW(AddressOf(c.code, "missing"), GeneratorFault);
  EXPECT_EQ(address_value(c.code, "missing"), 0u);
  // A silent emission stores the same bytes and lists nothing.
  Compilation d;
  seek(d.image, 0x200);
  emit_instruction_silent(d.code, "a1", AddressOf(c.code, "count"));
  EXPECT_EQ(test::image_bytes(d).substr(0x200, 5), "\xA1\x34\x12\x40\x00"s);
  EXPECT_EQ(d.gen.listing, "");
}

TEST(Emission, ThousandsOfNamesAndLabelsLaterTheFirstEntryStillWins) {
  // More names than any test program has, so the indexes grow several times.
  Compilation c;
  AddVariable(c.code, "Count", 0x00401234);
  AddLabel(c.code, "L", 1, 5);
  for (uint32_t i = 0; i < 3000; ++i) {
    AddVariable(c.code, "v" + std::to_string(i), i);
    AddLabel(c.code, "L" + std::to_string(i), i, static_cast<int>(i) + 10);
  }
  for (uint32_t i = 0; i < 3000; i += 7) {
    AddVariable(c.code, "V" + std::to_string(i), 100000 + i);
    AddLabel(c.code, "L" + std::to_string(i), 100000 + i, static_cast<int>(i) + 10);
  }
  AddVariable(c.code, "count", 1);
  AddLabel(c.code, "L", 2, 5);
  EXPECT_EQ(address_value(c.code, "COUNT"), 0x00401234u);
  EXPECT_EQ(FindLabel(c.code, "L"), 1u);
  EXPECT_EQ(FindLabelById(c.code, 5), 1u);
  EXPECT_EQ(FindLabel(c.code, "l"), 0u);  // label names keep their case
  for (uint32_t i = 0; i < 3000; ++i) {
    ASSERT_EQ(address_value(c.code, "V" + std::to_string(i)), i);
    ASSERT_EQ(FindLabel(c.code, "L" + std::to_string(i)), i);
    ASSERT_EQ(FindLabelById(c.code, static_cast<int>(i) + 10), i);
  }
  EXPECT_EQ(address_value(c.code, "v3000"), 0u);
}

// The empty program, built in-process from the records the front end writes.
class EmptyProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    c = test::image_compilation(work.path(), test::empty_program_postfix());
    ASSERT_EQ(test::build_code_section(*c), 0);
    code_end = c->image.pos;
    bytes = test::image_bytes(*c);
  }
  // The file offset of a virtual address in the code section.
  static size_t at(uint32_t rva) { return rva - 0x1000 + 0x200; }
  std::string cstring(size_t p) const { return std::string(bytes.c_str() + p); }

  TempDir work;
  std::unique_ptr<Compilation> c;
  int32_t code_end = 0;
  std::string bytes;
};

TEST_F(EmptyProgram, HeadersMatchTheFixedTemplate) {
  struct Field {
    size_t offset;
    int size;
    uint32_t value;
  } fields[] = {
      {0, 2, 0x5A4D},  {60, 4, 64},         {64, 4, 0x4550},      {68, 2, 0x014C},   {70, 2, 1},
      {84, 2, 224},    {86, 2, 0x010F},     {88, 2, 0x010B},      {96, 4, 512},      {104, 4, 0x182E},
      {108, 4, 0x1000}, {112, 4, 0x1000},   {116, 4, 0x00400000}, {120, 4, 0x1000},  {124, 4, 0x200},
      {128, 2, 4},     {136, 2, 4},         {148, 4, 512},        {156, 2, 3},       {160, 4, 0x1000},
      {164, 4, 0x1000}, {168, 4, 0x10000},  {180, 4, 16},         {192, 4, 0x128B},  {196, 4, 60},
      {324, 4, 0x1000}, {332, 4, 0x200},    {348, 4, 0xE0000060},
  };
  for (const Field& f : fields)
    EXPECT_EQ(f.size == 2 ? le16(bytes, f.offset) : le32(bytes, f.offset), f.value) << "offset " << f.offset;
  EXPECT_EQ(bytes.substr(312, 8), ".code\0\0\0"s);
  EXPECT_EQ(bytes.substr(352, 8), ".rsrc\0\0\0"s);
  // The code section's sizes follow the buffer.
  EXPECT_EQ(le32(bytes, kCodeRawSize), bytes.size() - 512);
  EXPECT_EQ(le32(bytes, 92), bytes.size() - 512);
  // Nothing else in the headers but the two section names.
  for (size_t p : {2u, 59u, 100u, 140u, 184u, 188u, 200u, 311u, 360u, 400u, 511u}) EXPECT_EQ(bytes[p], 0) << p;
}

TEST_F(EmptyProgram, ImportAreaSitsAtItsFixedAddresses) {
  // First descriptor: Kernel32.dll, lookup table at 0x1070, address table at 0x1000.
  const size_t d1 = at(0x128B);
  EXPECT_EQ(le32(bytes, d1), 0x1070u);
  EXPECT_EQ(le32(bytes, d1 + 12), 0x10E0u);
  EXPECT_EQ(le32(bytes, d1 + 16), 0x1000u);
  EXPECT_EQ(cstring(at(0x10E0)), "Kernel32.dll");
  // Second descriptor: the lower-case library with ReadFile alone.
  const size_t d2 = d1 + 20;
  EXPECT_EQ(cstring(at(le32(bytes, d2 + 12))), "kernel32.dll");
  const uint32_t read_file_hint = le32(bytes, at(le32(bytes, d2)));
  EXPECT_EQ(bytes.substr(at(read_file_hint), 11), "\0\0ReadFile\0"s);
  EXPECT_EQ(le32(bytes, at(le32(bytes, d2)) + 4), 0u);
  EXPECT_EQ(le32(bytes, d2 + 16), 0x1054u);
  // Third: User32.dll; then the all-zero terminator.
  EXPECT_EQ(cstring(at(le32(bytes, d2 + 20 + 12))), "User32.dll");
  EXPECT_EQ(bytes.substr(d2 + 40, 20), std::string(20, '\0'));
  // GetStdHandle's hint/name entry, and the next one right after it, unaligned.
  EXPECT_EQ(bytes.substr(at(0x1108), 15), "\0\0GetStdHandle\0"s);
  EXPECT_EQ(bytes.substr(at(0x1108) + 15, 12), "\0\0WriteFile\0"s);
  // Address and lookup tables both point at the hint/name entries.
  EXPECT_EQ(le32(bytes, at(0x1000)), 0x1108u);
  EXPECT_EQ(le32(bytes, at(0x1070)), 0x1108u);
}

TEST_F(EmptyProgram, ImportSlotsAreNamedAddresses) {
  struct Slot {
    const char* name;
    uint32_t va;
  } slots[] = {
      {"GetStdHandle", 0x00401000}, {"WriteFile", 0x00401004},      {"ExitProcess", 0x0040100C},
      {"lstrlen", 0x00401010},      {"GetProcessHeap", 0x00401030}, {"SetConsoleCursorInfo", 0x0040104C},
      {"ReadFile", 0x00401054},     {"wvsprintfA", 0x0040105C},     {"CharUpperA", 0x00401068},
      {"exitprocess", 0x0040100C},
  };
  for (const Slot& s : slots) EXPECT_EQ(address_value(c->code, s.name), s.va) << s.name;
  EXPECT_EQ(c->gen.variables.front().Name, "GetStdHandle");
}

TEST_F(EmptyProgram, RunTimeDataFillsItsPlaceAndTheCodeStartsAfterTheGap) {
  EXPECT_EQ(bytes.substr(1243, 6), "%i\0\0\0\0"s);
  EXPECT_EQ(address_value(c->code, "_fmt_int"), 0x00400000u + 0x1000 + 1243 - 0x200);
  EXPECT_EQ(address_value(c->code, "_nch"), 0x00401553u);
  // _nch is the last data item; the run-time routines' addresses follow it.
  auto nch = std::find_if(c->gen.variables.begin(), c->gen.variables.end(),
                          [](const TVariable& v) { return v.Name == "_nch"; });
  ASSERT_NE(nch, c->gen.variables.end());
  if (nch + 1 != c->gen.variables.end()) {
    EXPECT_GE((nch + 1)->VarAddr, 0x0040182Eu);
  }
  struct Item {
    const char* name;
    std::string bytes;
  } items[] = {
      {"_dec", "\x0A\0\0\0"s},
      {"str_crlf", "\r\n\0\0"s},
      {"_single_10", "\0\0\x20\x41"s},
      {"_buffsize", "\x80\0\0\0"s},
      {"_HeapFlags", "\x08\0\0\0"s},
      {"_ffmt", "%c%i.%s%i \0\0\0\0"s},
      {"_buff", std::string(127, '#') + std::string(4, '\0')},
      {"_buf", std::string(40, 'x') + std::string(4, '\0')},
  };
  for (const Item& it : items)
    EXPECT_EQ(bytes.substr(address_value(c->code, it.name) - 0x00401000 + 0x200, it.bytes.size()), it.bytes) << it.name;
  // The second _dec and _p hold bytes but are never found.
  int decs = 0;
  for (const TVariable& v : c->gen.variables) decs += v.Name == "_dec";
  EXPECT_EQ(decs, 2);
  // Zeros from the end of _nch (1878) up to the entry point.
  EXPECT_EQ(bytes.substr(1879, 0x182E - 0x1000 + 0x200 - 1879), std::string(727, '\0'));
  EXPECT_EQ(le32(bytes, 104), 0x182Eu);
}

TEST_F(EmptyProgram, EntryJumpLandsOnTheMainBodyAndTheProgramEndsWithExitProcess) {
  const size_t entry = 0x182E - 0x1000 + 0x200;
  ASSERT_EQ(static_cast<unsigned char>(bytes[entry]), 0xE9u);
  const size_t target = entry + 5 + static_cast<int32_t>(le32(bytes, entry + 1));
  // The main body: the heap handle first.
  EXPECT_EQ(bytes.substr(target, 6), "\xFF\x15\x30\x10\x40\x00"s);
  EXPECT_EQ(static_cast<unsigned char>(bytes[target + 6]), 0xA3u);
  EXPECT_EQ(le32(bytes, target + 7), address_value(c->code, "_hHeap"));
  EXPECT_EQ(bytes.substr(static_cast<size_t>(code_end) - 8, 8), "\x6A\x00\xFF\x15\x0C\x10\x40\x00"s);
  EXPECT_EQ(static_cast<size_t>(code_end), target + 11 + 8);
}

TEST_F(EmptyProgram, ListingShowsLayoutSlotsDataAndTheClosingCall) {
  const std::string log = test::read_file(work.file("log.tmp"));
  const std::string head =
      "base=00400000\r\nmemalign=00001000\r\nfilealign=00000200\r\n"
      "00000000\r\n00000070\r\n0000028b\r\n000000e0\r\n00000108\r\n"
      "0000128bzzz\r\n0000003czzz\r\n" +
      "00401000\0\0GetStdHandle\0\r\n00401004\0\0WriteFile\0\r\n"s;
  EXPECT_EQ(log.substr(0, head.size()), head);
  EXPECT_NE(log.find("00401054\0\0ReadFile\0\r\n"s), std::string::npos);
  EXPECT_NE(log.find("004012db string _fmt_int '%i" + std::string(2, '\0') + "'\r\n"), std::string::npos);
  EXPECT_NE(log.find("0040130b 00000000 dword _fn1 0x00000000\r\n"), std::string::npos);
  EXPECT_NE(log.find("00401527 00000000 byte _csbi 0x00000000 x22\r\n"), std::string::npos);
  EXPECT_NE(log.find("00401553 00000000 word _nch 0x00000000\r\n"), std::string::npos);
  EXPECT_NE(log.find("0040182e e900000000 jmp start\r\n"), std::string::npos);
  const std::string exit_va = HexText(address_of_offset(code_end - 8), 8);
  const std::string tail = exit_va + " 6a00 push 0x00\r\n" + HexText(address_of_offset(code_end - 6), 8) +
                           " ff150c104000 call ExitProcess\r\n";
  ASSERT_GE(log.size(), tail.size());
  EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
}

// The code section step with a given postfix file: its result, and the image.
int code_section_with(const TempDir& work, const std::string& postfix, std::unique_ptr<Compilation>& c) {
  c = test::image_compilation(work.path(), postfix);
  return test::build_code_section(*c);
}

TEST(CodeSection, WithoutAMainBodyTheEntryJumpLandsOnTheExitSequence) {
  TempDir work;
  std::unique_ptr<Compilation> c;
  ASSERT_EQ(code_section_with(work, "", c), 0);
  const std::string bytes = test::image_bytes(*c);
  const size_t entry = 0x182E - 0x1000 + 0x200;
  const size_t target = entry + 5 + static_cast<int32_t>(le32(bytes, entry + 1));
  EXPECT_EQ(bytes.substr(target, 2), "\x6A\x00"s);
  EXPECT_EQ(target + 8, static_cast<size_t>(c->image.pos));
}

TEST(CodeSection, AnUnreadablePostfixFileFailsTheStep) {
  struct Case {
    const char* what;
    std::string postfix;
  } cases[] = {
      {"a word", test::postfix_record(-10, 1) + "-123\r\nzero\r\n0\r\n0\r\n"},
      {"an empty line", "-10\r\n\r\n0\r\n0\r\n"},
      {"a record cut short", test::postfix_record(-10, 1) + "-66\r\n0\r\n"},
      {"a number too large", "-10\r\n99999999999\r\n0\r\n0\r\n"},
  };
  // An internal error (code 0), not the size limit's 202.
  auto fails = [](Compilation& c) {
    try {
      test::build_code_section(c);
    } catch (const CompileError& e) {
      return e.code;
    }
    return -1;
  };
  for (const Case& k : cases) {
    TempDir work;
    auto c = test::image_compilation(work.path(), k.postfix);
    EXPECT_EQ(fails(*c), 0) << k.what;
    // The listing is closed (written) even so.
    EXPECT_TRUE(test::exists(work.file("log.tmp"))) << k.what;
  }
  TempDir work;
  auto c = test::image_compilation(work.path(), "");
  std::remove(work.file("postfix.tmp").c_str());
  EXPECT_EQ(fails(*c), 0) << "a missing file";
}

TEST(CodeSection, EndProgAddsNothingAndAnOpWithoutCodeIsAnInternalErrorWithoutExecutable) {
  TempDir work;
  std::unique_ptr<Compilation> a, b;
  ASSERT_EQ(code_section_with(work, test::empty_program_postfix(), a), 0);
  TempDir work2;
  ASSERT_EQ(code_section_with(work2, test::empty_program_postfix() + test::postfix_record(-66), b), 0);
  EXPECT_EQ(a->image.bytes, b->image.bytes);

  // Code that does nothing where the program asked for something is worse
  // than no program: POS_FUN (its effect comes through CALL_FUN) and an
  // unknown code stop the compile.
  for (int op : {-77, -999}) {
    TempDir w;
    auto c = test::image_compilation(w.path(), test::empty_program_postfix() + test::postfix_record(op, 3, 4, 5));
    c->drv.exe_path = w.file("p.exe");
    ASSERT_TRUE(c->drv.out.open(w.file("out.txt")));
    try {
      write_executable(*c);
      ADD_FAILURE() << "compiled " << op;
    } catch (const CompileError& e) {
      EXPECT_EQ(e.code, 0);
    }
    c->drv.out.close();
    EXPECT_FALSE(test::exists(w.file("p.exe")));
    EXPECT_NE(test::read_file(w.file("out.txt")).find("Error 0: 'no code for operation " + std::to_string(op) + "'"),
              std::string::npos)
        << test::read_file(w.file("out.txt"));
  }
}

TEST(CodeSection, EveryOperationWithCodeHasATemplateAndTheOthersHaveNone) {
  const int routed[] = {PLUS_OP,   MINUS_OP,  MULT_OP,    ASIGN_OP,      DIV_OP,        WD_PROG,   WD_PROC,
                        WD_IF,     WD_ELSE,   WD_WHILE,   WD_DO,         WD_READLN,     WRITE,     WD_WRITELN,
                        END_PROC,  END_IF,    END_WHILE,  WD_NOT,        LT_OP,         LTE_OP,    GT_OP,
                        GTE_OP,    E_OP,      NE_OP,      AND_OP,        OR_OP,         SQRT_FUN,  U_MINUS,
                        SIN_FUN,   COS_FUN,   GET_ARR,    SET_ARR,       READ_ARR,      WD_READLN0, WD_FOR,
                        END_FOR,   WD_REPEAT, WD_UNTIL,   FOR_INC,       PAR_CALL,      CALL,      GET_PAR,
                        WD_FUN,    END_FUN,   WD_RETURN,  CALL_FUN,      ROUND_FUN,     ABS_FUN,   TRUNC_FUN,
                        RANDOM_FUN, LENGTH_FUN, INDEX_OP, INDEX_OP2,     ARCTG_FUN,     TG_FUN,    DAY_FUN,
                        MONTH_FUN, YEAR_FUN,  TIME_FUN,   DAYOFWEEK_FUN, MOD_OP,        DIV2_OP,   GOTO,
                        MARK,      P_PAR_CALL, GET_P_PAR, GET_FLD,       SET_FLD,       GET_FLD_A, SET_FLD_A,
                        INDEX_OP3, WD_NEW,    WD_FREE,    GET_HEAP_PROC, WD_NIL,        P_P_PAR_CALL};
  auto route = [](int op) { return find_template(op) ? find_template(op) : find_structure_template(op); };
  for (int op : routed) EXPECT_NE(route(op), nullptr) << op;
  // Their effect comes through CALL_FUN and the run-time routines.
  for (int op : {int{END_PROG}, int{EMPTY_OPERAND}, -77, -5}) EXPECT_EQ(route(op), nullptr) << op;
}

TEST(CodeSection, CodeThatPassesSixtyFourKibibytesIsErrorTwoHundredTwoAndNoExecutable) {
  TempDir work;
  std::string postfix = test::postfix_record(-10, 1);
  for (int i = 0; i < 6000; ++i) postfix += test::postfix_record(-123);  // 11 bytes each
  auto c = test::image_compilation(work.path(), postfix);
  c->drv.exe_path = work.file("p.exe");
  ASSERT_TRUE(c->drv.out.open(work.file("out.txt")));
  try {
    write_executable(*c);
    ADD_FAILURE() << "the image fitted";
  } catch (const CompileError& e) {
    EXPECT_EQ(e.code, 202);
  }
  c->drv.out.close();
  EXPECT_FALSE(test::exists(work.file("p.exe")));
  EXPECT_NE(test::read_file(work.file("out.txt"))
                .find("Error 202: The sum of the data size and the program code size is above 64K."),
            std::string::npos);
  EXPECT_TRUE(test::exists(work.file("log.tmp")));
}

TEST(BackPatching, APatchWritesTheDisplacementToTheCurrentAddressAndListsThePatchedPlace) {
  Compilation c;
  seek(c.image, 0x200);
  const int32_t p = add_patch_label(c.code, "_sys1");
  emit(c.code, "jz _sys1", "0f84", "00000000");
  emit(c.code, "nop", "90");
  emit(c.code, "nop", "90");
  patch_label(c.code, "_sys1", 6, "0f84", "jz _sys1");
  const std::string bytes = test::image_bytes(c);
  EXPECT_EQ(bytes.substr(static_cast<size_t>(p), 6), "\x0F\x84\x02\x00\x00\x00"s);
  EXPECT_EQ(c.image.pos, 0x200 + 8);
  EXPECT_NE(c.gen.listing.find("00401000 0f8402000000 jz _sys1\r\n"), std::string::npos) << c.gen.listing;

  // A label is consumed once; an unknown one is an internal fault, never a patch at offset 0.
  EXPECT_THROW(patch_label(c.code, "_sys1", 6, "0f84", "jz _sys1"), GeneratorFault);
  EXPECT_THROW(patch_label(c.code, "_sys9", 4, "", "_sys9:"), GeneratorFault);
  // A placeholder whose bytes were never written cannot be patched.
  add_patch_label(c.code, "_sys2");
  EXPECT_THROW(patch_label(c.code, "_sys2", 4, "", "_sys2:"), GeneratorFault);
  EXPECT_EQ(test::image_bytes(c).substr(0, 2), std::string(2, '\0'));
}

}  // namespace
}  // namespace tarn
