// A UTF-16 text decoded piece by piece into one buffer that a document then owns.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "core/text/document.h"

namespace vemora {

// The most bytes handed to the system's conversion at once (its counts are 32-bit).
inline constexpr int64_t kDecodeStretchBytes = int64_t{1} << 30;

class DecodedText {
 public:
  // Room for `guess` units at first: one per input byte is enough for every code page
  // decoded here, so the conversion normally runs once, without its counting pass.
  explicit DecodedText(int64_t guess);

  // Decodes the bytes through the code page and appends them. When the conversion finds
  // the room short, its own count decides the room and it converts again. The system's
  // conversion counts in 32 bits: longer input goes to it in stretches of at most
  // `stretch` bytes, each cut where every code page decoded here starts afresh.
  void Append(uint32_t codePage, const uint8_t* bytes, int64_t length,
              int64_t stretch = kDecodeStretchBytes);
  void Append(char16_t unit);

  // Makes the text `units` longer and returns where the new units go, for the caller to
  // fill (pieces decoded apart are joined this way, each copied by its own thread).
  char16_t* Extend(int64_t units);

  int64_t Length() const { return length_; }
  // Empties the text for the next piece, keeping the room and making it at least `room`
  // units (one per input byte, so that the conversion runs once).
  void Clear(int64_t room) {
    length_ = 0;
    Reserve(room);
  }
  std::u16string_view View() const { return {buffer_.get(), static_cast<size_t>(length_)}; }

  // Gives the buffer, NUL-terminated, to the document as its text.
  void MoveInto(Document& document);

 private:
  void Reserve(int64_t room);  // at least `room` units free
  void AppendStretch(uint32_t codePage, const uint8_t* bytes, int32_t length);

  std::unique_ptr<char16_t[]> buffer_;
  int64_t capacity_ = 0;  // units, not counting the room kept for the terminating NUL
  int64_t length_ = 0;
};

}  // namespace vemora
