// File-name comparison in the native build: a portable upper-casing of the letters that
// Windows folds in file names, one UTF-16 unit at a time as Windows does.
#include "core/platform/file_names.h"

#include <algorithm>

namespace vemora {
namespace {

// Latin Extended-A pairs its letters as upper, lower: at even code points in these runs,
// at odd ones in the others.
bool EvenUpperInLatinExtendedA(char16_t c) {
  return (c >= 0x0100 && c <= 0x0137) || (c >= 0x014A && c <= 0x0177);
}

char16_t UpperCase(char16_t c) {
  if (c >= u'a' && c <= u'z') return c - 0x20;
  if (c < 0x00E0) return c;
  if (c <= 0x00FE) return c == 0x00F7 ? c : c - 0x20;  // not the division sign
  if (c == 0x00FF) return 0x0178;
  if (c <= 0x017E) {
    if (EvenUpperInLatinExtendedA(c)) return (c & 1) ? c - 1 : c;
    if ((c >= 0x0139 && c <= 0x0148) || (c >= 0x0179 && c <= 0x017E)) {
      return (c & 1) ? c : c - 1;
    }
    return c;
  }
  if (c >= 0x03B1 && c <= 0x03CB) return c == 0x03C2 ? 0x03A3 : c - 0x20;  // final sigma
  if (c >= 0x0430 && c <= 0x044F) return c - 0x20;
  if (c >= 0x0450 && c <= 0x045F) return c - 0x50;
  if (c >= 0xFF41 && c <= 0xFF5A) return c - 0x20;  // full-width Latin letters
  return c;
}

}  // namespace

bool FileNamesEqual(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char16_t x, char16_t y) { return UpperCase(x) == UpperCase(y); });
}

}  // namespace vemora
