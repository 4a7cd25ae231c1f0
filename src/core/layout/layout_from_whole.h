// A filtered view's layout taken from the whole document's: each kept line's display lines
// are the whole's, moved to where the line stands in the view.
#pragma once

#include <cstdint>

#include "core/text/document.h"

namespace vemora {

// Lays the view out by taking the display lines of each kept line from the whole
// document's layout, moved to where the line stands in the view: the same layout as
// breaking the view's lines again with the whole's parameters, at a fraction of the cost.
// The whole's text must be the one the view was made from, and its layout complete; false,
// with the view left as it was, when the two do not fit together. A long view is taken in
// two halves on two threads (`pieces` 2; 1 takes it in one, 0 leaves it to its size).
bool LayOutFromWhole(Document& view, const Document& whole, int32_t pieces = 0);

// The display lines of the view's logical lines from `firstLine` on, taken from the whole
// document's layout as LayOutFromWhole takes them, behind the lines the view has; the lines
// before `firstLine` are laid out, and end where the text stood before it grew. False, with
// the layout left as it was, when the whole's layout does not hold them. Many lines are
// taken in two halves on two threads (`pieces` as for LayOutFromWhole).
bool ExtendLayoutFromWhole(Document& view, const Document& whole, int64_t firstLine,
                           int32_t pieces = 0);

}  // namespace vemora
