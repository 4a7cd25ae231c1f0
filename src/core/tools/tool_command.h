// The command line that hands the shown file to the user's tool: the tool text of the
// file type with its macros ($F path, $L line, $K encoding option, $$) filled in.
#pragma once

#include <string>

#include "core/settings/settings_model.h"
#include "core/text/document.h"

namespace vemora {

// The tool option text of the file type for the document's encoding (EdOptSJIS for
// Shift_JIS, EdOptUTF16 for UTF-16 little endian with or without a mark, ...); empty for
// a document without an encoding.
const std::u16string& EncodingOptionText(TextEncoding encoding, const FileTypeSetting& setting);

// The line number a tool is asked to open at: the top display line counted from 1, or
// with LineType 1 the logical line that holds it (0 when the top line lies beyond the
// line table).
int32_t ToolLineNumber(const Document& document, const FileTypeSetting& setting);

// Expands `Editor`. Macros are matched without regard to case; an unknown macro is
// dropped with its "$"; a "$" at the very end is dropped. A path with a space is quoted.
std::u16string ExpandToolCommand(const Document& document, const FileTypeSetting& setting);

}  // namespace vemora
