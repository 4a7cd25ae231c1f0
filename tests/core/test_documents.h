// Documents built from literal text for the layout and search tests, and a mapped file
// for the tests of loads that release the file's pages as they go.
#pragma once

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "core/text/document.h"

namespace vemora::testing {

inline Document MakeDocument(std::u16string_view text) {
  Document document;
  document.textBuffer = std::make_unique<char16_t[]>(text.size() + 1);
  std::copy(text.begin(), text.end(), document.textBuffer.get());
  document.text = document.textBuffer.get();
  document.textLength = static_cast<int32_t>(text.size());
  return document;
}

// A mapped file that spoils the bytes it is told to release with `spoil`, so that any read
// of them afterwards changes the text. It reports how far it has been released and, given
// a counter, counts the mappings alive. Threads may release at once: each waits its turn.
class SpoiledOnRelease final : public MappedFile {
 public:
  SpoiledOnRelease(std::string bytes, char spoil, int64_t* released = nullptr,
                   std::atomic<int>* alive = nullptr)
      : bytes_(std::move(bytes)), spoil_(spoil), released_(released), alive_(alive) {
    if (alive_) ++*alive_;
  }
  ~SpoiledOnRelease() override {
    if (alive_) --*alive_;
  }
  const uint8_t* Data() const override { return reinterpret_cast<const uint8_t*>(bytes_.data()); }
  void ReleaseBelow(int64_t end) override {
    const std::lock_guard<std::mutex> lock(mutex_);
    for (int64_t i = releasedTo_; i < end; ++i) bytes_[static_cast<size_t>(i)] = spoil_;
    releasedTo_ = std::max(releasedTo_, end);
    if (released_) *released_ = releasedTo_;
  }

 private:
  std::string bytes_;
  char spoil_;
  int64_t* released_;
  std::atomic<int>* alive_;
  std::mutex mutex_;
  int64_t releasedTo_ = 0;
};

}  // namespace vemora::testing
