// Writing text in each encoding: the forms each encoder writes, unconvertible characters,
// line ends, text given in pieces, the Shift_JIS round trip over every code, and agreement
// over every character of code page 932 with Windows (under Wine) and with iconv (natively;
// tests/cli/convert_test.sh compares whole test files).
#include "core/text/encode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifndef _WIN32
#include <iconv.h>
#endif

#include "core/platform/code_pages.h"
#include "core/text/decode.h"
#include "core/text/encoding.h"

namespace vemora {
namespace {

using std::string_literals::operator""s;

constexpr TextEncoding kAllTargets[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};

struct EncodeCase {
  const char* what;
  std::u16string text;
  std::string expected;
  int64_t unconvertible = 0;
};

void ExpectEncodes(TextEncoding target, const std::vector<EncodeCase>& cases) {
  for (const EncodeCase& c : cases) {
    EncodeTally tally;
    EXPECT_EQ(EncodeText(c.text, target, LineEndChoice::kKeep, &tally), c.expected) << c.what;
    EXPECT_EQ(tally.unconvertible, c.unconvertible) << c.what;
  }
}

std::u16string Decode(const std::string& bytes, TextEncoding encoding) {
  Document document;
  FileBytes file = FileBytes::Allocate(static_cast<int32_t>(bytes.size()));
  std::memcpy(file.data(), bytes.data(), bytes.size());
  DecodeDocumentTextOnOneThread(document, std::move(file), encoding);
  return std::u16string(document.Text());
}

std::string ReadTestFile(const char* name) {
  std::ifstream in(std::string(VEMORA_TEST_DATA) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string Code(uint16_t code) {
  return code > 0xFF ? std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)}
                     : std::string(1, static_cast<char>(code));
}

TEST(EncodeShiftJis, WritesCodePage932AndItsPreferredCodes) {
  ExpectEncodes(kEncodingShiftJis,
                {
                    {"ASCII, backslash, tilde and NUL as they are", u"a\\~\0z"s, "a\\~\0z"s},
                    {"kana and kanji", u"あ漢", "\x82\xA0\x8A\xBF"},
                    {"half-width katakana", u"ｱﾟ", "\xB1\xDF"},
                    {"NEC row 13", u"①Ⅰ", "\x87\x40\x87\x54"},
                    {"JIS X 0208 before NEC row 13", u"∵≒", "\x81\xE6\x81\xE0"},
                    {"IBM extension before its NEC-selected copy", u"纊ⅰ", "\xFA\x5C\xFA\x40"},
                    {"not-sign: JIS X 0208", u"￢", "\x81\xCA"},
                    {"JIS forms of code page 932's look-alikes", u"〜～−¢",
                     "\x81\x60\x81\x60\x81\x7C\x81\x91"},
                    {"user-defined area", u"\uE000\uE757", "\xF0\x40\xF9\xFC"},
                    {"outside the code page", u"é가", "??", 2},
                    {"a surrogate pair is one character", u"a😀b", "a?b", 1},
                    {"lone surrogates", u"\xD800z\xDC00", "?z?", 2},
                });
}

TEST(EncodeEuc, WritesTheJisGridTheDecoderReads) {
  ExpectEncodes(kEncodingEuc,
                {
                    {"ASCII", u"a\\~", "a\\~"},
                    {"kana and kanji", u"あ漢", "\xA4\xA2\xB4\xC1"},
                    {"half-width katakana after SS2", u"ｱﾟ", "\x8E\xB1\x8E\xDF"},
                    {"NEC row 13", u"①", "\xAD\xA1"},
                    {"IBM extensions in rows 89 to 92", u"纊ⅰ", "\xF9\xA1\xFC\xF1"},
                    {"duplicates: the lowest row", u"∵￢Ⅰ", "\xA2\xE8\xA2\xCC\xAD\xB5"},
                    {"wave dash either way", u"〜～", "\xA1\xC1\xA1\xC1"},
                    {"no user-defined area, no JIS X 0212", u"\uE000丂", "??", 2},
                });
}

TEST(EncodeJis, SwitchesSetsOnlyWhereTheyChangeAndEndsInAscii) {
  const std::string toKanji = "\x1B$B", toAscii = "\x1B(B", toKatakana = "\x1B(I";
  ExpectEncodes(kEncodingJis,
                {
                    {"ASCII alone has no escape", u"ab\r\n", "ab\r\n"},
                    {"empty", u"", ""},
                    {"one run of kanji", u"あ漢", toKanji + "$\"4A" + toAscii},
                    {"back to ASCII before ASCII", u"あa", toKanji + "$\"" + toAscii + "a"},
                    {"line ends are ASCII", u"あ\nい",
                     toKanji + "$\"" + toAscii + "\n" + toKanji + "$$" + toAscii},
                    {"half-width katakana", u"ｱあ", toKatakana + "1" + toKanji + "$\"" + toAscii},
                    {"rows 13 and 89", u"①纊", toKanji + "-!y!" + toAscii},
                    {"unconvertible in ASCII", u"あé", toKanji + "$\"" + toAscii + "?", 1},
                });
}

TEST(EncodeUtf8, WritesEveryCharacterAndTheMarkOnRequest) {
  ExpectEncodes(kEncodingUtf8, {
                                   {"ASCII", u"a\0"s, "a\0"s},
                                   {"kana", u"あ", "\xE3\x81\x82"},
                                   {"a pair", u"😀", "\xF0\x9F\x98\x80"},
                                   {"lone surrogates",
                                    u"\xDC00"
                                    "a\xD800",
                                    "?a?", 2},
                               });
  ExpectEncodes(kEncodingUtf8Bom, {
                                      {"empty text: the mark", u"", "\xEF\xBB\xBF"},
                                      {"the mark first", u"a",
                                       "\xEF\xBB\xBF"
                                       "a"},
                                  });
}

TEST(EncodeUtf16, WritesUnitsInEitherOrderWithOrWithoutTheMark) {
  ExpectEncodes(kEncodingUtf16Bom, {{"mark and units", u"aあ",
                                     "\xFF\xFE"
                                     "a\0\x42\x30"s},
                                    {"empty text: the mark", u"", "\xFF\xFE"}});
  ExpectEncodes(kEncodingUtf16, {{"units", u"a", "a\0"s},
                                 {"a lone surrogate is a unit like any", u"\xD800", "\x00\xD8"s}});
  ExpectEncodes(kEncodingUtf16BeBom, {{"mark and units", u"aあ", "\xFE\xFF\0a\x30\x42"s}});
  ExpectEncodes(kEncodingUtf16Be, {{"units", u"😀", "\xD8\x3D\xDE\x00"s}});
}

TEST(EncodeUtf7, WritesDirectCharactersAndClosesBase64OnlyWhereNeeded) {
  ExpectEncodes(kEncodingUtf7,
                {
                    {"direct set", u"Hi Mom.\r\n", "Hi Mom.\r\n"},
                    {"a run closed at the end", u"あ", "+MEI-"},
                    {"\"-\" before a base64 letter", u"あa", "+MEI-a"},
                    {"no \"-\" before other direct characters", u"あ.", "+MEI."},
                    {"plus alone", u"a+b", "a+-b"},
                    {"plus inside a run", u"あ+", "+MEIAKw-"},
                    {"optional direct characters in base64", u"Hi Mom -☺-!", "Hi Mom -+Jjo--+ACE-"},
                    {"a pair", u"😀", "+2D3eAA-"},
                    {"a lone surrogate", u"a\xD800", "a?", 1},
                });
}

TEST(EncodeText, EveryTargetReadsBackAsTheSameText) {
  const std::u16string text = u"Vemora 日本語 ｶﾀｶﾅ ①纊 +~\\!\r\nline 2\n";
  for (const TextEncoding target : kAllTargets) {
    EncodeTally tally;
    const std::string bytes = EncodeText(text, target, LineEndChoice::kKeep, &tally);
    EXPECT_EQ(tally.unconvertible, 0) << target;
    EXPECT_EQ(Decode(bytes, DetectEncoding(reinterpret_cast<const uint8_t*>(bytes.data()),
                                           static_cast<int32_t>(bytes.size()), target)),
              text)
        << target;
  }
}

TEST(EncodeUtf8, EveryCodePointReadsBackThroughTheDecoder) {
  std::u16string text;
  for (char32_t c = 1; c <= 0x10FFFF; c += (c < 0x10000 ? 1 : 7)) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    if (c < 0x10000) {
      text += static_cast<char16_t>(c);
    } else {
      text += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      text += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }
  const std::string bytes = EncodeText(text, kEncodingUtf8, LineEndChoice::kKeep);
  EXPECT_EQ(Decode(bytes, kEncodingUtf8), text);
  EXPECT_EQ(Decode(EncodeText(text, kEncodingUtf16Be, LineEndChoice::kKeep), kEncodingUtf16Be),
            text);
}

TEST(EncodeText, LineEndsAreKeptOrAllMadeOneKind) {
  const std::u16string text = u"a\r\nb\rc\nd\n\r\r\ne\r";
  const struct {
    LineEndChoice choice;
    std::u16string converted;
  } cases[] = {
      {LineEndChoice::kKeep, text},
      {LineEndChoice::kCrLf, u"a\r\nb\r\nc\r\nd\r\n\r\n\r\ne\r\n"},
      {LineEndChoice::kLf, u"a\nb\nc\nd\n\n\ne\n"},
      {LineEndChoice::kCr, u"a\rb\rc\rd\r\r\re\r"},
  };
  for (const TextEncoding target : kAllTargets)
    for (const auto& c : cases)
      EXPECT_EQ(EncodeText(text, target, c.choice),
                EncodeText(c.converted, target, LineEndChoice::kKeep))
          << target << " " << static_cast<int>(c.choice);
}

TEST(EncodeText, PiecesCutAnywhereGiveTheWholeTextsBytesAndTally) {
  // Cuts fall inside CR LF, inside a surrogate pair, inside a JIS run and a UTF-7 run.
  const std::u16string text = u"aあ\r\n😀é\rい\nｱ\xD800";
  for (const TextEncoding target : kAllTargets) {
    for (const LineEndChoice choice : {LineEndChoice::kKeep, LineEndChoice::kLf}) {
      EncodeTally whole;
      const std::string expected = EncodeText(text, target, choice, &whole);
      for (size_t cut = 0; cut <= text.size(); ++cut) {
        TextEncoder encoder(target, choice);
        std::string bytes;
        encoder.Encode(std::u16string_view(text).substr(0, cut), bytes);
        encoder.Encode({}, bytes);
        encoder.Encode(std::u16string_view(text).substr(cut), bytes);
        encoder.Finish(bytes);
        EXPECT_EQ(bytes, expected) << target << " cut at " << cut;
        EXPECT_EQ(encoder.Tally().unconvertible, whole.unconvertible) << target << " " << cut;
        EXPECT_EQ(encoder.Tally().firstUnconvertible, whole.firstUnconvertible) << target;
      }
    }
  }
}

TEST(EncodeText, CountsUnconvertibleCharactersAndFindsTheFirstLine) {
  const std::u16string text = u"ab\r\ncd\r\n\rxé😀\n가";
  const struct {
    TextEncoding target;
    int64_t count;
    int64_t first;
  } cases[] = {
      {kEncodingShiftJis, 3, 10}, {kEncodingEuc, 3, 10},  {kEncodingJis, 3, 10},
      {kEncodingUtf8, 0, -1},     {kEncodingUtf7, 0, -1}, {kEncodingUtf16, 0, -1},
  };
  for (const auto& c : cases) {
    EncodeTally tally;
    EncodeText(text, c.target, LineEndChoice::kCrLf, &tally);
    EXPECT_EQ(tally.unconvertible, c.count) << c.target;
    EXPECT_EQ(tally.firstUnconvertible, c.first) << c.target;
  }
  EXPECT_EQ(LineNumberAt(text, 10), 4);  // CR LF, CR LF and a lone CR before it
  EXPECT_EQ(LineNumberAt(text, 0), 1);
  EXPECT_EQ(LineNumberAt(text, 14), 5);
}

// The code Windows writes for a code page 932 code that shares its character with another:
// JIS X 0208 before NEC row 13, NEC row 13 before the IBM extensions, those before their
// NEC-selected copies (ED40 to EEFC), which keep the IBM order.
uint16_t PreferredCode(uint16_t code) {
  static const std::pair<uint16_t, uint16_t> kPairs[] = {
      {0x8790, 0x81E0}, {0x8791, 0x81DF}, {0x8792, 0x81E7}, {0x8795, 0x81E3}, {0x8796, 0x81DB},
      {0x8797, 0x81DA}, {0x879A, 0x81E6}, {0x879B, 0x81BF}, {0x879C, 0x81BE}, {0xFA54, 0x81CA},
      {0xFA58, 0x878A}, {0xFA59, 0x8782}, {0xFA5A, 0x8784}, {0xFA5B, 0x81E6}, {0xEEF9, 0x81CA},
      {0xEEFA, 0xFA55}, {0xEEFB, 0xFA56}, {0xEEFC, 0xFA57},
  };
  for (const auto& [from, to] : kPairs)
    if (code == from) return to;
  if (code >= 0xFA4A && code <= 0xFA53) return static_cast<uint16_t>(0x8754 + (code - 0xFA4A));
  if (code >= 0xEEEF && code <= 0xEEF8) return static_cast<uint16_t>(0xFA40 + (code - 0xEEEF));
  if (code >= 0xED40 && code <= 0xEEEC) {
    // The k-th NEC-selected code is the k-th IBM code from FA5C, counting trail bytes.
    auto index = [](uint16_t c) {
      return (c >> 8) * 188 + ((c & 0xFF) - ((c & 0xFF) >= 0x80 ? 0x41 : 0x40));
    };
    int target = index(0xFA5C) + (index(code) - index(0xED40));
    const int lead = target / 188, trail = target % 188;
    return static_cast<uint16_t>((lead << 8) | (trail + (trail >= 63 ? 0x41 : 0x40)));
  }
  return code;
}

TEST(EncodeShiftJis, EveryCodeGoesToUtf16AndBackExceptWindowsPreferredDuplicates) {
  int pairs = 0;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead >= 0xA0 && lead < 0xE0) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      const std::string bytes = Code(static_cast<uint16_t>((lead << 8) | trail));
      const std::u16string text = Decode(bytes, kEncodingShiftJis);
      if (text == u"\u30FB" && bytes != "\x81\x45") continue;  // no character there
      ++pairs;
      EXPECT_EQ(EncodeText(text, kEncodingShiftJis, LineEndChoice::kKeep),
                Code(PreferredCode(static_cast<uint16_t>((lead << 8) | trail))))
          << std::hex << lead << trail;
    }
  }
  EXPECT_GE(pairs, 7915);  // JIS X 0208, NEC row 13, both IBM sets and the user-defined area
  for (int b = 0; b < 0x100; ++b) {
    if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) continue;
    const std::string byte(1, static_cast<char>(b));
    const std::u16string text = Decode(byte, kEncodingShiftJis);
    if (text == u"\u30FB" || text == u"\uFFFD") continue;
    EXPECT_EQ(EncodeText(text, kEncodingShiftJis, LineEndChoice::kKeep), byte) << b;
  }
  for (const char* name : {"sjis-kanshu.txt", "sjis-hashire-merosu.txt", "cp932-nec-chars.txt"}) {
    const std::string file = ReadTestFile(name);
    ASSERT_FALSE(file.empty()) << name;
    EXPECT_EQ(EncodeText(Decode(file, kEncodingShiftJis), kEncodingShiftJis, LineEndChoice::kKeep),
              file)
        << name;
  }
}

// Every character code page 932 decodes to, with the code it was decoded from.
std::vector<std::pair<char16_t, uint16_t>> CodePage932Characters() {
  std::vector<std::pair<char16_t, uint16_t>> characters;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead >= 0xA0 && lead < 0xE0) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      const auto code = static_cast<uint16_t>((lead << 8) | trail);
      const std::u16string text = Decode(Code(code), kEncodingShiftJis);
      if (trail != 0x7F && text.size() == 1 && (text != u"\u30FB" || code == 0x8145))
        characters.emplace_back(text[0], code);
    }
  }
  for (int b = 0xA1; b <= 0xDF; ++b)
    characters.emplace_back(static_cast<char16_t>(0xFF61 + b - 0xA1), static_cast<uint16_t>(b));
  return characters;
}

#ifdef _WIN32
// Under Windows (or Wine) the platform's own encoder is Windows' code page 932.
TEST(EncodeShiftJis, AgreesWithTheSystemForEveryCharacter) {
  for (const auto& [c, code] : CodePage932Characters()) {
    const std::u16string text(1, c);
    EXPECT_EQ(EncodeText(text, kEncodingShiftJis, LineEndChoice::kKeep),
              EncodeCodePage(kCodePageShiftJis, text))
        << std::hex << code;
  }
}
#endif

#ifndef _WIN32
// iconv's form of the text in `charset`, or "(rejected)".
std::string Iconv(const char* charset, std::u16string_view text) {
  iconv_t converter = iconv_open(charset, "UTF-16LE");
  std::string out(text.size() * 8 + 16, '\0');
  char* in = const_cast<char*>(reinterpret_cast<const char*>(text.data()));
  size_t inLeft = text.size() * 2;
  char* o = out.data();
  size_t outLeft = out.size();
  const bool ok = iconv(converter, &in, &inLeft, &o, &outLeft) != static_cast<size_t>(-1) &&
                  iconv(converter, nullptr, nullptr, &o, &outLeft) != static_cast<size_t>(-1);
  iconv_close(converter);
  if (!ok) return "(rejected)";
  out.resize(out.size() - outLeft);
  return out;
}

// Code page 932's look-alikes of JIS X 0208 characters (PARALLEL TO, FULLWIDTH HYPHEN-MINUS,
// CENT, POUND and NOT SIGN, FULLWIDTH TILDE): iconv's EUC-JP and ISO-2022-JP know only the
// standard's code points (U+2016, U+2212, U+00A2, U+00A3, U+00AC, U+301C) and reject
// these, or write FULLWIDTH TILDE in JIS X 0212; we write the JIS X 0208 code the decoder
// reads them from.
constexpr char16_t kLookAlikes[] = u"\u2225\uFF0D\uFFE0\uFFE1\uFFE2\uFF5E";

bool IsJisX0208Proper(uint16_t code) {
  return code >= 0x100 && (code >> 8) != 0x87 && code < 0xEB00;
}

TEST(EncodeAgainstIconv, EveryCharacterOfCodePage932) {
  int extensionsIconvCannotWrite = 0;
  for (const auto& [c, code] : CodePage932Characters()) {
    const std::u16string text(1, c);
    // Code page 932 itself, duplicates included: glibc prefers the codes Windows does.
    EXPECT_EQ(EncodeText(text, kEncodingShiftJis, LineEndChoice::kKeep), Iconv("CP932", text))
        << std::hex << code;
    const std::string oursEuc = EncodeText(text, kEncodingEuc, LineEndChoice::kKeep);
    const std::string oursJis = EncodeText(text, kEncodingJis, LineEndChoice::kKeep);
    if (code < 0x100 || IsJisX0208Proper(code)) {
      if (std::u16string_view(kLookAlikes).find(c) != std::u16string_view::npos) {
        EXPECT_TRUE(Iconv("EUC-JP", text) == "(rejected)" || Iconv("EUC-JP", text)[0] == '\x8F');
        EXPECT_EQ(Iconv("ISO-2022-JP", text), "(rejected)");
      } else {
        EXPECT_EQ(oursEuc, Iconv("EUC-JP", text)) << std::hex << code;
        if (code >= 0x100) {
          EXPECT_EQ(oursJis, Iconv("ISO-2022-JP", text)) << std::hex << code;
        }
      }
    } else if (oursEuc != "?") {
      // NEC row 13 and the IBM extensions: iconv's EUC-JP writes JIS X 0212 or nothing,
      // neither of which the decoder reads; we write rows 13 and 89 to 92.
      extensionsIconvCannotWrite += oursEuc != Iconv("EUC-JP", text);
    }
    // Whatever iconv does, what we write reads back as the character.
    if (oursEuc != "?") {
      EXPECT_EQ(Decode(oursEuc, kEncodingEuc), text) << std::hex << code;
      EXPECT_EQ(Decode(oursJis, kEncodingJis), text) << std::hex << code;
    } else {
      EXPECT_GE(code, 0xF040) << "only the user-defined area has no JIS code";
      EXPECT_LE(code, 0xF9FC);
    }
    for (const auto& [target, charset] :
         {std::pair{kEncodingUtf8, "UTF-8"}, std::pair{kEncodingUtf16, "UTF-16LE"},
          std::pair{kEncodingUtf16Be, "UTF-16BE"}, std::pair{kEncodingUtf7, "UTF-7"}})
      EXPECT_EQ(EncodeText(text, target, LineEndChoice::kKeep), Iconv(charset, text));
  }
  EXPECT_GT(extensionsIconvCannotWrite, 700);
}

#endif

}  // namespace
}  // namespace vemora
