// Expansion of the tool command line: every macro, case, quoting, literal and dropped
// dollars, the encoding option per encoding and the line number in both numberings.
#include <gtest/gtest.h>

#include <string>

#include "core/layout/layout.h"
#include "core/tools/tool_command.h"
#include "test_documents.h"

namespace vemora {
namespace {

using testing::MakeDocument;

class OneUnitMeasure final : public TextMeasure {
 public:
  int32_t UnitWidth(char16_t) override { return 8; }
};

FileTypeSetting ToolSetting(std::u16string editor) {
  FileTypeSetting setting;
  setting.Editor = std::move(editor);
  setting.EdOptSJIS = u"-s";
  setting.EdOptJIS = u"-j";
  setting.EdOptEUC = u"-e";
  setting.EdOptUTF16 = u"-u16";
  setting.EdOptUTF16BE = u"-u16be";
  setting.EdOptUTF8 = u"-u8";
  setting.EdOptUTF7 = u"-u7";
  return setting;
}

struct ExpansionCase {
  const char* what;
  std::u16string editor;
  std::u16string path;
  TextEncoding encoding;
  std::u16string expected;
};

TEST(ExpandToolCommand, MacrosQuotingAndDollars) {
  const std::u16string longPath = u"C:\\" + std::u16string(300, u'x') + u"\\a.txt";
  const ExpansionCase cases[] = {
      {"default editor, bare path", u"notepad $F", u"C:\\doc\\a.txt", 0, u"notepad C:\\doc\\a.txt"},
      {"a path with a space is quoted", u"notepad $F", u"C:\\My Docs\\a.txt", 0,
       u"notepad \"C:\\My Docs\\a.txt\""},
      {"$$ writes one dollar", u"edit $$F", u"C:\\a.txt", 0, u"edit $F"},
      {"unknown macro dropped with its dollar", u"edit $X $F", u"C:\\a.txt", 0, u"edit  C:\\a.txt"},
      {"trailing dollar dropped", u"edit $F $", u"C:\\a.txt", 0, u"edit C:\\a.txt "},
      {"lower-case macros", u"ed -n$l $f $k", u"C:\\a.txt", 2, u"ed -n1 C:\\a.txt -e"},
      {"every macro repeats in full", u"$F|$F", longPath, 0, longPath + u"|" + longPath},
      {"a long path with a space is quoted", u"e $F", longPath + u" b", 0,
       u"e \"" + longPath + u" b\""},
      {"a name that would run a command is quoted", u"e.bat $F", u"C:\\t\\a&winver&b.txt", 0,
       u"e.bat \"C:\\t\\a&winver&b.txt\""},
      {"other punctuation stays bare", u"e $F", u"C:\\a-b_c#d@e$f.txt", 0,
       u"e C:\\a-b_c#d@e$f.txt"},
      {"Japanese path and text kept", u"エディタ $F", u"C:\\文書\\あ.txt", 0,
       u"エディタ C:\\文書\\あ.txt"},
      {"no encoding, empty option", u"x $K.", u"C:\\a.txt", -1, u"x ."},
      {"empty tool text", u"", u"C:\\a.txt", 0, u""},
  };
  for (const ExpansionCase& c : cases) {
    Document document = MakeDocument(u"text");
    document.name = c.path;
    document.encoding = c.encoding;
    EXPECT_EQ(ExpandToolCommand(document, ToolSetting(c.editor)), c.expected) << c.what;
  }

  // Each character that cmd.exe treats specially makes the path quoted on its own.
  for (const char16_t special : std::u16string_view(u" &()[]{}^=;!'+,`~%")) {
    Document document = MakeDocument(u"text");
    document.name = std::u16string(u"C:\\a") + special + u"b.txt";
    EXPECT_EQ(ExpandToolCommand(document, ToolSetting(u"$F")), u"\"" + document.name + u"\"")
        << static_cast<char>(special);
  }

  // $K follows the document's encoding; the mark variants share their option.
  const std::pair<TextEncoding, std::u16string> options[] = {
      {0, u"-s"},     {1, u"-j"},  {2, u"-e"},  {3, u"-u16"}, {4, u"-u16be"}, {5, u"-u16"},
      {6, u"-u16be"}, {7, u"-u8"}, {8, u"-u8"}, {9, u"-u7"},  {10, u""},      {-1, u""}};
  for (const auto& [encoding, option] : options) {
    Document document = MakeDocument(u"text");
    document.encoding = encoding;
    EXPECT_EQ(ExpandToolCommand(document, ToolSetting(u"$K")), option) << encoding;
  }
}

TEST(ExpandToolCommand, LineNumberInBothNumberings) {
  // Logical lines "abcdefghij" and "kl" wrapped at 6 columns: display lines 0 and 1 are
  // logical line 0, display line 2 logical line 1.
  Document document = MakeDocument(u"abcdefghij\r\nkl");
  OneUnitMeasure measure;
  LayoutDocument(document, LayoutParameters{8, 6, 0, 8, 0}, measure);
  ASSERT_EQ(document.displayLineCount, 3);

  struct LineCase {
    int32_t LineType;
    int32_t TopLine;
    std::u16string expected;
  };
  const LineCase cases[] = {
      {0, 0, u"-n1"}, {0, 1, u"-n2"}, {0, 2, u"-n3"}, {1, 0, u"-n1"},
      {1, 1, u"-n1"}, {1, 2, u"-n2"}, {1, 3, u"-n0"}, {1, 5000, u"-n0"},
  };
  for (const LineCase& c : cases) {
    FileTypeSetting setting = ToolSetting(u"-n$L");
    setting.LineType = c.LineType;
    document.TopLine = c.TopLine;
    EXPECT_EQ(ExpandToolCommand(document, setting), c.expected)
        << "LineType " << c.LineType << ", top line " << c.TopLine;
  }
}

}  // namespace
}  // namespace vemora
