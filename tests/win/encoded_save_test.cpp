// Saving in a chosen encoding as a user does it: the panel's lists, the keyboard focus
// starting in the file name, the bytes each choice writes, the question about unconvertible
// characters and its refusal, the name proposed, and a failed write (also of the UTF-16
// copy, or over a read-only file) that leaves the old file whole and says so.
#include <windows.h>
#include <commdlg.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/keys/commands.h"
#include "core/text/encode.h"
#include "win/platform/text_conversion.h"
#include "win/shell/app_state.h"
#include "win/shell/encoded_save.h"
#include "dialog_script.h"
#include "viewer_host.h"

namespace vemora::testing {
namespace {

constexpr wchar_t kTitle[] = L"エンコードを指定して保存";
constexpr int kFileNameEdit = 0x47C;
constexpr int kEncodingList = 1098;
constexpr int kLineEndList = 1099;
constexpr int kMessageText = 0xFFFF;  // the text of a message box

std::string ReadBytes(const std::wstring& path) {
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

std::vector<std::wstring> ListEntries(HWND dialog, int id) {
  std::vector<std::wstring> entries;
  HWND list = Item(dialog, id);
  const LRESULT count = list ? SendMessageW(list, CB_GETCOUNT, 0, 0) : 0;
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t text[64] = {};
    SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    entries.push_back(text);
  }
  return entries;
}

void Choose(HWND dialog, int id, int position) {
  HWND list = Item(dialog, id);
  SendMessageW(list, CB_SETCURSEL, position, 0);
  SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
}

// The save dialog: the two choices, the name, OK.
DialogScript::Step SaveDialog(int encoding, int lineEnd, const std::wstring& path) {
  return On(kTitle, [=](HWND dialog) {
    Choose(dialog, kEncodingList, encoding);
    Choose(dialog, kLineEndList, lineEnd);
    SetItemText(dialog, kFileNameEdit, path);
    Click(dialog, IDOK);
  });
}

// A message box whose text holds `part`: its text is kept, the button pressed.
DialogScript::Step Box(std::wstring part, int button, std::wstring* text = nullptr) {
  return [=](HWND dialog) {
    const std::wstring shown = ItemText(dialog, kMessageText);
    if (shown.find(part) == std::wstring::npos) return false;
    if (text) *text = shown;
    Click(dialog, button);
    return true;
  };
}

// The file dialog's own question before it lets an existing file be replaced (under Wine
// its texts do not read back, so it is known by its buttons).
DialogScript::Step OverwritePrompt() {
  return [](HWND dialog) {
    if (!GetDlgItem(dialog, IDYES) || ItemText(dialog, kMessageText).find(L"変換") == 0)
      return false;
    Click(dialog, IDYES);
    return true;
  };
}

bool NoTemporaryFilesIn(const ScratchFolder& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
    if (entry.path().extension() == L".tmp") return false;
  return true;
}

TEST(EncodedSave, PanelChoicesWriteTheirEncodingAndLineEnds) {
  ViewerHost host;
  ASSERT_TRUE(
      host.Start(L"\"" + host.Folder().Write(L"sjis.txt", ShiftJis(L"日本\r\nｱ\n")) + L"\""));
  const std::u16string text = u"日本\r\nｱ\n";
  const struct {
    int encoding, lineEnd;
    std::string expected;
  } cases[] = {
      {4, 0, "\x93\xFA\x96\x7B\r\n\xB1\n"},
      {0, 2, "\xE6\x97\xA5\xE6\x9C\xAC\n\xEF\xBD\xB1\n"},
      {1, 1, "\xEF\xBB\xBF\xE6\x97\xA5\xE6\x9C\xAC\r\n\xEF\xBD\xB1\r\n"},
      {5, 3, "\xC6\xFC\xCB\xDC\r\x8E\xB1\r"},
      {6, 0, "\x1B$BF|K\\\x1B(B\r\n\x1B(I1\x1B(B\n"},
      {2, 0, EncodeText(text, 3, LineEndChoice::kKeep)},
      {3, 0, EncodeText(text, 4, LineEndChoice::kKeep)},
      {7, 0, EncodeText(text, 9, LineEndChoice::kKeep)},
  };
  std::vector<std::wstring> encodings, lineEnds;
  bool focusInFileName = true;  // a name typed at once goes to the name, not the panel
  int n = 0;
  for (const auto& c : cases) {
    const std::wstring target = host.Folder().File(L"out" + std::to_wstring(n++) + L".txt");
    EXPECT_TRUE(RunScripted([&] { host.Command(CmdSaveEncoded); },
                            {[&](HWND dialog) {
                               encodings = ListEntries(dialog, kEncodingList);
                               lineEnds = ListEntries(dialog, kLineEndList);
                               HWND name = Item(dialog, kFileNameEdit);
                               HWND focus = GetFocus();
                               focusInFileName &=
                                   name && focus && (focus == name || IsChild(name, focus));
                               return !encodings.empty();
                             },
                             SaveDialog(c.encoding, c.lineEnd, target)}));
    EXPECT_EQ(ReadBytes(target), c.expected) << c.encoding << " " << c.lineEnd;
  }
  const std::vector<std::wstring> expectedEncodings = {L"Unicode (UTF8)",
                                                       L"Unicode (UTF8,BOM付き)",
                                                       L"Unicode (UTF16)",
                                                       L"Unicode (UTF16,Big Endian)",
                                                       L"シフトJIS",
                                                       L"EUC",
                                                       L"JIS",
                                                       L"Unicode (UTF7)"};
  EXPECT_EQ(encodings, expectedEncodings);
  EXPECT_EQ(lineEnds, (std::vector<std::wstring>{L"変換しない", L"CR+LF", L"LF", L"CR"}));
  EXPECT_TRUE(focusInFileName);
  EXPECT_TRUE(NoTemporaryFilesIn(host.Folder()));
}

// The dialog proposes the document's name in the document's folder, also after a copy went
// to another folder; the UTF-16 copy proposes no name.
TEST(EncodedSave, TheDialogProposesTheDocumentsNameInItsFolder) {
  ViewerHost host;
  ASSERT_TRUE(host.Start(L"\"" + host.Folder().Write(L"sjis.txt", ShiftJis(L"日本\r\n")) + L"\""));
  std::filesystem::create_directory(host.Folder().Path() / L"other");
  const std::wstring elsewhere = host.Folder().File(L"other\\copy.txt");
  ASSERT_TRUE(RunScripted([&] { host.Command(CmdSaveEncoded); }, {SaveDialog(0, 0, elsewhere)}));
  ASSERT_TRUE(std::filesystem::exists(elsewhere));
  const struct {
    UINT command;
    const wchar_t* title;
    std::wstring name;
  } cases[] = {
      {CmdSaveEncoded, kTitle, L"sjis.txt"},
      {CmdSaveAsUtf16, L"名前を付けて保存(UTF16エンコーディング)", L""},
  };
  for (const auto& c : cases) {
    std::wstring name = L"(not shown)";
    wchar_t folder[MAX_PATH] = {};
    EXPECT_TRUE(RunScripted([&] { host.Command(c.command); }, {On(c.title, [&](HWND dialog) {
                              name = ItemText(dialog, kFileNameEdit);
                              SendMessageW(GetAncestor(dialog, GA_ROOT), CDM_GETFOLDERPATH,
                                           MAX_PATH, reinterpret_cast<LPARAM>(folder));
                              PressEscape(dialog);
                            })}));
    EXPECT_EQ(name, c.name) << c.title;
    if (!c.name.empty()) {
      EXPECT_TRUE(std::filesystem::equivalent(folder, host.Folder().Path())) << folder;
    }
  }
}

TEST(EncodedSave, UnconvertibleCharactersAreCountedAndARefusalWritesNothing) {
  ViewerHost host;
  ASSERT_TRUE(host.Start(L"\"" +
                         host.Folder().Write(L"utf8.txt",
                                             "\xEF\xBB\xBF"
                                             "a\r\n\xC3\xA9\r\n\xF0\x9F\x98\x80") +
                         L"\""));
  const std::wstring target = host.Folder().Write(L"old.txt", "old");
  std::wstring question;
  const DialogScript::Step overwrite = OverwritePrompt();
  EXPECT_TRUE(
      RunScripted([&] { host.Command(CmdSaveEncoded); },
                  {SaveDialog(4, 0, target), overwrite, Box(L"変換できない", IDNO, &question)}));
  EXPECT_EQ(question,
            L"変換できない文字が2個あります(最初は 2行目)。「?」に置き換えて保存しますか?");
  EXPECT_EQ(ReadBytes(target), "old") << "いいえ leaves the file as it was";
  EXPECT_TRUE(NoTemporaryFilesIn(host.Folder()));

  EXPECT_TRUE(RunScripted([&] { host.Command(CmdSaveEncoded); },
                          {SaveDialog(6, 0, target), overwrite, Box(L"変換できない", IDYES)}));
  EXPECT_EQ(ReadBytes(target), "a\r\n?\r\n?");
}

TEST(EncodedSave, AFailedWriteLeavesTheOldFileWholeAndSaysSo) {
  ViewerHost host;
  ASSERT_TRUE(host.Start(L"\"" + host.Folder().Write(L"sjis.txt", ShiftJis(L"日本\r\n")) + L"\""));
  const std::wstring target = host.Folder().Write(L"held.txt", "old contents");
  // Another program holds the file open without letting it be replaced.
  HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::wstring failure;
  EXPECT_TRUE(RunScripted([&] { host.Command(CmdSaveAsUtf16); },
                          {On(L"名前を付けて保存(UTF16エンコーディング)",
                              [&](HWND dialog) {
                                SetItemText(dialog, kFileNameEdit, target);
                                Click(dialog, IDOK);
                              }),
                           OverwritePrompt(), Box(L"保存できませんでした", IDOK, &failure)}));
  CloseHandle(held);
  EXPECT_EQ(failure.rfind(target + L"\r\nに保存できませんでした。", 0), 0u) << failure;
  EXPECT_EQ(ReadBytes(target), "old contents");
  EXPECT_TRUE(NoTemporaryFilesIn(host.Folder()));

  // A folder that is not there: nothing is created, and the save says so.
  const std::wstring nowhere = host.Folder().File(L"missing\\copy.txt");
  EXPECT_TRUE(RunScripted(
      [&] { EXPECT_FALSE(SaveDocumentText(ToUtf16(nowhere), 0, LineEndChoice::kKeep)); },
      {Box(L"保存できませんでした", IDOK, &failure)}));
  EXPECT_FALSE(std::filesystem::exists(host.Folder().Path() / L"missing"));

  // A read-only file is refused (a rename would replace it under Wine): it keeps its
  // contents and its flag.
  const std::wstring locked = host.Folder().Write(L"locked.txt", "kept");
  ASSERT_TRUE(SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(
      RunScripted([&] { EXPECT_FALSE(SaveDocumentText(ToUtf16(locked), 0, LineEndChoice::kKeep)); },
                  {Box(L"保存できませんでした", IDOK, &failure)}));
  EXPECT_EQ(failure.rfind(locked + L"\r\nに保存できませんでした。", 0), 0u) << failure;
  EXPECT_EQ(ReadBytes(locked), "kept");
  EXPECT_TRUE(GetFileAttributesW(locked.c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(NoTemporaryFilesIn(host.Folder()));
  SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
}  // namespace vemora::testing
