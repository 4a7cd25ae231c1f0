// Backspace overstrike, in place: a read and a write position move through the text and
// the write position never passes the read position.
#include "core/text/overstrike.h"

#include <algorithm>

#include "core/text/byte_search.h"

namespace vemora {
namespace {

constexpr char16_t kBackspace = u'\b';

// Runs of backspaces count as one. Returns the new length.
int64_t CollapseBackspaces(char16_t* text, int64_t from, int64_t length) {
  int64_t write = from;
  for (int64_t read = from; read < length; ++read) {
    if (text[read] == kBackspace && write > 0 && text[write - 1] == kBackspace) continue;
    text[write++] = text[read];
  }
  return write;
}

}  // namespace

void ApplyOverstrike(Document& document) {
  document.overstrikeRuns.Clear();
  char16_t* const text = document.text;
  if (!text || document.textLength <= 0) return;
  const char16_t* const first = FindUnit(text, text + document.textLength, kBackspace);
  if (first == text + document.textLength) return;
  const auto firstIndex = static_cast<int64_t>(first - text);

  const int64_t length = CollapseBackspaces(text, firstIndex, document.textLength);
  // Everything before the first backspace is already where it belongs.
  int64_t read = firstIndex;
  int64_t write = firstIndex;
  // Copies the character at `read` unless it is a backspace; it becomes the previous one.
  auto copyUnlessBackspace = [&] {
    if (read < length && text[read] != kBackspace) text[write++] = text[read++];
  };
  while (read < length) {
    if (text[read] != kBackspace || write == 0) {
      text[write++] = text[read++];
      continue;
    }
    // A backspace after a written character: the run starts at that character.
    const int64_t runStart = write - 1;
    int64_t runEnd = -1;
    while (read + 1 < length && text[read] == kBackspace &&
           (text[write - 1] == u'_' || text[read + 1] == u'_')) {
      if (text[write - 1] == u'_') text[write - 1] = text[read + 1];
      runEnd = write;
      read += 2;
      copyUnlessBackspace();
    }
    if (runEnd >= 0) {
      document.overstrikeRuns.Append({runStart, runEnd - runStart, kUnderlineAttribute});
      continue;
    }
    while (read + 1 < length && text[read] == kBackspace && text[read + 1] == text[write - 1]) {
      runEnd = write;
      read += 2;
      copyUnlessBackspace();
    }
    if (runEnd >= 0) {
      document.overstrikeRuns.Append({runStart, runEnd - runStart, kBoldAttribute});
      continue;
    }
    if (read + 1 < length) {
      text[write - 1] = text[read + 1];  // plain overstrike: the second character shows
      read += 2;
    } else {
      text[write++] = text[read++];  // nothing follows to strike over with
    }
  }
  document.textLength = write;
}

}  // namespace vemora
