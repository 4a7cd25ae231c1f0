// The filter's tests' references: the lines a plain rule keeps, the view that shows
// exactly them, generated texts, and the views made other ways that must be the same.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/layout/layout.h"
#include "core/layout/layout_from_whole.h"
#include "core/search/background_search.h"
#include "core/search/filter_worker.h"
#include "core/search/filtered_view.h"
#include "core/search/search.h"
#include "core/text/overstrike.h"
#include "document_expectations.h"
#include "test_documents.h"

namespace vemora::testing {

// A line of the whole text by the plain rule: CR, LF or CR LF ends it.
struct ReferenceLine {
  int32_t start = 0;
  int32_t end = 0;  // before its line end
  int32_t number = 0;
};

inline std::vector<ReferenceLine> SplitLines(std::u16string_view text) {
  std::vector<ReferenceLine> lines;
  size_t start = 0;
  int32_t number = 0;
  while (start < text.size()) {
    size_t end = start;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') ++end;
    lines.push_back({static_cast<int32_t>(start), static_cast<int32_t>(end), number++});
    size_t next = end;
    if (next < text.size()) next += text.substr(next, 2) == u"\r\n" ? 2 : 1;
    start = next;
  }
  return lines;
}

inline std::u16string FoldAscii(std::u16string_view text) {
  std::u16string folded(text);
  for (char16_t& unit : folded)
    if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit + 0x20);
  return folded;
}

// The lines that hold `wanted` (none of them contains a line end), or with `invert` the
// others; `foldCase` compares ASCII letters without case.
inline std::vector<ReferenceLine> ReferenceKept(std::u16string_view text,
                                                std::u16string_view wanted, bool foldCase,
                                                bool invert) {
  std::vector<ReferenceLine> kept;
  for (const ReferenceLine& line : SplitLines(text)) {
    std::u16string content(text.substr(line.start, line.end - line.start));
    std::u16string pattern(wanted);
    if (foldCase) content = FoldAscii(content), pattern = FoldAscii(pattern);
    const bool holds = content.find(pattern) != std::u16string::npos;
    if (holds != invert) kept.push_back(line);
  }
  return kept;
}

inline uint32_t AttributesAt(const Document& document, int64_t position) {
  uint32_t attributes = 0;
  const auto& runs = document.overstrikeRuns;
  for (int64_t i = 0; i < runs.Size(); ++i)
    if (position >= runs[i].start && position < runs[i].start + runs[i].length)
      attributes |= runs[i].attributes;
  return attributes;
}

inline void LayOut(Document& document, int32_t fold) {
  ColumnRuleMeasure measure;
  LayoutDocument(document, LayoutParameters{4, fold, 0, 1, 0}, measure);
}

// The view, laid out, shows exactly the expected lines in order: the same units, the same
// underlines, each display line numbered with its file line, and every jump target right.
inline void ExpectShows(Document& view, const Document& whole,
                        const std::vector<ReferenceLine>& kept, const std::string& label) {
  LayOut(view, 6);
  std::vector<int32_t> firstDisplayLine;
  for (int32_t d = 0; d < view.displayLineCount; ++d) {
    const int32_t logical = LogicalLineOf(view, d);
    if (logical == static_cast<int32_t>(firstDisplayLine.size())) firstDisplayLine.push_back(d);
    ASSERT_LT(logical, static_cast<int32_t>(kept.size())) << label;
    EXPECT_EQ(FileLineOf(view, d), kept[logical].number) << label << " display line " << d;
  }
  ASSERT_EQ(firstDisplayLine.size(), kept.size()) << label << ": one view line per kept line";
  for (size_t k = 0; k < kept.size(); ++k) {
    const int64_t start = LineStart(view, firstDisplayLine[k]);
    const ReferenceLine& line = kept[k];
    const std::u16string_view shown = view.Text().substr(start, line.end - line.start);
    EXPECT_EQ(shown, whole.Text().substr(line.start, line.end - line.start))
        << label << " line " << k;
    for (int32_t i = 0; i < line.end - line.start; ++i)
      EXPECT_EQ(AttributesAt(view, start + i), AttributesAt(whole, line.start + i)) << label;
  }
  const int32_t lastNumber = kept.empty() ? 0 : kept.back().number;
  for (int32_t fileLine = 0; fileLine <= lastNumber + 1; ++fileLine) {
    size_t k = 0;
    while (k < kept.size() && kept[k].number < fileLine) ++k;
    EXPECT_EQ(DisplayLineAtOrAfterFileLine(view, fileLine),
              k < kept.size() ? firstDisplayLine[k] : -1)
        << label << " file line " << fileLine;
  }
  EXPECT_EQ(LastShownFileLineNumber(view), kept.empty() ? 0 : lastNumber + 1) << label;
}

// Lines of letters, kanji, a character outside the BMP, tabs and underlined or bold
// characters, ended by CR LF, LF or CR, some empty, the last one with or without an end.
inline std::u16string GeneratedText(uint32_t seed, bool finalLineEnd) {
  static const std::u16string_view kPieces[] = {
      u"a", u"b", u"A", u"東", u"京", u"東京", u"\U0002000B", u"\t", u" ", u"_\b東", u"a\ba"};
  static const std::u16string_view kEnds[] = {u"\r\n", u"\n", u"\r", u"\n"};
  std::u16string text;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  for (int line = 0; line < 120; ++line) {
    const uint32_t pieces = next() % 4 == 0 ? 0 : next() % 12;
    for (uint32_t i = 0; i < pieces; ++i) text += kPieces[next() % std::size(kPieces)];
    if (line < 119 || finalLineEnd) text += kEnds[next() % std::size(kEnds)];
  }
  return text;
}

// The same view: text, file lines, hits and where a growing file resumes.
inline void ExpectSameFilter(const Document& made, const Document& expected,
                             const std::string& label) {
  EXPECT_EQ(made.Text(), expected.Text()) << label;
  ASSERT_EQ(made.filter->fileLines.Size(), expected.filter->fileLines.Size()) << label;
  for (int64_t k = 0; k < made.filter->fileLines.Size(); ++k)
    EXPECT_EQ(made.filter->fileLines[k], expected.filter->fileLines[k]) << label << " line " << k;
  ASSERT_EQ(made.hits.Size(), expected.hits.Size()) << label;
  for (int64_t i = 0; i < made.hits.Size(); ++i) {
    EXPECT_EQ(made.hits[i].start, expected.hits[i].start) << label;
    EXPECT_EQ(made.hits[i].length, expected.hits[i].length) << label;
  }
  EXPECT_EQ(made.filter->scannedEnd, expected.filter->scannedEnd) << label;
  EXPECT_EQ(made.filter->scannedLines, expected.filter->scannedLines) << label;
  EXPECT_EQ(made.filter->lastLineStart, expected.filter->lastLineStart) << label;
}

// Layouts a worker may be given: wrapping at a column, and at an edge of ten pixels.
constexpr LayoutParameters kWorkerLayouts[] = {{4, 6, 0, 1, 0}, {4, 80, 1, 1, 26}};

// The line table the worker made for its view is the one a layout of the view's text
// alone makes.
inline void ExpectLaidOutAsAlone(const Document& view, const LayoutParameters& parameters,
                                 const std::string& label) {
  ColumnRuleMeasure measure;
  Document alone;
  alone.text = view.text;
  alone.textLength = view.textLength;
  LayoutDocument(alone, parameters, measure);
  testing::ExpectSameLineTable(alone, view, label);
  EXPECT_EQ(view.scrollScale, alone.scrollScale) << label;
}

// The view laid out from the whole document's layout, made with each layout a window
// may have, in one piece and in two, is the layout of the view's text alone.
inline void ExpectLaidOutFromWhole(Document& view, Document& whole, const std::string& label) {
  for (const LayoutParameters& parameters : kWorkerLayouts) {
    ColumnRuleMeasure measure;
    LayoutDocument(whole, parameters, measure);
    for (int32_t pieces : {1, 2}) {
      const std::string laid = label + ", from the whole at " + std::to_string(parameters.Fold) +
                               " in " + std::to_string(pieces);
      ASSERT_TRUE(LayOutFromWhole(view, whole, pieces)) << laid;
      ExpectLaidOutAsAlone(view, parameters, laid);
    }
  }
}

// The view the worker makes while laying out each kept line on the way, as the viewer's
// worker does, is `expected` with the line table a layout of its text alone gives.
inline void ExpectLaidOutOnTheWay(Document& whole, const FilterRequest& request, int32_t pieces,
                                  const LayoutParameters& parameters, const Document& expected,
                                  const std::string& label) {
  ColumnRuleMeasure measure;
  const FilterLayout layout{parameters, &measure};
  SearchedText text(whole.Text());
  HitCollection outcome;
  KeptLines lines =
      SearchKeptText(text.units, text.length, request, outcome, nullptr, pieces, &layout);
  EXPECT_TRUE(lines.laidOut) << label;
  std::unique_ptr<Document> laidOut = BuildFilteredView(whole, request, std::move(lines));
  ExpectSameFilter(*laidOut, expected, label);
  ExpectLaidOutAsAlone(*laidOut, parameters, label);
}

// A filter request written as a literal.
struct Switches {
  const char16_t* text;
  int32_t Caps, Regx, Invert;
  FilterRequest Request() const { return {text, Caps, Regx, Invert}; }
};

struct FilterCase {
  const char* name;
  Switches request;
  std::u16string wanted;  // what a line must contain, for the reference
  bool foldCase;
};

}  // namespace vemora::testing
