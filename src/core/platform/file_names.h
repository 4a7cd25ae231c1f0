// How the system compares file names: the file history counts two spellings of one path
// as the same file exactly when the file system would.
#pragma once

#include <string_view>

namespace vemora {

// True when the names differ at most in the case of letters, for every letter whose case
// Windows folds in file names (accented, Greek, Cyrillic and full-width letters too).
bool FileNamesEqual(std::u16string_view a, std::u16string_view b);

}  // namespace vemora
