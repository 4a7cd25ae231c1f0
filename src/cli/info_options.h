// vemorainfo's command line: the options parse into one record that the phases read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vemora {

struct InfoOptions {
  int32_t encodingFlags = 0;  // one bit per encoding option, as the viewer's command line
  bool text = false;          // write the decoded text instead of the summary line
  bool timing = false;        // each phase's wall time on standard error
  // --count TEXT: the number of hits the viewer's search records (--regex, --caps).
  bool count = false;
  std::u16string countText;
  bool regex = false;
  bool caps = false;
  // --filter TEXT: the lines the viewer's filter keeps, as NUMBER:TEXT (--regex, --caps,
  // --invert); with --count, which then takes no text, only how many.
  bool filter = false;
  std::u16string filterText;
  bool invert = false;
  // --lines: display lines and line ends of a column layout (--fold, --tab).
  bool lines = false;
  int32_t fold = 80;
  int32_t tab = 8;
  bool version = false;  // --version: print the program's version and nothing else
  // --to ENCODING [--eol crlf|lf|cr]: the text converted, on standard output.
  int32_t toEncoding = -1;  // a TextEncoding, -1 for no conversion
  int32_t eol = 0;          // a LineEndChoice: 0 keeps the line ends
  std::vector<std::u16string> paths;

  // The encoding request the flags make: the lowest bit wins, none means detect (-1).
  int32_t EncodingRequest() const;
};

// Parses the arguments after the program name. On failure returns false with a one-line
// reason in `error`.
bool ParseInfoOptions(const std::vector<std::u16string>& arguments, InfoOptions& options,
                      std::string& error);

inline constexpr char kInfoUsage[] =
    "usage: vemorainfo [--sjis|--jis|--euc|--utf16|--utf16be|--utf8|--utf7] [--text] "
    "[--timing] [--count TEXT [--regex] [--caps]] [--lines [--fold N] [--tab N]] FILE... "
    "| vemorainfo [--timing] --filter TEXT [--regex] [--caps] [--invert] [--count] FILE... "
    "(- for standard input) | vemorainfo --to "
    "utf8|utf8bom|utf16|utf16be|utf16bom|utf16bebom|sjis|euc|jis|utf7 [--eol crlf|lf|cr] FILE... "
    "| vemorainfo --version";

}  // namespace vemora
