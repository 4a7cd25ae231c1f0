// Code-page conversions natively, through iconv.
#include "core/platform/code_pages.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace vemora {
namespace {

const char* IconvName(uint32_t codePage) {
  switch (codePage) {
    case kCodePageUtf8: return "UTF-8";
    case kCodePageUtf7: return "UTF-7";
    default: return "CP932";
  }
}

}  // namespace

int32_t DecodeCodePage(uint32_t codePage, const uint8_t* bytes, int32_t length, char16_t* out,
                       int32_t capacity) {
  iconv_t converter = iconv_open("UTF-16LE", IconvName(codePage));
  if (converter == reinterpret_cast<iconv_t>(-1)) return 0;
  char* in = const_cast<char*>(reinterpret_cast<const char*>(bytes));
  size_t inLeft = static_cast<size_t>(length);
  char* outPtr = reinterpret_cast<char*>(out);
  size_t outLeft = static_cast<size_t>(capacity) * 2;
  while (inLeft > 0 && outLeft >= 2) {
    if (iconv(converter, &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) break;
    // Invalid or incomplete input: one replacement character for one byte.
    const char16_t replacement = codePage == kCodePageUtf8 ? u'\uFFFD' : u'\u30FB';
    std::memcpy(outPtr, &replacement, 2);
    outPtr += 2;
    outLeft -= 2;
    ++in;
    --inLeft;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(converter);
  return static_cast<int32_t>((reinterpret_cast<char16_t*>(outPtr)) - out);
}

std::u16string DecodeCodePage(uint32_t codePage, std::string_view bytes) {
  std::u16string text(bytes.size(), u'\0');
  const int32_t units =
      DecodeCodePage(codePage, reinterpret_cast<const uint8_t*>(bytes.data()),
                     static_cast<int32_t>(bytes.size()), text.data(), static_cast<int32_t>(text.size()));
  text.resize(static_cast<size_t>(units));
  return text;
}

std::string EncodeCodePage(uint32_t codePage, std::u16string_view text) {
  iconv_t converter = iconv_open(codePage == kCodePageUtf8 ? "UTF-8" : "CP932", "UTF-16LE");
  if (converter == reinterpret_cast<iconv_t>(-1)) return {};
  std::string result(text.size() * 4 + 4, '\0');
  char* in = const_cast<char*>(reinterpret_cast<const char*>(text.data()));
  size_t inLeft = text.size() * 2;
  char* out = result.data();
  size_t outLeft = result.size();
  while (inLeft > 0) {
    if (iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1)) break;
    if (errno == E2BIG || outLeft == 0) break;
    // A character without a form in the code page becomes "?", as Windows does.
    *out++ = '?';
    --outLeft;
    in += 2;
    inLeft = inLeft >= 2 ? inLeft - 2 : 0;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(converter);
  result.resize(static_cast<size_t>(out - result.data()));
  return result;
}

}  // namespace vemora
