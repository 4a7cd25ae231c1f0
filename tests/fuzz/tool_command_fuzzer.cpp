// Fuzzing the tool command line: a tool text with any macros, dollars and units, expanded
// for a document of any encoding, path and top line in both line numberings. The
// expansion must keep every unit outside a macro and stay within what the macros can add.
#include <algorithm>
#include <string>

#include "core/layout/layout.h"
#include "core/tools/tool_command.h"
#include "fuzz_support.h"

namespace {

class FixedMeasure final : public vemora::TextMeasure {
 public:
  int32_t UnitWidth(char16_t) override { return 8; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vemora;
  if (size < 4) return 0;
  // Four bytes of choices, then the tool text; a NUL in it starts the path.
  const uint8_t encodingChoice = data[0], lineType = data[1], fold = data[2], top = data[3];
  std::u16string units =
      fuzz::UnitsFromBytes(std::string_view(reinterpret_cast<const char*>(data) + 4, size - 4));
  const size_t split = std::min(units.find(u'\0'), units.size());
  FileTypeSetting setting;
  setting.Editor = units.substr(0, split);
  const std::u16string path = split < units.size() ? units.substr(split + 1) : u"C:\\a b.txt";
  setting.EdOptSJIS = u"-s";
  setting.EdOptJIS = u"-j";
  setting.EdOptEUC = u"-e";
  setting.EdOptUTF16 = u"-u";
  setting.EdOptUTF16BE = u"-b";
  setting.EdOptUTF8 = u"-8";
  setting.EdOptUTF7 = u"-7";
  setting.LineType = lineType & 1;

  const std::u16string text = u"one line\r\ntwo\nthree and more than a fold\r\n";
  Document document;
  document.textBuffer = std::make_unique<char16_t[]>(text.size() + 1);
  std::copy(text.begin(), text.end(), document.textBuffer.get());
  document.text = document.textBuffer.get();
  document.textLength = static_cast<int32_t>(text.size());
  document.name = path;
  document.encoding = static_cast<TextEncoding>(static_cast<int8_t>(encodingChoice) % 12);
  FixedMeasure measure;
  LayoutDocument(document, LayoutParameters{8, 5 + fold % 20, 0, 1, 0}, measure);
  document.TopLine = top % 12;  // sometimes past the table

  const std::u16string expanded = ExpandToolCommand(document, setting);
  const int32_t line = ToolLineNumber(document, setting);
  FUZZ_CHECK(line >= 0 && line <= document.displayLineCount);
  // Each unit of the tool text gives at most one macro's worth.
  const size_t widest = std::max<size_t>(path.size() + 2, 11);
  FUZZ_CHECK(expanded.size() <= setting.Editor.size() * widest);
  // Without a dollar there is nothing to expand.
  if (setting.Editor.find(u'$') == std::u16string::npos) FUZZ_CHECK(expanded == setting.Editor);
  // "$$" alone is one dollar.
  if (setting.Editor == u"$$") FUZZ_CHECK(expanded == u"$");
  return 0;
}
