// Decoding into a document's text buffer, with the counting pass only as a fallback.
#include "core/text/decoded_text.h"

#include <algorithm>
#include <cstdint>

#include "core/platform/code_pages.h"
#include "core/platform/out_of_memory.h"

namespace vemora {

namespace {

// Whether every code page decoded here starts afresh after the byte: a character of one
// byte in Shift_JIS and UTF-8 (no byte below 0x40 ends a pair or a sequence), and in
// UTF-7 neither a base64 digit nor the '+' that opens a run.
bool StartsAfresh(uint8_t b) {
  return b < 0x40 && b != '+' && b != '/' && (b < '0' || b > '9');
}

}  // namespace

DecodedText::DecodedText(int64_t guess)
    : buffer_(std::make_unique_for_overwrite<char16_t[]>(
          static_cast<size_t>(std::max<int64_t>(guess, 0)) + 1)),
      capacity_(std::max<int64_t>(guess, 0)) {}

void DecodedText::Append(uint32_t codePage, const uint8_t* bytes, int64_t length, int64_t stretch) {
  while (length > stretch) {
    // The last fresh start in the stretch; a stretch without one (a line of that many
    // bytes with no byte below 0x40) is cut where it ends.
    int64_t cut = stretch;
    while (cut > 0 && !StartsAfresh(bytes[cut - 1])) --cut;
    if (cut == 0) cut = stretch;
    AppendStretch(codePage, bytes, static_cast<int32_t>(cut));
    bytes += cut;
    length -= cut;
  }
  AppendStretch(codePage, bytes, static_cast<int32_t>(length));
}

void DecodedText::AppendStretch(uint32_t codePage, const uint8_t* bytes, int32_t length) {
  if (length <= 0) return;
  // The room offered is at most what a 32-bit count holds; one unit per byte is enough.
  const auto room = [&] {
    return static_cast<int32_t>(std::min<int64_t>(capacity_ - length_, INT32_MAX));
  };
  int32_t units = DecodeCodePage(codePage, bytes, length, buffer_.get() + length_, room());
  if (units == kDecodeRoomShort) {
    const int32_t counted = CountDecodedUnits(codePage, bytes, length);
    if (counted >= 0) Reserve(counted);
    units = counted >= 0 ? DecodeCodePage(codePage, bytes, length, buffer_.get() + length_, room())
                         : counted;
  }
  // The system's conversion, with a code page it has and room enough, fails only when it
  // cannot work at all. The text must not go on without the stretch as if it were whole:
  // the failure is met as a refused allocation is, which stops a load and tells the user.
  if (units < 0) return OnAllocationFailure();
  length_ += units;
}

void DecodedText::Append(char16_t unit) {
  Reserve(1);
  buffer_[static_cast<size_t>(length_++)] = unit;
}

char16_t* DecodedText::Extend(int64_t units) {
  Reserve(units);
  char16_t* const room = buffer_.get() + length_;
  length_ += units;
  return room;
}

void DecodedText::Reserve(int64_t room) {
  if (capacity_ - length_ >= room) return;
  // A quarter more than asked, so that many small appends beyond the guess stay linear.
  const int64_t capacity = std::max(length_ + room, capacity_ + capacity_ / 4);
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
  document.textCapacity = capacity_;  // room a followed text grows into without a copy
  capacity_ = length_ = 0;
}

}  // namespace vemora
