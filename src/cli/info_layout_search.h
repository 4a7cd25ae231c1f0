// vemorainfo's layout and search phases: the viewer's line count and hit count for a file.
#pragma once

#include "cli/info_options.h"
#include "cli/info_phases.h"

namespace vemora {

// After decoding: applies overstrike as the viewer does before showing a text, then with
// --lines writes "<display lines> <line ends>" for a column layout in which units below
// U+007F and U+FF61 to U+FF9F take one column and all others two, and with --count writes
// the number of hits. Returns false, with a message on standard error, when the regular
// expression is rejected, or when the library gave up on some lines (after the count,
// which may then be short).
bool LayoutAndSearchPhases(InfoFile& file, const InfoOptions& options, PhaseTimer& timer);

}  // namespace vemora
