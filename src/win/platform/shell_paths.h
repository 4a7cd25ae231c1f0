// Path services of the Windows shell used when a document is loaded.
#pragma once

#include <string>

namespace vemora::win {

// Replaces `path` by the target of the shell link it names, when loading, resolving (with
// SLR_ANY_MATCH, over `ownerWindow`) and reading the target all succeed. Only a regular
// file whose name ends in ".lnk" is tried. Needs COM.
void ResolveShortcut(std::u16string& path, void* ownerWindow);

// Makes the path absolute and gives every existing component its spelling on disk (its
// case, its long name); the result holds at most 260 units.
void NormalizePath(std::u16string& path);

}  // namespace vemora::win
