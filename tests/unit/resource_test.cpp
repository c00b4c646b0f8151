// The version resource: its text encoding, the version number parts, the
// nodes and their lengths, and the headers it leaves in their final state.
#include <gtest/gtest.h>

#include "image/resource.h"
#include "support/image_build.h"

namespace tarn {
namespace {

using namespace std::string_literals;
using test::le16;
using test::le32;
using test::TempDir;

TEST(VersionNumberPart, TakesUpToThreeDigitsOfEachOfFourParts) {
  struct Case {
    const char* text;
    int parts[4];
  } cases[] = {
      {"2.10.300.4000", {2, 10, 300, 400}}, {"3", {3, 0, 0, 0}},       {"1..2", {1, 0, 2, 0}},
      {"1.0.0.1", {1, 0, 0, 1}},            {"", {0, 0, 0, 0}},        {"1.2.3.4.5", {1, 2, 3, 4}},
      {"v1.2", {0, 1, 2, 0}},               {"12345.6", {123, 6, 0, 0}}, {"1 2", {1, 2, 0, 0}},
  };
  for (const Case& k : cases)
    for (int n = 1; n <= 4; ++n) EXPECT_EQ(VersionNumberPart(k.text, n), k.parts[n - 1]) << k.text << " part " << n;
}

TEST(ResourceText, TwoBytesACharacterAndAQuestionMarkAboveZ) {
  EXPECT_EQ(ResourceText(""), "\0\0"s);
  EXPECT_EQ(ResourceText("Ab1"), "A\0b\0001\0\0\0"s);
  EXPECT_EQ(ResourceText("z{|}~"), "z\0?\0?\0?\0?\0\0\0"s);
  EXPECT_EQ(ResourceText("\xCE\xCE\xCE x"), "?\0?\0?\0 \0x\0\0\0"s);  // ООО x
}

TEST(VersionString, LengthsCountTheNodeWithoutItsTrailingPadding) {
  struct Case {
    const char* key;
    const char* value;
    int length;
    int value_length;
  } cases[] = {
      {"CompanyName", "ACME", 6 + 24 + 2 + 10, 5},  // key padded to a multiple of 4
      {"CompanyName", "", 6 + 24 + 2 + 2, 1},
      {"FileVersion", "1.0.0.1", 6 + 24 + 2 + 16, 8},
      {"OriginalFilename", "p.exe", 6 + 34 + 12, 6},  // no padding after the key
  };
  for (const Case& k : cases) {
    ImageState im;
    seek(im, 1024);
    int length = VersionString(im, k.key, k.value);
    EXPECT_EQ(length, k.length) << k.key << "=" << k.value;
    std::string bytes(im.bytes.begin(), im.bytes.end());
    EXPECT_EQ(le16(bytes, 1024), static_cast<uint32_t>(k.length));
    EXPECT_EQ(le16(bytes, 1026), static_cast<uint32_t>(k.value_length));
    EXPECT_EQ(le16(bytes, 1028), 1u);
    EXPECT_EQ(im.pos % 4, 0);
  }
}

// The empty program with its resource, from the given "res.tmp" (none when empty).
class VersionResource : public ::testing::Test {
 protected:
  void build(const std::string& res, const std::string& exe_name = "prog.exe") {
    c = test::image_compilation(work.path(), test::empty_program_postfix(), res);
    ASSERT_EQ(test::build_code_section(*c), 0);
    r = c->image.bytes.size();
    s0 = le32(test::image_bytes(*c), 144);
    build_version_resource(c->image, work_file(*c, "res.tmp"), exe_name);
    bytes = test::image_bytes(*c);
  }
  // The file offset of the node whose key is `key`.
  size_t node(const std::string& key) const {
    std::string utf16;
    for (char ch : key) utf16 += std::string{ch, '\0'};
    size_t p = bytes.find(utf16 + "\0\0"s, r);
    EXPECT_NE(p, std::string::npos) << key;
    return p - 6;
  }
  std::string value(const std::string& key) const {
    size_t p = node(key);
    size_t v = p + 6 + (key.size() + 1) * 2;
    v = (v + 3) / 4 * 4;
    std::string s;
    for (size_t i = 0; i + 1 < le16(bytes, p + 2); ++i) s += bytes[v + 2 * i];
    return s;
  }

  TempDir work;
  std::unique_ptr<Compilation> c;
  size_t r = 0;
  uint32_t s0 = 0;
  std::string bytes;
};

TEST_F(VersionResource, DirectoryLeadsToTheVersionRecord) {
  build("ACME\r\nTool\r\n2.10.300.4000\r\n(c) me\r\nProd\r\n1.2\r\n");
  EXPECT_EQ(r % 512, 0u);
  EXPECT_EQ(le16(bytes, r + 14), 1u);                 // one id entry
  EXPECT_EQ(le32(bytes, r + 0x10), 16u);              // version resource type
  EXPECT_EQ(le32(bytes, r + 0x14), 0x80000018u);
  EXPECT_EQ(le32(bytes, r + 0x28), 1u);
  EXPECT_EQ(le32(bytes, r + 0x2C), 0x80000030u);
  EXPECT_EQ(le32(bytes, r + 0x40), 0x0409u);
  EXPECT_EQ(le32(bytes, r + 0x44), 0x48u);
  EXPECT_EQ(le32(bytes, r + 0x48), s0 + 0xA0);
  EXPECT_EQ(le32(bytes, r + 0x50), 1033u);
  EXPECT_EQ(bytes.substr(r + 0x58, 0x48), std::string(0x48, '\0'));
  const uint32_t v = le32(bytes, r + 0x4C);
  EXPECT_EQ(le16(bytes, r + 0xA0), v);
  EXPECT_EQ(le16(bytes, r + 0xA2), 52u);
  EXPECT_EQ(le16(bytes, r + 0xA4), 0u);
  EXPECT_EQ(node("VS_VERSION_INFO"), r + 0xA0);
  // The fixed file information: file version 2.10.300.400, product version 1.0.0.1.
  const size_t fixed = r + 0xA0 + 40;
  EXPECT_EQ(le32(bytes, fixed), 0xFEEF04BDu);
  EXPECT_EQ(le32(bytes, fixed + 8), 0x0002000Au);
  EXPECT_EQ(le32(bytes, fixed + 12), 0x012C0190u);
  EXPECT_EQ(le32(bytes, fixed + 16), 0x00010000u);
  EXPECT_EQ(le32(bytes, fixed + 20), 1u);
  EXPECT_EQ(le32(bytes, fixed + 24), 0x3Fu);
  EXPECT_EQ(le32(bytes, fixed + 32), 4u);
  EXPECT_EQ(le32(bytes, fixed + 36), 1u);
  // VarFileInfo closes the record: 68 bytes, ending with the translation.
  const size_t var = node("VarFileInfo");
  EXPECT_EQ(bytes.substr(var, 6), "\x44\0\0\0\x01\0"s);
  EXPECT_EQ(var + 68, r + 0xA0 + v);
  EXPECT_EQ(bytes.substr(var + 64, 4), "\x09\x04\xB0\x04"s);
  EXPECT_EQ(bytes.substr(node("Translation"), 6), "\x24\0\x04\0\0\0"s);
  // StringFileInfo and its table end where VarFileInfo begins.
  EXPECT_EQ(node("StringFileInfo") + le16(bytes, node("StringFileInfo")), var);
  EXPECT_EQ(node("040904b0") + le16(bytes, node("040904b0")), var);
}

TEST_F(VersionResource, StringsComeFromResTmpAndTheExecutableName) {
  build("ACME \xC0\xC1\r\nTool\r\n2.0\r\n(c) me\r\nProd\r\n1.2\r\n");
  EXPECT_EQ(value("CompanyName"), "ACME ??");
  EXPECT_EQ(value("FileDescription"), "Tool");
  EXPECT_EQ(value("FileVersion"), "2.0");
  EXPECT_EQ(value("InternalName"), "prog.exe");
  EXPECT_EQ(value("LegalCopyright"), "(c) me");
  EXPECT_EQ(value("OriginalFilename"), "prog.exe");
  EXPECT_EQ(value("ProductName"), "Prod");
  EXPECT_EQ(value("ProductVersion"), "1.2");
}

TEST_F(VersionResource, WithoutResTmpTheStringsAreEmptyAndTheFileVersionZero) {
  build("");
  EXPECT_EQ(value("CompanyName"), "");
  EXPECT_EQ(le16(bytes, node("CompanyName") + 2), 1u);
  EXPECT_EQ(value("FileVersion"), "");
  const size_t fixed = r + 0xA0 + 40;
  EXPECT_EQ(le32(bytes, fixed + 8), 0u);
  EXPECT_EQ(le32(bytes, fixed + 12), 0u);
  EXPECT_EQ(le32(bytes, fixed + 16), 0x00010000u);
}

TEST_F(VersionResource, HeadersReachTheirFinalValues) {
  build("\r\n\r\n1.0.0.1\r\n\r\n\r\n1.0.0.1\r\n");
  const uint32_t code_raw = static_cast<uint32_t>(r - 512);
  const uint32_t code_virtual = (code_raw + 4096) / 4096 * 4096;
  EXPECT_EQ(le16(bytes, 70), 2u);
  EXPECT_EQ(le32(bytes, 312 + 8), code_virtual);
  EXPECT_EQ(le32(bytes, 312 + 16), code_raw);
  EXPECT_EQ(le32(bytes, 92), code_virtual);
  EXPECT_EQ(0x1000 + code_virtual, s0);  // the sections are contiguous in memory
  EXPECT_EQ(bytes.substr(352, 8), ".rsrc\0\0\0"s);
  EXPECT_EQ(le32(bytes, 352 + 8), 4096u);
  EXPECT_EQ(le32(bytes, 352 + 12), s0);
  const uint32_t resource_bytes = le32(bytes, 352 + 16);
  EXPECT_EQ(resource_bytes, 0xA0 + le32(bytes, r + 0x4C));
  EXPECT_EQ(le32(bytes, 352 + 20), r);
  EXPECT_EQ(le32(bytes, 352 + 36), 0x40000040u);
  EXPECT_EQ(le32(bytes, 200), s0);
  EXPECT_EQ(le32(bytes, 204), 4096u);
  EXPECT_EQ(le32(bytes, 144), s0 + 4096);
  EXPECT_EQ(bytes.size() % 512, 0u);
  EXPECT_GT(bytes.size(), r + resource_bytes);
}

TEST_F(VersionResource, LongVersionTextsGetAsManyPagesAsTheyNeed) {
  // More than a page of resource: a single page would cut the record off in memory.
  build(std::string(3000, 'C') + "\r\n\r\n1.0.0.1\r\n\r\n\r\n1.0.0.1\r\n");
  EXPECT_EQ(value("CompanyName"), std::string(3000, 'C'));
  const uint32_t resource_bytes = le32(bytes, 352 + 16);
  ASSERT_GT(resource_bytes, 4096u);
  EXPECT_EQ(le32(bytes, 352 + 8), 8192u);
  EXPECT_EQ(le32(bytes, 204), 8192u);
  EXPECT_EQ(le32(bytes, 144), s0 + 8192);
}

TEST_F(VersionResource, AResourceThatNoLongerFitsReachesTheCaller) {
  std::string big(30000, 'x');
  c = test::image_compilation(work.path(), test::empty_program_postfix(), big + "\r\n" + big + "\r\n");
  ASSERT_EQ(test::build_code_section(*c), 0);
  try {
    build_version_resource(c->image, work_file(*c, "res.tmp"), "p.exe");
    ADD_FAILURE() << "the resource fitted";
  } catch (const ImageOverflow&) {
  }
}

}  // namespace
}  // namespace tarn
