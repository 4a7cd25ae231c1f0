// Characters back to their bytes in every encoding, their JIS X 0208 row and cell, and the
// lines the character dialog shows; natively every character is checked against iconv.
#include "core/text/character_info.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "core/platform/code_pages.h"
#include "core/text/decode.h"
#include "core/text/decode_pieces.h"
#include "core/text/encoding.h"

#ifndef _WIN32
#include <iconv.h>

#include <map>
#endif

namespace vemora {
namespace {

std::string Hex(const std::optional<std::string>& bytes) {
  if (!bytes) return "-";
  std::string text;
  char pair[4];
  for (char byte : *bytes) {
    std::snprintf(pair, sizeof pair, "%02X", static_cast<uint8_t>(byte));
    if (!text.empty()) text += ' ';
    text += pair;
  }
  return text;
}

struct Expected {
  std::u16string character;
  const char* shiftJis;
  const char* jis;
  const char* euc;
  const char* utf8;
  const char* utf16be;
  const char* utf7;
  const char* rowCell;
};

// Full-width against half-width, look-alikes, code page 932's own characters, and
// characters Shift_JIS has no form for.
const Expected kCharacters[] = {
    {u"A", "41", "41", "41", "41", "00 41", "41", "-"},
    {u"Ａ", "82 60", "23 41", "A3 C1", "EF BC A1", "FF 21", "2B 2F 79 45 2D", "03-33"},
    {u"あ", "82 A0", "24 22", "A4 A2", "E3 81 82", "30 42", "2B 4D 45 49 2D", "04-02"},
    {u"ｱ", "B1", "31", "8E B1", "EF BD B1", "FF 71", "2B 2F 33 45 2D", "-"},
    {u"ア", "83 41", "25 22", "A5 A2", "E3 82 A2", "30 A2", "2B 4D 4b 49 2D", "05-02"},
    {u"漢", "8A BF", "34 41", "B4 C1", "E6 BC A2", "6F 22", "2B 62 79 49 2D", "20-33"},
    {u"～", "81 60", "21 41", "A1 C1", "EF BD 9E", "FF 5E", "2B 2F 31 34 2D", "01-33"},
    {u"①", "87 40", "2D 21", "AD A1", "E2 91 A0", "24 60", "2B 4A 47 41 2D", "-"},
    // IBM's rows in the code page; JIS and EUC-JP files hold them in rows 89 to 92.
    {u"髙", "FB FC", "7C 62", "FC E2", "E9 AB 99", "9A D9", "2B 6D 74 6B 2D", "-"},
    {u"ⅰ", "FA 40", "7C 71", "FC F1", "E2 85 B0", "21 70", "2B 49 58 41 2D", "-"},
    // JIS characters the code page reads as look-alikes: only Unicode text holds them.
    {u"〜", "-", "-", "-", "E3 80 9C", "30 1C", "2B 4D 42 77 2D", "01-33"},
    {u"‖", "-", "-", "-", "E2 80 96", "20 16", "2B 49 42 59 2D", "01-34"},
    {u"−", "-", "-", "-", "E2 88 92", "22 12", "2B 49 68 49 2D", "01-61"},
    {u"¢", "-", "-", "-", "C2 A2", "00 A2", "2B 41 4B 49 2D", "01-81"},
    {u"£", "-", "-", "-", "C2 A3", "00 A3", "2B 41 4B 4D 2D", "01-82"},
    {u"¬", "-", "-", "-", "C2 AC", "00 AC", "2B 41 4B 77 2D", "02-44"},
    {u"￢", "81 CA", "22 4C", "A2 CC", "EF BF A2", "FF E2", "2B 2F 2B 49 2D", "02-44"},
    {u"€", "-", "-", "-", "E2 82 AC", "20 AC", "2B 49 4B 77 2D", "-"},
    {u"\U0002000B", "-", "-", "-", "F0 A0 80 8B", "D8 40 DC 0B", "2B 32 45 44 63 43 77 2D", "-"},
    {u"+", "2B", "2B", "2B", "2B", "00 2B", "2B 2D", "-"},
    // A lone surrogate has no form but its UTF-16 unit.
    {u"\xD800", "-", "-", "-", "-", "D8 00", "2B 32 41 41 2D", "-"},
    {u"\xDFFF", "-", "-", "-", "-", "DF FF", "2B 33 2F 38 2D", "-"},
};

FileBytes FileBytesOf(const std::string& bytes) {
  FileBytes file = FileBytes::Allocate(static_cast<int32_t>(bytes.size()));
  std::copy(bytes.begin(), bytes.end(), file.data());
  return file;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

TEST(CharacterInfo, BytesAndRowCellInEveryEncoding) {
  for (const Expected& e : kCharacters) {
    const std::string name = Hex(CharacterBytes(e.character, kEncodingUtf16Be));
    EXPECT_EQ(Hex(CharacterBytes(e.character, kEncodingShiftJis)), e.shiftJis) << name;
    EXPECT_EQ(Hex(CharacterBytes(e.character, kEncodingJis)), e.jis) << name;
    EXPECT_EQ(Hex(CharacterBytes(e.character, kEncodingEuc)), e.euc) << name;
    EXPECT_EQ(Hex(CharacterBytes(e.character, kEncodingUtf8)), e.utf8) << name;
    EXPECT_EQ(Hex(CharacterBytes(e.character, kEncodingUtf8Bom)), e.utf8) << name;
    EXPECT_EQ(Hex(CharacterBytes(e.character, kEncodingUtf16Be)), e.utf16be) << name;
    EXPECT_EQ(Hex(CharacterBytes(e.character, kEncodingUtf7)), Upper(e.utf7)) << name;
    // Little endian is the big-endian pairs swapped unit by unit.
    const std::string little = Hex(CharacterBytes(e.character, kEncodingUtf16Bom));
    EXPECT_EQ(little, Hex(CharacterBytes(e.character, kEncodingNone))) << name;
    EXPECT_EQ(little.substr(0, 2), std::string(e.utf16be).substr(3, 2)) << name;
    const auto code = JisX0208RowCell(e.character);
    char text[8] = "-";
    if (code) std::snprintf(text, sizeof text, "%02d-%02d", code->row, code->cell);
    EXPECT_EQ(std::string(text), e.rowCell) << name;
  }
}

TEST(CharacterInfo, LinesForTheSelectionInTheDocumentsEncoding) {
  Document document;
  std::u16string text = u"aあ\U0002000B\tｱ";
  document.textBuffer = std::make_unique<char16_t[]>(text.size() + 1);
  std::copy(text.begin(), text.end(), document.textBuffer.get());
  document.text = document.textBuffer.get();
  document.textLength = static_cast<int32_t>(text.size());
  document.sourceKind = kSourceFile;
  document.encoding = kEncodingShiftJis;
  EXPECT_EQ(CharacterInfoText(document), u"") << "no selection";

  // Anchor after the end: the lower position starts; the higher is excluded.
  document.SelectionAnchor = 5;
  document.SelectionEnd = 1;
  EXPECT_EQ(CharacterInfoText(document),
            u"あ\tU+3042\t82 A0\t04-02\r\n"
            u"\U0002000B\tU+2000B\t-\t-\r\n"
            u"\u2409\tU+0009\t09\t-\r\n");
  // Clipboard text has no encoding of its own: UTF-16 little endian.
  document.sourceKind = kSourceClipboard;
  document.SelectionAnchor = 0;
  document.SelectionEnd = 100;  // beyond the text: up to its end
  EXPECT_EQ(CharacterInfoText(document),
            u"a\tU+0061\t61 00\t-\r\n"
            u"あ\tU+3042\t42 30\t04-02\r\n"
            u"\U0002000B\tU+2000B\t40 D8 0B DC\t-\r\n"
            u"\u2409\tU+0009\t09 00\t-\r\n"
            u"ｱ\tU+FF71\t71 FF\t-\r\n");
  // A selection that ends inside a surrogate pair shows the lone half.
  document.SelectionAnchor = 2;
  document.SelectionEnd = 3;
  EXPECT_EQ(CharacterInfoText(document), u"\xD840\tU+D840\t40 D8\t-\r\n");
}

TEST(CharacterInfo, LineOfOneCharacter) {
  const struct {
    std::u16string character;
    TextEncoding encoding;
    std::u16string expected;
  } cases[] = {
      {u"\x1F", kEncodingShiftJis, u"\u241F\tU+001F\t1F\t-"},
      {u"\x7F", kEncodingShiftJis, u"\u2421\tU+007F\t7F\t-"},
      {u" ", kEncodingShiftJis, u" \tU+0020\t20\t-"},
      {u"\x80", kEncodingUtf8, u"\x80\tU+0080\tC2 80\t-"},
      {u"\xDC00", kEncodingUtf8, u"\xDC00\tU+DC00\t-\t-"},
      {u"〜", kEncodingUtf8, u"〜\tU+301C\tE3 80 9C\t01-33"},
      {u"〜", kEncodingUtf16Bom, u"〜\tU+301C\t1C 30\t01-33"},
      {u"～", kEncodingUtf8, u"～\tU+FF5E\tEF BD 9E\t01-33"},
      {u"纊", kEncodingEuc, u"纊\tU+7E8A\tF9 A1\t-"},
      {u"纊", kEncodingJis, u"纊\tU+7E8A\t79 21\t-"},
      {u"纊", kEncodingShiftJis, u"纊\tU+7E8A\tFA 5C\t-"},
      {u"\uE000", kEncodingEuc, u"\uE000\tU+E000\t-\t-"},  // user-defined: no JIS row
  };
  for (const auto& c : cases)
    EXPECT_EQ(CharacterInfoLine(c.character, c.encoding), c.expected)
        << static_cast<int>(c.character[0]) << " in " << c.encoding;
}

TEST(CharacterInfo, EveryCharacterOfRows89To92ShowsThePairTheFileHolds) {
  // Each pair of these rows, decoded as a JIS and as an EUC-JP file would be, must show
  // the pair again. Only ￢ has an earlier pair in JIS X 0208, which it shows instead.
  int shown = 0;
  for (int row = 89; row <= 92; ++row) {
    for (int cell = 1; cell <= 94; ++cell) {
      const std::string jis = {static_cast<char>(row + 0x20), static_cast<char>(cell + 0x20)};
      const std::string euc = {static_cast<char>(row + 0xA0), static_cast<char>(cell + 0xA0)};
      for (const auto& [encoding, bytes, file] :
           {std::tuple{kEncodingJis, jis, "\x1B$B" + jis}, std::tuple{kEncodingEuc, euc, euc}}) {
        Document document;
        DecodeDocumentText(document, FileBytesOf(file), encoding);
        const std::u16string character(document.Text());
        if (character == u"\u30FB" || character == u"￢") continue;  // no character there
        ASSERT_EQ(character.size(), 1u) << row << "-" << cell;
        EXPECT_EQ(Hex(CharacterBytes(character, encoding)), Hex(bytes)) << row << "-" << cell;
        ++shown;
      }
    }
  }
  EXPECT_EQ(shown, 2 * 373);
}

TEST(CharacterInfo, AtMostTwoHundredFiftySixLines) {
  Document document;
  std::u16string text(1000, u'x');
  document.textBuffer = std::make_unique<char16_t[]>(text.size() + 1);
  std::copy(text.begin(), text.end(), document.textBuffer.get());
  document.text = document.textBuffer.get();
  document.textLength = 1000;
  document.SelectionAnchor = 0;
  document.SelectionEnd = 1000;
  const std::u16string lines = CharacterInfoText(document);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), u'\n'), kCharacterInfoLimit);
}

#ifndef _WIN32
std::string Utf16Le(std::u16string_view character) {
  std::string bytes;
  for (char16_t unit : character) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

// iconv's conversion of one character, or nothing when it has no form for it.
std::optional<std::string> IconvBytes(const char* to, const char* from, std::string input) {
  // One converter per pair for the whole sweep, its shift state reset before each use.
  struct Converters {
    ~Converters() {
      for (auto& [pair, converter] : all) iconv_close(converter);
    }
    std::map<std::string, iconv_t> all;
  };
  static Converters converters;
  iconv_t& converter = converters.all[std::string(to) + "<" + from];
  if (!converter) converter = iconv_open(to, from);
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  char output[32];
  char* in = input.data();
  char* out = output;
  size_t inLeft = input.size(), outLeft = sizeof output;
  const size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
  const bool ok = result != static_cast<size_t>(-1) &&
                  iconv(converter, nullptr, nullptr, &out, &outLeft) != static_cast<size_t>(-1);
  if (!ok || result > 0) return std::nullopt;  // a count above 0: replaced irreversibly
  return std::string(output, out);
}

std::optional<std::string> Iconv(const char* to, std::u16string_view character) {
  return IconvBytes(to, "UTF-16LE", Utf16Le(character));
}

std::optional<std::string> WithoutEscapes(std::optional<std::string> bytes) {
  if (!bytes) return bytes;
  std::string plain;
  for (size_t i = 0; i < bytes->size(); ++i) {
    if ((*bytes)[i] == '\x1B')
      i += 2;
    else
      plain += (*bytes)[i];
  }
  return plain;
}

std::vector<std::u16string> EveryCharacter() {
  std::vector<std::u16string> characters;
  for (char32_t c = 0x20; c < 0x10000; ++c)
    if (c < 0xD800 || c > 0xDFFF) characters.push_back(std::u16string(1, static_cast<char16_t>(c)));
  for (char32_t c : {0x10000, 0x2000B, 0x1F600, 0x10FFFF}) {
    const char32_t v = c - 0x10000;
    characters.push_back(
        {static_cast<char16_t>(0xD800 + (v >> 10)), static_cast<char16_t>(0xDC00 + (v & 0x3FF))});
  }
  return characters;
}

TEST(CharacterInfo, EveryCharacterMatchesIconvInEveryEncoding) {
  int sjisForms = 0;
  for (const std::u16string& c : EveryCharacter()) {
    const std::string name = Hex(CharacterBytes(c, kEncodingUtf16Be));
    ASSERT_EQ(CharacterBytes(c, kEncodingUtf8), Iconv("UTF-8", c)) << name;
    ASSERT_EQ(CharacterBytes(c, kEncodingUtf16Be), Iconv("UTF-16BE", c)) << name;
    ASSERT_EQ(CharacterBytes(c, kEncodingUtf16Bom), Iconv("UTF-16LE", c)) << name;
    ASSERT_EQ(CharacterBytes(c, kEncodingUtf7), Iconv("UTF-7", c)) << name;
    const auto sjis = CharacterBytes(c, kEncodingShiftJis);
    // Only a form that reads back as the character is its form: a file in the code page
    // cannot hold what its bytes do not decode to.
    auto iconvSjis = Iconv("CP932", c);
    if (iconvSjis && IconvBytes("UTF-16LE", "CP932", *iconvSjis) != Utf16Le(c)) iconvSjis.reset();
    ASSERT_EQ(sjis, iconvSjis) << name;
    if (!sjis) {
      ASSERT_FALSE(CharacterBytes(c, kEncodingJis)) << name;
      ASSERT_FALSE(CharacterBytes(c, kEncodingEuc)) << name;
      continue;
    }
    ++sjisForms;
    const auto euc = CharacterBytes(c, kEncodingEuc);
    // EUC-JP as Microsoft's code page maps it; its third plane (SS3) has no place here.
    const auto iconvEuc = Iconv("EUC-JP-MS", c);
    // Nor do the user-defined rows, which the code page numbers apart from JIS.
    const bool privateUse = c[0] >= 0xE000 && c[0] <= 0xF8FF;
    if (iconvEuc && (*iconvEuc)[0] != '\x8F' && !privateUse) {
      ASSERT_EQ(euc, iconvEuc) << name;
    } else if (euc) {
      // IBM's characters, which iconv puts in the third plane, have the pair of rows 89 to
      // 92 that the decoder reads as them.
      ASSERT_TRUE(euc->size() == 2 && static_cast<uint8_t>((*euc)[0]) >= 0xF9 &&
                  static_cast<uint8_t>((*euc)[0]) <= 0xFC)
          << name;
      const auto* pair = reinterpret_cast<const uint8_t*>(euc->data());
      const std::vector<uint8_t> sjisPair = DecodeEucToShiftJis(pair, 2);
      ASSERT_EQ(DecodeCodePage(932, std::string(sjisPair.begin(), sjisPair.end())), c) << name;
    }
    // The JIS forms of JIS X 0208 and ASCII are ISO-2022-JP's without the escapes, where
    // the code page and JIS map a code to the same character.
    const auto iconvJis = WithoutEscapes(Iconv("ISO-2022-JP", c));
    if (iconvJis && c[0] != u'\\' && c[0] != u'~') {
      ASSERT_EQ(CharacterBytes(c, kEncodingJis), iconvJis) << name;
    }
    const auto code = JisX0208RowCell(c);
    if (iconvJis && iconvJis->size() == 2) {
      ASSERT_TRUE(code) << name;
    }
    if (code) {
      ASSERT_TRUE(euc && euc->size() == 2) << name;
      EXPECT_EQ(code->row, static_cast<uint8_t>((*euc)[0]) - 0xA0) << name;
      EXPECT_EQ(code->cell, static_cast<uint8_t>((*euc)[1]) - 0xA0) << name;
    }
  }
  EXPECT_GT(sjisForms, 7000);
}
#endif

}  // namespace
}  // namespace vemora
