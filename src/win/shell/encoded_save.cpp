// The save dialog with the encoding and line-end panel, and the save itself: the text goes
// through the encoder in slices into a temporary file, which replaces the chosen file once
// the user has accepted any "?" the encoding made necessary.
#include "win/shell/encoded_save.h"

#include <windows.h>
#include <commdlg.h>

#include <iterator>
#include <memory>
#include <string>

#include "core/platform/out_of_memory.h"
#include "core/search/filtered_view.h"
#include "core/text/encoding.h"
#include "win/platform/replace_file.h"
#include "win/platform/text_conversion.h"
#include "win/resources/resource_ids.h"
#include "win/shell/app_state.h"
#include "win/shell/file_dialogs.h"
#include "win/shell/main_window.h"

namespace vemora {
namespace {

constexpr wchar_t kTitle[] = L"エンコードを指定して保存";

struct EncodingChoice {
  const wchar_t* text;
  TextEncoding target;
};
constexpr EncodingChoice kEncodings[] = {
    {L"Unicode (UTF8)", kEncodingUtf8},
    {L"Unicode (UTF8,BOM付き)", kEncodingUtf8Bom},
    {L"Unicode (UTF16)", kEncodingUtf16Bom},
    {L"Unicode (UTF16,Big Endian)", kEncodingUtf16BeBom},
    {L"シフトJIS", kEncodingShiftJis},
    {L"EUC", kEncodingEuc},
    {L"JIS", kEncodingJis},
    {L"Unicode (UTF7)", kEncodingUtf7},
};
constexpr const wchar_t* kLineEnds[] = {L"変換しない", L"CR+LF", L"LF", L"CR"};

// The panel's choice; kept for the next save in this session.
struct SaveChoice {
  int encoding = 0;
  int lineEnd = 0;
};
SaveChoice gChoice;

void Fill(HWND list, const wchar_t* const* texts, size_t count, int selected) {
  for (size_t i = 0; i < count; ++i)
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(texts[i]));
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void FillPanel(HWND panel) {
  const wchar_t* encodings[std::size(kEncodings)];
  for (size_t i = 0; i < std::size(kEncodings); ++i) encodings[i] = kEncodings[i].text;
  Fill(GetDlgItem(panel, IDC_ENCODING_LIST), encodings, std::size(encodings), gChoice.encoding);
  Fill(GetDlgItem(panel, IDC_LINE_END_LIST), kLineEnds, std::size(kLineEnds), gChoice.lineEnd);
}

void StoreSelection(HWND list, int& field, size_t count) {
  const LRESULT selected = SendMessageW(list, CB_GETCURSEL, 0, 0);
  if (selected >= 0 && selected < static_cast<LRESULT>(count)) field = static_cast<int>(selected);
}

UINT_PTR CALLBACK SavePanelHook(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    FillPanel(panel);
    // TRUE would put the keyboard focus on the encoding list, and a name typed at once
    // would pick encodings; FALSE leaves it in the file name box.
    return FALSE;
  }
  if (message != WM_COMMAND) return FALSE;
  const auto list = reinterpret_cast<HWND>(lParam);
  if (LOWORD(wParam) == IDC_ENCODING_LIST) {
    if (HIWORD(wParam) == CBN_SELCHANGE)
      StoreSelection(list, gChoice.encoding, std::size(kEncodings));
    return TRUE;
  }
  if (LOWORD(wParam) == IDC_LINE_END_LIST) {
    if (HIWORD(wParam) == CBN_SELCHANGE)
      StoreSelection(list, gChoice.lineEnd, std::size(kLineEnds));
    return TRUE;
  }
  return FALSE;
}

// "?" for `count` characters, the first on `line`: whether the user wants the file anyway.
bool AcceptReplacements(int64_t count, int64_t line) {
  const std::wstring question = L"変換できない文字が" + std::to_wstring(count) +
                                L"個あります(最初は " + std::to_wstring(line) +
                                L"行目)。「?」に置き換えて保存しますか?";
  return MessageBoxW(gShell.mainWindow, question.c_str(), kTitle, MB_YESNO | MB_ICONQUESTION) ==
         IDYES;
}

void ReportFailure(const std::u16string& path, DWORD error) {
  MessageBoxW(gShell.mainWindow, WriteFailureMessage(path, error).c_str(), AsWide(kProgramTitle),
              MB_OK | MB_ICONERROR);
}

}  // namespace

bool SaveDocumentText(const std::u16string& path, TextEncoding target, LineEndChoice lineEnds) {
  const Document* document = CurrentDocument();
  if (!document) return false;
  FileReplacement file(path);
  TextEncoder encoder(target, lineEnds);
  const std::u16string_view text = document->Text();
  constexpr size_t kSlice = 1 << 20;
  // One buffer for every slice, never filled with zeros first.
  const auto buffer = std::make_unique_for_overwrite<char[]>(encoder.Room(kSlice));
  for (size_t start = 0; start < text.size() && file.Ok(); start += kSlice) {
    const char* end = encoder.Encode(text.substr(start, kSlice), buffer.get());
    file.Write({buffer.get(), static_cast<size_t>(end - buffer.get())});
  }
  const char* end = encoder.Finish(buffer.get());
  file.Write({buffer.get(), static_cast<size_t>(end - buffer.get())});
  if (!file.Ok()) {
    ReportFailure(path, file.Error());
    return false;
  }
  const EncodeTally tally = encoder.Tally();
  if (tally.unconvertible > 0) {
    // The line is found before the question: the box lets other messages replace the text.
    const int64_t line = LineNumberAt(text, tally.firstUnconvertible);
    if (!AcceptReplacements(tally.unconvertible, line)) return false;
  }
  if (file.Commit()) return true;
  ReportFailure(path, file.Error());
  return false;
}

void SaveInChosenEncoding() {
  Document* document = CurrentDocument();
  if (!document) return;
  EnableInputMethod(true);
  // A copy in another encoding is most often put beside the file, under its name: the
  // dialog opens in its folder with the name proposed.
  const Document& file = FileDocumentOf(*document);
  std::u16string path = file.sourceKind == kSourceFile ? file.name : u"";
  if (ShowSaveDialogWithPanel(gShell.mainWindow, path, kTitle, IDD_SAVE_ENCODING_PANEL,
                              SavePanelHook))
    SaveDocumentText(path, kEncodings[gChoice.encoding].target,
                     static_cast<LineEndChoice>(gChoice.lineEnd));
  EnableInputMethod(false);
}

}  // namespace vemora
