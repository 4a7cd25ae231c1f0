// Decoding in pieces: cut, decode each piece on its own thread, join into the first.
#include "core/text/decode_pieces.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "core/pieces.h"
#include "core/platform/code_pages.h"
#include "core/text/decode.h"
#include "core/text/decoded_text.h"
#include "core/text/encoding.h"

namespace vemora {
namespace {

void DecodePiece(TextEncoding encoding, const uint8_t* bytes, int64_t length, DecodedText& text) {
  if (encoding == kEncodingEuc) {
    const std::vector<uint8_t> sjis = DecodeEucToShiftJis(bytes, length);
    DecodeShiftJis(sjis.data(), static_cast<int64_t>(sjis.size()), text);
  } else if (IsUtf8(encoding)) {
    text.Append(kCodePageUtf8, bytes, length);
  } else {
    DecodeShiftJis(bytes, length, text);
  }
}

// Byte order of big-endian UTF-16 turned in place, a share per piece.
void SwapInPieces(char16_t* units, int64_t count, int32_t pieces) {
  RunPieces(pieces, [&](int32_t i) {
    const int64_t to = ShareStart(count, i + 1, pieces);
    for (int64_t k = ShareStart(count, i, pieces); k < to; ++k)
      units[k] = static_cast<char16_t>((units[k] >> 8) | (units[k] << 8));
  });
}

// Where each chunk's units go: right after the previous chunk's, known once that chunk is
// decoded. Once chunk k has its place, every chunk up to k is decoded, and the bytes
// before the next chunk are released.
class ChunkPlaces {
 public:
  ChunkPlaces(int32_t chunks, FileBytes& input, const uint8_t* start,
              const std::vector<int64_t>& cuts)
      : starts_(static_cast<size_t>(chunks) + 1, 0),
        input_(input),
        cuts_(cuts),
        skip_(start - input.data()) {}

  // The place of chunk k, whose length is now known; makes the next chunk's place known.
  int64_t Claim(int32_t k, int64_t length) {
    const auto i = static_cast<size_t>(k);
    turns_.InTurn(k, [&] { starts_[i + 1] = starts_[i] + length; });
    // Outside the turn: unmapping is a system call that the other threads need not wait for.
    input_.ReleaseBelow(skip_ + cuts_[i + 1]);
    return starts_[i];
  }

  int64_t Start(int32_t k) const { return starts_[static_cast<size_t>(k)]; }
  int64_t End() const { return starts_.back(); }

 private:
  std::vector<int64_t> starts_;  // each written in its chunk's turn, read after it
  FileBytes& input_;
  const std::vector<int64_t>& cuts_;
  int64_t skip_;
  ChunkTurns turns_;
};

}  // namespace

bool DecodesInPieces(TextEncoding encoding) {
  return encoding != kEncodingJis && encoding != kEncodingUtf7 && encoding != kEncodingUtf16Bom &&
         encoding != kEncodingUtf16;
}

void DecodeDocumentText(Document& document, FileBytes&& bytes, TextEncoding encoding) {
  if (bytes.length >= kBytesWorthPieces && CoreCount() > 1 && DecodesInPieces(encoding)) {
    DecodeDocumentTextInPieces(document, std::move(bytes), encoding, CoreCount());
    return;
  }
  DecodeDocumentTextOnOneThread(document, std::move(bytes), encoding);
}

void DecodeDocumentTextInPieces(Document& document, FileBytes&& bytes, TextEncoding encoding,
                                int32_t pieces, int64_t room) {
  if (!DecodesInPieces(encoding) || pieces <= 1) {
    DecodeDocumentTextOnOneThread(document, std::move(bytes), encoding);
    return;
  }
  if (IsBigEndian(encoding)) {
    // Taken in place like little endian, then turned around.
    DecodeDocumentTextOnOneThread(
        document, std::move(bytes),
        encoding == kEncodingUtf16BeBom ? kEncodingUtf16Bom : kEncodingUtf16);
    SwapInPieces(document.text, document.textLength, pieces);
    return;
  }
  FileBytes input = std::move(bytes);
  const int64_t length = std::max<int64_t>(input.length, 0);
  const int64_t skip = encoding == kEncodingUtf8Bom ? std::min<int64_t>(length, 3) : 0;
  const uint8_t* const start = input.data() + skip;
  const int64_t size = length - skip;
  // Many more chunks than threads, each decoded into a small buffer of its thread's that
  // stays in the cache and then copied to its place in the text: the text is the only new
  // memory touched, as on one thread.
  const auto chunkCount = static_cast<int32_t>(std::max<int64_t>(pieces, size / kChunkBytes));
  const std::vector<int64_t> cuts =
      IsUtf8(encoding)
          ? CutsAfterLineEnds(start, size, chunkCount,
                              [start](int64_t q) { return Utf8LineEndUsable(start, 0, q); })
          : CutsAfterLineEnds(start, size, chunkCount);
  const auto chunks = static_cast<int32_t>(cuts.size()) - 1;

  // One unit per byte is room enough for these encodings; should a code page give more
  // after all, the chunks that no longer fit are kept aside and joined at the end.
  if (room < 0) room = size;
  DecodedText whole(room);
  char16_t* const text = whole.Extend(0);
  ChunkPlaces places(chunks, input, start, cuts);
  std::vector<std::u16string> outside(static_cast<size_t>(chunks));
  std::atomic<bool> roomShort{false};
  std::atomic<int32_t> nextChunk{0};
  RunPieces(std::min(pieces, chunks), [&](int32_t) {
    DecodedText scratch(kChunkBytes);
    for (int32_t k = nextChunk++; k < chunks; k = nextChunk++) {
      scratch.Clear(cuts[k + 1] - cuts[k]);
      DecodePiece(encoding, start + cuts[k], cuts[k + 1] - cuts[k], scratch);
      const int64_t place = places.Claim(k, scratch.Length());
      if (place + scratch.Length() > room) {
        outside[static_cast<size_t>(k)] = scratch.View();
        roomShort = true;
        continue;
      }
      std::copy_n(scratch.View().data(), scratch.Length(), text + place);
    }
  });
  input = {};
  if (!roomShort) {
    whole.Extend(places.End());
    whole.MoveInto(document);
    return;
  }
  // Every chunk from the first that did not fit on lies outside.
  DecodedText joined(places.End());
  char16_t* const out = joined.Extend(places.End());
  for (int32_t k = 0; k < chunks; ++k) {
    const std::u16string& aside = outside[static_cast<size_t>(k)];
    const int64_t length = places.Start(k + 1) - places.Start(k);
    std::copy_n(aside.empty() ? text + places.Start(k) : aside.data(), length,
                out + places.Start(k));
  }
  joined.MoveInto(document);
}

}  // namespace vemora
