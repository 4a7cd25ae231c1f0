// From UTF-16 text back to the bytes of a file in any encoding the viewer reads: what saving
// in another encoding and vemorainfo --to write. A character the encoding cannot hold is
// written as "?" and counted; line ends are kept or all made one kind.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/text/document.h"

namespace vemora {

// What becomes of line ends, in the order of the save dialog's list.
enum class LineEndChoice : int32_t { kKeep = 0, kCrLf = 1, kLf = 2, kCr = 3 };

// Characters that could not be written. The position is in UTF-16 units from the start of
// the whole text (all pieces together), -1 while there is none.
struct EncodeTally {
  int64_t unconvertible = 0;
  int64_t firstUnconvertible = -1;
};

// Encodes one text given in consecutive pieces, so that a large text never needs its whole
// encoded form in memory. The target is a TextEncoding from 0 to 9: the same numbers the
// decoder reads, so that Shift_JIS written here reads back as the same text. What each
// encoding can hold is what the decoder produces from it:
// - Shift_JIS: code page 932 with the NEC and IBM extensions and the user-defined area;
//   a character with two codes takes the one Windows writes (JIS X 0208 before NEC row
//   13 before the IBM extensions before their NEC-selected copies).
// - EUC-JP and ISO-2022-JP: the JIS X 0208 grid the decoder maps onto code page 932,
//   NEC row 13 and rows 89 to 92 included, and half-width katakana (SS2 in EUC-JP, ESC (
//   I in ISO-2022-JP); not JIS X 0212, which the decoder does not read.
// - Besides, the JIS X 0208 characters that Unicode gives other code points than code
//   page 932 does (WAVE DASH U+301C, DOUBLE VERTICAL LINE U+2016, MINUS SIGN U+2212, EM
//   DASH U+2014, U+00A2, U+00A3, U+00AC) are written with their JIS codes, as other
//   converters do; they read back as code page 932's characters.
// - UTF-8 and UTF-7: everything but surrogates without their partner; UTF-16: everything.
class TextEncoder {
 public:
  TextEncoder(TextEncoding target, LineEndChoice lineEnds);

  // Appends the encoded form of the next piece to `out`; the byte-order mark, if the target
  // has one, comes before the first piece. A piece may end between the halves of a
  // surrogate pair or of a CR LF: the unit is held until the next piece or Finish.
  void Encode(std::u16string_view piece, std::string& out);
  // Appends what is held back and what ends the text (ISO-2022-JP back in ASCII, UTF-7's
  // base64 closed).
  void Finish(std::string& out);

  // The same into a buffer of at least Room(piece.size()) bytes (Room(0) for Finish), for
  // callers that reuse one buffer; returns the end of what was written.
  size_t Room(size_t units) const;
  char* Encode(std::u16string_view piece, char* out);
  char* Finish(char* out);

  const EncodeTally& Tally() const { return tally_; }

 private:
  char* EncodeRun(const char16_t* p, const char16_t* end, int64_t offset, char* out);
  char* EncodeSegment(const char16_t* p, const char16_t* end, int64_t offset, char* out);
  char* WriteLineEnd(char* out);
  void Unconvertible(int64_t offset);

  TextEncoding target_;
  LineEndChoice lineEnds_;
  EncodeTally tally_;
  int64_t consumed_ = 0;   // units of the text before the current piece
  char16_t held_ = 0;      // a unit held back from the end of the last piece, 0 for none
  bool started_ = false;   // the byte-order mark is written
  int jisSet_ = 0;         // ISO-2022-JP: 0 ASCII, 1 JIS X 0208, 2 half-width katakana
  bool inBase64_ = false;  // UTF-7: inside a "+" run
  uint32_t bits_ = 0;      // UTF-7: bits not yet written
  int bitCount_ = 0;
};

// The whole text at once.
std::string EncodeText(std::u16string_view text, TextEncoding target, LineEndChoice lineEnds,
                       EncodeTally* tally = nullptr);

// The line (from 1) that holds the unit at `offset`; CR LF, CR and LF each end a line.
int64_t LineNumberAt(std::u16string_view text, int64_t offset);

}  // namespace vemora
