// Decoding a file's bytes into the document's UTF-16 text.
#include "core/text/decode.h"

#include <algorithm>
#include <cstring>

#include "core/platform/code_pages.h"
#include "core/pieces.h"
#include "core/text/byte_search.h"
#include "core/text/decoded_text.h"
#include "core/text/encoding.h"

namespace vemora {
namespace {

constexpr uint8_t kEsc = 0x1B;

bool IsJisByte(uint8_t b) {
  return b >= 0x21 && b <= 0x7E;
}

// A JIS X 0208 row and cell as the two Shift_JIS bytes; a pair outside the 94 x 94 grid
// becomes two NUL bytes.
inline void WriteJisPairAsShiftJis(uint8_t j1, uint8_t j2, uint8_t*& out) {
  if (!IsJisByte(j1) || !IsJisByte(j2)) {
    *out++ = 0;
    *out++ = 0;
    return;
  }
  *out++ = static_cast<uint8_t>(((j1 - 0x21) >> 1) + 0x81 + (j1 >= 0x5F ? 0x40 : 0));
  *out++ = static_cast<uint8_t>((j1 & 1) == 0 ? j2 + 0x7E : j2 < 0x60 ? j2 + 0x1F : j2 + 0x20);
}

void SwapBytes(char16_t* units, int64_t count) {
  for (int64_t i = 0; i < count; ++i)
    units[i] = static_cast<char16_t>((units[i] >> 8) | (units[i] << 8));
}

bool IsLineEnd(uint8_t b) {
  return b == '\r' || b == '\n';
}

bool IsShiftJisLead(uint8_t b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Code page 932's own replacement for a character it cannot read; EUC-JP passes it on as
// these Shift_JIS bytes.
constexpr char16_t kShiftJisReplacement = u'\u30FB';
constexpr uint8_t kShiftJisReplacementBytes[2] = {0x81, 0x45};

// Whether the byte before `lineEnd` is a lead byte rather than the second byte of a pair.
// A byte that cannot lead always ends a character, so counting back over the bytes that
// can lead tells: an odd run ends in a lead byte.
bool LeadByteBefore(const uint8_t* start, const uint8_t* lineEnd) {
  const uint8_t* p = lineEnd;
  while (p > start && IsShiftJisLead(p[-1])) --p;
  return (lineEnd - p) % 2 == 1;
}

// Decodes into a new buffer of one unit per byte, converting once.
void DecodeInto(Document& document, uint32_t codePage, const uint8_t* bytes, int64_t length) {
  DecodedText text(length);
  text.Append(codePage, bytes, length);
  text.MoveInto(document);
}

}  // namespace

std::vector<uint8_t> DecodeEucToShiftJis(const uint8_t* bytes, int64_t length) {
  std::vector<uint8_t> output(static_cast<size_t>(std::max<int64_t>(length, 0)));
  uint8_t* out = output.data();
  int pending = -1;
  for (int64_t i = 0; i < length; ++i) {
    const uint8_t b = bytes[i];
    if (pending < 0 && b >= 0xA1 && i + 1 < length && bytes[i + 1] >= 0x80) {
      // The common case, a whole pair with nothing pending, in one step.
      WriteJisPairAsShiftJis(b & 0x7F, bytes[++i] & 0x7F, out);
      continue;
    }
    if (b < 0x80) {
      if (pending >= 0 && IsLineEnd(b)) {
        // A character cut short by the line end: its lead byte alone would pair with the
        // line end, or read as another character, in Shift_JIS.
        const size_t written = static_cast<size_t>(out - output.data());
        const size_t inputLeft = static_cast<size_t>(length - i);
        if (output.size() - written < inputLeft + 2) output.resize(output.size() + 4096);
        out = output.data() + written;
        *out++ = kShiftJisReplacementBytes[0];
        *out++ = kShiftJisReplacementBytes[1];
      } else if (pending >= 0) {
        *out++ = static_cast<uint8_t>(pending);
      }
      pending = -1;
      *out++ = b;
    } else if (pending < 0) {
      pending = b;
    } else if (pending == 0x8E) {
      *out++ = b;  // half-width katakana after SS2: the same byte in Shift_JIS
      pending = -1;
    } else {
      // SS3 (0x8F) is taken as a lead byte like any other; its pair is out of the grid.
      WriteJisPairAsShiftJis(static_cast<uint8_t>(pending & 0x7F), b & 0x7F, out);
      pending = -1;
    }
  }
  if (pending >= 0) *out++ = static_cast<uint8_t>(pending);
  output.resize(static_cast<size_t>(out - output.data()));
  return output;
}

std::vector<uint8_t> DecodeJisToShiftJis(const uint8_t* bytes, int64_t length) {
  enum class Mode { kAscii, kKanji, kKatakana };
  enum class Escape { kNone, kAfterEsc, kAfterIntermediate };
  std::vector<uint8_t> output(static_cast<size_t>(std::max<int64_t>(length, 0)));
  uint8_t* out = output.data();
  Mode mode = Mode::kAscii;
  Escape escape = Escape::kNone;
  uint8_t intermediate = 0;
  int pending = -1;  // first byte of a kanji pair
  auto flushPending = [&] {
    if (pending >= 0) *out++ = static_cast<uint8_t>(pending);
    pending = -1;
  };
  for (int64_t i = 0; i < length; ++i) {
    const uint8_t b = bytes[i];
    if (escape == Escape::kNone) {
      if (b == kEsc) {
        flushPending();
        escape = Escape::kAfterEsc;
      } else if (mode == Mode::kKatakana) {
        flushPending();
        *out++ = b >= 0x21 && b <= 0x5F ? static_cast<uint8_t>(b + 0x80) : b;
      } else if (mode == Mode::kKanji) {
        if (pending < 0 && IsJisByte(b) && i + 1 < length && IsJisByte(bytes[i + 1])) {
          WriteJisPairAsShiftJis(b, bytes[++i], out);  // a whole pair in one step
        } else if (!IsJisByte(b)) {
          flushPending();
          *out++ = b;
        } else if (pending < 0) {
          pending = b;
        } else {
          WriteJisPairAsShiftJis(static_cast<uint8_t>(pending), b, out);
          pending = -1;
        }
      } else {
        *out++ = b;
      }
    } else if (escape == Escape::kAfterEsc) {
      if (b == 0x24 || b == 0x28) {
        intermediate = b;
        escape = Escape::kAfterIntermediate;
      } else {
        *out++ = kEsc;
        *out++ = b;
        escape = Escape::kNone;
      }
    } else {
      escape = Escape::kNone;
      if (intermediate == 0x24 && (b == 0x42 || b == 0x40)) {
        mode = Mode::kKanji;
      } else if (intermediate == 0x28 && b == 0x49) {
        mode = Mode::kKatakana;
      } else if (intermediate == 0x28 && (b == 0x42 || b == 0x4A || b == 0x48)) {
        mode = Mode::kAscii;
      } else {
        *out++ = kEsc;
        *out++ = intermediate;
        if (mode == Mode::kKanji && IsJisByte(b))
          pending = b;
        else
          *out++ = b;
      }
    }
  }
  flushPending();
  if (escape != Escape::kNone) *out++ = kEsc;
  if (escape == Escape::kAfterIntermediate) *out++ = intermediate;
  output.resize(static_cast<size_t>(out - output.data()));
  return output;
}

ControlBytesSeen DecodeShiftJis(const uint8_t* bytes, int64_t length, DecodedText& text) {
  const uint8_t* const end = bytes + std::max<int64_t>(length, 0);
  const uint8_t* piece = bytes;
  const ControlBytesSeen seen = ForEachLineEnd(bytes, end, [&](const uint8_t* lineEnd) {
    if (lineEnd > piece && IsShiftJisLead(lineEnd[-1]) && LeadByteBefore(piece, lineEnd)) {
      text.Append(kCodePageShiftJis, piece, lineEnd - 1 - piece);
      text.Append(kShiftJisReplacement);
      piece = lineEnd;
    }
  });
  text.Append(kCodePageShiftJis, piece, end - piece);
  return seen;
}

void DecodeShiftJisInto(Document& document, const uint8_t* bytes, int64_t length) {
  DecodedText text(length);
  DecodeShiftJis(bytes, length, text);
  text.MoveInto(document);
}

void DecodeDocumentTextOnOneThread(Document& document, FileBytes&& bytes, TextEncoding encoding) {
  FileBytes input = std::move(bytes);  // freed on return unless it becomes the text
  const int64_t length = std::max<int64_t>(input.length, 0);
  switch (encoding) {
    case kEncodingUtf16Bom:
    case kEncodingUtf16BeBom:
    case kEncodingUtf16:
    case kEncodingUtf16Be: {
      const bool mark = encoding == kEncodingUtf16Bom || encoding == kEncodingUtf16BeBom;
      // Even a forced "with mark" on a file shorter than a mark gives an empty text.
      const int64_t skip = mark ? std::min<int64_t>(length, 2) : 0;
      document.textBuffer = input.TakeStorage();
      document.text = document.textBuffer.get() + (mark ? 1 : 0);
      document.textLength = (length - skip) / 2;
      if (IsBigEndian(encoding)) SwapBytes(document.text, document.textLength);
      return;
    }
    case kEncodingJis: {
      const std::vector<uint8_t> sjis = DecodeJisToShiftJis(input.data(), length);
      input = {};
      DecodeShiftJisInto(document, sjis.data(), static_cast<int64_t>(sjis.size()));
      return;
    }
    case kEncodingEuc: {
      const std::vector<uint8_t> sjis = DecodeEucToShiftJis(input.data(), length);
      input = {};
      DecodeShiftJisInto(document, sjis.data(), static_cast<int64_t>(sjis.size()));
      return;
    }
    case kEncodingUtf8Bom: {
      const int64_t skip = std::min<int64_t>(length, 3);
      DecodeInto(document, kCodePageUtf8, input.data() + skip, length - skip);
      return;
    }
    case kEncodingUtf8:
      DecodeInto(document, kCodePageUtf8, input.data(), length);
      return;
    case kEncodingUtf7:
      DecodeInto(document, kCodePageUtf7, input.data(), length);
      return;
    default:
      DecodeShiftJisInto(document, input.data(), length);
      return;
  }
}

int32_t DetectLineEnd(const char16_t* text, int64_t length) {
  const std::u16string_view view(text ? text : u"",
                                 static_cast<size_t>(std::max<int64_t>(length, 0)));
  // A text without CR is searched to its end, twice: sixteen bytes at a time.
  const char16_t* const end = view.data() + view.size();
  const char16_t* const cr = FindUnit(view.data(), end, u'\r');
  if (cr != end) return cr + 1 < end && cr[1] == u'\n' ? kLineEndCrLf : kLineEndCr;
  return FindUnit(view.data(), end, u'\n') != end ? kLineEndLf : kLineEndNone;
}

std::u16string_view LineEndName(int32_t lineEndKind) {
  switch (lineEndKind) {
    case kLineEndCrLf:
      return u"CR-LF";
    case kLineEndLf:
      return u"LF";
    case kLineEndCr:
      return u"CR";
    default:
      return {};
  }
}

}  // namespace vemora
