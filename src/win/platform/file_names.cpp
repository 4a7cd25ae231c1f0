// File-name comparison on Windows: the system's own ordinal comparison that ignores case,
// the one its file systems use.
#include "core/platform/file_names.h"

#include <windows.h>

#include <limits>

#include "win/platform/text_conversion.h"

namespace vemora {

bool FileNamesEqual(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  if (a.size() > static_cast<size_t>(std::numeric_limits<int>::max())) return a == b;
  const int length = static_cast<int>(a.size());
  return CompareStringOrdinal(AsWide(a.data()), length, AsWide(b.data()), length, TRUE) ==
         CSTR_EQUAL;
}

}  // namespace vemora
