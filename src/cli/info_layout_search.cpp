// The layout and search phases of vemorainfo, on the viewer's own layout and search.
#include "cli/info_layout_search.h"

#include <string>

#include "core/layout/layout.h"
#include "core/search/search.h"
#include "core/text/utf8.h"

namespace vemora {

bool LayoutAndSearchPhases(InfoFile& file, const InfoOptions& options, PhaseTimer& timer) {
  OverstrikePhase(file, timer);
  Document& document = file.document;
  const std::string prefix = options.paths.size() > 1 ? Utf16ToUtf8(file.path) + "\t" : "";
  if (options.lines) {
    timer.Run("layout", [&] {
      ColumnRuleMeasure measure;  // one pixel per column, average width 1
      LayoutDocument(document, LayoutParameters{options.tab, options.fold, 0, 1, 0}, measure);
    });
    if (DisplayLinesCut(document)) {
      WriteError(prefix + "too many display lines (at most " +
                 std::to_string(kMaxDisplayLines - 1) + ")");
      return false;
    }
    const int32_t lineEnds = document.lineTable.LogicalOf(document.displayLineCount);
    WriteOutput(prefix + std::to_string(document.displayLineCount) + " " +
                std::to_string(lineEnds) + "\n");
  }
  if (options.count) {
    const SearchOutcome outcome = timer.Run("search", [&] {
      return SearchDocument(document, 0, options.countText, options.caps ? 1 : 0,
                            options.regex ? 1 : 0, false);
    });
    if (!outcome.errorText.empty()) {
      WriteError("regular expression: " + Utf16ToUtf8(outcome.errorText));
      return false;
    }
    WriteOutput(prefix + std::to_string(document.hits.Size()) + "\n");
    if (outcome.failedLines > 0) {
      // The count stands, but it may be short: the script must not take it as complete.
      WriteError(prefix + "search could not be completed on " +
                 std::to_string(outcome.failedLines) +
                 (outcome.failedLines == 1 ? " line" : " lines"));
      return false;
    }
  }
  return true;
}

}  // namespace vemora
