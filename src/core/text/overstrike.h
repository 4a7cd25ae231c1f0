// Backspace overstrike: "_", BS, "A" underlines A; "A", BS, "A" makes A bold; "A", BS, "B"
// shows B. The text keeps only what is shown; the runs say what is underlined or bold.
#pragma once

#include "core/text/document.h"

namespace vemora {

// Rewrites document.text in place (it can only shrink), updates textLength and rebuilds
// document.overstrikeRuns in text order. A text without a backspace costs one scan and
// stays as it is. A backspace first in the text, or last, stays as an ordinary character.
void ApplyOverstrike(Document& document);

}  // namespace vemora
