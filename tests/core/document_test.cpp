// Loading documents from real files, reloading them, and reading standard input.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "core/layout/layout.h"
#include "core/text/document_loader.h"

namespace vemora {
namespace {

namespace fs = std::filesystem;

// Records what a load asks of the window.
struct RecordingHost final : LoadHost {
  struct Refresh {
    int32_t startLine;
    int32_t keepFileType;
  };
  void RefreshAfterLoad(int32_t startLine, int32_t keepFileType) override {
    refreshes.push_back({startLine, keepFileType});
  }
  void UpdateFileHistory(std::u16string_view path) override { history.emplace_back(path); }
  std::vector<Refresh> refreshes;
  std::vector<std::u16string> history;
};

class DocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Unique per run: other checkouts may run the same tests at the same time.
    folder_ = fs::temp_directory_path() /
              (std::string("vemora-document-") +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" +
               std::to_string(std::random_device{}()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::u16string Write(const std::string& name, const std::string& bytes) {
    const fs::path file = folder_ / name;
    std::ofstream(file, std::ios::binary) << bytes;
    return file.u16string();
  }

  std::unique_ptr<Document> current_;
  AppOptions options_;
  RecordingHost host_;
  fs::path folder_;
};

std::u16string Text(const Document& document) { return std::u16string(document.Text()); }

TEST_F(DocumentTest, LoadDetectsDecodesAndKeepsTheBooks) {
  std::u16string path = Write("sjis.txt", "\x82\xa0\x82\xa2\r\nabc\r\n");
  current_ = std::make_unique<Document>();  // a previous document, replaced by the load
  LoadDocument(current_, path, 7, -1, 0, options_, host_);
  ASSERT_TRUE(current_);
  EXPECT_EQ(Text(*current_), u"あい\r\nabc\r\n");
  EXPECT_EQ(current_->encoding, 0);
  EXPECT_EQ(current_->lineEndKind, kLineEndCrLf);
  EXPECT_EQ(current_->sourceKind, kSourceFile);
  EXPECT_EQ(current_->name, path);
  EXPECT_TRUE(fs::path(path).is_absolute());
  EXPECT_EQ(host_.history, std::vector<std::u16string>{path});
  ASSERT_EQ(host_.refreshes.size(), 1u);
  EXPECT_EQ(host_.refreshes[0].startLine, 7);
  EXPECT_EQ(host_.refreshes[0].keepFileType, 0);
}

TEST_F(DocumentTest, RequestsAreDetectedOrTakenAsTheyAre) {
  std::u16string path = Write("utf8.txt", "\xef\xbb\xbf\xe3\x81\x82\n");
  LoadDocument(current_, path, 0, -5, 0, options_, host_);
  EXPECT_EQ(current_->encoding, 7);  // the mark decides the UTF-8 variant
  EXPECT_EQ(Text(*current_), u"あ\n");
  EXPECT_EQ(current_->lineEndKind, kLineEndLf);
  LoadDocument(current_, path, 0, 0, 0, options_, host_);
  EXPECT_EQ(current_->encoding, 0);  // taken as it is, even when wrong
  EXPECT_NE(Text(*current_), u"あ\n");
}

TEST_F(DocumentTest, RelativePathsAreStoredAbsolute) {
  Write("relative.txt", "x");
  const fs::path previous = fs::current_path();
  fs::current_path(folder_);
  std::u16string path = u"./relative.txt";
  LoadDocument(current_, path, 0, -1, 0, options_, host_);
  fs::current_path(previous);
  ASSERT_TRUE(current_);
  EXPECT_TRUE(fs::path(current_->name).is_absolute());
  EXPECT_TRUE(fs::equivalent(fs::path(current_->name), folder_ / "relative.txt"));
}

#ifdef _WIN32
TEST_F(DocumentTest, NameTakesTheSpellingOnDisk) {
  Write("ReadMe.txt", "x");
  std::u16string path = (folder_ / "README.TXT").u16string();
  LoadDocument(current_, path, 0, -1, 0, options_, host_);
  ASSERT_TRUE(current_);
  EXPECT_EQ(fs::path(current_->name).filename().u16string(), u"ReadMe.txt");
  EXPECT_EQ(host_.history.back(), current_->name);
}
#endif

TEST_F(DocumentTest, EmptyFileGivesAnEmptyDocument) {
  std::u16string path = Write("empty.txt", "");
  LoadDocument(current_, path, 0, -1, 0, options_, host_);
  ASSERT_TRUE(current_);
  EXPECT_EQ(current_->textLength, 0);
  EXPECT_EQ(current_->lineEndKind, kLineEndNone);
  EXPECT_EQ(current_->sourceKind, kSourceFile);
  EXPECT_EQ(host_.history.size(), 1u);
}

TEST_F(DocumentTest, FileThatCannotBeOpenedLeavesNoDocument) {
  current_ = std::make_unique<Document>();
  std::u16string missing = (folder_ / "missing.txt").u16string();
  LoadDocument(current_, missing, 3, -1, 0, options_, host_);
  EXPECT_FALSE(current_);
  EXPECT_TRUE(host_.history.empty());
  ASSERT_EQ(host_.refreshes.size(), 1u);  // the window still refreshes, without a document
  // A folder is not a document either.
  std::u16string folder = folder_.u16string();
  LoadDocument(current_, folder, 0, -1, 0, options_, host_);
  EXPECT_FALSE(current_);
  EXPECT_TRUE(host_.history.empty());
}

TEST_F(DocumentTest, HistoryIsLeftAloneWhenHistNumIsZero) {
  options_.HistNum = 0;
  std::u16string path = Write("a.txt", "a");
  LoadDocument(current_, path, 0, -1, 0, options_, host_);
  EXPECT_TRUE(current_);
  EXPECT_TRUE(host_.history.empty());
}

// The system's services, except that every read comes up one byte short.
struct ShortReadIo final : DocumentIo {
  void ResolveShortcut(std::u16string& path, void* owner) override {
    SystemDocumentIo().ResolveShortcut(path, owner);
  }
  void NormalizePath(std::u16string& path) override { SystemDocumentIo().NormalizePath(path); }
  FileReadStatus ReadWholeFile(std::u16string_view path, FileBytes& bytes) override {
    const FileReadStatus status = SystemDocumentIo().ReadWholeFile(path, bytes);
    return status == FileReadStatus::kComplete ? FileReadStatus::kShortRead : status;
  }
  int32_t ReadStandardInputPiece(uint8_t*, int32_t) override { return 0; }
};

TEST_F(DocumentTest, ShortReadGivesAnEmptyDocumentThatCannotBeReloaded) {
  std::u16string path = Write("short.txt", "abc");
  ShortReadIo io;
  LoadDocument(current_, path, 0, -1, 0, options_, host_, io);
  ASSERT_TRUE(current_);
  EXPECT_EQ(current_->name, path);
  EXPECT_EQ(current_->textLength, 0);
  EXPECT_EQ(current_->sourceKind, kSourceNone);
  EXPECT_EQ(current_->encoding, -1);
  EXPECT_EQ(host_.history.size(), 1u);
  ReloadDocument(current_, -1, 0, options_, host_);
  EXPECT_EQ(host_.refreshes.size(), 1u);
}

// The system's services, except that the file is cut to a third once its bytes are
// mapped, as another program may do while the detection and decoding read them.
struct CuttingIo final : DocumentIo {
  void ResolveShortcut(std::u16string&, void*) override {}
  void NormalizePath(std::u16string& path) override { SystemDocumentIo().NormalizePath(path); }
  FileReadStatus ReadWholeFile(std::u16string_view path, FileBytes& bytes) override {
    const FileReadStatus status = SystemDocumentIo().ReadWholeFile(path, bytes);
    std::error_code error;
    fs::resize_file(fs::path(path), fs::file_size(fs::path(path)) / 3, error);
    cut = !error;  // Windows refuses while the file is mapped
    return status;
  }
  int32_t ReadStandardInputPiece(uint8_t*, int32_t) override { return 0; }
  bool cut = false;
};

TEST_F(DocumentTest, FileCutShortWhileReadKeepsThePreviousDocument) {
  std::u16string first = Write("first.txt", "first\n");
  LoadDocument(current_, first, 0, -1, 0, options_, host_);
  const Document* previous = current_.get();
  std::u16string cutPath = Write("cut.txt", std::string(3u << 20, 'a'));  // large: mapped
  CuttingIo io;
  const LoadOutcome outcome = LoadDocument(current_, cutPath, 0, -1, 0, options_, host_, io);
  if (!io.cut) GTEST_SKIP() << "the system refuses to cut short a mapped file";
  EXPECT_EQ(outcome, LoadOutcome::kCutShort);
  EXPECT_EQ(current_.get(), previous);
  EXPECT_EQ(Text(*current_), u"first\n");
  EXPECT_EQ(host_.history.size(), 1u);
  EXPECT_EQ(host_.refreshes.size(), 1u);
  // Loaded again once it stays as it is, the file gives what is left of it.
  EXPECT_EQ(LoadDocument(current_, cutPath, 0, -1, 0, options_, host_), LoadOutcome::kDone);
  EXPECT_EQ(current_->textLength, 1 << 20);
}

TEST_F(DocumentTest, ReloadKeepsTheFileTypeAndTheLineShown) {
  std::u16string path = Write("lines.txt", "aaaa\nbb\ncc\n");
  LoadDocument(current_, path, 0, -1, 0, options_, host_);
  ColumnRuleMeasure measure;
  // Display lines: "aa" "aa" "\n" "bb" "\n" "cc" "\n".
  LayoutDocument(*current_, LayoutParameters{8, 2, 0, 1, 0}, measure);
  current_->TopLine = 5;
  ReloadDocument(current_, 2, 1, options_, host_);
  ASSERT_EQ(host_.refreshes.size(), 2u);
  EXPECT_EQ(host_.refreshes[1].startLine, 2);  // the logical line of display line 5
  EXPECT_EQ(host_.refreshes[1].keepFileType, 1);
  EXPECT_EQ(current_->encoding, 2);
  current_->TopLine = 3;
  ReloadDocument(current_, -1, 0, options_, host_);
  EXPECT_EQ(host_.refreshes[2].startLine, 3);

  SetClipboardDocument(current_, std::u16string_view(u"clip\0board", 10));
  EXPECT_EQ(Text(*current_), u"clip");
  EXPECT_EQ(current_->name, u"(無題)");
  ReloadDocument(current_, -1, 0, options_, host_);
  current_.reset();
  ReloadDocument(current_, -1, 0, options_, host_);
  EXPECT_EQ(host_.refreshes.size(), 3u);
}

// Standard input that delivers the given pieces, then nothing.
struct ScriptedInput final : DocumentIo {
  explicit ScriptedInput(std::deque<std::string> pieces) : pieces(std::move(pieces)) {}
  void ResolveShortcut(std::u16string&, void*) override {}
  void NormalizePath(std::u16string&) override {}
  FileReadStatus ReadWholeFile(std::u16string_view, FileBytes&) override {
    return FileReadStatus::kCannotOpen;
  }
  int32_t ReadStandardInputPiece(uint8_t* buffer, int32_t capacity) override {
    ++reads;
    if (pieces.empty()) return 0;
    std::string piece = pieces.front();
    pieces.pop_front();
    EXPECT_LE(static_cast<int32_t>(piece.size()), capacity);
    std::copy(piece.begin(), piece.end(), buffer);
    return static_cast<int32_t>(piece.size());
  }
  std::deque<std::string> pieces;
  int reads = 0;
};

TEST_F(DocumentTest, StandardInputIsReadUntilTheSecondEmptyRead) {
  ScriptedInput input({"\x82\xa0", "", "b\r\n", "", "never read"});
  ReadStandardInput(current_, -1, host_, input);
  ASSERT_TRUE(current_);
  EXPECT_EQ(Text(*current_), u"あb\r\n");
  EXPECT_EQ(current_->name, u"(無題)");
  EXPECT_EQ(current_->sourceKind, kSourceStandardInput);
  EXPECT_EQ(current_->encoding, -1);
  EXPECT_EQ(current_->lineEndKind, kLineEndNone);
  EXPECT_EQ(input.reads, 4);
  EXPECT_EQ(host_.refreshes.back().startLine, -1);
  EXPECT_EQ(host_.refreshes.back().keepFileType, 0);
}

TEST_F(DocumentTest, StandardInputIsShiftJisWhoseBrokenBytesKeepTheirLines) {
  ScriptedInput input({"a\x82", "\nb\x93\xFA"});
  ReadStandardInput(current_, 0, host_, input);
  ASSERT_TRUE(current_);
  EXPECT_EQ(Text(*current_), u"a\u30FB\nb日");
}

// Standard input that delivers `total` bytes of "a" in pieces as large as asked for, and
// allows at most `largest` of them.
struct EndlessInput final : DocumentIo {
  EndlessInput(int64_t total, int64_t largest) : left(total), largest(largest) {}
  void ResolveShortcut(std::u16string&, void*) override {}
  void NormalizePath(std::u16string&) override {}
  FileReadStatus ReadWholeFile(std::u16string_view, FileBytes&) override {
    return FileReadStatus::kCannotOpen;
  }
  int32_t ReadStandardInputPiece(uint8_t* buffer, int32_t capacity) override {
    const auto piece = static_cast<int32_t>(std::min<int64_t>(capacity, left));
    std::fill_n(buffer, piece, 'a');
    left -= piece;
    return piece;
  }
  int64_t LargestStandardInput() const override { return largest; }
  int64_t left;
  int64_t largest;
};

// Standard input past its limit is refused whole rather than cut to what the limit keeps
// of it (2^32 + 6 bytes once showed 6 of them).
TEST_F(DocumentTest, InputPastTheLimitIsRefusedNotCut) {
  struct Case {
    int64_t size;
    int64_t largest;
    bool shown;
  } inputs[] = {
      {5000, 5000, true},
      {5001, 5000, false},
      {6000, 5000, false},
      {1024, 1023, false},
      {1, 1, true},
      {(int64_t{1} << 32) + 6, 5000, false},
      {3000, INT64_MAX, true},
  };
  for (const Case& c : inputs) {
    current_ = std::make_unique<Document>();
    EndlessInput input(c.size, c.largest);
    ReadStandardInput(current_, 0, host_, input);
    EXPECT_EQ(current_ != nullptr, c.shown) << c.size << " bytes, at most " << c.largest;
    if (current_) {
      EXPECT_EQ(current_->textLength, c.size);
    }
    EXPECT_LE(c.size - input.left - 1024, c.largest) << "reading stops at the limit";
  }
}

// A file the memory cannot hold leaves the document shown, the history and the window as
// they were. (The sanitizers end the process on a failed allocation of their own, so the
// failure is the reader's here; the Win32 tests fail a real one.)
TEST_F(DocumentTest, FileBeyondTheMemoryLeavesTheDocumentShown) {
  struct NoRoom final : DocumentIo {
    void ResolveShortcut(std::u16string&, void*) override {}
    void NormalizePath(std::u16string&) override {}
    FileReadStatus ReadWholeFile(std::u16string_view, FileBytes&) override {
      throw std::bad_alloc();
    }
    int32_t ReadStandardInputPiece(uint8_t*, int32_t) override { return 0; }
  } io;
  current_ = std::make_unique<Document>();
  current_->name = u"shown before";
  const Document* before = current_.get();
  std::u16string path = u"huge.txt";
  EXPECT_EQ(LoadDocument(current_, path, 0, -1, 0, options_, host_, io), LoadOutcome::kOutOfMemory);
  EXPECT_EQ(current_.get(), before);
  EXPECT_TRUE(host_.history.empty());
  EXPECT_TRUE(host_.refreshes.empty());
}

TEST_F(DocumentTest, EmptyStandardInputGivesNoDocument) {
  current_ = std::make_unique<Document>();
  ScriptedInput input({"", "late"});
  ReadStandardInput(current_, 0, host_, input);
  EXPECT_FALSE(current_);
  EXPECT_EQ(input.reads, 1);
  EXPECT_EQ(host_.refreshes.size(), 1u);
}

}  // namespace
}  // namespace vemora
