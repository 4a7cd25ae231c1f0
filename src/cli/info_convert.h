// vemorainfo --to: a file's text written to standard output in another encoding.
#pragma once

#include "cli/info_options.h"
#include "cli/info_phases.h"

namespace vemora {

// Writes the decoded text in options.toEncoding with the line ends options.eol asks for.
// Returns false when some characters could not be converted; they are written as "?" and
// counted on standard error.
bool WriteConvertedPhase(const InfoFile& file, const InfoOptions& options, PhaseTimer& timer);

}  // namespace vemora
