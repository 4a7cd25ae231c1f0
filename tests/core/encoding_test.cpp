// Encoding detection: marks, JIS escapes, the line scores and how lines pass the
// question on, and the requests that skip detection.
#include "core/text/encoding.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "core/platform/code_pages.h"
#include "core/text/character_info.h"

namespace vemora {
namespace {

TextEncoding Detect(const std::string& bytes, int32_t request = kRequestDetect) {
  return DetectEncoding(reinterpret_cast<const uint8_t*>(bytes.data()),
                        static_cast<int32_t>(bytes.size()), request);
}

struct DetectCase {
  const char* what;
  std::string bytes;
  int32_t request;
  TextEncoding expected;
};

TEST(DetectEncoding, AnswersAsTheBytesSay) {
  const DetectCase cases[] = {
      {"empty", "", -1, 0},
      {"one byte", "\xE3", -1, 0},
      {"UTF-8 mark alone is too short to count", "\xEF\xBB\xBF", -1, 8},
      {"UTF-8 mark",
       "\xEF\xBB\xBF"
       "A",
       -1, 7},
      {"UTF-16LE mark", std::string("\xFF\xFE\x41\x00", 4), -1, 3},
      {"UTF-16BE mark", std::string("\xFE\xFF\x00\x41", 4), -1, 4},
      {"UTF-16LE mark in three bytes", "\xFF\xFE\x41", -1, 0},
      {"UTF-16 without mark", std::string("a\0b\0\n\0", 6), -1, 5},
      {"mark before a JIS escape", "\xFF\xFE\x1B$B", -1, 3},
      {"ESC $ B", "abc\x1B$B\x24\x22\x1B(B", -1, 1},
      {"ESC $ @", "\x1B$@", -1, 1},
      {"ESC ( I", "\xA4\xA2\x1B(I1", -1, 1},
      {"ESC $ B at the last place", "\xB4\xC1\xBB\xFA\x1B$B", -1, 1},
      {"ESC $ cut short", "\xB4\xC1\xBB\xFA\n\x1B$", -1, 2},
      {"ESC ( B and ESC ( J do not make JIS", "a\x1B(Bb\x1B(J", -1, 0},
      {"pure ASCII", "Hello\r\nworld\r\n", -1, 0},
      {"Shift_JIS", "\x93\xFA\x96\x7B\x8C\xEA\r\n", -1, 0},
      {"EUC-JP kanji", "\xB4\xC1\xBB\xFA\n", -1, 2},
      {"EUC-JP hiragana only is taken for Shift_JIS", "\xA4\xA2\xA4\xA4\n", -1, 0},
      {"EUC-JP with SS3", "\x8F\xB0\xA1\xB4\xC1\xBB\xFA", -1, 2},
      {"UTF-8 日本語 fails both legacy scans", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\n", -1, 8},
      {"UTF-8 あ alone fails both legacy scans", "\xE3\x81\x82", -1, 8},
      {"all three scans fail", "\xE3\x81\x82\xFF\n", -1, 0},
      {"both legacy scans fail, no whole UTF-8 sequence", "a\xE3\n", -1, 0},
      {"undecided line, then a deciding one", "\xA4\xA2\n\xE3\x82\xA2\n", -1, 8},
      {"two lead bytes from 0xEB fail Shift_JIS", "\xEB\x40\xEB\x40\n\xB4\xC1\xBB\xFA\n", -1, 2},
      {"a line ending in CR alone passes on after the CR", "\xE3\x81\x82\xFF\r\xE3\x82\xA2", -1, 8},
      {"CR ends a line only when no LF follows", "\xE3\x81\x82\xFF\r\xB4\xC1\xBB\xFA\n\xE3\x82\xA2",
       -1, 8},
      // The edges of each scan's byte ranges; an undecided first line lets the EUC-JP
      // line after it answer 2.
      {"0xFC is the last Shift_JIS trail byte", "\x88\xFC\n\xB4\xC1\xBB\xFA\n", -1, 0},
      {"0xFD is no Shift_JIS trail byte", "\x88\xFD\n\xB4\xC1\xBB\xFA\n", -1, 2},
      {"0x40 is the first Shift_JIS trail byte", "\x88\x40\xA1\n\xB4\xC1\xBB\xFA\n", -1, 0},
      {"0x3F is no Shift_JIS trail byte", "\x88\x3F\xA1\n\xB4\xC1\xBB\xFA\n", -1, 2},
      {"0xA0 does not start an EUC pair", "\xA0\xB4\xC1\xBB\xFA\n", -1, 2},
      {"0xA0 does not end an EUC pair", "\xB4\xA0\xBB\xFA\n", -1, 0},
      {"0xFE ends an EUC pair", "\xB4\xFE\xBB\xFA\n", -1, 2},
      {"0xFF does not end an EUC pair", "\xB4\xFF\xBB\xFA\n", -1, 0},
      {"request UTF-16 with mark", std::string("\xFF\xFE\x41\x00", 4), -3, 3},
      {"request UTF-16 without mark", std::string("A\0B\0", 4), -3, 5},
      {"request UTF-16BE with mark", std::string("\xFE\xFF\x00\x41", 4), -4, 4},
      {"request UTF-16BE without mark", std::string("\xFF\xFE\x41\x00", 4), -4, 6},
      {"request UTF-8 with mark",
       "\xEF\xBB\xBF"
       "A",
       -5, 7},
      {"request UTF-8, mark too short", "\xEF\xBB\xBF", -5, 8},
      {"request Shift_JIS for UTF-8 text", "\xE3\x82\xA2\n", 0, 0},
      {"request EUC despite a mark",
       "\xEF\xBB\xBF"
       "A",
       2, 2},
      {"request UTF-7", "+AGE-", 9, 9},
      {"request out of range stays", "abc", 42, 42},
      {"request -2 stays", "abc", -2, -2},
  };
  for (const DetectCase& c : cases) EXPECT_EQ(c.expected, Detect(c.bytes, c.request)) << c.what;
}

TEST(DetectEncoding, HalfWidthKatakanaAfterSs2RunsFrom0xA0To0xDF) {
  // Each line fails the Shift_JIS scan (a lead byte left without its pair), so only the
  // byte after SS2 decides between EUC-JP and no answer. Lines ending in LF and lines
  // ending in CR alone are scored by different scans; both must agree.
  const struct {
    uint8_t kana;
    TextEncoding expected;
  } cases[] = {{0x9F, 0}, {0xA0, 2}, {0xA1, 2}, {0xDF, 2}, {0xE0, 0}};
  for (const auto& c : cases) {
    const std::string line = std::string("\x8E") + static_cast<char>(c.kana) + "\xA4\xFE";
    EXPECT_EQ(c.expected, Detect(line + "\nabc\n")) << std::hex << int{c.kana} << " before LF";
    EXPECT_EQ(c.expected, Detect("abc\r" + line + "\rabc\r"))
        << std::hex << int{c.kana} << " before CR";
  }
}

TEST(DetectEncoding, FindsTheFirstDecidingLineAfterLongAscii) {
  std::string ascii;
  for (int i = 0; i < 5000; ++i) ascii += "plain ASCII line number " + std::to_string(i) + "\r\n";
  EXPECT_EQ(0, Detect(ascii));
  EXPECT_EQ(2, Detect(ascii + "\xB4\xC1\xBB\xFA\r\n"));
  EXPECT_EQ(8, Detect(ascii + "tail \xE3\x82\xA2 tail"));
  // Without LF, every line runs to the end of the buffer.
  std::string crOnly(200000, 'a');
  for (size_t i = 79; i < crOnly.size(); i += 80) crOnly[i] = '\r';
  EXPECT_EQ(0, Detect(crOnly));
  EXPECT_EQ(2, Detect(crOnly + "\xB4\xC1\xBB\xFA"));
}

TEST(DetectEncoding, JisEscapeAnywhereInALargeFileAndAcrossItsShares) {
  const std::string ascii(3 << 20, 'a');
  const size_t starts = ascii.size() - 2;
  for (const size_t at : {size_t{0}, starts / 2 - 2, starts / 2 - 1, starts / 2, starts - 1}) {
    std::string text = ascii;
    text.replace(at, 3, "\x1B$B");
    EXPECT_EQ(1, Detect(text)) << "escape at " << at;
  }
  // Cut short by the end of the file: no escape.
  EXPECT_EQ(0, Detect(ascii + "\x1B$"));
}

// The text as a file in the encoding holds it; characters without a form there are left out.
std::string Encoded(std::u16string_view text, TextEncoding encoding) {
  std::string bytes;
  for (size_t i = 0; i < text.size(); ++i)
    bytes += CharacterBytes(text.substr(i, 1), encoding).value_or("");
  return bytes;
}

TEST(DetectEncoding, JapaneseTextShortAndLongInEachEncoding) {
  // Every UTF-8 line here fails both legacy scans. The EUC-JP of kana and of the kanji
  // whose bytes all lie below 0xE0 reads as Shift_JIS too, and is left to its default.
  const struct {
    std::u16string line;
    TextEncoding asEuc;
  } cases[] = {
      {u"あ", 0},
      {u"日本語", 2},
      {u"行12の本文です。", 0},
      {u"カタカナ、かな、漢字", 2},
      {u"ｶﾀｶﾅ 半角", 0},
      {u"鬱蒼とした森で、腕時計は9時を指していた。", 2},
  };
  for (const auto& c : cases) {
    for (const int count : {1, 600}) {
      std::u16string text;
      for (int i = 0; i < count; ++i) text += c.line + u"\r\n";
      const std::string what = Encoded(c.line, kEncodingUtf8) + " x " + std::to_string(count);
      EXPECT_EQ(8, Detect(Encoded(text, kEncodingUtf8))) << what;
      EXPECT_EQ(0, Detect(Encoded(text, kEncodingShiftJis))) << what;
      EXPECT_EQ(c.asEuc, Detect(Encoded(text, kEncodingEuc))) << what;
      // Lines ending in CR alone are scored to the end of the file, by another scan.
      for (char16_t& unit : text)
        if (unit == u'\n') unit = u'\r';
      EXPECT_EQ(8, Detect(Encoded(text, kEncodingUtf8))) << what << " CR";
    }
  }
}

TEST(DetectEncoding, RealShiftJisFilesAndTheirOtherEncodings) {
  for (const char* name : {"sjis-kanshu.txt", "cp932-nec-chars.txt", "cp932-invalid-pair.txt",
                           "sjis-one-line-also-euc.txt", "sjis-hashire-merosu.txt"}) {
    std::ifstream in(std::string(VEMORA_TEST_DATA) + "/" + name, std::ios::binary);
    ASSERT_TRUE(in) << name;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(0, Detect(bytes)) << name;
    const std::u16string text = DecodeCodePage(kCodePageShiftJis, bytes);
    EXPECT_EQ(2, Detect(Encoded(text, kEncodingEuc))) << name;
    EXPECT_EQ(8, Detect(Encoded(text, kEncodingUtf8))) << name;
  }
}

TEST(DetectEncoding, ShortUtf8HalfWidthKatakanaAndUtf16WithoutAMark) {
  const DetectCase cases[] = {
      // A UTF-8 sequence cut by an LF is no UTF-8; the last line may be cut by the end.
      {"Shift_JIS ﾘｱﾙ and LF", "\xD8\xB1\xD9\n", -1, 0},
      {"Shift_JIS ﾘｱﾙ and CR LF", "\xD8\xB1\xD9\r\n", -1, 0},
      {"Shift_JIS ﾘｱﾙ as the last line", "\xD8\xB1\xD9", -1, 8},
      {"a cut line before a UTF-8 one", "\xD8\xB1\xD9\n\xE3\x81\x82\n", -1, 0},
      // No line decides: UTF-8 when every line above ASCII is narrow, telling UTF-8.
      {"温度 1101°C ±0.5",
       "\xE6\xB8\xA9\xE5\xBA\xA6 1101\xC2\xB0"
       "C \xC2\xB1"
       "0.5\n",
       -1, 8},
      {"échec du récupération",
       "\xC3\xA9"
       "chec du r\xC3\xA9"
       "cup\xC3\xA9ration\n",
       -1, 8},
      {"échec as the last line",
       "\xC3\xA9"
       "chec",
       -1, 8},
      {"three-byte sequences that EUC-JP reads too", "\xE1\xA1\xA1\xE1\xA1\xA1\n", -1, 8},
      {"ASCII only", "plain\r\ntext\r\n", -1, 0},
      {"a sign alone tells nothing", "\xC2\xA9 2024\n", -1, 0},
      {"ﾄｲ ﾄｼ reads as two letters alone", "\xC4\xB2 \xC4\xBC\n", -1, 0},
      {"ﾄｼ between commas", "2195375,\xC4\xBC,9681396\n", -1, 0},
      {"ﾄｲﾄｼ, letters side by side", "\xC4\xB2\xC4\xBC\n", -1, 0},
      {"a two-byte lead past C5", "\xCE\xA9m\n", -1, 0},
      {"one undecided line not UTF-8", "caf\xC3\xA9\n\xD4\xCF\xC0\xDE\n", -1, 0},
      {"a UTF-8 line cut by an LF among them", "caf\xC3\xA9\n\xC3\n", -1, 0},
      // NULs on one side only, a CR or LF unit, every surrogate paired: UTF-16.
      {"UTF-16LE", std::string("a\0b\0\r\0\n\0", 8), -1, 5},
      {"UTF-16BE", std::string("\0a\0b\0\n", 6), -1, 6},
      {"UTF-16LE あ and LF", std::string("\x42\x30\n\0", 4), -1, 5},
      {"UTF-16LE pair", std::string("a\0\x3D\xD8\x0A\xDE\n\0", 8), -1, 5},
      {"UTF-16BE pair", std::string("\0a\xD8\x3D\xDE\x0A\0\n", 8), -1, 6},
      {"UTF-16LE with an odd last byte", std::string("a\0\n\0b", 5), -1, 5},
      {"UTF-16LE, no CR or LF unit", std::string("a\0b\0", 4), -1, 0},
      {"NULs on both sides", std::string("a\0\0b\n\0", 6), -1, 0},
      {"a NUL as an odd last byte on the other side", std::string("a\0\n\0\0", 5), -1, 0},
      {"a high surrogate without its pair", std::string("a\0\x3D\xD8\n\0", 6), -1, 0},
      {"a low surrogate without its pair", std::string("a\0\x0A\xDE\n\0", 6), -1, 0},
      {"a high surrogate at the end", std::string("a\0\n\0\x3D\xD8", 6), -1, 0},
      {"a JIS escape comes first", std::string("\x1B$B\0\n\0", 6), -1, 1},
      {"a mark comes first", std::string("\xFF\xFE\n\0", 4), -1, 3},
  };
  for (const DetectCase& c : cases) EXPECT_EQ(c.expected, Detect(c.bytes, c.request)) << c.what;
}

// Lines of half-width katakana as Shift_JIS files hold them: names, addresses and bank
// records, alone, in CSV and amid Japanese text.
std::vector<std::u16string> HalfWidthKatakanaLines(int count) {
  static const std::u16string_view kFamily[] = {
      u"ﾔﾏﾀﾞ", u"ｻﾄｳ",  u"ｽｽﾞｷ",  u"ﾀｶﾊｼ", u"ﾀﾅｶ", u"ﾜﾀﾅﾍﾞ", u"ｲﾄｳ",  u"ﾅｶﾑﾗ", u"ｺﾊﾞﾔｼ", u"ｶﾄｳ",
      u"ﾖｼﾀﾞ", u"ｻｻｷ",  u"ﾏﾂﾓﾄ",  u"ｲﾉｳｴ", u"ｷﾑﾗ", u"ﾊﾔｼ",   u"ｼﾐｽﾞ", u"ﾓﾘ",   u"ｱﾍﾞ",   u"ｵｶﾞﾜ",
      u"ｺﾞﾄｳ", u"ﾑﾗｶﾐ", u"ｴﾝﾄﾞｳ", u"ｱｵｷ",  u"ｵｵﾀ", u"ﾐｳﾗ",   u"ﾅｶﾉ",  u"ｵﾉ",   u"ﾜﾀﾞ",   u"ｳｴﾀﾞ",
      u"ﾊﾗ",   u"ｻｶｲ",  u"ｸﾄﾞｳ",  u"ﾁﾊﾞ",  u"ｸﾎﾞ", u"ｷｸﾁ",   u"ｻﾉ",   u"ﾅｶ",   u"ﾄｲ",    u"ﾂｼﾞ",
      u"ﾃｼﾏ",  u"ﾄｳﾉ",  u"ﾅｲﾄｳ",  u"ｵｶ",   u"ﾂﾁﾔ", u"ﾄｸﾅｶﾞ"};
  static const std::u16string_view kGiven[] = {
      u"ﾀﾛｳ",  u"ｼﾞﾛｳ", u"ﾊﾅｺ", u"ﾋﾛｼ", u"ｹﾝｲﾁ", u"ﾏｺﾄ", u"ﾕｳｺ",  u"ｱｷﾗ", u"ｻﾄｼ", u"ﾐﾎ",  u"ﾅｵｷ",
      u"ｶｽﾞﾔ", u"ﾖｳｺ",  u"ｹｲｺ", u"ﾏｻﾐ", u"ﾄｼｵ",  u"ﾅｵ",  u"ﾄｼ",   u"ﾃﾂﾔ", u"ﾂﾖｼ", u"ﾄｵﾙ", u"ﾅﾂｷ",
      u"ｴﾘ",   u"ｱｲ",   u"ﾕｲ",  u"ﾚｲ",  u"ｼｭﾝ",  u"ﾘｮｳ", u"ｼﾞｭﾝ", u"ﾄﾓｺ", u"ﾅﾅ",  u"ﾃﾙ",  u"ﾂﾊﾞｻ"};
  static const std::u16string_view kPlaces[] = {
      u"ﾄｳｷｮｳﾄ ﾁﾖﾀﾞｸ", u"ｵｵｻｶﾌ ｷﾀｸ", u"ｶﾅｶﾞﾜｹﾝ ﾖｺﾊﾏｼ", u"ｱｲﾁｹﾝ ﾅｺﾞﾔｼ ﾅｶｸ", u"ﾎｯｶｲﾄﾞｳ ｻｯﾎﾟﾛｼ",
      u"ﾌｸｵｶｹﾝ ﾃﾝｼﾞﾝ", u"ｷｮｳﾄﾌ",     u"ﾅｶﾞﾉｹﾝ ﾅｶﾞﾉｼ",  u"ｵｷﾅﾜｹﾝ"};
  static const std::u16string_view kRecords[] = {
      u"ﾐｽﾞﾎ", u"ﾐﾂｲｽﾐﾄﾓ", u"ﾐﾂﾋﾞｼﾕｰｴﾌｼﾞｪｲ", u"ﾘｿﾅ",  u"ﾕｳﾁｮ",        u"ﾎﾝﾃﾝ",       u"ｼﾌﾞﾔ",
      u"ｳｴﾉ",  u"ﾌﾂｳ",     u"ﾄｳｻﾞ",          u"ﾁｮﾁｸ", u"ｶ)ﾔﾏﾀﾞｼｮｳｼﾞ", u"ﾕ)ｻﾄｳｼｮｳﾃﾝ", u"ｼｬ)ﾐﾄﾞﾘｶｲ"};
  static const std::u16string_view kJapanese[] = {u"氏名",     u"住所", u"振込先", u"口座名義",
                                                  u"フリガナ", u"備考", u"様"};
  std::mt19937 random(20261208);
  auto pick = [&](const auto& table) { return std::u16string(table[random() % std::size(table)]); };
  auto number = [&] {
    return std::u16string(1, u'0' + random() % 10) + u"-" + u"12"[random() % 2];
  };
  auto name = [&] { return pick(kFamily) + (random() % 2 ? u" " : u"") + pick(kGiven); };
  auto field = [&]() -> std::u16string {
    switch (random() % 6) {
      case 0:
        return name();
      case 1:
        return pick(kPlaces) + u" " + number();
      case 2:
        return pick(kRecords);
      case 3:
        return std::u16string(1, u'1' + random() % 9) + u"0512" +
               std::u16string(1, u'0' + random() % 10);
      case 4:
        return pick(kFamily);
      default:
        return pick(kGiven);
    }
  };
  std::vector<std::u16string> lines;
  while (static_cast<int>(lines.size()) < count) {
    std::u16string line;
    switch (random() % 6) {
      case 0:
        line = name();
        break;
      case 1:
        line = pick(kGiven);
        break;
      case 2:
        line = pick(kPlaces) + u" " + number();
        break;
      case 3:
      case 4:
        for (uint32_t k = 2 + random() % 6; k > 0; --k)
          line += field() + (k > 1 ? (random() % 4 ? u"," : u"\t") : u"");
        break;
      default:
        line = pick(kJapanese) + u"：" + field() + u"、" + field();
        break;
    }
    lines.push_back(line);
  }
  return lines;
}

TEST(DetectEncoding, ShiftJisLinesOfHalfWidthKatakanaStayShiftJis) {
  std::string file, inText;
  for (const std::u16string& line : HalfWidthKatakanaLines(30000)) {
    const std::string bytes = Encoded(line, kEncodingShiftJis);
    ASSERT_EQ(0, Detect(bytes + "\n")) << bytes;
    ASSERT_EQ(0, Detect(bytes + "\r\n")) << bytes;
    file += bytes + "\r\n";
    inText += Encoded(u"本文の行です。", kEncodingShiftJis) + "\r\n" + bytes + "\r\n";
  }
  EXPECT_EQ(0, Detect(file));
  EXPECT_EQ(0, Detect(inText));
}

TEST(DetectEncoding, EveryFileOfTheTestDataKeepsItsAnswer) {
  const std::string data = VEMORA_TEST_DATA, corpus = data + "/../fuzz/corpus/decode_fuzzer";
  const struct {
    std::string path;
    TextEncoding expected;
  } files[] = {
      {data + "/cp932-invalid-pair.txt", 0},
      {data + "/cp932-nec-chars.txt", 0},
      {data + "/sjis-hashire-merosu.txt", 0},
      {data + "/sjis-kanshu.txt", 0},
      {data + "/sjis-one-line-also-euc.txt", 0},
      {corpus + "/cp932-invalid-pair.txt", 0},
      {corpus + "/cp932-nec-chars.txt", 0},
      {corpus + "/cr-lines.txt", 0},
      {corpus + "/euc.txt", 2},
      {corpus + "/jis.txt", 1},
      {corpus + "/mixed-lines.txt", 8},
      {corpus + "/overstrike.txt", 0},
      {corpus + "/sjis-kanshu.txt", 0},
      {corpus + "/sjis-one-line-also-euc.txt", 0},
      {corpus + "/sjis.txt", 0},
      {corpus + "/utf16be-bom.txt", 4},
      {corpus + "/utf16le-bom.txt", 3},
      {corpus + "/utf7.txt", 0},
      {corpus + "/utf8-bom.txt", 7},
      {corpus + "/utf8.txt", 8},
  };
  for (const auto& file : files) {
    std::ifstream in(file.path, std::ios::binary);
    ASSERT_TRUE(in) << file.path;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(file.expected, Detect(bytes)) << file.path;
  }
}

TEST(EncodingStatusName, NamesEveryEncodingAndNothingElse) {
  const char16_t* const names[] = {u"SHIFT-JIS",      u"JIS",   u"EUC",       u"UTF16(BOM)",
                                   u"UTF16(BOM)(BE)", u"UTF16", u"UTF16(BE)", u"UTF8(BOM)",
                                   u"UTF8",           u"UTF7"};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(std::u16string_view(names[i]), EncodingStatusName(i));
  EXPECT_TRUE(EncodingStatusName(-1).empty());
  EXPECT_TRUE(EncodingStatusName(10).empty());
  EXPECT_TRUE(EncodingStatusName(-3).empty());
}

}  // namespace
}  // namespace vemora
