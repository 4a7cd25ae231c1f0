// A followed file grown piece by piece must read exactly as the whole file loaded at once:
// text, line table and line-end kind, for every encoding and every place a write may end.
#include "core/text/follow.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/search/background_search.h"
#include "core/search/search.h"
#include "core/text/document_loader.h"
#include "core/text/encoding.h"
#include "document_expectations.h"

namespace vemora {
namespace {

namespace fs = std::filesystem;

std::string Utf16Le(std::u16string_view text, bool mark) {
  std::string bytes = mark ? "\xFF\xFE" : "";
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

std::string Utf16Be(std::u16string_view text) {
  std::string bytes;
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit >> 8);
    bytes += static_cast<char>(unit & 0xFF);
  }
  return bytes;
}

// "ab", "あい", "漢字x", "ｱ" and "end" on lines ended by CR LF and LF; the JIS form stays in
// its kanji set across a line end, so a piece may start where no escape precedes it.
struct EncodedSample {
  const char* name;
  TextEncoding encoding;
  std::string bytes;
};
const EncodedSample kSamples[] = {
    {"Shift_JIS", kEncodingShiftJis, "ab\r\n\x82\xA0\x82\xA2\r\n\x8A\xBF\x8E\x9Ax\n\xB1\r\nend"},
    {"EUC-JP", kEncodingEuc, "ab\r\n\xA4\xA2\xA4\xA4\r\n\xB4\xC1\xBB\xFAx\n\x8E\xB1\r\nend"},
    {"JIS", kEncodingJis, "ab\r\n\x1B$B$\"$$\r\n4A;z\x1B(Bx\n\x1B(I1\x1B(B\r\nend"},
    // The older kanji escape, and the two other returns to ASCII, each before a line end.
    {"JIS, other escapes", kEncodingJis, "ab\r\n\x1B$@$\"$$\r\n4A\x1B(Jx\ncd\x1B$@;z\x1B(H\r\nend"},
    {"UTF-8", kEncodingUtf8,
     "ab\r\n\xE3\x81\x82\xE3\x81\x84\r\n\xE6\xBC\xA2\xE5\xAD\x97x\n\xEF\xBD\xB1\r\nend"},
    {"UTF-8 with mark", kEncodingUtf8Bom,
     "\xEF\xBB\xBF"
     "ab\r\n\xE3\x81\x82\r\n\xF0\xA0\x80\x8Bx\nend"},
    {"UTF-16 with mark", kEncodingUtf16Bom, Utf16Le(u"ab\r\nあい\r\n漢字x\nｱ\r\nend", true)},
    {"UTF-16 big endian", kEncodingUtf16Be, Utf16Be(u"ab\r\nあい\r\n\U0002000Bx\nend")},
    {"UTF-7", kEncodingUtf7, "ab\r\n+MEIwRA-\r\n+byJbVw-x\n+/3E-\r\nend"},
};

class FollowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Unique per run: other checkouts may run the same tests at the same time.
    folder_ = fs::temp_directory_path() /
              ("vemora-follow-test-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
               std::to_string(std::random_device{}()));
    fs::create_directories(folder_);
    path_ = (folder_ / "log.txt").u16string();
  }
  void TearDown() override { fs::remove_all(folder_); }

  void Write(const std::string& bytes, bool append) {
    std::ofstream(folder_ / "log.txt", append ? std::ios::binary | std::ios::app : std::ios::binary)
        << bytes;
  }
  std::unique_ptr<Document> Load(TextEncoding encoding) {
    auto document = ReadDocumentFile(path_, encoding);
    if (document) LayoutDocument(*document, parameters_, measure_);
    return document;
  }

  fs::path folder_;
  std::u16string path_;
  ColumnRuleMeasure measure_;
  LayoutParameters parameters_{8, 4, 0, 1, 0};  // wraps after four columns
};

void ExpectSameDocument(const Document& followed, const Document& whole, const std::string& where) {
  ASSERT_EQ(std::u16string(followed.Text()), std::u16string(whole.Text())) << where;
  EXPECT_EQ(followed.text[followed.textLength], u'\0') << where;
  EXPECT_EQ(followed.lineEndKind, whole.lineEndKind) << where;
  testing::ExpectSameLineTable(whole, followed, where);
}

TEST_F(FollowTest, EveryEncodingGrownAtEveryByteReadsAsAWholeLoad) {
  for (const EncodedSample& sample : kSamples) {
    const std::string& bytes = sample.bytes;
    Write(bytes, false);
    auto whole = Load(sample.encoding);
    ASSERT_TRUE(whole) << sample.name;
    for (size_t first = 0; first < bytes.size(); ++first) {
      // The rest arrives in two writes, the second starting halfway through the rest.
      const size_t second = first + (bytes.size() - first + 1) / 2;
      const std::string where = std::string(sample.name) + " after " + std::to_string(first) +
                                " and " + std::to_string(second) + " bytes";
      Write(bytes.substr(0, first), false);
      auto followed = Load(sample.encoding);
      ASSERT_TRUE(followed) << where;
      FollowState state;
      ASSERT_EQ(StartFollowing(*followed, state), FollowResult::kUnchanged) << where;
      Write(bytes.substr(first, second - first), true);
      ASSERT_EQ(PollFollowedFile(*followed, state, parameters_, measure_),
                second > first ? FollowResult::kExtended : FollowResult::kUnchanged)
          << where;
      Write(bytes.substr(second), true);
      ASSERT_EQ(PollFollowedFile(*followed, state, parameters_, measure_),
                second < bytes.size() ? FollowResult::kExtended : FollowResult::kUnchanged)
          << where;
      ExpectSameDocument(*followed, *whole, where);
      EXPECT_EQ(PollFollowedFile(*followed, state, parameters_, measure_), FollowResult::kUnchanged)
          << where;
    }
  }
}

// Logs whose encoding shows only in lines written later.
const EncodedSample kLateSamples[] = {
    {"UTF-8 after ASCII lines", kEncodingUtf8,
     "log 1\r\nlog 2\r\n\xE3\x83\xAD\xE3\x82\xB0\r\nend\r\n"},
    {"UTF-8 after lines ended by CR", kEncodingUtf8, "a\rb\r\xE3\x83\xAD\xE3\x82\xB0\rc"},
    {"EUC-JP after an ASCII line", kEncodingEuc, "a\n\xB4\xC1\xBB\xFA\nb\n"},
    {"Shift_JIS after an ASCII line", kEncodingShiftJis, "a\n\x8A\xBF\x8E\x9A\nb\n"},
    {"UTF-8 after a Shift_JIS line", kEncodingShiftJis, "a\n\x8A\xBF\n\xE3\x83\xAD\n"},
    {"JIS after an ASCII line", kEncodingJis, "x\r\n\x1B$B4A\x1B(B\r\ny"},
    {"UTF-8 with a mark, in an empty file", kEncodingUtf8Bom,
     "\xEF\xBB\xBF"
     "ab\r\n\xE3\x83\xAD\r\n"},
    // Mark bytes inside a file are no mark: the line is Shift_JIS.
    {"Shift_JIS that starts like a mark", kEncodingShiftJis, "ab\r\n\xEF\xBB\xBF\x8A\xBF\r\n"},
    {"a last line of one byte", kEncodingEuc, "ab\n\xFF"},
    // Answers that only the whole file gives: NULs on one side of an ASCII start, whose
    // length makes the side; no deciding line, but narrow UTF-8.
    {"UTF-16 after an ASCII line", kEncodingUtf16, std::string("abc\nd\0\n\0", 8)},
    {"UTF-16BE after an ASCII line", kEncodingUtf16Be, std::string("ab\nc\0\n\0", 7)},
    {"narrow UTF-8 after an ASCII line", kEncodingUtf8,
     "t\r\n20\xC2\xB0"
     "C\r\n"},
    {"half-width katakana after an ASCII line", kEncodingShiftJis, "a\n\xD8\xB1\xD9\n"},
};

TEST_F(FollowTest, ADetectedEncodingIsDetectedAgainWhileTheTextIsAscii) {
  auto detect = [](std::string_view bytes) {
    return DetectEncoding(reinterpret_cast<const uint8_t*>(bytes.data()),
                          static_cast<int32_t>(bytes.size()), -1);
  };
  for (const EncodedSample& sample : kLateSamples) {
    const std::string& bytes = sample.bytes;
    ASSERT_EQ(detect(bytes), sample.encoding) << sample.name;
    // Detected, or chosen by the user (who then keeps the choice).
    for (const int32_t request : {-1, kEncodingShiftJis}) {
      Write(bytes, false);
      auto whole = Load(request);
      for (size_t first = 0; first < bytes.size(); ++first) {
        const std::string where = std::string(sample.name) + ", request " +
                                  std::to_string(request) + ", from " + std::to_string(first);
        Write(bytes.substr(0, first), false);
        auto followed = Load(request);
        FollowState state;
        ASSERT_EQ(StartFollowing(*followed, state), FollowResult::kUnchanged) << where;
        // Two more writes; after a reload, following goes on as the window does it.
        size_t done = first;
        for (const size_t upto : {first + (bytes.size() - first + 1) / 2, bytes.size()}) {
          if (upto == done) continue;
          Write(bytes.substr(done, upto - done), true);
          const bool detectedOtherwise =
              request == -1 && detect(bytes.substr(0, upto)) != followed->encoding;
          const FollowResult result = PollFollowedFile(*followed, state, parameters_, measure_);
          EXPECT_EQ(result == FollowResult::kReload, detectedOtherwise) << where << " to " << upto;
          if (result == FollowResult::kReload) {
            followed = Load(request);
            ASSERT_EQ(StartFollowing(*followed, state), FollowResult::kUnchanged) << where;
          }
          done = upto;
        }
        EXPECT_EQ(followed->encoding, whole->encoding) << where;
        ExpectSameDocument(*followed, *whole, where);
      }
    }
  }
}

TEST_F(FollowTest, TheHitsOfASearchGrowWithTheText) {
  const std::string bytes = "ab abc\nxab\r\nAB ab\nlast ab";
  struct Search {
    std::u16string text;
    int32_t Caps, Regx;
  };
  const Search searches[] = {{u"ab", 0, 0}, {u"^\\w+", 1, 1}, {u"b\\s*$", 1, 1}};
  for (const Search& search : searches) {
    auto run = [&](Document& document) {
      SearchDocument(document, 0, search.text, search.Caps, search.Regx, false);
    };
    auto hitsOf = [](const Document& document) {
      std::vector<std::pair<int32_t, int32_t>> hits;
      for (int32_t i = 0; i < document.hits.Size(); ++i)
        hits.emplace_back(document.hits[i].start, document.hits[i].length);
      return hits;
    };
    Write(bytes, false);
    auto whole = Load(kEncodingShiftJis);
    run(*whole);
    for (size_t first = 0; first < bytes.size(); ++first) {
      const std::string where =
          std::string(search.text.begin(), search.text.end()) + " from " + std::to_string(first);
      Write(bytes.substr(0, first), false);
      auto followed = Load(kEncodingShiftJis);
      run(*followed);
      FollowState state;
      ASSERT_EQ(StartFollowing(*followed, state), FollowResult::kUnchanged) << where;
      size_t done = first;
      for (const size_t upto : {first + (bytes.size() - first + 1) / 2, bytes.size()}) {
        if (upto == done) continue;
        Write(bytes.substr(done, upto - done), true);
        ASSERT_EQ(PollFollowedFile(*followed, state, parameters_, measure_),
                  FollowResult::kExtended)
            << where;
        SearchGrownText(*followed, state.changedFrom, run);
        done = upto;
      }
      EXPECT_EQ(hitsOf(*followed), hitsOf(*whole)) << where;
      EXPECT_EQ(followed->hitPatternLength, whole->hitPatternLength) << where;
    }
  }
}

TEST_F(FollowTest, ManyAppendsGrowTheLineTableAcrossBlocks) {
  Write("start\n", false);
  auto followed = Load(kEncodingShiftJis);
  FollowState state;
  ASSERT_EQ(StartFollowing(*followed, state), FollowResult::kUnchanged);
  std::string all = "start\n";
  for (int i = 0; i < 300; ++i) {
    // Each write ends mid-character and mid-line; ten lines per write reach 3000 lines.
    std::string piece;
    for (int k = 0; k < 10; ++k) piece += "line \x82\xA0\x82\xA2\r\n";
    piece += "\x82";
    Write(piece, true);
    all += piece;
    ASSERT_EQ(PollFollowedFile(*followed, state, parameters_, measure_), FollowResult::kExtended);
    Write("\xA0", true);
    all += "\xA0";
    ASSERT_EQ(PollFollowedFile(*followed, state, parameters_, measure_), FollowResult::kExtended);
  }
  auto whole = Load(kEncodingShiftJis);
  ExpectSameDocument(*followed, *whole, "after 600 appends");
  EXPECT_GT(whole->lineTable.blocks.size(), 3u);
}

TEST_F(FollowTest, AShrunkReplacedOrChangedFileAsksForAReload) {
  Write("first line\nsecond", false);
  auto document = Load(kEncodingShiftJis);
  FollowState state;
  ASSERT_EQ(StartFollowing(*document, state), FollowResult::kUnchanged);
  EXPECT_EQ(PollFollowedFile(*document, state, parameters_, measure_), FollowResult::kUnchanged);

  Write("FIRST line\nsecond and more", false);  // grown, but its start is not the same
  EXPECT_EQ(PollFollowedFile(*document, state, parameters_, measure_), FollowResult::kReload);
  Write("first", false);  // shrunk
  EXPECT_EQ(PollFollowedFile(*document, state, parameters_, measure_), FollowResult::kReload);
  Write("first line\nsecond\b_", false);  // overstrike is laid over the whole text
  EXPECT_EQ(PollFollowedFile(*document, state, parameters_, measure_), FollowResult::kReload);

  // A file written since it was read is not the text shown.
  Write("first line\nsecond line\n", false);
  EXPECT_EQ(StartFollowing(*document, state), FollowResult::kReload);
  // Text that did not come from a file is not followed at all.
  Document pasted;
  pasted.sourceKind = kSourceClipboard;
  EXPECT_EQ(StartFollowing(pasted, state), FollowResult::kUnchanged);
}

// A find on another thread reads the document's own text, up to the length it was handed:
// the follower writes the units behind that in place and never one before it. Only a last
// line that decodes otherwise once it is complete sends the text to a buffer of its own,
// and only while a find still holds the old one.
TEST_F(FollowTest, AFindReadingTheTextSeesNoUnitOfItChange) {
  struct Case {
    const char* name;
    TextEncoding encoding;
    std::string first, added;
    bool findHolds;
    bool moves;
  };
  const Case cases[] = {
      {"after a complete line", kEncodingShiftJis, "ab\ncd\n", "ef\n", true, false},
      {"completing the last line", kEncodingShiftJis, "ab\ncd", "e\r\nf", true, false},
      {"half a character completed", kEncodingUtf8, "ab\n\xE3\x81", "\x82\n", true, true},
      {"the same, no find", kEncodingUtf8, "ab\n\xE3\x81", "\x82\n", false, false},
      {"a lead byte completed", kEncodingShiftJis, "ab\n\x82", "\xA0\n", true, true},
  };
  for (const Case& c : cases) {
    Write(c.first, false);
    auto followed = Load(c.encoding);
    FollowState state;
    ASSERT_EQ(StartFollowing(*followed, state), FollowResult::kUnchanged) << c.name;
    SearchedText find = ShareText(*followed);
    ASSERT_EQ(find.units, followed->text) << c.name << ": shared, not copied";
    const std::u16string seen(find.View());
    if (!c.findHolds) find = SearchedText();
    const char16_t* before = followed->text;
    Write(c.added, true);
    ASSERT_EQ(PollFollowedFile(*followed, state, parameters_, measure_), FollowResult::kExtended)
        << c.name;
    EXPECT_EQ(followed->text != before, c.moves) << c.name;
    if (c.findHolds) {
      EXPECT_EQ(std::u16string(find.View()), seen) << c.name;
    }
    Write(c.first + c.added, false);
    ExpectSameDocument(*followed, *Load(c.encoding), c.name);
  }
}

TEST_F(FollowTest, AMissingFileLeavesTheTextAsItIs) {
  Write("kept\n", false);
  auto document = Load(kEncodingShiftJis);
  FollowState state;
  ASSERT_EQ(StartFollowing(*document, state), FollowResult::kUnchanged);
  fs::remove(folder_ / "log.txt");
  EXPECT_EQ(PollFollowedFile(*document, state, parameters_, measure_), FollowResult::kUnchanged);
  EXPECT_EQ(std::u16string(document->Text()), u"kept\n");
}

}  // namespace
}  // namespace vemora
