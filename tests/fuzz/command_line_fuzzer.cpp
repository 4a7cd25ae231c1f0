// Fuzzing the command line: any text, the program's path first. Besides never failing
// badly, the parser must make progress through the tokens and give a result that start-up
// can act on.
#include <algorithm>
#include <string>

#include "core/shell/command_line.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vemora;
  const std::u16string text =
      fuzz::UnitsFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  const CommandLineResult result = ParseCommandLine(text);
  if (result.ok) {
    FUZZ_CHECK(result.errorText.empty());
    FUZZ_CHECK(result.request.startLine >= -1);
    FUZZ_CHECK(result.request.encodingFlags < 0x80);
    const int32_t request = result.request.RequestedEncoding();
    FUZZ_CHECK(request == -1 || request == 0 || request == 1 || request == 2 || request == -3 ||
               request == -4 || request == -5 || request == 9);
    FUZZ_CHECK(result.request.path.empty() || result.request.path[0] != u'-');
  } else {
    const std::u16string_view message = result.errorText;
    FUZZ_CHECK(message == u"行番号が指定されていません." ||
               message.starts_with(u"オプションが間違っています. (") ||
               message.starts_with(u"パスの指定が多すぎます. ("));
  }

  // Every token found moves on, in both modes, from the first positions and the last.
  for (size_t position = 0; position <= text.size();
       position = position < 64 ? position + 1 : std::max(position + 1, text.size())) {
    for (const TokenMode mode : {TokenMode::kWord, TokenMode::kPath}) {
      const Token token = NextToken(text, position, mode);
      FUZZ_CHECK(token.next <= text.size());
      FUZZ_CHECK(!token.found || token.next > position);
      FUZZ_CHECK(token.found || token.next == text.size());
      FUZZ_CHECK(token.text.size() <= token.next - position);
    }
  }
  return 0;
}
