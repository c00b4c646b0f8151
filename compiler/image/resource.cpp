// The resource section: a three-level directory (type 16, name 1, language
// 0x0409) leading to one version record whose texts come from "res.tmp" and
// the executable's name. Input: the image up to the end of the code; output:
// the resource bytes from the next multiple of 512 on, and the final section
// headers, resource directory entry and image size.
#include "image/resource.h"

#include <algorithm>
#include <vector>

#include "image/image.h"
#include "platform/platform.h"

namespace tarn {

namespace {

constexpr int32_t kRecordOffset = 0xA0;  // the version record, after the directory
constexpr uint32_t kFixedInfoSize = 52;
constexpr uint32_t kPage = 4096;

void put_raw(ImageState& im, std::string_view bytes) {
  for (char ch : bytes) put_byte(im, static_cast<uint8_t>(ch));
}

void node_header(ImageState& im, uint16_t length, uint16_t value_length, uint16_t type, std::string_view key) {
  put_word(im, length);
  put_word(im, value_length);
  put_word(im, type);
  put_raw(im, ResourceText(key));
  Pad4(im);
}

void directory(ImageState& im) {
  for (int i = 0; i < 3; ++i) put_dword(im, 0);  // characteristics, time stamp, versions
  put_word(im, 0);                               // named entries
  put_word(im, 1);                               // id entries
}

// The six values of "res.tmp" by position; all empty when it is missing.
std::vector<std::string> resource_values(const std::string& path) {
  std::vector<std::string> values;
  std::string bytes;
  if (platform::read_file(path, bytes)) {
    size_t pos = 0;
    while (values.size() < 6 && pos < bytes.size()) {
      size_t end = bytes.find('\n', pos);
      if (end == std::string::npos) end = bytes.size();
      std::string line = bytes.substr(pos, end - pos);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      values.push_back(line);
      pos = end + 1;
    }
  }
  values.resize(6);
  return values;
}

}  // namespace

std::string ResourceText(std::string_view s) {
  std::string out;
  for (char ch : s) {
    const unsigned char b = static_cast<unsigned char>(ch);
    out += b <= 'z' ? static_cast<char>(b) : '?';
    out += '\0';
  }
  out += std::string(2, '\0');
  return out;
}

void Pad4(ImageState& im) {
  while (im.pos % 4 != 0) put_byte(im, 0);
}

int VersionString(ImageState& im, std::string_view key, std::string_view value) {
  const int32_t q = im.pos;
  node_header(im, 0, 11, 1, key);
  put_raw(im, ResourceText(value));
  const int length = im.pos - q;
  // Written again with the real lengths: the value length counts characters
  // with the terminating 0.
  seek(im, q);
  node_header(im, static_cast<uint16_t>(length), static_cast<uint16_t>(value.size() + 1), 1, key);
  put_raw(im, ResourceText(value));
  Pad4(im);
  return length;
}

int VersionNumberPart(std::string_view text, int n) {
  std::string parts[5];
  int part = 1;
  for (char ch : text) {
    if (ch >= '0' && ch <= '9') {
      if (part <= 4 && parts[part].size() < 3) parts[part] += ch;
    } else {
      ++part;
    }
  }
  if (n < 1 || n > 4 || parts[n].empty()) return 0;
  return std::stoi(parts[n]);
}

void build_version_resource(ImageState& im, const std::string& res_values_path, const std::string& exe_file_name) {
  const std::vector<std::string> v = resource_values(res_values_path);
  const int32_t r = static_cast<int32_t>(im.bytes.size());
  const uint32_t s0 = peek_dword(im, kSizeOfImageOffset);
  seek(im, r);

  // Type level: one entry, the version resource type, pointing at the name level.
  directory(im);
  put_dword(im, 16);
  put_dword(im, 0x80000018);
  // Name level: resource 1, pointing at the language level.
  directory(im);
  put_dword(im, 1);
  put_dword(im, 0x80000030);
  // Language level: US English, pointing at the data entry.
  directory(im);
  put_dword(im, 0x0409);
  put_dword(im, 0x48);
  // Data entry: where the record lies (an RVA), its size (patched below), code page.
  put_dword(im, s0 + kRecordOffset);
  put_dword(im, 0);
  put_dword(im, 1033);
  put_dword(im, 0);
  while (im.pos < r + kRecordOffset) put_dword(im, 0);

  const int32_t record = im.pos;
  node_header(im, 0, 0, 0, "VS_VERSION_INFO");
  put_dword(im, 0xFEEF04BD);  // signature
  put_dword(im, 0x00010000);  // structure version
  const int32_t file_version = im.pos;
  for (uint16_t w : {0, 1, 1, 0}) put_word(im, w);  // 1.0.0.1 until the text is parsed
  put_dword(im, 0x00010000);  // product version 1.0.0.1, always
  put_dword(im, 0x00000001);
  put_dword(im, 0x3F);        // file flags mask
  put_dword(im, 0);           // file flags
  put_dword(im, 4);           // file OS: 32-bit Windows
  put_dword(im, 1);           // file type: application
  put_dword(im, 0);           // file subtype
  put_dword(im, 0);           // file date
  put_dword(im, 0);

  const int32_t string_file_info = im.pos;
  node_header(im, 0, 0, 1, "StringFileInfo");
  const int32_t string_table = im.pos;
  node_header(im, 0, 0, 1, "040904b0");
  VersionString(im, "CompanyName", v[0]);
  VersionString(im, "FileDescription", v[1]);
  VersionString(im, "FileVersion", v[2]);
  VersionString(im, "InternalName", exe_file_name);
  VersionString(im, "LegalCopyright", v[3]);
  VersionString(im, "OriginalFilename", exe_file_name);
  VersionString(im, "ProductName", v[4]);
  VersionString(im, "ProductVersion", v[5]);
  const int32_t table_length = im.pos - string_table;
  const int32_t info_length = im.pos - string_file_info;

  node_header(im, 68, 0, 1, "VarFileInfo");
  node_header(im, 36, 4, 0, "Translation");
  put_word(im, 0x0409);
  put_word(im, 0x04B0);
  const int32_t record_length = im.pos - record;
  const int32_t resource_bytes = im.pos - r;

  put_word_at(im, r + 0x4C, static_cast<uint16_t>(record_length));
  put_word_at(im, record, static_cast<uint16_t>(record_length));
  put_word_at(im, record + 2, static_cast<uint16_t>(kFixedInfoSize));
  put_word_at(im, string_file_info, static_cast<uint16_t>(info_length));
  put_word_at(im, string_table, static_cast<uint16_t>(table_length));
  const int w = VersionNumberPart(v[2], 1), x = VersionNumberPart(v[2], 2);
  const int y = VersionNumberPart(v[2], 3), z = VersionNumberPart(v[2], 4);
  put_word_at(im, file_version, static_cast<uint16_t>(x));
  put_word_at(im, file_version + 2, static_cast<uint16_t>(w));
  put_word_at(im, file_version + 4, static_cast<uint16_t>(z));
  put_word_at(im, file_version + 6, static_cast<uint16_t>(y));

  // The final headers. The growth rule rewrote the code section's sizes while
  // the resource was written; they go back to the code alone here. The
  // resource section takes one page, or as many as long version texts need.
  const uint32_t code_raw = static_cast<uint32_t>(r - kCodeFileOffset);
  const uint32_t code_virtual = (code_raw + kPage) / kPage * kPage;
  const uint32_t resource_virtual =
      std::max(kPage, (static_cast<uint32_t>(resource_bytes) + kPage - 1) / kPage * kPage);
  put_word_at(im, kNumberOfSectionsOffset, 2);
  put_dword_at(im, kCodeHeaderOffset + 8, code_virtual);
  put_dword_at(im, kCodeHeaderOffset + 16, code_raw);
  put_dword_at(im, kSizeOfCodeOffset, code_virtual);
  const uint32_t rsrc[8] = {resource_virtual, s0, static_cast<uint32_t>(resource_bytes), static_cast<uint32_t>(r),
                            0, 0, 0, 0x40000040};  // initialized data, read
  for (int i = 0; i < 8; ++i) put_dword_at(im, kResourceHeaderOffset + 8 + 4 * i, rsrc[i]);
  put_dword_at(im, kResourceDirectoryOffset, s0);
  put_dword_at(im, kResourceDirectoryOffset + 4, resource_virtual);
  put_dword_at(im, kSizeOfImageOffset, s0 + resource_virtual);
}

}  // namespace tarn
