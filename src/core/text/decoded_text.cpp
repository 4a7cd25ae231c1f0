// Decoding into a document's text buffer, with the counting pass only as a fallback.
#include "core/text/decoded_text.h"

#include <algorithm>
#include <limits>

#include "core/platform/code_pages.h"

namespace vemora {

DecodedText::DecodedText(int32_t guess)
    : buffer_(
          std::make_unique_for_overwrite<char16_t[]>(static_cast<size_t>(std::max(guess, 0)) + 1)),
      capacity_(std::max(guess, 0)) {}

void DecodedText::Append(uint32_t codePage, const uint8_t* bytes, int32_t length) {
  if (length <= 0) return;
  int32_t units =
      DecodeCodePage(codePage, bytes, length, buffer_.get() + length_, capacity_ - length_);
  if (units == kDecodeRoomShort) {
    Reserve(CountDecodedUnits(codePage, bytes, length));
    units = DecodeCodePage(codePage, bytes, length, buffer_.get() + length_, capacity_ - length_);
  }
  length_ += std::max(units, 0);
}

void DecodedText::Append(char16_t unit) {
  Reserve(1);
  buffer_[static_cast<size_t>(length_++)] = unit;
}

char16_t* DecodedText::Extend(int32_t units) {
  Reserve(units);
  char16_t* const room = buffer_.get() + length_;
  length_ += units;
  return room;
}

void DecodedText::Reserve(int32_t room) {
  if (capacity_ - length_ >= room) return;
  // A quarter more than asked, so that many small appends beyond the guess stay linear.
  const int64_t wanted = std::max<int64_t>(int64_t{length_} + room, capacity_ + capacity_ / 4);
  const auto capacity =
      static_cast<int32_t>(std::min<int64_t>(wanted, std::numeric_limits<int32_t>::max()));
  auto buffer = std::make_unique_for_overwrite<char16_t[]>(static_cast<size_t>(capacity) + 1);
  std::copy_n(buffer_.get(), length_, buffer.get());
  buffer_ = std::move(buffer);
  capacity_ = capacity;
}

void DecodedText::MoveInto(Document& document) {
  buffer_[static_cast<size_t>(length_)] = u'\0';
  document.textBuffer = std::move(buffer_);
  document.text = document.textBuffer.get();
  document.textLength = length_;
  capacity_ = length_ = 0;
}

}  // namespace vemora
