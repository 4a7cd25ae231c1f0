// Encoding UTF-16 text into the bytes of a file: code page 932 and the JIS X 0208 family by
// tables built once from the decoder, UTF-8, UTF-16 and UTF-7 directly.
#include "core/text/encode.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "core/platform/code_pages.h"
#include "core/text/encoding.h"
#include "core/text/utf8.h"

namespace vemora {
namespace {

constexpr char kEsc = 0x1B;
constexpr char16_t kCodePageReplacement = u'\u30FB';  // what 932 decodes a bad pair to
constexpr uint16_t kReplacementCode = 0x8145;         // the pair that really is U+30FB

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}
bool IsLead(int b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The trail bytes of a pair in code page 932.
constexpr int kTrails = 188;
int TrailByte(int index) {
  return index < 63 ? 0x40 + index : 0x80 + (index - 63);
}

// The JIS X 0208 row and cell of a Shift_JIS pair, as EUC-JP bytes: the inverse of the
// decoder's arithmetic. Leads from 0xF0 have no row there.
uint16_t EucOfShiftJis(int lead, int trail) {
  const int rowPair = lead - (lead >= 0xE0 ? 0xC1 : 0x81);
  int j1 = 2 * rowPair + 0x21;
  int j2;
  if (trail >= 0x9F) {
    ++j1;
    j2 = trail - 0x7E;
  } else {
    j2 = trail - (trail >= 0x80 ? 0x20 : 0x1F);
  }
  return static_cast<uint16_t>(((j1 | 0x80) << 8) | (j2 | 0x80));
}

// Characters whose JIS X 0208 code Unicode and code page 932 map differently: the
// standard's code point, and the code page 932 code of the same row and cell.
constexpr struct {
  char16_t c;
  uint16_t code;
} kJisStandardForms[] = {
    {u'\u2014', 0x815C}, {u'\u301C', 0x8160}, {u'\u2016', 0x8161}, {u'\u2212', 0x817C},
    {u'\u00A2', 0x8191}, {u'\u00A3', 0x8192}, {u'\u00AC', 0x81CA},
};

// Both tables map a UTF-16 unit to its code; 0 for none. Characters below 0x80 are ASCII
// in every target and never looked up.
struct EncodeTables {
  uint16_t shiftJis[0x10000] = {};  // a byte, or lead << 8 | trail
  uint16_t euc[0x10000] = {};       // 0x8E00 | katakana byte, or the two EUC-JP bytes

  EncodeTables() {
    for (int b = 0x80; b <= 0xFF; ++b) {
      if (IsLead(b)) continue;
      const auto byte = static_cast<uint8_t>(b);
      char16_t unit = 0;
      if (DecodeCodePage(kCodePageShiftJis, &byte, 1, &unit, 1) != 1) continue;
      if (unit < 0x80 || unit == kCodePageReplacement || unit == u'\uFFFD') continue;
      shiftJis[unit] = static_cast<uint16_t>(b);
      if (b >= 0xA1 && b <= 0xDF) euc[unit] = static_cast<uint16_t>(0x8E00 | b);
    }
    // Where a character has two codes, Windows writes the first in this order: JIS X 0208,
    // NEC row 13, the IBM extensions, and last their NEC-selected copies (leads ED, EE).
    std::vector<int> leads;
    for (int b = 0x81; b <= 0xFC; ++b)
      if (IsLead(b) && b != 0xED && b != 0xEE) leads.push_back(b);
    leads.push_back(0xED);
    leads.push_back(0xEE);
    // EUC-JP reaches the leads up to 0xEF only; there the lowest code wins.
    std::vector<std::pair<char16_t, uint16_t>> eucCandidates;
    for (const int lead : leads) {
      char16_t units[kTrails];
      DecodeRow(lead, units);
      for (int k = 0; k < kTrails; ++k) {
        const int trail = TrailByte(k);
        const auto code = static_cast<uint16_t>((lead << 8) | trail);
        const char16_t unit = units[k];
        if (unit < 0x80 || (unit == kCodePageReplacement && code != kReplacementCode)) continue;
        if (!shiftJis[unit]) shiftJis[unit] = code;
        if (lead <= 0xEF) eucCandidates.emplace_back(unit, code);
      }
    }
    std::sort(eucCandidates.begin(), eucCandidates.end(),
              [](const auto& a, const auto& b) { return a.second < b.second; });
    for (const auto& [unit, code] : eucCandidates)
      if (!euc[unit]) euc[unit] = EucOfShiftJis(code >> 8, code & 0xFF);
    for (const auto& form : kJisStandardForms) {
      if (!shiftJis[form.c]) shiftJis[form.c] = form.code;
      if (!euc[form.c]) euc[form.c] = EucOfShiftJis(form.code >> 8, form.code & 0xFF);
    }
  }

  // The 188 pairs of one lead byte through the platform's decoder, in one call when each
  // pair gives one unit (as it does in code page 932), else pair by pair.
  static void DecodeRow(int lead, char16_t* units) {
    uint8_t bytes[kTrails * 2];
    for (int k = 0; k < kTrails; ++k) {
      bytes[2 * k] = static_cast<uint8_t>(lead);
      bytes[2 * k + 1] = static_cast<uint8_t>(TrailByte(k));
    }
    if (DecodeCodePage(kCodePageShiftJis, bytes, kTrails * 2, units, kTrails) == kTrails) return;
    for (int k = 0; k < kTrails; ++k) {
      char16_t pair[2] = {};
      units[k] =
          DecodeCodePage(kCodePageShiftJis, bytes + 2 * k, 2, pair, 2) == 1 ? pair[0] : u'\0';
    }
  }
};

const EncodeTables& Tables() {
  static const auto tables = std::make_unique<EncodeTables>();
  return *tables;
}

// Most bytes one UTF-16 unit can become, line-end conversion included: ISO-2022-JP's one
// kanji between ASCII takes two escapes and two bytes; UTF-7 needs fewer.
int MostBytesPerUnit(TextEncoding target) {
  switch (target) {
    case kEncodingJis:
    case kEncodingUtf7:
      return 8;
    case kEncodingUtf16Bom:
    case kEncodingUtf16BeBom:
    case kEncodingUtf16:
    case kEncodingUtf16Be:
      return 4;
    default:
      return 3;
  }
}

// UTF-7 as other converters write it: the directly encoded set of RFC 2152, everything
// else in base64, and "-" after a run only where the next character would read as base64.
bool IsUtf7Direct(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
         c == u'\'' || c == u'(' || c == u')' || c == u',' || c == u'-' || c == u'.' || c == u'/' ||
         c == u':' || c == u'?' || c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}
bool ReadsAsBase64(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
         c == u'+' || c == u'/' || c == u'-';
}
constexpr char kBase64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Takes the ASCII units at p as bytes, four at a time, while there are four.
inline void CopyAscii(const char16_t*& p, const char16_t* end, char*& out) {
  while (end - p >= 4) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    if (word & 0xFF80FF80FF80FF80ull) return;
    out[0] = static_cast<char>(p[0]);
    out[1] = static_cast<char>(p[1]);
    out[2] = static_cast<char>(p[2]);
    out[3] = static_cast<char>(p[3]);
    out += 4;
    p += 4;
  }
}

// How many units an unconvertible character at p takes: a pair is one character.
inline int UnitsOfCharacter(const char16_t* p, const char16_t* end) {
  return IsHighSurrogate(*p) && p + 1 < end && IsLowSurrogate(p[1]) ? 2 : 1;
}

}  // namespace

TextEncoder::TextEncoder(TextEncoding target, LineEndChoice lineEnds)
    : target_(target), lineEnds_(lineEnds) {
  if (target_ == kEncodingShiftJis || target_ == kEncodingEuc || target_ == kEncodingJis)
    Tables();  // built now rather than inside the first piece
}

void TextEncoder::Unconvertible(int64_t offset) {
  if (tally_.unconvertible++ == 0) tally_.firstUnconvertible = offset;
}

char* TextEncoder::EncodeSegment(const char16_t* p, const char16_t* end, int64_t offset,
                                 char* out) {
  const char16_t* const start = p;
  switch (target_) {
    case kEncodingUtf16Bom:
    case kEncodingUtf16: {
      const auto bytes = static_cast<size_t>(end - p) * 2;
      std::memcpy(out, p, bytes);  // the core runs on little-endian machines only
      return out + bytes;
    }
    case kEncodingUtf16BeBom:
    case kEncodingUtf16Be:
      for (; p < end; ++p) {
        *out++ = static_cast<char>(*p >> 8);
        *out++ = static_cast<char>(*p & 0xFF);
      }
      return out;
    case kEncodingUtf8Bom:
    case kEncodingUtf8: {
      int64_t lone = 0;
      const char16_t* firstLone = nullptr;
      out = EncodeUtf8Checked(p, end, out, lone, firstLone);
      if (lone > 0) {
        Unconvertible(offset + (firstLone - start));
        tally_.unconvertible += lone - 1;
      }
      return out;
    }
    case kEncodingEuc: {
      const uint16_t* const table = Tables().euc;
      while (p < end) {
        if (*p < 0x80) {
          CopyAscii(p, end, out);
          while (p < end && *p < 0x80) *out++ = static_cast<char>(*p++);
          continue;
        }
        do {
          const uint16_t code = table[*p];
          if (code) {
            out[0] = static_cast<char>(code >> 8);
            out[1] = static_cast<char>(code & 0xFF);
            out += 2;
            ++p;
          } else {
            Unconvertible(offset + (p - start));
            *out++ = '?';
            p += UnitsOfCharacter(p, end);
          }
        } while (p < end && *p >= 0x80);
      }
      return out;
    }
    case kEncodingJis: {
      const uint16_t* const table = Tables().euc;
      int set = jisSet_;
      auto switchTo = [&](int wanted) {
        if (set == wanted) return;
        static constexpr char kEscapes[3][3] = {
            {kEsc, '(', 'B'}, {kEsc, '$', 'B'}, {kEsc, '(', 'I'}};
        std::memcpy(out, kEscapes[wanted], 3);
        out += 3;
        set = wanted;
      };
      for (; p < end; ++p) {
        const char16_t c = *p;
        const uint16_t code = c < 0x80 ? 0 : table[c];
        if (c < 0x80 || !code) {
          switchTo(0);
          if (c < 0x80) {
            *out++ = static_cast<char>(c);
            continue;
          }
          Unconvertible(offset + (p - start));
          *out++ = '?';
          p += UnitsOfCharacter(p, end) - 1;
        } else if ((code >> 8) == 0x8E) {
          switchTo(2);
          *out++ = static_cast<char>((code & 0xFF) - 0x80);
        } else {
          switchTo(1);
          *out++ = static_cast<char>((code >> 8) & 0x7F);
          *out++ = static_cast<char>(code & 0x7F);
        }
      }
      jisSet_ = set;
      return out;
    }
    case kEncodingUtf7: {
      auto closeRun = [&](char16_t next) {
        if (bitCount_ > 0) *out++ = kBase64Digits[(bits_ << (6 - bitCount_)) & 0x3F];
        if (ReadsAsBase64(next)) *out++ = '-';
        inBase64_ = false;
        bits_ = 0;
        bitCount_ = 0;
      };
      auto putBase64 = [&](char16_t unit) {
        bits_ = (bits_ << 16) | unit;
        bitCount_ += 16;
        while (bitCount_ >= 6) {
          bitCount_ -= 6;
          *out++ = kBase64Digits[(bits_ >> bitCount_) & 0x3F];
        }
        bits_ &= (1u << bitCount_) - 1;
      };
      for (; p < end; ++p) {
        char16_t c = *p;
        const bool pair = UnitsOfCharacter(p, end) == 2;
        if (!pair && (IsHighSurrogate(c) || IsLowSurrogate(c))) {
          Unconvertible(offset + (p - start));
          c = u'?';
        }
        if (IsUtf7Direct(c)) {
          if (inBase64_) closeRun(c);
          *out++ = static_cast<char>(c);
          continue;
        }
        if (!inBase64_) {
          *out++ = '+';
          if (c == u'+') {
            *out++ = '-';
            continue;
          }
          inBase64_ = true;
        }
        putBase64(c);
        if (pair) putBase64(*++p);
      }
      return out;
    }
    default: {  // Shift_JIS
      const uint16_t* const table = Tables().shiftJis;
      while (p < end) {
        if (*p < 0x80) {
          CopyAscii(p, end, out);
          while (p < end && *p < 0x80) *out++ = static_cast<char>(*p++);
          continue;
        }
        // A run of other characters, Japanese text's usual case, without the ASCII test.
        do {
          const uint16_t code = table[*p];
          if (code > 0xFF) {
            out[0] = static_cast<char>(code >> 8);
            out[1] = static_cast<char>(code & 0xFF);
            out += 2;
            ++p;
          } else if (code) {
            *out++ = static_cast<char>(code);
            ++p;
          } else {
            Unconvertible(offset + (p - start));
            *out++ = '?';
            p += UnitsOfCharacter(p, end);
          }
        } while (p < end && *p >= 0x80);
      }
      return out;
    }
  }
}

char* TextEncoder::WriteLineEnd(char* out) {
  static constexpr char16_t kLineEnds[] = u"\r\n";
  const char16_t* from = lineEnds_ == LineEndChoice::kLf ? kLineEnds + 1 : kLineEnds;
  const char16_t* to = lineEnds_ == LineEndChoice::kCr ? kLineEnds + 1 : kLineEnds + 2;
  return EncodeSegment(from, to, 0, out);
}

char* TextEncoder::EncodeRun(const char16_t* p, const char16_t* end, int64_t offset, char* o) {
  if (p == end) return o;
  if (lineEnds_ == LineEndChoice::kKeep) return EncodeSegment(p, end, offset, o);
  const char16_t* const start = p;
  while (p < end) {
    const char16_t* lineEnd = p;
    while (lineEnd < end && *lineEnd != u'\r' && *lineEnd != u'\n') ++lineEnd;
    o = EncodeSegment(p, lineEnd, offset + (p - start), o);
    if (lineEnd == end) break;
    p = lineEnd + (lineEnd[0] == u'\r' && lineEnd + 1 < end && lineEnd[1] == u'\n' ? 2 : 1);
    o = WriteLineEnd(o);
  }
  return o;
}

size_t TextEncoder::Room(size_t units) const {
  // One unit more for the one held back from the last piece; the mark and the ending.
  return (units + 1) * static_cast<size_t>(MostBytesPerUnit(target_)) + 16;
}

char* TextEncoder::Encode(std::u16string_view piece, char* out) {
  if (!started_) {
    started_ = true;
    const std::string_view mark = target_ == kEncodingUtf16Bom     ? "\xFF\xFE"
                                  : target_ == kEncodingUtf16BeBom ? "\xFE\xFF"
                                  : target_ == kEncodingUtf8Bom    ? "\xEF\xBB\xBF"
                                                                   : "";
    out = std::copy(mark.begin(), mark.end(), out);
  }
  const char16_t* p = piece.data();
  const char16_t* end = p + piece.size();
  if (held_ && p < end) {
    const bool joins =
        (IsHighSurrogate(held_) && IsLowSurrogate(*p)) || (held_ == u'\r' && *p == u'\n');
    const char16_t units[2] = {held_, *p};
    held_ = 0;
    out = EncodeRun(units, units + (joins ? 2 : 1), consumed_ - 1, out);
    if (joins) ++p;
  }
  // A unit that may be the first half of something the next piece completes waits for it.
  if (p < end &&
      (IsHighSurrogate(end[-1]) || (end[-1] == u'\r' && lineEnds_ != LineEndChoice::kKeep))) {
    held_ = end[-1];
    --end;
  }
  out = EncodeRun(p, end, consumed_ + (p - piece.data()), out);
  consumed_ += static_cast<int64_t>(piece.size());
  return out;
}

char* TextEncoder::Finish(char* out) {
  if (!started_) out = Encode({}, out);
  if (held_) {
    const char16_t unit = held_;
    held_ = 0;
    out = EncodeRun(&unit, &unit + 1, consumed_ - 1, out);
  }
  if (target_ == kEncodingJis && jisSet_ != 0) {
    out = std::copy_n("\x1B(B", 3, out);
    jisSet_ = 0;
  }
  if (target_ == kEncodingUtf7 && inBase64_) {
    if (bitCount_ > 0) *out++ = kBase64Digits[(bits_ << (6 - bitCount_)) & 0x3F];
    *out++ = '-';
    inBase64_ = false;
    bitCount_ = 0;
  }
  return out;
}

void TextEncoder::Encode(std::u16string_view piece, std::string& out) {
  const size_t used = out.size();
  out.resize(used + Room(piece.size()));
  out.resize(static_cast<size_t>(Encode(piece, out.data() + used) - out.data()));
}

void TextEncoder::Finish(std::string& out) {
  const size_t used = out.size();
  out.resize(used + Room(0));
  out.resize(static_cast<size_t>(Finish(out.data() + used) - out.data()));
}

std::string EncodeText(std::u16string_view text, TextEncoding target, LineEndChoice lineEnds,
                       EncodeTally* tally) {
  TextEncoder encoder(target, lineEnds);
  std::string out;
  encoder.Encode(text, out);
  encoder.Finish(out);
  if (tally) *tally = encoder.Tally();
  return out;
}

int64_t LineNumberAt(std::u16string_view text, int64_t offset) {
  const size_t stop = static_cast<size_t>(std::clamp<int64_t>(offset, 0, text.size()));
  int64_t line = 1;
  for (size_t i = 0; i < stop; ++i) {
    if (text[i] == u'\n')
      ++line;
    else if (text[i] == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n'))
      ++line;
  }
  return line;
}

}  // namespace vemora
