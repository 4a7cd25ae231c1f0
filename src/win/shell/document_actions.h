// Loading documents for the window: the refresh after every load, and the ways a user
// opens one (path, history, drop, encoding reload, paste, standard input).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/settings/settings_model.h"
#include "core/text/document.h"

namespace vemora {

// Brings the whole window in line with the current document (which may be none).
// startLine -1 shows the end; keepFileType 1 keeps the file type (a reload).
void RefreshAfterLoad(int32_t startLine, int32_t keepFileType);
// After the document shown grew from display line `linesBefore` on: the gutter, the scroll
// bar, and the view only when the new lines reach it.
void RefreshAfterGrowth(const Document& document, int32_t linesBefore);
// After steps of a load were joined to the document: the same, the line-end kind and the
// progress.
void RefreshAfterStep(const Document& document, int32_t linesBefore, int32_t percent);
// A load or a search ran out of memory: the document shown stays, and the user learns why
// (the message box pumps messages).
void ShowOutOfMemory();

// LoadDocument with the window as host, then the menu states.
void OpenDocument(std::u16string path, int32_t startLine, int32_t request);
// Reads the current file again with another encoding request, keeping its position.
void ReloadCurrentDocument(int32_t request);
void ReadDocumentFromStandardInput(int32_t startLine);
// A document of the clipboard's text (none when it holds no text), then the refresh.
void ShowClipboardText();

// Applies the current file type to the shown document; `previous` is the setting in
// effect before, which decides whether the text must be laid out again.
// The file's date and size in the status bar.
void ShowFileStatus(const Document& document);

void ApplyFileTypeSetting(const FileTypeSetting& previous);

}  // namespace vemora
