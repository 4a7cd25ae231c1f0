// Large texts decoded and laid out in pieces give exactly what one thread gives: generated
// text full of characters, broken characters and line ends at every distance from a cut,
// real text, every encoding and both wrap modes.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>
#include <mutex>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "core/layout/layout.h"
#include "core/pieces.h"
#include "core/platform/code_pages.h"
#include "core/text/byte_search.h"
#include "core/text/decode.h"
#include "core/text/decode_pieces.h"
#include "core/text/encoding.h"
#include "document_expectations.h"
#include "test_documents.h"

namespace vemora {
namespace {

// Piece counts that put the even shares at many different offsets of short texts.
constexpr int32_t kPieceCounts[] = {2, 3, 5, 8, 13};

std::string ReadTestFile(const char* name) {
  std::ifstream in(std::string(VEMORA_TEST_DATA) + "/" + name, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The real Shift_JIS texts one after another.
std::string RealShiftJis() {
  return ReadTestFile("sjis-hashire-merosu.txt") + ReadTestFile("cp932-nec-chars.txt") +
         ReadTestFile("cp932-invalid-pair.txt") + ReadTestFile("sjis-kanshu.txt");
}

// Random tokens of the encoding, many of them line ends and characters that a line end
// breaks (a lead byte, a UTF-8 sequence cut short), so that every kind sits right before
// and right after some cut.
std::string Generate(const std::vector<std::string>& tokens, size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<size_t> pick(0, tokens.size() - 1);
  std::string text;
  while (text.size() < size) text += tokens[pick(random)];
  return text;
}

const std::vector<std::string>& TokensFor(TextEncoding encoding) {
  static const std::vector<std::string> kLineEnds = {"\r", "\n", "\r\n", "\r\n", "\n\n"};
  auto with = [](std::vector<std::string> own) {
    own.insert(own.end(), kLineEnds.begin(), kLineEnds.end());
    for (const char* ascii : {"a", "Zz", " ", "\t", "0123"}) own.emplace_back(ascii);
    return own;
  };
  static const std::vector<std::string> kShiftJis =
      with({"\x82\xA0", "\x88\x9F", "\x87\x40", "\xB1", "\x82", "\x81\x7F", "\x81\x0D", "\xFD"});
  static const std::vector<std::string> kEuc =
      with({"\xA4\xA2", "\xB0\xA1", "\x8E\xB1", "\x8F\xA2\xAF", "\xA4", "\x8E", "\xFF"});
  static const std::vector<std::string> kUtf8 =
      with({"\xE3\x81\x82", "\xF0\x9F\x98\x80", "\xC3\xA9", "\xE3\x81", "\xF0\x9F", "\xC3", "\x80",
            "\xF8", "\xED\xA0\x80"});
  switch (encoding) {
    case kEncodingEuc:
      return kEuc;
    case kEncodingUtf8:
    case kEncodingUtf8Bom:
      return kUtf8;
    default:
      return kShiftJis;
  }
}

FileBytes BytesOf(const std::string& bytes) {
  FileBytes file = FileBytes::Allocate(static_cast<int32_t>(bytes.size()));
  if (!bytes.empty()) std::memcpy(file.data(), bytes.data(), bytes.size());
  return file;
}

std::u16string DecodeAlone(const std::string& bytes, TextEncoding encoding) {
  Document document;
  DecodeDocumentTextOnOneThread(document, BytesOf(bytes), encoding);
  return std::u16string(document.Text());
}

void ExpectSameInPieces(const std::string& bytes, TextEncoding encoding, const char* what) {
  const std::u16string alone = DecodeAlone(bytes, encoding);
  const bool inPlace = encoding >= kEncodingUtf16Bom && encoding <= kEncodingUtf16Be;
  for (const int32_t pieces : kPieceCounts) {
    // Held bytes; mapped bytes released as they are decoded; a text whose first room
    // runs short, so that later chunks are joined on afterwards.
    for (const int variant : {0, 1, 2}) {
      int64_t released = 0;
      FileBytes input = BytesOf(bytes);
      if (variant == 1) {
        input =
            FileBytes::Map(std::make_unique<testing::SpoiledOnRelease>(bytes, '\x82', &released),
                           static_cast<int32_t>(bytes.size()));
      }
      const int32_t room = variant == 2 ? static_cast<int32_t>(bytes.size() / 3) : -1;
      Document document;
      DecodeDocumentTextInPieces(document, std::move(input), encoding, pieces, room);
      ASSERT_EQ(alone, document.Text())
          << what << ", encoding " << encoding << ", " << pieces << " pieces, variant " << variant;
      if (!inPlace) {
        ASSERT_EQ(0, document.text[document.textLength]) << "NUL-terminated";
      }
      if (variant == 1 && encoding != kEncodingJis && encoding != kEncodingUtf7) {
        EXPECT_EQ(static_cast<int64_t>(bytes.size()), released) << "all released at the end";
      }
    }
  }
}

TEST(DecodeInPieces, GeneratedTextInEveryEncodingThatCuts) {
  for (const TextEncoding encoding :
       {kEncodingShiftJis, kEncodingEuc, kEncodingUtf8, kEncodingUtf8Bom}) {
    for (uint32_t seed = 1; seed <= 12; ++seed) {
      std::string bytes = Generate(TokensFor(encoding), 200 + seed * 97, seed);
      if (encoding == kEncodingUtf8Bom) bytes = "\xEF\xBB\xBF" + bytes;
      ExpectSameInPieces(bytes, encoding, "generated");
    }
  }
}

TEST(DecodeInPieces, RealTextInEveryEncoding) {
  const std::string sjis = RealShiftJis();
  const std::u16string text = DecodeAlone(sjis, kEncodingShiftJis);
  std::string utf16be;
  for (const char16_t unit : text) {
    utf16be += static_cast<char>(unit >> 8);
    utf16be += static_cast<char>(unit & 0xFF);
  }
  const std::string utf8 = EncodeCodePage(kCodePageUtf8, text);
  ExpectSameInPieces(sjis, kEncodingShiftJis, "real");
  ExpectSameInPieces(testing::EucFromShiftJis(sjis), kEncodingEuc, "real");
  ExpectSameInPieces(utf8, kEncodingUtf8, "real");
  ExpectSameInPieces("\xEF\xBB\xBF" + utf8, kEncodingUtf8Bom, "real");
  // Big endian with and without a mark, and with an odd last byte that is ignored.
  ExpectSameInPieces(utf16be, kEncodingUtf16Be, "real");
  ExpectSameInPieces("\xFE\xFF" + utf16be + "\x30", kEncodingUtf16BeBom, "real");
  ExpectSameInPieces(utf16be + "\x30", kEncodingUtf16Be, "real");
  // The ones that never cut still decode as on one thread.
  ExpectSameInPieces("\x1B$B$\"\x1B(B\r\nabc\r\n\x1B$B$\"", kEncodingJis, "JIS");
  ExpectSameInPieces("a+MEIwRA-\r\nb+MEI\r\nw-", kEncodingUtf7, "UTF-7");
  ExpectSameInPieces(
      "\xFF\xFE"
      "a\0\r\0\n\0b\0",
      kEncodingUtf16Bom, "UTF-16");
}

TEST(DecodeInPieces, LargeFilesTakeThePiecesWithTheSameResult) {
  std::string sjis;
  const std::string real = RealShiftJis();
  while (sjis.size() < static_cast<size_t>(kBytesWorthPieces) + 4096) sjis += real;
  Document document;
  DecodeDocumentText(document, BytesOf(sjis), kEncodingShiftJis);
  EXPECT_EQ(DecodeAlone(sjis, kEncodingShiftJis), document.Text());
}

TEST(CutsAfterLineEnds, EveryCutFollowsAWholeLineEnd) {
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    const std::string text = Generate(TokensFor(kEncodingShiftJis), 50 + seed * 13, seed);
    const auto* units = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    for (int32_t pieces = 1; pieces <= length + 1; ++pieces) {
      const std::vector<int64_t> cuts = CutsAfterLineEnds(units, length, pieces);
      ASSERT_EQ(0, cuts.front());
      ASSERT_EQ(length, cuts.back());
      ASSERT_LE(cuts.size(), static_cast<size_t>(pieces) + 1);
      for (size_t k = 1; k + 1 < cuts.size(); ++k) {
        const int64_t cut = cuts[k];
        ASSERT_LT(cuts[k - 1], cut);
        const bool afterLf = units[cut - 1] == '\n';
        const bool afterLoneCr = units[cut - 1] == '\r' && units[cut] != '\n';
        ASSERT_TRUE(afterLf || afterLoneCr) << "seed " << seed << ", cut " << cut;
      }
    }
  }
  // Nothing to cut at: one piece.
  const uint8_t plain[] = "no line end here at all";
  EXPECT_EQ((std::vector<int64_t>{0, 23}), CutsAfterLineEnds(plain, 23, 4));
}

// Pieces that never wait for one another take the caller's way with memory: where it is
// recoverable, a piece that runs out ends alone, the others finish, and the caller learns
// of it once they have.
TEST(CutsAfterLineEnds, ASeparatePieceOutOfMemoryEndsAloneAndTellsTheCaller) {
  for (const int32_t failing : {0, 2}) {
    std::atomic<int> finished{0};
    bool thrown = false;
    try {
      const RecoverableAllocations recoverable;
      RunSeparatePieces(4, [&](int32_t i) {
        if (i == failing) OnAllocationFailure();
        ++finished;
      });
    } catch (const std::bad_alloc&) {
      thrown = true;
    }
    EXPECT_TRUE(thrown) << failing;
    EXPECT_EQ(finished.load(), 3) << failing;
  }
}

TEST(ByteSearch, FindsTheFirstMatchAtEveryOffsetAndLength) {
  for (size_t length = 0; length < 150; ++length) {
    for (size_t at = 0; at <= length; ++at) {
      std::vector<uint8_t> bytes(length, 'a');
      if (at < length) bytes[at] = '\n';
      if (at + 3 < length) bytes[at + 3] = 0x80;  // a later one must not be taken
      const uint8_t* begin = bytes.data();
      const uint8_t* end = begin + length;
      const uint8_t* expected = begin + at;
      ASSERT_EQ(expected, FindByte(begin, end, '\n')) << length << " " << at;
      ASSERT_EQ(expected, FindEitherByte(begin, end, '\r', '\n')) << length << " " << at;
      if (at < length) bytes[at] = 0xE3;
      ASSERT_EQ(expected, FindNonAsciiByte(begin, end)) << length << " " << at;
      std::u16string units(length, u'a');
      if (at < length) units[at] = u'\b';
      if (at + 3 < length) units[at + 3] = u'\b';
      ASSERT_EQ(units.data() + at, FindUnit(units.data(), units.data() + length, u'\b'));
    }
  }
}

TEST(ByteSearch, EveryLineEndAndControlByteIsSeenWhereverItFalls) {
  std::mt19937 random(7);
  const uint8_t kinds[] = {'a', 0x82, '\n', '\r', 0x1B, 0x08};
  for (int round = 0; round < 400; ++round) {
    std::vector<uint8_t> bytes(random() % 200);
    for (uint8_t& b : bytes) b = kinds[random() % (round % 3 == 0 ? 6 : 4)];
    const uint8_t* begin = bytes.data();
    const size_t from = bytes.empty() ? 0 : random() % bytes.size();
    std::vector<const uint8_t*> expected, found;
    for (size_t i = from; i < bytes.size(); ++i)
      if (bytes[i] == '\n' || bytes[i] == '\r') expected.push_back(begin + i);
    const ControlBytesSeen seen = ForEachLineEnd(begin + from, begin + bytes.size(),
                                                 [&](const uint8_t* p) { found.push_back(p); });
    ASSERT_EQ(expected, found) << "round " << round;
    const auto tail = std::span(bytes).subspan(from);
    EXPECT_EQ(std::ranges::count(tail, 0x1B) > 0, seen.escape) << "round " << round;
    EXPECT_EQ(std::ranges::count(tail, 0x08) > 0, seen.backspace) << "round " << round;
  }
}

void ExpectSameLayoutInPieces(std::u16string_view text, const std::string& what) {
  const LayoutParameters kParameters[] = {{8, 80, 0, 1, 0}, {4, 1, 0, 1, 0},    {3, 7, 0, 1, 0},
                                          {8, 0, 0, 1, 0},  {8, 80, 1, 7, 300}, {4, 0, 1, 7, 60},
                                          {8, 0, 1, 7, 10}};
  for (const LayoutParameters& parameters : kParameters) {
    ColumnRuleMeasure columns;
    testing::VaryingMeasure pixels;
    TextMeasure& measure = parameters.FoldRight == 1 ? static_cast<TextMeasure&>(pixels) : columns;
    Document alone = testing::MakeDocument(text);
    LayoutDocumentOnOneThread(alone, parameters, measure);
    for (const int32_t count : kPieceCounts) {
      Document pieces = testing::MakeDocument(text);
      LayoutDocumentInPieces(pieces, parameters, measure, count);
      testing::ExpectSameLineBlocks(alone, pieces,
                                    what + ", fold " + std::to_string(parameters.Fold) + " mode " +
                                        std::to_string(parameters.FoldRight) + ", " +
                                        std::to_string(count) + " pieces");
    }
  }
}

TEST(LayoutInPieces, GeneratedTextInBothWrapModes) {
  static const std::u16string kTokens[] = {
      u"a",       u"あ", u"\t", u"\r", u"\n", u"\r\n", u"\x01", u"ｱ", u"abcdefghijklmnopqrstuvwxyz",
      u"\r\n\r\n"};
  for (uint32_t seed = 1; seed <= 6; ++seed) {
    std::mt19937 random(seed);
    std::u16string text;
    while (text.size() < 3000 * seed) text += kTokens[random() % std::size(kTokens)];
    ExpectSameLayoutInPieces(text, "seed " + std::to_string(seed));
  }
  // Exactly a block of lines: the end mark goes alone into a block of its own.
  std::u16string thousand;
  for (int i = 0; i < LineBlock::kCapacity; ++i) thousand += u"line\r\n";
  ExpectSameLayoutInPieces(thousand, "1000 lines");
  ExpectSameLayoutInPieces(thousand + u"tail", "1000 lines and a tail");
  ExpectSameLayoutInPieces(u"", "empty");
  ExpectSameLayoutInPieces(u"\r\r\r\n\n\r", "line ends only");
}

TEST(LayoutInPieces, RealTextAndLargeTexts) {
  const std::u16string real = DecodeAlone(RealShiftJis(), kEncodingShiftJis);
  ExpectSameLayoutInPieces(real, "real text");
  // Past the size that takes the pieces by itself.
  std::u16string large;
  while (large.size() < static_cast<size_t>(kUnitsWorthPieces) + 1000) large += real;
  Document alone = testing::MakeDocument(large);
  Document chosen = testing::MakeDocument(large);
  ColumnRuleMeasure measure;
  LayoutDocumentOnOneThread(alone, {8, 80, 0, 1, 0}, measure);
  LayoutDocument(chosen, {8, 80, 0, 1, 0}, measure);
  testing::ExpectSameLineBlocks(alone, chosen, "large text");
}

}  // namespace
}  // namespace vemora
