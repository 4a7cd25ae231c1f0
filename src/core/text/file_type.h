// Choosing the file-type settings for a document by wildcard patterns on its file name.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/settings/settings_model.h"

namespace vemora {

// The index of the file-type entry for a document named `documentName` (a path or
// "(無題)"): the highest-numbered entry above 0 with a matching pattern, else 0.
int32_t SelectFileType(std::u16string_view documentName, const FileTypeSettingList& list);

// 1 when the file name matches the pattern. Stars followed by "?" or "*" collapse into
// one star first; the pattern "*" matches every name, even an empty one.
int32_t MatchFileName(std::u16string_view fileName, std::u16string_view pattern);

// 1 when the name matches the normalised pattern ("*" any run, "?" one unit, or none at
// the end of the name). Letters compare as the C runtime upper-cases them by default:
// ASCII letters only.
int32_t MatchWildcard(std::u16string_view name, std::u16string_view pattern);

}  // namespace vemora
