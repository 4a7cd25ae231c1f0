// Detection by line scores against a literal, slow rendering of the rules, on buffers
// whose lines end in CR, LF or both, so that the fast paths give the same answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <random>
#include <vector>

#include "core/text/encoding.h"

namespace vemora {
namespace {

int ReferenceShiftJis(const uint8_t* p, const uint8_t* end) {
  int score = 100;
  bool trail = false;
  for (; p < end && score > 0; ++p) {
    if (trail) {
      if (*p < 0x40 || *p > 0xFC) score = 0;
      trail = false;
    } else if ((*p >= 0x81 && *p <= 0x9F) || *p >= 0xE0) {
      if (*p >= 0xEB) score -= 50;
      trail = true;
    }
  }
  return trail ? 0 : score;
}

int ReferenceEuc(const uint8_t* p, const uint8_t* end) {
  int score = 100, state = 0;
  for (; p < end && score > 0; ++p) {
    const uint8_t b = *p;
    if (state == 0) {
      state = b == 0x8E ? 2 : (b >= 0xA1 && b <= 0xFE) ? 1 : 0;
    } else {
      const bool fits = state == 1 ? (b >= 0xA1 && b <= 0xFE) : (b >= 0xA0 && b <= 0xDF);
      if (!fits) score = 0;
      state = 0;
    }
  }
  return state != 0 ? 0 : score;
}

// `endsAtLf`: a sequence cut short by the line's end costs everything.
int ReferenceUtf8(const uint8_t* p, const uint8_t* end, bool endsAtLf) {
  int score = 100, owed = 0;
  for (; p < end && score > 0; ++p) {
    const uint8_t b = *p;
    if (owed > 0) {
      --owed;
      score = (b & 0xC0) == 0x80 ? score + 10 : 0;
    } else if (b >= 0x80) {
      owed = (b & 0xE0) == 0xC0   ? 1
             : (b & 0xF0) == 0xE0 ? 2
             : (b & 0xF8) == 0xF0 ? 3
             : (b & 0xFC) == 0xF8 ? 4
             : (b & 0xFE) == 0xFC ? 5
                                  : 0;
      if (owed == 0) score = 0;
    }
  }
  return endsAtLf && owed > 0 ? 0 : score;
}

// Decodes the sequences, then checks what they decode to: well-formed UTF-8 in which every
// two-byte character lies in U+0080 to U+017F, one character at least of three or four
// bytes or next to an ASCII letter.
bool ReferenceNarrowUtf8(const uint8_t* const begin, const uint8_t* end, bool endsAtLf) {
  int telling = 0;
  for (const uint8_t* p = begin; p < end;) {
    if (*p < 0x80) {
      ++p;
      continue;
    }
    const int length = *p >= 0xF0 ? 4 : *p >= 0xE0 ? 3 : *p >= 0xC0 ? 2 : 0;
    if (length == 0 || *p >= 0xF8) return false;
    uint32_t code = *p & (0x7F >> length);
    int k = 1;
    for (; k < length && p + k < end; ++k) {
      if ((p[k] & 0xC0) != 0x80) return false;
      code = code << 6 | (p[k] & 0x3F);
    }
    if (k < length) return !endsAtLf && telling > 0;  // cut by the buffer's end
    const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    if (length == 2 && code > 0x17F) return false;
    const bool letterBefore = p > begin && std::isalpha(p[-1]);
    const bool letterAfter = p + length < end && std::isalpha(p[length]);
    if (length > 2 || letterBefore || letterAfter) ++telling;
    p += length;
  }
  return telling > 0;
}

TextEncoding ReferenceDetect(const std::vector<uint8_t>& bytes) {
  const uint8_t* const begin = bytes.data();
  const uint8_t* const end = begin + bytes.size();
  // Byte-order marks come first; the alphabet has no ESC, so no JIS escape.
  if (bytes.size() >= 4 && bytes[0] == 0xFF && bytes[1] == 0xFE) return 3;
  if (bytes.size() >= 4 && bytes[0] == 0xFE && bytes[1] == 0xFF) return 4;
  if (bytes.size() >= 4 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) return 7;
  const uint8_t* line = begin;
  bool high = false, narrow = true;
  while (line < end) {
    const auto* lf = static_cast<const uint8_t*>(std::memchr(line, '\n', end - line));
    const uint8_t* stop = lf ? lf : end;
    const int s = ReferenceShiftJis(line, stop), e = ReferenceEuc(line, stop);
    const int u = ReferenceUtf8(line, stop, lf != nullptr);
    if (s == 0 && e == 0 && u > 100) return 8;
    if (e < s && s != u) return s > u ? 0 : 8;
    if (e > s && e != u) return e > u ? 2 : 8;
    if (std::any_of(line, stop, [](uint8_t b) { return b >= 0x80; })) {
      high = true;
      narrow = narrow && ReferenceNarrowUtf8(line, stop, lf != nullptr);
    }
    const auto* cr = static_cast<const uint8_t*>(std::memchr(line, '\r', end - line));
    const uint8_t* next = lf ? lf + 1 : cr ? cr + 1 : end;
    line = next;
  }
  // No line decides: UTF-8 when every line above ASCII is UTF-8 of the narrow kind.
  return high && narrow ? 8 : 0;
}

TEST(DetectEncodingLines, AgreesWithTheRulesOnRandomLines) {
  // Bytes that move the three scanners between their states, the edges of every range
  // the scanners test, and the line ends.
  const uint8_t alphabet[] = {'a',  ' ',  '\r', '\r', '\n', 0x81, 0x82, 0x8E, 0xA4, 0xA2, 0xB1,
                              0xE3, 0xEF, 0xC3, 0xF0, 0x3F, 0x40, 0x7E, 0x7F, 0x80, 0x9F, 0xA0,
                              0xA1, 0xBF, 0xC0, 0xDF, 0xE0, 0xEA, 0xEB, 0xF8, 0xFC, 0xFD, 0xFE,
                              0xFF, 0xC2, 0xC5, 0xC6, 0xED, 0xF4, 0x90, 0x8F};
  std::mt19937 random(20261207);
  for (int round = 0; round < 8000; ++round) {
    std::vector<uint8_t> bytes(2 + random() % 40);
    const bool crOnly = round % 2 == 0;
    for (uint8_t& b : bytes) {
      b = alphabet[random() % sizeof alphabet];
      if (crOnly && b == '\n') b = '\r';
    }
    ASSERT_EQ(DetectEncoding(bytes.data(), static_cast<int32_t>(bytes.size()), -1),
              ReferenceDetect(bytes))
        << "round " << round;
  }
}

// What a file read in steps joins: each stretch's units and NULs, and the lines that start
// in it after its first line start.
EncodingEvidence EvidenceOfStretch(const std::vector<uint8_t>& bytes, int64_t from, int64_t to) {
  const auto length = static_cast<int64_t>(bytes.size());
  EncodingEvidence evidence;
  GatherUnitEvidence(bytes.data(), from, to, length, evidence);
  int64_t start = from;
  while (start > 0 && start < to && bytes[start - 1] != '\n') ++start;
  if (start < to) GatherLineEvidence(bytes.data(), start, to, length, evidence);
  return evidence;
}

TEST(DetectEncodingLines, StretchesJoinIntoTheAnswerOverTheWholeFile) {
  // Units of UTF-16 text in either byte order (line ends, a pair, a lone half, kana and
  // ASCII), or bytes of the legacy encodings; the cuts fall anywhere, inside units too.
  const char16_t units[] = {u'A', u'\n', u'\r', 0xD83D, 0xDE0A, 0xD800, u'あ', 0x00E9, 0x3000};
  const uint8_t alphabet[] = {'a', '\n', '\r', 0x00, 0xD8, 0xDC, 0xC3, 0xA9, 0xB1, 0xE3, 0x81};
  std::mt19937 random(20261208);
  int utf16 = 0;
  for (int round = 0; round < 20000; ++round) {
    std::vector<uint8_t> bytes;
    const size_t count = 2 + random() % 30;
    if (round % 2 == 0) {
      const bool big = round % 4 == 0;
      while (bytes.size() < count) {
        const char16_t unit = units[random() % std::size(units)];
        bytes.push_back(static_cast<uint8_t>(big ? unit >> 8 : unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(big ? unit & 0xFF : unit >> 8));
      }
      if (random() % 3 == 0) bytes.push_back(alphabet[random() % std::size(alphabet)]);
    } else {
      while (bytes.size() < count) bytes.push_back(alphabet[random() % std::size(alphabet)]);
    }
    const auto length = static_cast<int64_t>(bytes.size());
    std::vector<int64_t> cuts = {0, length};
    for (uint32_t k = random() % 5; k > 0; --k) cuts.push_back(random() % length);
    std::sort(cuts.begin(), cuts.end());
    EncodingEvidence joined;
    for (size_t k = 0; k + 1 < cuts.size(); ++k)
      JoinEvidence(joined, EvidenceOfStretch(bytes, cuts[k], cuts[k + 1]));
    const TextEncoding whole = DetectEncoding(bytes.data(), length, -1);
    ASSERT_EQ(ConcludeEncoding(joined), whole) << "round " << round;
    utf16 += whole == kEncodingUtf16 || whole == kEncodingUtf16Be;
  }
  EXPECT_GT(utf16, 500);
}

TEST(DetectEncodingLines, LinesEndingInCrAloneAreDecidedInOrder) {
  // An undecided EUC hiragana line, then a line that only Shift_JIS can read, then one
  // that only EUC can read: the earlier deciding line wins although every scan runs on.
  std::vector<uint8_t> bytes = {0xA4, 0xA2, '\r', 0x82, 0xA0, '\r', 0xB0, 0xA1, '\r'};
  EXPECT_EQ(DetectEncoding(bytes.data(), static_cast<int32_t>(bytes.size()), -1),
            ReferenceDetect(bytes));
  for (int i = 0; i < 3000; ++i) bytes.insert(bytes.begin(), {0xA4, 0xA2, '\r'});
  EXPECT_EQ(DetectEncoding(bytes.data(), static_cast<int32_t>(bytes.size()), -1),
            ReferenceDetect(bytes));
}

}  // namespace
}  // namespace vemora
