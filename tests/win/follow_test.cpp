// Following a file that the test appends to as a program writing a log would: characters and
// JIS escapes split across writes, the encoding a fresh load would find, the search run
// over the new text, the view kept at the end, a shrunk file read again (also while a
// find or save dialog is open), and following ended by loading another document.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/keys/commands.h"
#include "win/resources/resource_ids.h"
#include "win/shell/app_state.h"
#include "win/shell/document_actions.h"
#include "win/shell/follow_mode.h"
#include "win/search/find_search.h"
#include "win/platform/text_conversion.h"
#include "dialog_script.h"
#include "viewer_host.h"

namespace vemora::testing {
namespace {

void Append(const std::wstring& path, const std::string& bytes) {
  std::ofstream(std::filesystem::path(path), std::ios::binary | std::ios::app) << bytes;
}

// Lets the follow timer run until the text is `expected`, for at most three seconds.
bool WaitForText(ViewerHost& host, const std::wstring& expected) {
  for (int i = 0; i < 60 && ShownText() != expected; ++i) {
    Sleep(50);
    host.Pump();
  }
  return ShownText() == expected;
}

std::string Lines(int from, int to) {
  std::string text;
  for (int i = from; i <= to; ++i) text += "line " + std::to_string(i) + "\r\n";
  return text;
}

struct AppendCase {
  const wchar_t* name;
  const wchar_t* option;
  std::string start;
  std::vector<std::string> appends;
  std::wstring expected;
};

TEST(Follow, WritesSplitInsideCharactersAndEscapesReadAsTheWholeFile) {
  const AppendCase cases[] = {
      {L"Shift_JIS",
       L"--sjis",
       "\x83\x8D\x83\x4F\r\n",                    // ログ
       {"\x82", "\xA0\x82\xA2\r\n\x8E", "\x9F"},  // あい, then 次 in two halves
       L"ログ\r\nあい\r\n次"},
      {L"JIS, kanji set kept over the write",
       L"--jis",
       "abc\r\n\x1B$B$\"",
       {"$", "$\x1B(B\r\nxyz"},
       L"abc\r\nあい\r\nxyz"},
      {L"JIS, escape split", L"--jis", "a\r\n", {"\x1B$", "B$\"\x1B(B\n", "b"}, L"a\r\nあ\nb"},
  };
  for (const AppendCase& c : cases) {
    ViewerHost host;
    const std::wstring path = host.Folder().Write(L"growing.log", c.start);
    ASSERT_TRUE(host.Start(std::wstring(c.option) + L" \"" + path + L"\"")) << c.name;
    EXPECT_FALSE(Grayed(CmdFollow)) << c.name;
    host.Command(CmdFollow);
    EXPECT_TRUE(Checked(CmdFollow)) << c.name;
    std::string written = c.start;
    for (const std::string& piece : c.appends) {
      Append(path, piece);
      written += piece;
      // The document's text is then what a fresh load of the bytes so far reads.
      Document* document = CurrentDocument();
      for (int i = 0;
           i < 60 && CurrentDocument()->sourceBytes != static_cast<int64_t>(written.size()); ++i) {
        Sleep(50);
        host.Pump();
      }
      EXPECT_EQ(CurrentDocument()->sourceBytes, static_cast<int64_t>(written.size())) << c.name;
      EXPECT_EQ(CurrentDocument(), document) << c.name << ": extended, not reloaded";
    }
    EXPECT_TRUE(WaitForText(host, c.expected)) << c.name << ": " << ShownText();
    EXPECT_NE(host.StatusText(4).find(std::to_wstring(written.size()) + L" Bytes"),
              std::wstring::npos)
        << c.name << ": " << host.StatusText(4);
  }
}

// The status bar's encoding, line-end and top-line parts.
std::vector<std::wstring> TextParts(ViewerHost& host) {
  return {host.StatusText(0), host.StatusText(1), host.StatusText(2)};
}

struct EncodingCase {
  const wchar_t* name;
  const wchar_t* option;
  std::string start;
  std::string later;  // appended, or the whole new file when `replaced`
  bool replaced;
  std::wstring status;  // the encoding part at the end
};

TEST(Follow, TheEncodingIsWhatAFreshLoadFindsUnlessTheUserChoseIt) {
  const EncodingCase cases[] = {
      {L"ASCII log, then UTF-8", L"", "log 1\r\n", "\xE3\x83\xAD\xE3\x82\xB0\r\n", false, L"UTF8"},
      {L"empty, then UTF-8 with a mark", L"", "",
       "\xEF\xBB\xBF"
       "ab\r\n",
       false, L"UTF8(BOM)"},
      {L"empty, then Shift_JIS", L"", "", "\x83\x8D\x83\x4F\r\n", false, L"SHIFT-JIS"},
      {L"replaced by UTF-8 with a mark", L"", "log 1\r\n",
       "\xEF\xBB\xBF"
       "log 1\r\n\xE3\x83\xAD\r\n",
       true, L"UTF8(BOM)"},
      {L"Shift_JIS chosen", L"--sjis ", "log 1\r\n", "\xE3\x83\xAD\xE3\x82\xB0\r\n", false,
       L"SHIFT-JIS"},
  };
  for (const EncodingCase& c : cases) {
    ViewerHost host;
    const std::wstring path = host.Folder().Write(L"growing.log", c.start);
    ASSERT_TRUE(host.Start(std::wstring(c.option) + L"\"" + path + L"\"")) << c.name;
    host.Command(CmdFollow);
    const std::string all = c.replaced ? c.later : c.start + c.later;
    if (c.replaced)
      host.Folder().Write(L"growing.log", all);
    else
      Append(path, c.later);
    for (int i = 0; i < 60 && CurrentDocument()->sourceBytes != static_cast<int64_t>(all.size());
         ++i) {
      Sleep(50);
      host.Pump();
    }
    EXPECT_TRUE(Checked(CmdFollow)) << c.name;
    const std::wstring followed = ShownText();
    const std::vector<std::wstring> parts = TextParts(host);
    EXPECT_EQ(parts[0], c.status) << c.name;
    // What the same file shows when it is opened afresh the same way.
    OpenDocument(ToUtf16(path), -1, std::wstring(c.option).empty() ? -1 : 0);
    host.Pump();
    EXPECT_EQ(followed, ShownText()) << c.name;
    EXPECT_EQ(parts, TextParts(host)) << c.name;
  }
}

TEST(Follow, AppendedTextIsSearchedAndAReloadLeavesNothingToStepTo) {
  ViewerHost host;
  std::string start = "needle\r\n";
  for (int i = 0; i < 80; ++i) start += "hay\r\n";
  const std::wstring path = host.Folder().Write(L"log.txt", start);
  ASSERT_TRUE(host.Start(L"\"" + path + L"\""));
  host.Command(CmdFollow);
  gOptions.Regx = 0;
  EXPECT_TRUE(RunScripted([&] { host.Command(CmdFind); }, {On(L"検索", [](HWND dialog) {
                            SetItemText(dialog, IDC_FIND_TEXT, L"needle");
                            Click(dialog, IDOK);
                          })}));
  ASSERT_EQ(CurrentDocument()->hits.Size(), 1);
  host.Command(CmdTop);

  std::string more = "hay and a needle\r\n";
  for (int i = 0; i < 80; ++i) more += "hay\r\n";
  Append(path, more);
  ASSERT_TRUE(WaitForText(host, Wide(start + more)));
  EXPECT_EQ(CurrentDocument()->hits.Size(), 2) << "the appended needle is a hit";
  host.Command(CmdFindNext);
  EXPECT_EQ(CurrentDocument()->TopLine, 81) << "F3 goes on to the appended hit";

  // A file that shrank is read again: no hits and no selection to act on any more.
  host.Command(CmdSelectAll);
  EXPECT_FALSE(Grayed(CmdCopy));
  std::ofstream(std::filesystem::path(path), std::ios::binary) << "rotated\r\n";
  ASSERT_TRUE(WaitForText(host, L"rotated\r\n"));
  EXPECT_TRUE(Grayed(CmdFindNext));
  EXPECT_TRUE(Grayed(CmdFindPrev));
  EXPECT_TRUE(Grayed(CmdCopy));
}

// A word awaited in a log: the find found nothing yet, and the line that brings the word
// is searched as it comes, with the text the find was made with (a cancelled dialog with
// another text changes nothing).
TEST(Follow, AFindThatFoundNothingYetFindsTheAppendedWord) {
  ViewerHost host;
  const std::wstring path = host.Folder().Write(L"log.txt", "hay\r\nhay\r\n");
  ASSERT_TRUE(host.Start(L"\"" + path + L"\""));
  host.Command(CmdFollow);
  gOptions.Regx = 0;
  const auto find = [&](const wchar_t* text, int button) {
    return RunScripted([&] { host.Command(CmdFind); }, {On(L"検索", [=](HWND dialog) {
                         SetItemText(dialog, IDC_FIND_TEXT, text);
                         Click(dialog, button);
                       })});
  };
  EXPECT_TRUE(find(L"ERROR", IDOK));
  EXPECT_TRUE(find(L"hay", IDCANCEL));
  EXPECT_TRUE(Grayed(CmdFindNext));
  Append(path, "an ERROR here\r\n");
  ASSERT_TRUE(WaitForText(host, L"hay\r\nhay\r\nan ERROR here\r\n"));
  ASSERT_EQ(CurrentDocument()->hits.Size(), 1);
  EXPECT_EQ(CurrentDocument()->hits[0].start, 13);
  EXPECT_FALSE(Grayed(CmdFindNext));
}

// A find still running when lines arrive (one longer than the command waits for): its hits
// also hold those of the text that came meanwhile, a line it read unfinished among them, and
// F3 reaches them.
TEST(Follow, TextThatArrivesWhileAFindRunsIsSearchedWithIt) {
  const struct {
    const char* name;
    std::string start, more;
  } cases[] = {
      {"a line of its own", "needle\r\n" + Lines(1, 80), "a needle\r\n" + Lines(1, 80)},
      {"the last line finished", "needle\r\n" + Lines(1, 80) + "a nee", "dle\r\n" + Lines(1, 80)},
  };
  for (const auto& c : cases) {
    ViewerHost host;
    const std::wstring path = host.Folder().Write(L"log.txt", c.start);
    ASSERT_TRUE(host.Start(L"\"" + path + L"\"")) << c.name;
    host.Command(CmdFollow);
    StartFindSearch(u"needle", 0, 0, false, false);
    // The search's end waits in the queue behind the growth.
    Append(path, c.more);
    PollFollowedDocument();
    ASSERT_EQ(ShownText(), Wide(c.start + c.more)) << c.name;
    ASSERT_TRUE(PumpUntil(
        host, [] { return !FindSearchRunning(); }, 3000))
        << c.name;
    EXPECT_EQ(CurrentDocument()->hits.Size(), 2) << c.name;
    host.Command(CmdTop);
    host.Command(CmdFindNext);
    EXPECT_EQ(CurrentDocument()->TopLine, 81) << c.name;
  }
}

TEST(Follow, AFindSearchesTheTextReadAgainWhileItsDialogWasOpen) {
  ViewerHost host;
  const std::wstring path = host.Folder().Write(L"log.txt", "hay\r\nhay\r\n");
  ASSERT_TRUE(host.Start(L"\"" + path + L"\""));
  host.Command(CmdFollow);
  gOptions.Regx = 0;
  EXPECT_TRUE(RunScripted([&] { host.Command(CmdFind); }, {On(L"検索", [&](HWND dialog) {
                            std::ofstream(std::filesystem::path(path), std::ios::binary)
                                << "needle\r\n";
                            PollFollowedDocument();
                            SetItemText(dialog, IDC_FIND_TEXT, L"needle");
                            Click(dialog, IDOK);
                          })}));
  ASSERT_EQ(ShownText(), L"needle\r\n");
  EXPECT_EQ(CurrentDocument()->hits.Size(), 1);
  EXPECT_FALSE(Grayed(CmdFindNext));
}

TEST(Follow, TheUtf16CopyHoldsTheTextReadAgainWhileItsDialogWasOpen) {
  ViewerHost host;
  std::string start;
  for (int i = 0; i < 300; ++i) start += "old line\r\n";
  const std::wstring path = host.Folder().Write(L"log.txt", start);
  const std::wstring target = host.Folder().File(L"copy.txt");
  ASSERT_TRUE(host.Start(L"\"" + path + L"\""));
  host.Command(CmdFollow);
  EXPECT_TRUE(RunScripted([&] { host.Command(CmdSaveAsUtf16); },
                          {On(L"名前を付けて保存(UTF16エンコーディング)", [&](HWND dialog) {
                            std::ofstream(std::filesystem::path(path), std::ios::binary)
                                << "new\r\n";
                            PollFollowedDocument();
                            SetItemText(dialog, 0x47C, target);  // the explorer dialog's name box
                            Click(dialog, IDOK);
                          })}));
  ASSERT_EQ(ShownText(), L"new\r\n");
  std::ifstream file(std::filesystem::path(target), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, std::string("\xFF\xFEn\0e\0w\0\r\0\n\0", 12));
}

TEST(Follow, TheViewStaysAtTheEndOnlyWhenItShowedTheEnd) {
  ViewerHost host;
  const std::wstring path = host.Folder().Write(L"log.txt", Lines(1, 200));
  ASSERT_TRUE(host.Start(L"-e \"" + path + L"\""));
  const int32_t firstTop = CurrentDocument()->TopLine;
  ASSERT_GT(firstTop, 0);
  host.Command(CmdFollow);
  Append(path, Lines(201, 260));
  ASSERT_TRUE(WaitForText(host, Wide(Lines(1, 260))));
  const Document* document = CurrentDocument();
  EXPECT_EQ(document->displayLineCount, 260);
  EXPECT_EQ(document->TopLine, firstTop + 60) << "the last line is still the one at the bottom";
  EXPECT_EQ(host.StatusText(1), L"CR-LF");

  host.Command(CmdTop);
  Append(path, Lines(261, 300));
  ASSERT_TRUE(WaitForText(host, Wide(Lines(1, 300))));
  EXPECT_EQ(CurrentDocument()->TopLine, 0) << "a reader further up is left where he is";

  // A file that shrank (a rotated log) is read again from its start, still followed.
  std::ofstream(std::filesystem::path(path), std::ios::binary) << "new log\r\n";
  ASSERT_TRUE(WaitForText(host, L"new log\r\n"));
  EXPECT_TRUE(Checked(CmdFollow));
  Append(path, "more\r\n");
  ASSERT_TRUE(WaitForText(host, L"new log\r\nmore\r\n"));

  // Loading another document ends following.
  const std::wstring other = host.Folder().Write(L"other.txt", "other\r\n");
  OpenDocument(ToUtf16(other), 0, -1);
  host.Pump();
  EXPECT_FALSE(IsFollowing());
  EXPECT_FALSE(Checked(CmdFollow));
  Append(other, "not followed\r\n");
  Sleep(700);
  host.Pump();
  EXPECT_EQ(ShownText(), L"other\r\n");
}

}  // namespace
}  // namespace vemora::testing
