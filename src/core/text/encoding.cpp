// Encoding detection. Every byte of a typical file is looked at once at most: one pass
// looks for JIS escapes and NUL bytes, pure-ASCII stretches are skipped a word at a time,
// and only lines holding bytes above 0x7F are scored, each scan a tight loop over the line.
#include "core/text/encoding.h"

#include <algorithm>
#include <cstring>

#include "core/pieces.h"
#include "core/text/byte_search.h"

namespace vemora {
namespace {

// First byte above 0x7F at or after `p`, or `end`.
const uint8_t* FindNonAscii(const uint8_t* p, const uint8_t* end) {
  return FindNonAsciiByte(p, end);
}

bool StartsWith(const uint8_t* bytes, int64_t length, std::initializer_list<uint8_t> mark) {
  if (length < 4) return false;  // a mark counts only in a file of at least 4 bytes
  return std::memcmp(bytes, mark.begin(), mark.size()) == 0;
}

// Whether [from, to) holds the start of a JIS escape; the escape's two further bytes may
// lie beyond `to`, and must be readable.
bool HasJisEscapeIn(const uint8_t* from, const uint8_t* to) {
  for (const uint8_t* p = from; p < to; ++p) {
    p = FindByte(p, to, 0x1B);
    if (p == to) return false;
    if ((p[1] == 0x24 && (p[2] == 0x42 || p[2] == 0x40)) || (p[1] == 0x28 && p[2] == 0x49))
      return true;
  }
  return false;
}

// The escapes of [from, to) and its NULs, by the parity of their offsets in the file; an
// ESC counts only before `escapesEnd`, where two bytes still follow it. Once NULs of both
// parities are seen, only escapes are looked for.
void FindEscapesAndNuls(const uint8_t* bytes, int64_t from, int64_t to, int64_t escapesEnd,
                        EncodingEvidence& evidence) {
  const uint8_t* const end = bytes + to;
  for (const uint8_t* p = bytes + from; p < end; ++p) {
    if (evidence.nulAtEven && evidence.nulAtOdd) {
      evidence.escape = HasJisEscapeIn(p, bytes + std::min(to, escapesEnd));
      return;
    }
    p = FindEitherByte(p, end, 0x1B, 0x00);
    if (p == end) return;
    if (*p == 0) {
      ((p - bytes) & 1 ? evidence.nulAtOdd : evidence.nulAtEven) = true;
    } else if (p - bytes < escapesEnd && HasJisEscapeIn(p, p + 1)) {
      evidence.escape = true;
      return;
    }
  }
}

// A large file is searched in a share per core: the search is the only pass of detection
// over the whole file, and the first to bring its pages into memory.
EncodingEvidence EscapesAndNuls(const uint8_t* bytes, int64_t length) {
  const int32_t pieces = length >= kBytesWorthPieces ? CoreCount() : 1;
  EncodingEvidence shares[64];
  const int32_t count = std::min<int32_t>(pieces, 64);
  RunPieces(count, [&](int32_t i) {
    FindEscapesAndNuls(bytes, ShareStart(length, i, count), ShareStart(length, i + 1, count),
                       length - 2, shares[i]);
  });
  EncodingEvidence evidence;
  for (int32_t i = 0; i < count; ++i) {
    evidence.escape = evidence.escape || shares[i].escape;
    evidence.nulAtEven = evidence.nulAtEven || shares[i].nulAtEven;
    evidence.nulAtOdd = evidence.nulAtOdd || shares[i].nulAtOdd;
  }
  return evidence;
}

// The three scores of one line [p, end). Each is 100 while the bytes fit, and each scan
// stops as soon as its score is 0 or less.
int ShiftJisScore(const uint8_t* p, const uint8_t* end) {
  int score = 100;
  bool trailExpected = false;
  for (; p < end; ++p) {
    const uint8_t b = *p;
    if (trailExpected) {
      if (b < 0x40 || b > 0xFC) return 0;
      trailExpected = false;
    } else if ((b >= 0x81 && b <= 0x9F) || b >= 0xE0) {
      if (b >= 0xEB && (score -= 50) <= 0) return 0;
      trailExpected = true;
    }
  }
  return trailExpected ? 0 : score;
}

int EucScore(const uint8_t* p, const uint8_t* end) {
  int state = 0;  // 1: second byte of a pair owed, 2: a katakana byte after SS2 owed
  for (; p < end; ++p) {
    const uint8_t b = *p;
    if (state == 0) {
      if (b == 0x8E)
        state = 2;
      else if (b >= 0xA1 && b <= 0xFE)
        state = 1;
    } else if (state == 1) {
      if (b < 0xA1 || b > 0xFE) return 0;
      state = 0;
    } else {
      if (b < 0xA0 || b > 0xDF) return 0;
      state = 0;
    }
  }
  return state == 0 ? 100 : 0;
}

int Utf8Score(const uint8_t* p, const uint8_t* end) {
  int score = 100;
  int owed = 0;
  for (; p < end; ++p) {
    const uint8_t b = *p;
    if (owed > 0) {
      --owed;
      if ((b & 0xC0) != 0x80) return 0;
      score += 10;
    } else if (b >= 0x80) {
      if ((b & 0xE0) == 0xC0)
        owed = 1;
      else if ((b & 0xF0) == 0xE0)
        owed = 2;
      else if ((b & 0xF8) == 0xF0)
        owed = 3;
      else if ((b & 0xFC) == 0xF8)
        owed = 4;
      else if ((b & 0xFE) == 0xFC)
        owed = 5;
      else
        return 0;
    }
  }
  // Only the last line of a buffer without an LF may end inside a sequence (the buffer
  // may end early); the bytes before an LF that cuts one are half-width katakana in
  // Shift_JIS far more often than broken UTF-8.
  return owed > 0 ? 0 : score;
}

bool IsAsciiLetter(uint8_t b) {
  return (b | 0x20) >= 'a' && (b | 0x20) <= 'z';
}

// Whether the line's bytes above 0x7F all form UTF-8 of the kind that answers UTF-8 when
// no line decides: well formed (no overlong form, surrogate or code point past U+10FFFF),
// its two-byte sequences only for U+0080 to U+017F (signs and Latin letters; Shift_JIS
// half-width katakana make most others), and one sequence at least telling: one of three
// or four bytes, or a sign or letter next to an ASCII letter ("°C", "récupération"). One
// of ﾂ to ﾅ and one of ｡ to ｿ read as such a letter, but a short name made of them (ﾄｼ,
// ﾅｵ) stands between spaces, commas or other katakana. Only the last line of a buffer
// without an LF may end inside a sequence.
bool NarrowUtf8(const uint8_t* const line, const uint8_t* end, bool lastLine) {
  bool telling = false;
  for (const uint8_t* p = line; p < end;) {
    const uint8_t* const start = p;
    const uint8_t b = *p++;
    if (b < 0x80) continue;
    int owed = 0;
    uint8_t low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xC5) {
      owed = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
      owed = 2;
      if (b == 0xE0) low = 0xA0;
      if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      owed = 3;
      if (b == 0xF0) low = 0x90;
      if (b == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    for (; owed > 0; --owed, ++p) {
      if (p == end) return lastLine && telling;
      if (*p < low || *p > high) return false;
      low = 0x80;
      high = 0xBF;
    }
    telling = telling || p - start > 2 || (start > line && IsAsciiLetter(start[-1])) ||
              (p < end && IsAsciiLetter(*p));
  }
  return telling;
}

// An undecided line [p, end) that holds a byte above 0x7F.
void NoteUndecidedLine(const uint8_t* p, const uint8_t* end, bool lastLine,
                       EncodingEvidence& evidence) {
  evidence.highLines = true;
  if (!evidence.notUtf8 && !NarrowUtf8(p, end, lastLine)) evidence.notUtf8 = true;
}

// The answer a line's three scores give, or -1 when they leave the question open. A line
// that both legacy scans reject but whose multi-byte sequences are all valid UTF-8 (at
// least one of them) is UTF-8: Japanese UTF-8 without a mark fails both scans on most
// lines, and would otherwise end as Shift_JIS.
TextEncoding Decide(int sjis, int euc, int utf8) {
  if (sjis == 0 && euc == 0 && utf8 > 100) return kEncodingUtf8;
  if (euc == sjis) return kEncodingNone;
  const int best = euc < sjis ? sjis : euc;
  if (best > utf8) return euc < sjis ? kEncodingShiftJis : kEncodingEuc;
  if (best < utf8) return kEncodingUtf8;
  return kEncodingNone;
}

// The answer of one line. UTF-8 is scored only when the legacy scores differ or both
// are 0, the only cases where its score matters.
TextEncoding DecideLine(const uint8_t* p, const uint8_t* end) {
  const int sjis = ShiftJisScore(p, end);
  const int euc = EucScore(p, end);
  if (euc == sjis && sjis != 0) return kEncodingNone;
  return Decide(sjis, euc, Utf8Score(p, end));
}

// Past the last LF, lines start after each CR but every scan still runs to the end of the
// buffer, so scoring them one by one would take time quadratic in the tail's length (a
// minute for 2 MB of undecided lines). Instead one backward pass keeps, for every state a
// scanner can be in, the score it would end with from here; each line start then reads
// its three scores off the start states. The earliest deciding line answers.
TextEncoding DecideTailLines(const uint8_t* line, const uint8_t* end) {
  int sjis[2] = {100, 0};    // by trail byte expected; an unpaired lead byte scores 0
  int euc[3] = {100, 0, 0};  // by bytes owed; a pair cut short scores 0
  int utf8[6] = {100, 100, 100, 100, 100, 100};  // 110 stands for any continuation seen
  TextEncoding answer = kEncodingNone;
  for (const uint8_t* p = end; p-- > line;) {
    const uint8_t b = *p;
    const bool lead = (b >= 0x81 && b <= 0x9F) || b >= 0xE0;
    const int sjisTrail = (b < 0x40 || b > 0xFC) ? 0 : sjis[0];
    sjis[0] = lead ? (b >= 0xEB ? (sjis[1] > 50 ? sjis[1] - 50 : 0) : sjis[1]) : sjis[0];
    sjis[1] = sjisTrail;

    const bool eucByte = b >= 0xA1 && b <= 0xFE;
    const int eucKana = (b >= 0xA0 && b <= 0xDF) ? euc[0] : 0;
    const int eucPair = eucByte ? euc[0] : 0;
    euc[0] = b == 0x8E ? euc[2] : eucByte ? euc[1] : euc[0];
    euc[1] = eucPair;
    euc[2] = eucKana;

    int old[6];
    std::memcpy(old, utf8, sizeof old);
    const bool continuation = (b & 0xC0) == 0x80;
    for (int owed = 1; owed <= 5; ++owed) utf8[owed] = continuation && old[owed - 1] ? 110 : 0;
    if (b >= 0x80) {
      const int owes = (b & 0xE0) == 0xC0   ? 1
                       : (b & 0xF0) == 0xE0 ? 2
                       : (b & 0xF8) == 0xF0 ? 3
                       : (b & 0xFC) == 0xF8 ? 4
                       : (b & 0xFE) == 0xFC ? 5
                                            : 0;
      utf8[0] = owes == 0 ? 0 : old[owes];
    }
    if (p == line || p[-1] == '\r') {
      const TextEncoding decided = Decide(sjis[0], euc[0], utf8[0]);
      if (decided != kEncodingNone) answer = decided;
    }
  }
  return answer;
}

// The tail of a buffer after its last LF: its deciding line, or what the lines say.
void GatherTailEvidence(const uint8_t* line, const uint8_t* end, EncodingEvidence& evidence) {
  evidence.decided = DecideTailLines(line, end);
  // Every line of the tail runs to the buffer's end, and those after the first are within
  // it: the first says for all.
  if (evidence.decided == kEncodingNone && FindNonAscii(line, end) != end)
    NoteUndecidedLine(line, end, true, evidence);
}

void GatherLines(const uint8_t* bytes, int64_t length, EncodingEvidence& evidence) {
  const uint8_t* const end = bytes + length;
  const uint8_t* line = bytes;
  const uint8_t* nonAscii = FindNonAscii(bytes, end);
  while (line < end) {
    if (nonAscii < line) nonAscii = FindNonAscii(line, end);
    // All three scores of a line without bytes above 0x7F stay 100: undecided, and so is
    // every line after it when the rest of the buffer is ASCII.
    if (nonAscii == end) return;
    const uint8_t* const lf = FindByte(line, end, '\n');
    // Without a further LF, the next line starts after the first CR.
    if (lf == end) return GatherTailEvidence(line, end, evidence);
    if (nonAscii < lf) {
      evidence.decided = DecideLine(line, lf);
      if (evidence.decided != kEncodingNone) return;
      NoteUndecidedLine(line, lf, false, evidence);
    }
    line = lf + 1;
  }
}

}  // namespace

TextEncoding DetectEncoding(const uint8_t* bytes, int64_t length, int32_t request) {
  switch (request) {
    case kRequestUtf16:
      return StartsWith(bytes, length, {0xFF, 0xFE}) ? kEncodingUtf16Bom : kEncodingUtf16;
    case kRequestUtf16Be:
      return StartsWith(bytes, length, {0xFE, 0xFF}) ? kEncodingUtf16BeBom : kEncodingUtf16Be;
    case kRequestUtf8:
      return StartsWith(bytes, length, {0xEF, 0xBB, 0xBF}) ? kEncodingUtf8Bom : kEncodingUtf8;
    case kRequestDetect:
      break;
    default:
      return request;
  }
  if (StartsWith(bytes, length, {0xFF, 0xFE})) return kEncodingUtf16Bom;
  if (StartsWith(bytes, length, {0xFE, 0xFF})) return kEncodingUtf16BeBom;
  if (StartsWith(bytes, length, {0xEF, 0xBB, 0xBF})) return kEncodingUtf8Bom;
  EncodingEvidence evidence = EscapesAndNuls(bytes, length);
  if (evidence.escape) return kEncodingJis;
  // Shift_JIS, EUC-JP and UTF-8 text holds no NUL: NULs on one side only are UTF-16's.
  if (evidence.nulAtEven != evidence.nulAtOdd) {
    GatherUnitEvidence(bytes, 0, length, length, evidence);
    const TextEncoding answer = ConcludeEncoding(evidence);
    if (answer == kEncodingUtf16 || answer == kEncodingUtf16Be) return answer;
  }
  if (length < 2) return kEncodingShiftJis;
  GatherLines(bytes, length, evidence);
  return ConcludeEncoding(evidence);
}

std::u16string_view EncodingStatusName(TextEncoding encoding) {
  static constexpr std::u16string_view kNames[] = {
      u"SHIFT-JIS", u"JIS",       u"EUC",       u"UTF16(BOM)", u"UTF16(BOM)(BE)",
      u"UTF16",     u"UTF16(BE)", u"UTF8(BOM)", u"UTF8",       u"UTF7"};
  if (encoding < 0 || encoding > kEncodingUtf7) return {};
  return kNames[encoding];
}

bool HasJisEscapeBetween(const uint8_t* bytes, int64_t from, int64_t to, int64_t end) {
  if (std::min(to, end - 2) <= from) return false;
  return HasJisEscapeIn(bytes + from, bytes + std::min(to, end - 2));
}

EncodingEvidence GatherEvidence(const uint8_t* bytes, int64_t length) {
  EncodingEvidence evidence = EscapesAndNuls(bytes, length);
  GatherUnitEvidence(bytes, 0, length, length, evidence);
  GatherLines(bytes, length, evidence);
  return evidence;
}

void GatherLineEvidence(const uint8_t* bytes, int64_t from, int64_t to, int64_t end,
                        EncodingEvidence& evidence) {
  const uint8_t* const stop = bytes + end;
  for (const uint8_t* line = bytes + from; line < bytes + to;) {
    const uint8_t* const lf = FindByte(line, stop, '\n');
    if (lf == stop) return GatherTailEvidence(line, stop, evidence);
    if (FindNonAscii(line, lf) != lf) {
      evidence.decided = DecideLine(line, lf);
      if (evidence.decided != kEncodingNone) return;
      NoteUndecidedLine(line, lf, false, evidence);
    }
    line = lf + 1;
  }
}

}  // namespace vemora
