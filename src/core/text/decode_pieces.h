// Decoding a file into the document's text, a large file on several cores: the bytes are
// cut just after line ends, each piece is decoded by the same routine as a whole file, and
// the pieces are joined into exactly the text that decoding the whole file on one thread
// gives.
#pragma once

#include <cstdint>

#include "core/text/document.h"

namespace vemora {

// Large files are cut into chunks of about this many bytes, which the threads take in turn.
inline constexpr int32_t kChunkBytes = 128 << 10;

// DecodeDocumentTextOnOneThread (decode.h), but a large text in an encoding that can be cut
// at line ends is decoded in pieces on the machine's cores, with the same result.
void DecodeDocumentText(Document& document, FileBytes&& bytes, TextEncoding encoding);

// Whether text in the encoding may be cut at line ends. Not JIS, whose escape sequences
// carry a mode across lines, nor UTF-7, whose base64 runs may; UTF-16 little endian needs
// no decoding at all.
bool DecodesInPieces(TextEncoding encoding);

// DecodeDocumentText on (up to) `pieces` threads, in at least `pieces` chunks, whatever the
// size; the whole file on one thread when the encoding cannot be cut. The bytes of a mapped
// file are released as the chunks before them are decoded. `room` is how many units the
// text is first given (one per byte when negative); tests make it short.
void DecodeDocumentTextInPieces(Document& document, FileBytes&& bytes, TextEncoding encoding,
                                int32_t pieces, int64_t room = -1);

}  // namespace vemora
