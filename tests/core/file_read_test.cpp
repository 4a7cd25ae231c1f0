// Whole-file reads: a large file comes through its mapped pages, a small one through an
// allocation, and both decode to the same text as bytes held in memory.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "core/platform/document_io.h"
#include "core/platform/files.h"
#include "core/text/decode.h"
#include "core/text/decode_pieces.h"
#include "core/text/encoding.h"

namespace vemora {
namespace {

namespace fs = std::filesystem;

std::string RealShiftJis() {
  std::ifstream in(std::string(VEMORA_TEST_DATA) + "/sjis-hashire-merosu.txt", std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::u16string DecodeHeld(const std::string& bytes, TextEncoding encoding) {
  FileBytes file = FileBytes::Allocate(static_cast<int32_t>(bytes.size()));
  std::memcpy(file.data(), bytes.data(), bytes.size());
  Document document;
  DecodeDocumentText(document, std::move(file), encoding);
  return std::u16string(document.Text());
}

TEST(ReadFileBytes, LargeFilesAreMappedSmallOnesHeldAndBothDecodeAlike) {
  const fs::path path = fs::temp_directory_path() /
                        ("vemora-read-" + std::to_string(std::random_device{}()) + ".txt");
  const std::string real = RealShiftJis();
  std::string large;
  while (large.size() < (9u << 20)) large += real;  // several views, released in turn
  large += '\x82';  // an odd length, and a lead byte at the very end
  const std::string* const contents[] = {&large, &real};
  for (const std::string* content : contents) {
    {
      std::ofstream out(path, std::ios::binary);
      out << *content;
    }
    const bool isLarge = content == &large;
    // The mapped file through one byte decoder and one 16-bit decoder (its odd length
    // ends in half a unit); the small file through every decoder.
    const std::vector<TextEncoding> encodings =
        isLarge ? std::vector<TextEncoding>{kEncodingShiftJis, kEncodingUtf16Be}
                : std::vector<TextEncoding>{kEncodingShiftJis, kEncodingEuc, kEncodingUtf8,
                                            kEncodingUtf16Be, kEncodingUtf16Bom};
    for (const TextEncoding encoding : encodings) {
      FileBytes bytes;
      int64_t size = 0;
      ASSERT_EQ(FileReadStatus::kComplete, ReadFileBytes(path.u16string(), bytes, &size));
      ASSERT_EQ(static_cast<int64_t>(content->size()), size);
      ASSERT_EQ(isLarge, bytes.mapped != nullptr);
      ASSERT_EQ(0, std::memcmp(bytes.data(), content->data(), content->size()));
      Document document;
      DecodeDocumentText(document, std::move(bytes), encoding);
      EXPECT_EQ(DecodeHeld(*content, encoding), document.Text())
          << "encoding " << encoding << (isLarge ? ", mapped" : ", held");
    }
  }
  fs::remove(path);
}

// Another program cutting a mapped file short must not end this one: the bytes that went
// read as zeros and are counted. Windows refuses to cut short a mapped file instead.
TEST(ReadFileBytes, MappedFileCutShortWhileReadIsCountedNotFatal) {
  const fs::path path =
      fs::temp_directory_path() / ("vemora-cut-" + std::to_string(std::random_device{}()) + ".txt");
  const std::string content(3u << 20, 'a');
  {
    std::ofstream out(path, std::ios::binary);
    out << content;
  }
  FileBytes bytes;
  ASSERT_EQ(FileReadStatus::kComplete, ReadFileBytes(path.u16string(), bytes));
  ASSERT_NE(bytes.mapped, nullptr);
  const uint64_t lostBefore = MappedPagesLost();
  std::error_code error;
  fs::resize_file(path, 1u << 20, error);
  const uint8_t* data = bytes.data();
  size_t zeros = 0, kept = 0;
  for (size_t i = 0; i < content.size(); i += 512) {
    zeros += data[i] == 0;
    kept += data[i] == 'a';
  }
  if (error) {  // refused
    EXPECT_EQ(kept * 512, content.size());
    EXPECT_EQ(MappedPagesLost(), lostBefore);
  } else {
    EXPECT_EQ(kept * 512, 1u << 20);
    EXPECT_EQ(zeros * 512, 2u << 20);
    EXPECT_GE(MappedPagesLost(), lostBefore + 1);
  }
  bytes = FileBytes();
  fs::remove(path);
}

// Names that open a device on Windows, whatever the folder, case or extension; a viewer
// that opened one as a file would wait on it for ever.
TEST(IsReservedDeviceName, DevicesByTheirLastPart) {
  const std::u16string_view devices[] = {u"CON",
                                         u"prn",
                                         u"Aux",
                                         u"nul",
                                         u"COM1",
                                         u"com9",
                                         u"LPT1",
                                         u"lpt9",
                                         u"COM\u00B9",  // superscript one counts as a digit
                                         u"CONIN$",
                                         u"conout$",
                                         u"aux.txt",
                                         u"Com1.tar.gz",
                                         u"NUL.",
                                         u"aux .txt",
                                         u"aux:",
                                         u"C:\\logs\\Com1.log",
                                         u"C:aux",
                                         u"\\\\.\\COM1",
                                         u"/home/user/lpt3.txt"};
  for (const std::u16string_view path : devices)
    EXPECT_TRUE(IsReservedDeviceName(path)) << std::string(path.begin(), path.end());
  const std::u16string_view names[] = {
      u"COM0",       u"COM10", u"LPT",     u"auxiliary.txt", u"console",
      u"my aux.txt", u"xnul",  u".aux",    u"aux\\file.txt",  // a folder of that name is a name
      u"C:",         u"",      u"\uFF21UX"};                  // full-width letters are not folded
  for (const std::u16string_view path : names)
    EXPECT_FALSE(IsReservedDeviceName(path)) << std::string(path.begin(), path.end());
}

}  // namespace
}  // namespace vemora
