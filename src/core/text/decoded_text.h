// A UTF-16 text decoded piece by piece into one buffer that a document then owns.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "core/text/document.h"

namespace vemora {

class DecodedText {
 public:
  // Room for `guess` units at first: one per input byte is enough for every code page
  // decoded here, so the conversion normally runs once, without its counting pass.
  explicit DecodedText(int32_t guess);

  // Decodes the bytes through the code page and appends them. When the conversion finds
  // the room short, its own count decides the room and it converts again.
  void Append(uint32_t codePage, const uint8_t* bytes, int32_t length);
  void Append(char16_t unit);

  // Makes the text `units` longer and returns where the new units go, for the caller to
  // fill (pieces decoded apart are joined this way, each copied by its own thread).
  char16_t* Extend(int32_t units);

  int32_t Length() const { return length_; }
  // Empties the text for the next piece, keeping the room and making it at least `room`
  // units (one per input byte, so that the conversion runs once).
  void Clear(int32_t room) {
    length_ = 0;
    Reserve(room);
  }
  std::u16string_view View() const { return {buffer_.get(), static_cast<size_t>(length_)}; }

  // Gives the buffer, NUL-terminated, to the document as its text.
  void MoveInto(Document& document);

 private:
  void Reserve(int32_t room);  // at least `room` units free

  std::unique_ptr<char16_t[]> buffer_;
  int32_t capacity_ = 0;  // units, not counting the room kept for the terminating NUL
  int32_t length_ = 0;
};

}  // namespace vemora
