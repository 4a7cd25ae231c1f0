// From file bytes to the document's text: the JIS and EUC-JP converters, every encoding
// through DecodeDocumentText, UTF-16 in place, and line-end kinds.
#include "core/text/decode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>
#include <string>

#include "core/platform/code_pages.h"
#include "core/platform/out_of_memory.h"
#include "core/text/decode_pieces.h"
#include "core/text/decoded_text.h"
#include "core/text/encoding.h"

namespace vemora {
namespace {

FileBytes MakeBytes(const std::string& bytes) {
  FileBytes file = FileBytes::Allocate(static_cast<int32_t>(bytes.size()));
  std::memcpy(file.data(), bytes.data(), bytes.size());
  return file;
}

std::u16string Decode(const std::string& bytes, TextEncoding encoding) {
  Document document;
  DecodeDocumentText(document, MakeBytes(bytes), encoding);
  return std::u16string(document.Text());
}

std::string ToString(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

std::string Jis(const std::string& bytes) {
  return ToString(DecodeJisToShiftJis(reinterpret_cast<const uint8_t*>(bytes.data()),
                                      static_cast<int32_t>(bytes.size())));
}

std::string Euc(const std::string& bytes) {
  return ToString(DecodeEucToShiftJis(reinterpret_cast<const uint8_t*>(bytes.data()),
                                      static_cast<int32_t>(bytes.size())));
}

struct ConvertCase {
  const char* what;
  std::string input;
  std::string expected;
};

TEST(DecodeEucToShiftJis, ConvertsPairsAndKeepsTheRest) {
  const ConvertCase cases[] = {
      {"kanji and kana", "\xB4\xC1\xA4\xA2", "\x8A\xBF\x82\xA0"},
      {"ASCII and controls", std::string("a\0\r\n", 4), std::string("a\0\r\n", 4)},
      {"half-width katakana after SS2", "\x8E\xB1\x8E\xDF", "\xB1\xDF"},
      {"SS3 is an invalid pair, its third byte pending", "\x8F\xA1\xA1",
       std::string("\0\0\xA1", 3)},
      {"a pending byte before ASCII is written alone",
       "\xA4"
       "A",
       "\xA4"
       "A"},
      {"a pending byte at the end is written", "A\xA4", "A\xA4"},
      {"pair out of the grid", "\xA4\x80", std::string("\0\0", 2)},
      {"row 0x5F and up", "\xDF\xA1\xF4\xFE", "\xE0\x40\xEA\xFC"},
      {"a line end cuts a pair: replacement, then the LF", "\xA4\n\xA4\xA2", "\x81\x45\n\x82\xA0"},
      {"a line end cuts SS2: replacement, then CR-LF", "\x8E\r\n", "\x81\x45\r\n"},
  };
  for (const ConvertCase& c : cases) EXPECT_EQ(c.expected, Euc(c.input)) << c.what;
}

TEST(DecodeJisToShiftJis, FollowsEscapesAndKeepsWhatItCannotRead) {
  const ConvertCase cases[] = {
      {"kanji then ASCII", "\x1B$B$\"\x1B(Ba",
       "\x82\xA0"
       "a"},
      {"old kanji escape", "\x1B$@0!", "\x88\x9F"},
      {"odd row, high cell", "\x1B$B!`", "\x81\x80"},
      {"katakana", "\x1B(I1_`", "\xB1\xDF`"},
      {"a space stays a space among katakana", "\x1B(I1 !", "\xB1 \xA1"},
      {"JIS-Roman and ESC ( H end kanji", "\x1B$B$\"\x1B(Jx\x1B$B$\"\x1B(Hy", "\x82\xA0x\x82\xA0y"},
      {"line end inside kanji keeps the pending byte first", "\x1B$B$\n\"", "$\n\""},
      {"ESC cuts a pair short", "\x1B$B$\x1B(B", "$"},
      {"unknown escape after ESC",
       "\x1B"
       "A",
       "\x1B"
       "A"},
      {"unknown escape in kanji mode: third byte pending", "\x1B$B\x1B$(D", "\x1B$\x84\xC2"},
      {"unknown escape in ASCII mode", "\x1B$(D", "\x1B$(D"},
      {"ends in ESC $", "a\x1B$", "a\x1B$"},
      {"ends in ESC", "a\x1B", "a\x1B"},
      {"SO and SI pass",
       "\x0E"
       "a\x0F",
       "\x0E"
       "a\x0F"},
      {"high bytes in ASCII mode pass", "\x82\xA0", "\x82\xA0"},
      {"DEL in kanji mode passes", "\x1B$B\x7F", "\x7F"},
  };
  for (const ConvertCase& c : cases) EXPECT_EQ(c.expected, Jis(c.input)) << c.what;
}

struct DecodeCase {
  const char* what;
  std::string bytes;
  TextEncoding encoding;
  std::u16string expected;
};

TEST(DecodeDocumentText, EveryEncoding) {
  const DecodeCase cases[] = {
      {"Shift_JIS", "\x93\xFA\x96\x7B", 0, u"日本"},
      {"unknown encodings decode as Shift_JIS", "\x82\xA0", 42, u"あ"},
      {"none decodes as Shift_JIS", "\x82\xA0", -1, u"あ"},
      {"JIS", "\x1B$B$\"\x1B(B", 1, u"あ"},
      {"JIS katakana", "\x1B(I1", 1, u"ｱ"},
      {"JIS ending in ESC $", "\x1B$", 1, u"\x1B$"},
      {"EUC-JP", "\xA4\xA2", 2, u"あ"},
      {"EUC-JP katakana", "\x8E\xB1", 2, u"ｱ"},
      {"EUC-JP SS3", "\x8F\xA1\xA1", 2, std::u16string(u"\0\0｡", 3)},
      {"UTF-16LE with mark, odd byte ignored",
       std::string("\xFF\xFE"
                   "A\0B\0C",
                   7),
       3, u"AB"},
      {"UTF-16BE with mark", std::string("\xFE\xFF\0A\x30\x42", 6), 4, u"Aあ"},
      {"UTF-16LE", std::string("A\0B", 3), 5, u"A"},
      {"UTF-16BE", std::string("\0A\x30\x42", 4), 6, u"Aあ"},
      {"UTF-16 with mark forced on one byte", "A", 3, u""},
      {"UTF-8 with mark", "\xEF\xBB\xBF\xE3\x81\x82", 7, u"あ"},
      {"UTF-8 with mark forced on two bytes", "\xEF\xBB", 7, u""},
      {"UTF-8 keeps a mark it was not told about", "\xEF\xBB\xBF", 8, u"\uFEFF"},
      {"UTF-7", "+MEI-", 9, u"あ"},
      {"NUL and controls stay", std::string("a\0\b\x7F", 4), 0, std::u16string(u"a\0\b\x7F", 4)},
  };
  for (const DecodeCase& c : cases) EXPECT_EQ(c.expected, Decode(c.bytes, c.encoding)) << c.what;
  for (TextEncoding encoding = -1; encoding <= 9; ++encoding) {
    Document document;
    DecodeDocumentText(document, MakeBytes(""), encoding);
    EXPECT_EQ(0, document.textLength) << encoding;
    EXPECT_EQ(kLineEndNone, DetectLineEnd(document.text, document.textLength));
  }
}

TEST(DecodeDocumentText, Utf16FileBecomesTheTextInPlace) {
  FileBytes bytes = MakeBytes(std::string("\xFE\xFF\x30\x42\x30\x44", 6));
  const uint8_t* const storage = bytes.data();
  Document document;
  DecodeDocumentText(document, std::move(bytes), kEncodingUtf16BeBom);
  EXPECT_EQ(reinterpret_cast<const char16_t*>(storage), document.textBuffer.get());
  EXPECT_EQ(document.textBuffer.get() + 1, document.text);
  EXPECT_EQ(u"あい", document.Text());
}

TEST(DecodeDocumentText, RealShiftJisWithWindowsCharactersAndAnInvalidPair) {
  auto read = [](const char* name) {
    std::ifstream in(std::string(VEMORA_TEST_DATA) + "/" + name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  };
  const std::u16string nec = Decode(read("cp932-nec-chars.txt"), 0);
  EXPECT_EQ(std::u16string::npos, nec.find(u'\u30FB'));
  EXPECT_NE(std::u16string::npos, nec.find(u"厓")) << "from the IBM rows";
  const std::u16string invalid = Decode(read("cp932-invalid-pair.txt"), 0);
  EXPECT_EQ(1, std::count(invalid.begin(), invalid.end(), u'\u30FB'));
  EXPECT_NE(std::u16string::npos, invalid.find(u"\u30FBアル者ハ"))
      << "the pair goes, the next stays";
}

TEST(DecodeDocumentText, ABrokenCharacterNeverJoinsTwoLines) {
  const DecodeCase cases[] = {
      {"lead byte before LF", "a\x82\nb", 0, u"a\u30FB\nb"},
      {"lead byte before CR-LF", "\x82\r\nb", 0, u"\u30FB\r\nb"},
      {"lead byte before CR", "\x82\rb", 0, u"\u30FB\rb"},
      {"one broken byte per line", "\x82\n\xE0\n\x82\xA0\n", 0, u"\u30FB\n\u30FB\nあ\n"},
      {"second byte in the lead range is no lead", "\x93\xFA\n\x88\x9F\r", 0, u"日\n亜\r"},
      {"lead after pairs whose bytes could all lead", "\x82\xA0\x93\xFA\x82\n", 0, u"あ日\u30FB\n"},
      {"an invalid pair still takes its second byte", "\x88\x82\n", 0, u"\u30FB\n"},
      {"lead byte before NUL, then LF", std::string("\x82\0\n", 3), 0,
       std::u16string(u"\u30FB\0\n", 3)},
      {"EUC-JP pair cut by LF", "\xA4\n\xA4\xA2", 2, u"\u30FB\nあ"},
      {"EUC-JP lead that would lead in Shift_JIS", "\xE4\r\n", 2, u"\u30FB\r\n"},
      {"EUC-JP lead before other ASCII is left alone",
       "\xA4"
       "A",
       2,
       u"\uFF64"
       "A"},
      {"stray byte in JIS text", "\x82\n\x1B$B$\"\x1B(B", 1, u"\u30FB\nあ"},
  };
  for (const DecodeCase& c : cases) EXPECT_EQ(c.expected, Decode(c.bytes, c.encoding)) << c.what;
}

TEST(DecodeDocumentText, ManyBrokenCharactersInALongText) {
  // Enough cut EUC-JP pairs to outgrow the converter's first room, and Shift_JIS lines
  // that straddle the decoder's fast paths.
  std::string euc, sjis;
  std::u16string expected;
  for (int i = 0; i < 6000; ++i) {
    euc += "\xB4\xC1\xA4\n";
    sjis += "abcdefgh\x8A\xBF\x82\n";
    expected += u"漢\u30FB\n";
  }
  EXPECT_EQ(expected, Decode(euc, 2));
  std::u16string sjisExpected;
  for (int i = 0; i < 6000; ++i) sjisExpected += u"abcdefgh漢\u30FB\n";
  EXPECT_EQ(sjisExpected, Decode(sjis, 0));
}

TEST(DecodedText, GrowsByTheConversionsCountWhenTheGuessFallsShort) {
  for (const int32_t guess : {0, 1, 5, 100}) {
    DecodedText text(guess);
    const std::string sjis = "\x82\xA0\x82\xA2\x82\xA4";
    text.Append(kCodePageShiftJis, reinterpret_cast<const uint8_t*>(sjis.data()), 6);
    text.Append(u'\n');
    text.Append(kCodePageUtf8, reinterpret_cast<const uint8_t*>("\xE6\x97\xA5z"), 4);
    Document document;
    text.MoveInto(document);
    EXPECT_EQ(u"あいう\n日z", document.Text()) << "guess " << guess;
    EXPECT_EQ(u'\0', document.text[document.textLength]) << "guess " << guess;
  }
}

// A conversion the system cannot make at all (here in a code page it does not have) stops
// the work as a refused allocation does, rather than leaving the text without the bytes as
// if it were whole; input that decodes to no unit (UTF-7's lone "+") is no failure.
TEST(DecodedText, AConversionThatFailsIsNeverTakenForAnEmptyOne) {
  const auto* bytes = reinterpret_cast<const uint8_t*>("ab+");
  for (const int32_t guess : {0, 16}) {
    DecodedText text(guess);
    const RecoverableAllocations recoverable;
    EXPECT_THROW(text.Append(12345, bytes, 2), std::bad_alloc) << "guess " << guess;
    EXPECT_EQ(text.Length(), 0) << "guess " << guess;
    text.Append(kCodePageUtf7, bytes + 2, 1);
    EXPECT_EQ(text.Length(), 0) << "guess " << guess;
  }
}

// The system's conversion counts in 32 bits, so long input reaches it in stretches, each
// cut where every code page starts afresh: the text is the one a single call gives.
TEST(DecodedText, StretchesGiveTheTextOfOneConversion) {
  const struct {
    uint32_t codePage;
    std::string bytes;
  } cases[] = {
      {kCodePageShiftJis,
       "\x93\xFA\x96\x7B\x8C\xEA abc\r\n\x82\xA0\x82\xA2\x82\xA4\x82\xA6, 12:34\n"
       "\xB1\xB2\xB3 \x81\x40\x81\x5B!\x82\xA0"},
      {kCodePageUtf8,
       "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E abc\n\xF0\x9F\x98\x80 "
       "\xC3\xA9t\xC3\xA9.\r\n\xE6\x97\xA5"},
      {kCodePageUtf7, "a+ZeVnLIqe-b +AGEAYg-c.\r\n1+2 +-3 ok+ZeU-\n"},
  };
  for (const auto& c : cases) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(c.bytes.data());
    const auto length = static_cast<int64_t>(c.bytes.size());
    DecodedText whole(length);
    whole.Append(c.codePage, bytes, length);
    // No stretch shorter than the longest run without a fresh start (a base64 run).
    for (const int64_t stretch : {12, 13, 17, 30, 64}) {
      DecodedText pieces(1);
      pieces.Append(c.codePage, bytes, length, stretch);
      EXPECT_EQ(pieces.View(), whole.View())
          << "code page " << c.codePage << ", stretch " << stretch;
    }
  }
}

TEST(DetectLineEnd, TheFirstCrDecides) {
  const struct {
    std::u16string text;
    int32_t expected;
  } cases[] = {
      {u"a\r\nb\r", kLineEndCrLf}, {u"a\rb\n", kLineEndCr},    {u"a\n", kLineEndLf},
      {u"abc", kLineEndNone},      {u"", kLineEndNone},        {u"a\n\r\n", kLineEndCrLf},
      {u"a\r", kLineEndCr},        {u"\n\rx\r\n", kLineEndCr},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, DetectLineEnd(c.text.data(), static_cast<int32_t>(c.text.size())));
  EXPECT_EQ(kLineEndNone, DetectLineEnd(nullptr, 0));
  EXPECT_EQ(u"CR-LF", LineEndName(kLineEndCrLf));
  EXPECT_EQ(u"LF", LineEndName(kLineEndLf));
  EXPECT_EQ(u"CR", LineEndName(kLineEndCr));
  EXPECT_TRUE(LineEndName(kLineEndNone).empty());
}

}  // namespace
}  // namespace vemora
