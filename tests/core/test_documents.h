// Documents built from literal text for the layout and search tests.
#pragma once

#include <memory>
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

}  // namespace vemora::testing
