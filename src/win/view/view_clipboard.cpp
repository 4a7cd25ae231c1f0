// Clipboard writes for the copy commands. Failures leave the clipboard as the failed step
// left it and are not reported; the selection is cleared whatever happened.
#include "win/view/view_clipboard.h"

#include <algorithm>
#include <limits>
#include <string>

#include "core/keys/commands.h"
#include "core/text/clipboard_text.h"
#include "core/text/selection.h"
#include "win/keys/menu_states.h"
#include "win/shell/app_state.h"

namespace vemora {
namespace {

// Closes the clipboard however the copy ends.
class OpenedClipboard {
 public:
  explicit OpenedClipboard(HWND window) : open_(OpenClipboard(window) != 0) {}
  ~OpenedClipboard() {
    if (open_) CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  bool IsOpen() const { return open_; }

 private:
  bool open_;
};

std::u16string_view RangeText(int64_t p, int64_t q) {
  const Document* document = CurrentDocument();
  if (!document) return {};
  const int64_t length = document->textLength;
  const int64_t low = std::clamp<int64_t>(std::min(p, q), 0, length);
  const int64_t high = std::clamp(std::max(p, q), low, length);
  return document->Text().substr(static_cast<size_t>(low), static_cast<size_t>(high - low));
}

// A movable, zeroed, shareable block of `units` UTF-16 units plus the terminator, filled
// by `write`, handed to the clipboard. The clipboard must be open and emptied.
template <typename Write>
bool HandOverText(size_t units, Write&& write) {
  if (units >= std::numeric_limits<size_t>::max() / sizeof(char16_t) - 1) return false;
  HGLOBAL block =
      GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, (units + 1) * sizeof(char16_t));
  if (!block) return false;
  auto* text = static_cast<char16_t*>(GlobalLock(block));
  if (!text) {
    GlobalFree(block);
    return false;
  }
  write(text);
  text[units] = u'\0';
  GlobalUnlock(block);
  if (SetClipboardData(CF_UNICODETEXT, block)) return true;
  GlobalFree(block);
  return false;
}

// The clipboard's Unicode text up to its first NUL, never read past its block.
bool ReadClipboardText(std::u16string& text) {
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (!data) return false;
  const auto* units = static_cast<const char16_t*>(GlobalLock(data));
  if (!units) return false;
  const std::u16string_view all(units, GlobalSize(data) / sizeof(char16_t));
  text.assign(all.substr(0, std::min(all.find(u'\0'), all.size())));
  GlobalUnlock(data);
  return true;
}

}  // namespace

bool CopySelection(HWND window, int64_t p, int64_t q, std::u16string_view prefix) {
  OpenedClipboard clipboard(window);
  if (!clipboard.IsOpen() || !EmptyClipboard()) return false;
  const std::u16string_view range = RangeText(p, q);
  return HandOverText(ClipboardTextLength(range, prefix),
                      [&](char16_t* text) { WriteClipboardText(text, range, prefix); });
}

bool AppendToClipboard(HWND window, int64_t p, int64_t q) {
  OpenedClipboard clipboard(window);
  std::u16string old;
  if (!clipboard.IsOpen() || !ReadClipboardText(old) || !EmptyClipboard()) return false;
  const std::u16string_view range = RangeText(p, q);
  return HandOverText(old.size() + ClipboardTextLength(range, u""), [&](char16_t* text) {
    std::copy(old.begin(), old.end(), text);
    WriteClipboardText(text + old.size(), range, u"");
  });
}

void OnCopyCommand(UINT command) {
  Document& document = *CurrentDocument();
  TextRange range;
  if (SelectionRange(document, range)) {
    if (command == CmdAppendCopy)
      AppendToClipboard(gShell.viewWindow, range.start, range.end);
    else
      CopySelection(gShell.viewWindow, range.start, range.end,
                    command == CmdQuotedCopy ? std::u16string_view(gOptions.Quote) : u"");
  }
  ClearSelection(document);
  InvalidateRect(gShell.viewWindow, nullptr, TRUE);
  UpdateMenuStates();
}

}  // namespace vemora
