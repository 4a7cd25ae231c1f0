// The lines a filter keeps: those of a text that hold a hit of one search (or, inverted,
// none), gathered by one walk over the text's lines after the search.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/block_list.h"
#include "core/text/document.h"

namespace vemora {

// What the filter dialog hands over: the search text and switches as the find's, and
// whether the lines without a hit are the ones kept.
struct FilterRequest {
  std::u16string text;
  int32_t Caps = 0;
  int32_t Regx = 0;
  int32_t Invert = 0;  // 1 keeps the lines that hold no hit
};

// One kept logical line: its units are [start, end), its line end runs to `next`.
struct KeptLine {
  int64_t start = 0;
  int64_t end = 0;
  int64_t next = 0;
  int32_t number = 0;  // logical line, counted from 0
};

struct KeptLines {
  BlockList<KeptLine, 4096> lines;
  HitList hits;  // every hit in the part searched, at positions in the text
  // The start of the text's last line when that line may still grow (it has no line end,
  // or only a CR that an LF may yet join), else the text's end; and its number.
  int64_t resumeStart = 0;
  int32_t resumeNumber = 0;
  int32_t failedLines = 0;  // lines the library gave up on; hits there may be missing
  // The view's text, line map and hits, when the worker made them (GatherKeptText); the
  // hits went into it.
  std::unique_ptr<Document> view;
  // The worker laid the view out too, with the layout it was given (FilterLayout).
  bool laidOut = false;
};

// Searches text[from, end) once, its lines numbered from `firstNumber`, and gathers the
// lines that hold a hit (a hit over several lines is held by each), or with Invert the
// others. False, with the library's message in `errorText`, for a rejected expression.
bool CollectKeptLines(std::u16string_view text, int64_t from, int32_t firstNumber,
                      const FilterRequest& request, KeptLines& kept, std::u16string& errorText);

// The walk after the search: `hits` are every hit in text[from, end), at positions in
// `text`, and the lines there that hold one (with `invert`, that hold none) are kept.
KeptLines GatherKeptLines(std::u16string_view text, int64_t from, int32_t firstNumber, bool invert,
                          HitList&& hits);

}  // namespace vemora
