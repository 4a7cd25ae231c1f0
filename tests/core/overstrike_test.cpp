// Backspace overstrike: what the text becomes and which runs are underlined or bold.
#include "core/text/overstrike.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace vemora {
namespace {

struct ExpectedRun {
  int64_t start, length;
  uint32_t attributes;
  bool operator==(const ExpectedRun&) const = default;
};

constexpr uint32_t U = kUnderlineAttribute;
constexpr uint32_t B = kBoldAttribute;

struct Result {
  std::u16string text;
  std::vector<ExpectedRun> runs;
};

Result Overstrike(const std::u16string& input) {
  Document document;
  // Exactly the text's length, so that reading past its end shows under the sanitizers.
  document.textBuffer = std::make_unique<char16_t[]>(input.size());
  std::memcpy(document.textBuffer.get(), input.data(), input.size() * 2);
  document.text = document.textBuffer.get();
  document.textLength = static_cast<int32_t>(input.size());
  document.overstrikeRuns.Append({0, 99, B});  // left over from an earlier text
  ApplyOverstrike(document);
  Result result{std::u16string(document.Text()), {}};
  for (int32_t i = 0; i < document.overstrikeRuns.Size(); ++i) {
    const OverstrikeRun& run = document.overstrikeRuns[i];
    result.runs.push_back({run.start, run.length, run.attributes});
  }
  return result;
}

TEST(ApplyOverstrike, UnderlineBoldAndPlainOverstrike) {
  const struct {
    const char* what;
    std::u16string input;
    std::u16string text;
    std::vector<ExpectedRun> runs;
  } cases[] = {
      {"no backspace", u"plain text", u"plain text", {}},
      {"underline", u"_\bA_\bB", u"AB", {{0, 2, U}}},
      {"underline with the line after", u"A\b_", u"A", {{0, 1, U}}},
      {"underline inside a text", u"x_\bAy", u"xAy", {{1, 1, U}}},
      {"bold", u"A\bA", u"A", {{0, 1, B}}},
      {"bold word", u"A\bAB\bB", u"AB", {{0, 2, B}}},
      {"runs of backspaces count as one", u"A\b\b\bA", u"A", {{0, 1, B}}},
      {"plain overstrike", u"A\bB", u"B", {}},
      {"backspace first stays", u"\bA", u"\bA", {}},
      {"backspaces first collapse and stay", u"\b\b\bA", u"\bA", {}},
      {"backspace last stays", u"AB\b", u"AB\b", {}},
      {"bold then backspace last", u"A\bA\b", u"A\b", {{0, 1, B}}},
      {"underline then bold of one character", u"_\bA\bA", u"A", {{0, 1, U}, {0, 1, B}}},
      {"two runs", u"_\bAx B\bB", u"Ax B", {{0, 1, U}, {3, 1, B}}},
      {"Japanese bold", u"太\b太字\b字", u"太字", {{0, 2, B}}},
      {"only backspaces", u"\b\b", u"\b", {}},
  };
  for (const auto& c : cases) {
    const Result result = Overstrike(c.input);
    EXPECT_EQ(c.text, result.text) << c.what;
    EXPECT_EQ(c.runs, result.runs) << c.what;
  }
}

TEST(ApplyOverstrike, ManyRunsFillSeveralBlocks) {
  std::u16string input, expected;
  for (int i = 0; i < 120; ++i) {
    input += u"_\bx ";
    expected += u"x ";
  }
  const Result result = Overstrike(input);
  EXPECT_EQ(expected, result.text);
  ASSERT_EQ(120u, result.runs.size());
  for (int i = 0; i < 120; ++i) EXPECT_EQ((ExpectedRun{2 * i, 1, U}), result.runs[i]);
}

TEST(ApplyOverstrike, EmptyDocumentStaysEmpty) {
  Document document;
  ApplyOverstrike(document);
  EXPECT_EQ(0, document.textLength);
  EXPECT_TRUE(document.overstrikeRuns.Empty());
}

}  // namespace
}  // namespace vemora
