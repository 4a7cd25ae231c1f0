// Built-in defaults of the settings records.
#include "core/settings/settings_model.h"

#include <algorithm>

namespace vemora {

std::u16string FontRecord::FaceName() const {
  const auto end = std::find(faceName.begin(), faceName.end(), u'\0');
  return std::u16string(faceName.begin(), end);
}

void FontRecord::SetFaceName(std::u16string_view name) {
  faceName.fill(u'\0');
  const size_t length = std::min<size_t>(name.size(), kFaceNameSize - 1);
  std::copy_n(name.begin(), length, faceName.begin());
}

FontRecord DefaultFont() {
  FontRecord font;
  font.height = -15;
  font.weight = 400;        // FW_NORMAL
  font.charSet = 128;       // SHIFTJIS_CHARSET
  font.outPrecision = 1;    // OUT_STRING_PRECIS
  font.clipPrecision = 2;   // CLIP_STROKE_PRECIS
  font.quality = 1;         // DRAFT_QUALITY
  font.pitchAndFamily = 1;  // FIXED_PITCH
  font.SetFaceName(u"FixedSys");
  return font;
}

const FileTypeSetting& DefaultFileTypeSetting() {
  static const FileTypeSetting setting;
  return setting;
}

void ResetSettings(AppOptions& options, FileTypeSettingList& list) {
  options = AppOptions{};
  list = FileTypeSettingList{};
}

void UseBuiltInFileTypes(FileTypeSettingList& list) {
  list.entries.assign(1, DefaultFileTypeSetting());
}

}  // namespace vemora
