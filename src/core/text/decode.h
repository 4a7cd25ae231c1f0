// From a file's bytes to the document's UTF-16 text: the JIS and EUC-JP converters to
// Shift_JIS, the code-page decoding, UTF-16 in place, and the line-end kind.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/text/byte_search.h"
#include "core/text/document.h"

namespace vemora {

// Fills document.textBuffer, text and textLength and takes ownership of the bytes. UTF-16
// files become the text in place (the mark skipped by starting one unit in, big endian
// swapped in place, an odd last byte ignored); every other encoding is decoded once into
// a buffer of one unit per byte. Encodings outside 1 to 9 decode as Shift_JIS. Invalid
// input is replaced as the platform's code-page conversion replaces it; never fails.
// This decodes on the calling thread alone, whatever the size; DecodeDocumentText
// (decode_pieces.h) decodes a large text on the machine's cores.
void DecodeDocumentTextOnOneThread(Document& document, FileBytes&& bytes, TextEncoding encoding);

class DecodedText;

// Shift_JIS to UTF-16 through code page 932 itself, whatever the system's own code pages
// are. A lead byte that a CR or LF follows becomes U+30FB, the code page's replacement
// for a character it cannot read (as for a lead byte at the very end), and the line end
// stays: a broken character never joins two lines. Tells whether the bytes hold an ESC
// or a BS, which the same pass sees.
ControlBytesSeen DecodeShiftJis(const uint8_t* bytes, int64_t length, DecodedText& text);

// The same, as the document's whole text.
void DecodeShiftJisInto(Document& document, const uint8_t* bytes, int64_t length);

// Byte-for-byte converters to Shift_JIS. An EUC-JP character that a line end cuts short
// becomes the Shift_JIS replacement character (two bytes) before the line end.
std::vector<uint8_t> DecodeJisToShiftJis(const uint8_t* bytes, int64_t length);
std::vector<uint8_t> DecodeEucToShiftJis(const uint8_t* bytes, int64_t length);

// LineEndKind of the text: decided by its first CR if it has one, else by any LF.
int32_t DetectLineEnd(const char16_t* text, int64_t length);

// "CR-LF", "LF", "CR"; empty for -1.
std::u16string_view LineEndName(int32_t lineEndKind);

}  // namespace vemora
