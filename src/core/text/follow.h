// Following a file that another program keeps writing to: only the bytes after the start
// of the document's last incomplete line are read and decoded again, and the text and its
// line table are extended instead of being rebuilt.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/layout/layout.h"
#include "core/platform/text_measure.h"
#include "core/text/document.h"
#include "core/text/encoding.h"

namespace vemora {

struct FollowState {
  std::u16string path;
  TextEncoding encoding = -1;
  int64_t knownSize = 0;  // bytes of the file the text stands for
  std::string head;       // the file's first bytes, to notice a file that was replaced
  int64_t tailByte = 0;   // where the last incomplete line starts in the file
  int64_t tailText = 0;   // and in the text
  std::string jisEscape;  // JIS: the escape sequence in effect at tailByte
  int64_t firstCr = -1;   // the text's first CR, which decides the line-end kind
  // The encoding was detected, and only from the last incomplete line if at all: the
  // complete lines are pure ASCII (or there are none), so each append detects it again.
  bool detectAgain = false;
  // With detectAgain: what those ASCII lines say of UTF-16 without a mark (their NULs).
  EncodingEvidence asciiEvidence;
  int64_t changedFrom = 0;  // after kExtended: the first text position that changed
};

enum class FollowResult {
  kUnchanged,  // nothing new (or the file cannot be read just now)
  kExtended,   // text and line table grew
  kReload,     // the file shrank, was replaced or cannot be extended: load it again
};

// Prepares to follow the document's file. kReload when the document is not what the file
// now holds (its size differs from the size read); kUnchanged when ready.
FollowResult StartFollowing(Document& document, FollowState& state);

// Reads what was appended since the last call and extends the text and the line table,
// laid out with `parameters` and `measure` as the whole text was. kReload as well when
// the appended bytes make detection answer another encoding.
FollowResult PollFollowedFile(Document& document, FollowState& state,
                              const LayoutParameters& parameters, TextMeasure& measure);

// After an extension from text position `from`: the hits that reach it give way to those
// `search` finds in the text from the first of them (or `from`) on, so that the hits are
// those of a search over the whole text. `search` fills the hits of the document it is
// handed as a search of a whole document does; that document holds only the text to search.
void SearchGrownText(Document& document, int64_t from,
                     const std::function<void(Document& part)>& search);

}  // namespace vemora
