// Saving the shown text: in an encoding and with line ends of the user's choice (the save
// dialog with its encoding panel), and the UTF-16 copy. Both write through a temporary file
// and say so when the file cannot be written.
#pragma once

#include <string>

#include "core/text/encode.h"

namespace vemora {

// エンコードを指定して保存: the dialog, the question when characters cannot be converted,
// the file.
void SaveInChosenEncoding();

// Writes the current document's text to `path`; asks before writing "?" for characters the
// encoding cannot hold. Returns whether the file was written; a failure has been reported.
bool SaveDocumentText(const std::u16string& path, TextEncoding target, LineEndChoice lineEnds);

}  // namespace vemora
