// Documents built from literal text for the layout and search tests, Shift_JIS bytes as
// EUC-JP, and a mapped file for the tests of loads that release the file's pages as they go.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
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

// Shift_JIS as EUC-JP, pair by pair (rows beyond JIS X 0208 come out as bytes EUC-JP may
// reject, which every way of decoding must take alike).
inline std::string EucFromShiftJis(const std::string& sjis) {
  std::string euc;
  for (size_t i = 0; i < sjis.size(); ++i) {
    const auto lead = static_cast<uint8_t>(sjis[i]);
    if (lead >= 0xA1 && lead <= 0xDF) {
      euc += '\x8E';
      euc += static_cast<char>(lead);
    } else if (((lead >= 0x81 && lead <= 0x9F) || lead >= 0xE0) && i + 1 < sjis.size()) {
      const auto trail = static_cast<uint8_t>(sjis[++i]);
      int row = ((lead >= 0xE0 ? lead - 0x40 : lead) - 0x81) * 2 + 0x21;
      const int cell = trail >= 0x9F ? trail - 0x7E : trail >= 0x80 ? trail - 0x20 : trail - 0x1F;
      if (trail >= 0x9F) ++row;
      euc += static_cast<char>(row | 0x80);
      euc += static_cast<char>(cell | 0x80);
    } else {
      euc += static_cast<char>(lead);
    }
  }
  return euc;
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
