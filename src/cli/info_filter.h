// vemorainfo's filter phase: the lines the viewer's filter keeps of a file, grep -n style.
#pragma once

#include "cli/info_options.h"
#include "cli/info_phases.h"

namespace vemora {

// After decoding: applies overstrike as the viewer does, gathers the kept lines (timed as
// "filter"), then writes each as "NUMBER:TEXT" in UTF-8 without its line end, numbers from
// 1, or with --count only how many; with several files each line starts "FILE:". Sets
// `keptAny` when a line was kept. Returns false, with a message on standard error, when
// the regular expression is rejected.
bool FilterPhases(InfoFile& file, const InfoOptions& options, PhaseTimer& timer, bool& keptAny);

}  // namespace vemora
