// Fuzzing the stored font record: thirteen numbers and a face name that may hold spaces.
// Whatever parses must format back to a text that parses to the same font.
#include <algorithm>
#include <string>

#include "core/settings/settings_io.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vemora;
  std::u16string text =
      fuzz::UnitsFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  // The store hands the loader texts that end at their first NUL.
  text.resize(std::min(text.find(u'\0'), text.size()));
  const std::optional<FontRecord> font = ParseFontRecord(text);
  if (!font) return 0;
  FUZZ_CHECK(std::count(text.begin(), text.end(), u' ') >= 13);
  FUZZ_CHECK(font->faceName.back() == u'\0');
  FUZZ_CHECK(font->FaceName().size() <= 31);
  const std::u16string formatted = FormatFontRecord(*font);
  const std::optional<FontRecord> again = ParseFontRecord(formatted);
  FUZZ_CHECK(again.has_value());
  FUZZ_CHECK(*again == *font);
  FUZZ_CHECK(FormatFontRecord(*again) == formatted);
  return 0;
}
