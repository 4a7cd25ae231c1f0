// Macro expansion of the tool command line. The result grows as needed: each macro is
// written in full however long the path or option texts are.
#include "core/tools/tool_command.h"

#include <string_view>

#include "core/layout/layout.h"
#include "core/search/filtered_view.h"

namespace vemora {
namespace {

void AppendDecimal(std::u16string& out, int32_t number) {
  for (const char digit : std::to_string(number)) out += static_cast<char16_t>(digit);
}

// A path holding any of these is quoted: a space splits the argument, and the others are
// command separators or special to cmd.exe, which runs a tool that is a batch file (a name
// like a&winver&b.txt would otherwise start winver and hand the batch a cut path).
constexpr std::u16string_view kCharactersNeedingQuotes = u" &()[]{}^=;!'+,`~%";

void AppendPath(std::u16string& out, const std::u16string& path) {
  if (path.find_first_of(kCharactersNeedingQuotes) == std::u16string::npos) {
    out += path;
    return;
  }
  out += u'"';
  out += path;
  out += u'"';
}

char16_t Upper(char16_t unit) {
  return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - u'a' + u'A') : unit;
}

}  // namespace

const std::u16string& EncodingOptionText(TextEncoding encoding, const FileTypeSetting& setting) {
  static const std::u16string kNone;
  switch (encoding) {
    case 0:
      return setting.EdOptSJIS;
    case 1:
      return setting.EdOptJIS;
    case 2:
      return setting.EdOptEUC;
    case 3:
    case 5:
      return setting.EdOptUTF16;
    case 4:
    case 6:
      return setting.EdOptUTF16BE;
    case 7:
    case 8:
      return setting.EdOptUTF8;
    case 9:
      return setting.EdOptUTF7;
    default:
      return kNone;
  }
}

int32_t ToolLineNumber(const Document& document, const FileTypeSetting& setting) {
  if (document.filter) return FileLineOf(document, document.TopLine) + 1;
  if (setting.LineType != 1) return document.TopLine + 1;
  return LogicalLineOf(document, document.TopLine) + 1;  // -1 beyond the table gives 0
}

std::u16string ExpandToolCommand(const Document& document, const FileTypeSetting& setting) {
  const std::u16string& editor = setting.Editor;
  std::u16string out;
  out.reserve(editor.size() + document.name.size());
  for (size_t i = 0; i < editor.size(); ++i) {
    if (editor[i] != u'$') {
      out += editor[i];
      continue;
    }
    if (++i == editor.size()) break;
    switch (Upper(editor[i])) {
      case u'$':
        out += u'$';
        break;
      case u'F':
        AppendPath(out, document.name);
        break;
      case u'L':
        AppendDecimal(out, ToolLineNumber(document, setting));
        break;
      case u'K':
        out += EncodingOptionText(document.encoding, setting);
        break;
      default:
        break;
    }
  }
  return out;
}

}  // namespace vemora
