// From a file's bytes to the document's UTF-16 text: the JIS and EUC-JP converters to
// Shift_JIS, the code-page decoding, UTF-16 in place, and the line-end kind.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/text/document.h"

namespace vemora {

// Fills document.textBuffer, text and textLength and takes ownership of the bytes. UTF-16
// files become the text in place (the mark skipped by starting one unit in, big endian
// swapped in place, an odd last byte ignored); every other encoding is decoded once into
// a buffer of one unit per byte. Encodings outside 1 to 9 decode as Shift_JIS. Invalid
// input is replaced as the platform's code-page conversion replaces it; never fails.
void DecodeDocumentText(Document& document, FileBytes&& bytes, TextEncoding encoding);

// Byte-for-byte converters to Shift_JIS; the output is never longer than the input.
std::vector<uint8_t> DecodeJisToShiftJis(const uint8_t* bytes, int32_t length);
std::vector<uint8_t> DecodeEucToShiftJis(const uint8_t* bytes, int32_t length);

// LineEndKind of the text: decided by its first CR if it has one, else by any LF.
int32_t DetectLineEnd(const char16_t* text, int32_t length);

// "CR-LF", "LF", "CR"; empty for -1.
std::u16string_view LineEndName(int32_t lineEndKind);

}  // namespace vemora
