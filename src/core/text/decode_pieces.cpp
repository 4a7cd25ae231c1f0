// Decoding in pieces: cut, decode each piece on its own thread, join into the first.
#include "core/text/decode_pieces.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "core/pieces.h"
#include "core/platform/code_pages.h"
#include "core/text/decode.h"
#include "core/text/decoded_text.h"
#include "core/text/encoding.h"

namespace vemora {
namespace {

// How many bytes a UTF-8 lead byte still wants after it, as the decoders read it.
int32_t Utf8BytesWanted(uint8_t b) {
  return b < 0xC2 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : b < 0xF5 ? 3 : 0;
}

// A UTF-8 sequence that the line end at q cuts short is read differently at the end of
// the decoder's input (it swallows what is left) than in the middle: no cut there.
bool Utf8LineEndUsable(const uint8_t* bytes, int32_t q) {
  for (int32_t i = 1; i <= 3 && q - i >= 0; ++i) {
    if (Utf8BytesWanted(bytes[q - i]) >= i) return false;
  }
  return true;
}

bool IsUtf8(TextEncoding encoding) {
  return encoding == kEncodingUtf8 || encoding == kEncodingUtf8Bom;
}

bool IsUtf16BigEndian(TextEncoding encoding) {
  return encoding == kEncodingUtf16Be || encoding == kEncodingUtf16BeBom;
}

void DecodePiece(TextEncoding encoding, const uint8_t* bytes, int32_t length, DecodedText& text) {
  if (encoding == kEncodingEuc) {
    const std::vector<uint8_t> sjis = DecodeEucToShiftJis(bytes, length);
    DecodeShiftJis(sjis.data(), static_cast<int32_t>(sjis.size()), text);
  } else if (IsUtf8(encoding)) {
    text.Append(kCodePageUtf8, bytes, length);
  } else {
    DecodeShiftJis(bytes, length, text);
  }
}

// Byte order of big-endian UTF-16 turned in place, a share per piece.
void SwapInPieces(char16_t* units, int32_t count, int32_t pieces) {
  RunPieces(pieces, [&](int32_t i) {
    const auto from = static_cast<int32_t>(int64_t{count} * i / pieces);
    const auto to = static_cast<int32_t>(int64_t{count} * (i + 1) / pieces);
    for (int32_t k = from; k < to; ++k)
      units[k] = static_cast<char16_t>((units[k] >> 8) | (units[k] << 8));
  });
}

}  // namespace

bool DecodesInPieces(TextEncoding encoding) {
  return encoding != kEncodingJis && encoding != kEncodingUtf7 && encoding != kEncodingUtf16Bom &&
         encoding != kEncodingUtf16;
}

void DecodeDocumentTextInPieces(Document& document, FileBytes&& bytes, TextEncoding encoding,
                                int32_t pieces) {
  if (!DecodesInPieces(encoding) || pieces <= 1) {
    DecodeDocumentTextOnOneThread(document, std::move(bytes), encoding);
    return;
  }
  if (IsUtf16BigEndian(encoding)) {
    // Taken in place like little endian, then turned around.
    DecodeDocumentTextOnOneThread(
        document, std::move(bytes),
        encoding == kEncodingUtf16BeBom ? kEncodingUtf16Bom : kEncodingUtf16);
    SwapInPieces(document.text, document.textLength, pieces);
    return;
  }
  FileBytes input = std::move(bytes);
  const int32_t length = std::max(input.length, 0);
  const int32_t skip = encoding == kEncodingUtf8Bom ? std::min(length, 3) : 0;
  const uint8_t* const start = input.data() + skip;
  const int32_t size = length - skip;
  const std::vector<int32_t> cuts =
      IsUtf8(encoding)
          ? CutsAfterLineEnds(start, size, pieces,
                              [start](int32_t q) { return Utf8LineEndUsable(start, q); })
          : CutsAfterLineEnds(start, size, pieces);
  const auto count = static_cast<int32_t>(cuts.size()) - 1;

  // The first piece has room for the whole text, so that the others join it in place.
  std::vector<std::unique_ptr<DecodedText>> texts(static_cast<size_t>(count));
  RunPieces(count, [&](int32_t i) {
    const int32_t pieceLength = cuts[i + 1] - cuts[i];
    auto text = std::make_unique<DecodedText>(i == 0 ? size : pieceLength);
    DecodePiece(encoding, start + cuts[i], pieceLength, *text);
    texts[static_cast<size_t>(i)] = std::move(text);
  });
  input = {};  // freed before the text grows, so that both are never held in full

  std::vector<int32_t> offsets(static_cast<size_t>(count), 0);
  int32_t joined = 0;
  for (int32_t i = 1; i < count; ++i) {
    offsets[static_cast<size_t>(i)] = joined;
    joined += texts[static_cast<size_t>(i)]->Length();
  }
  DecodedText& whole = *texts[0];
  char16_t* const room = whole.Extend(joined);
  RunPieces(count - 1, [&](int32_t j) {
    std::unique_ptr<DecodedText>& piece = texts[static_cast<size_t>(j + 1)];
    std::copy_n(piece->View().data(), piece->Length(), room + offsets[static_cast<size_t>(j + 1)]);
    piece.reset();
  });
  whole.MoveInto(document);
}

}  // namespace vemora
