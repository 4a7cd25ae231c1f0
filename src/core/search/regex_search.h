// Regular-expression scans over UTF-16 text; the only place that knows the library.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/block_list.h"
#include "core/text/document.h"

namespace vemora {

// Appends every non-empty match of `pattern` (Ruby syntax) in `text` to `hits`. After each
// match the rest of the text is searched as a new subject, so anchors such as ^ and \A hold
// at the position behind the previous match. An empty match records nothing and the scan
// goes on one unit further. Returns false with the library's message in `errorText` (at
// most 90 units) when the pattern cannot be compiled. The prefilter changes only how fast
// the hits are found; turning it off gives the plain scan the filtered one is checked
// against.
bool CollectRegexHits(std::u16string_view text, std::u16string_view pattern,
                      BlockList<SearchHit, 49>& hits, std::u16string& errorText,
                      bool usePrefilter = true);

}  // namespace vemora
