// Breaking the document's text into display lines, and the maps between text positions,
// display lines and logical lines that painting, scrolling and search navigation use.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/platform/text_measure.h"
#include "core/text/document.h"

namespace vemora {

struct FileTypeSetting;

// Display lines are counted in 32 bits: a layout stops breaking lines once it has this
// many, leaving the rest of the text in the last one, and a loaded text that reaches it
// is refused (DisplayLinesCut) with kTooManyLinesMessage.
inline constexpr int32_t kMaxDisplayLines = 2147483647 - 1;
inline bool DisplayLinesCut(const Document& document) {
  return document.displayLineCount >= kMaxDisplayLines;
}
inline constexpr char16_t kTooManyLinesMessage[] =
    u"表示行が多すぎるため、このファイルは表示できません。";

struct LayoutParameters {
  int32_t Tab = 8;               // tab width in columns
  int32_t Fold = 80;             // wrap column when FoldRight is 0
  int32_t FoldRight = 0;         // 0 wrap at Fold columns, 1 wrap at the view's right edge
  int32_t averageCharWidth = 1;  // W: the width of "aAjJ,_" divided by 6, in pixels
  int32_t clientWidth = 0;       // the view's client width in pixels (edge mode)
  int32_t edgeMargins = 16;      // pixels of the client width kept free of text (edge mode)
  int32_t mostLines = kMaxDisplayLines;  // where a layout stops; tests ask for fewer

  bool operator==(const LayoutParameters&) const = default;
};

LayoutParameters LayoutParametersFor(const FileTypeSetting& setting, int32_t averageCharWidth,
                                     int32_t clientWidth);

// Rebuilds the document's line table, display line count and scroll scale. A tab width
// or average width below 1 is taken as 1. A large text is laid out in pieces on the
// machine's cores, with the same result; `measure` is then called from several threads,
// one call at a time.
void LayoutDocument(Document& document, const LayoutParameters& parameters, TextMeasure& measure);

// Lays out again only what follows the text's first `unchangedEnd` units, for a text that
// kept those units and changed or grew after them; the result equals a whole layout.
void ExtendLayout(Document& document, int64_t unchangedEnd, const LayoutParameters& parameters,
                  TextMeasure& measure);

// Below this many units a text is laid out on one thread.
inline constexpr int32_t kUnitsWorthPieces = 1 << 20;
// A large text is cut into chunks of about this many units, which the threads take in turn.
inline constexpr int32_t kUnitsPerChunk = 256 << 10;

// The same on the calling thread alone, whatever the size.
void LayoutDocumentOnOneThread(Document& document, const LayoutParameters& parameters,
                               TextMeasure& measure);

// The same on (up to) `pieces` threads, in at least `pieces` chunks cut just after line
// ends, whatever the size.
void LayoutDocumentInPieces(Document& document, const LayoutParameters& parameters,
                            TextMeasure& measure, int32_t pieces);

// The divisor that keeps scroll-bar positions within 16 bits.
int32_t ScrollScale(int32_t displayLineCount);

// Start of display line n; n equal to the display line count gives the end mark's
// position (the text length). kNoPosition out of range.
int64_t LineStart(const Document& document, int32_t n);
// Units from the start of display line n to the start of the next one; 0 out of range.
int64_t LineLength(const Document& document, int32_t n);
// Logical line number of display line n; -1 out of range.
int32_t LogicalLineOf(const Document& document, int32_t n);
// The last display line whose start is not after the position (0 before the text). For
// the end of the text this is the last line, or the display line count when the end mark
// sits alone in a block of its own.
int32_t DisplayLineOf(const Document& document, int64_t position);
// The first display line of logical line `logical`, or -1.
int32_t DisplayLineOfLogical(const Document& document, int32_t logical);

// Lays out texts one after another on one thread, each of which starts where a display
// line starts (at a text's start or just after a line end): a loaded file's steps.
class PieceLayout {
 public:
  PieceLayout(const LayoutParameters& parameters, TextMeasure& measure);
  ~PieceLayout();
  PieceLayout(const PieceLayout&) = delete;
  PieceLayout& operator=(const PieceLayout&) = delete;
  // The display lines of text[0, length): their starts plus `base`, and the line ends
  // before each counted from the text's start; `lineEnds` gets all the text's line ends.
  void LayOut(const char16_t* text, int64_t length, int64_t base, std::vector<int64_t>& starts,
              std::vector<int32_t>& logical, int32_t& lineEnds);
  // The same behind the display lines already in `starts`: each new one gets the line ends
  // counted so far in `lineEnds`, which goes on counting. A filtered view is laid out so,
  // one kept line at a time, where each stands in the text searched.
  void Append(const char16_t* text, int64_t length, int64_t base, std::vector<int64_t>& starts,
              std::vector<int32_t>& logical, int32_t& lineEnds);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Appends display lines laid out after the document's last one (as PieceLayout makes
// them, logical numbers counted from the old end) and moves the end mark to `textEnd`.
// New blocks are taken from `spare` while it has any (empty ones, made elsewhere).
void AppendDisplayLines(Document& document, const std::vector<int64_t>& starts,
                        const std::vector<int32_t>& logical, int32_t lineEnds, int64_t textEnd,
                        std::vector<std::unique_ptr<LineBlock>>* spare = nullptr);

}  // namespace vemora
