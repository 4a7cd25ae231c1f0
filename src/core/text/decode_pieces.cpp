// Decoding in pieces: cut, decode each piece on its own thread, join into the first.
#include "core/text/decode_pieces.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
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

// Where each chunk's units go: right after the previous chunk's, known once that chunk is
// decoded. A thread that finished a chunk early waits here for the one before it; chunks
// are taken in order, so the one before is always being decoded and never waits on it.
class ChunkPlaces {
 public:
  explicit ChunkPlaces(int32_t chunks) : starts_(static_cast<size_t>(chunks) + 1, -1) {
    starts_[0] = 0;
  }

  // The place of chunk k, whose length is now known; makes the next chunk's place known.
  int32_t Claim(int32_t k, int32_t length) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (starts_[static_cast<size_t>(k)] < 0) {
      ++waiting_;
      known_.wait(lock, [&] { return starts_[static_cast<size_t>(k)] >= 0; });
      --waiting_;
    }
    const int32_t place = starts_[static_cast<size_t>(k)];
    starts_[static_cast<size_t>(k) + 1] = place + length;
    // Waking is a system call under Wine: only when a thread waits.
    const bool wake = waiting_ > 0;
    lock.unlock();
    if (wake) known_.notify_all();
    return place;
  }

  int32_t End() const { return starts_.back(); }

 private:
  std::vector<int32_t> starts_;
  std::mutex mutex_;
  std::condition_variable known_;
  int32_t waiting_ = 0;
};

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
  // Many more chunks than threads, each decoded into a small buffer of its thread's that
  // stays in the cache and then copied to its place in the text: the text is the only new
  // memory touched, as on one thread.
  const int32_t chunkCount = std::max(pieces, size / kChunkBytes);
  const std::vector<int32_t> cuts =
      IsUtf8(encoding)
          ? CutsAfterLineEnds(start, size, chunkCount,
                              [start](int32_t q) { return Utf8LineEndUsable(start, q); })
          : CutsAfterLineEnds(start, size, chunkCount);
  const auto chunks = static_cast<int32_t>(cuts.size()) - 1;

  DecodedText whole(size);  // one unit per byte is room enough for these encodings
  char16_t* const text = whole.Extend(0);
  ChunkPlaces places(chunks);
  std::atomic<int32_t> nextChunk{0};
  std::atomic<bool> roomShort{false};
  RunPieces(std::min(pieces, chunks), [&](int32_t) {
    DecodedText scratch(kChunkBytes);
    for (int32_t k = nextChunk++; k < chunks; k = nextChunk++) {
      scratch.Clear(cuts[k + 1] - cuts[k]);
      DecodePiece(encoding, start + cuts[k], cuts[k + 1] - cuts[k], scratch);
      const int32_t place = places.Claim(k, scratch.Length());
      if (int64_t{place} + scratch.Length() > size) {
        roomShort = true;
        continue;
      }
      std::copy_n(scratch.View().data(), scratch.Length(), text + place);
    }
  });
  if (roomShort) {
    // A code page gave more units than bytes after all: the plain way sizes as it goes.
    DecodeDocumentTextOnOneThread(document, std::move(input), encoding);
    return;
  }
  whole.Extend(places.End());
  input = {};
  whole.MoveInto(document);
}

}  // namespace vemora
