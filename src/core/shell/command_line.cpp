// Tokenising and parsing the command line.
#include "core/shell/command_line.h"

#include <array>
#include <limits>

namespace vemora {
namespace {

constexpr std::u16string_view kNoLineNumber = u"行番号が指定されていません.";
constexpr std::u16string_view kBadOption = u"オプションが間違っています. (%s)";
constexpr std::u16string_view kTooManyPaths = u"パスの指定が多すぎます. (%s)";

bool IsBlank(char16_t unit) { return unit == u' ' || unit == u'\t'; }

// A token quoted in a message box is cut to this many characters, the last being "…":
// a box as wide as a 5000-character option would reach past the screen.
constexpr size_t kLongestQuotedToken = 100;

// Counts characters, not units, and never splits a surrogate pair.
std::u16string Shortened(std::u16string_view token) {
  size_t characters = 0;
  size_t cut = 0;  // where the 99 characters that stay before the ellipsis end
  for (size_t at = 0; at < token.size(); ++characters) {
    if (characters == kLongestQuotedToken) return std::u16string(token.substr(0, cut)) + u"…";
    const bool pair = at + 1 < token.size() && token[at] >= 0xD800 && token[at] <= 0xDBFF &&
                      token[at + 1] >= 0xDC00 && token[at + 1] <= 0xDFFF;
    at += pair ? 2 : 1;
    if (characters + 1 == kLongestQuotedToken - 1) cut = at;
  }
  return std::u16string(token);
}

std::u16string Format(std::u16string_view format, std::u16string_view argument) {
  std::u16string text(format);
  text.replace(text.find(u"%s"), 2, Shortened(argument));
  return text;
}

// The help topic asked for before the error still opens.
CommandLineResult Fail(std::u16string text, bool helpRequested) {
  CommandLineResult result;
  result.errorText = std::move(text);
  result.request.helpRequested = helpRequested;
  return result;
}

// Leading decimal digits as the C runtime reads them, held within 32 bits.
int32_t LeadingNumber(std::u16string_view text) {
  int64_t value = 0;
  for (const char16_t unit : text) {
    if (unit < u'0' || unit > u'9') break;
    value = value * 10 + (unit - u'0');
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  }
  return static_cast<int32_t>(value);
}

}  // namespace

int32_t CommandLineRequest::RequestedEncoding() const {
  static constexpr std::array<int32_t, 7> kRequests = {0, 1, 2, -3, -4, -5, 9};
  for (size_t bit = 0; bit < kRequests.size(); ++bit) {
    if (encodingFlags & (1u << bit)) return kRequests[bit];
  }
  return -1;
}

Token NextToken(std::u16string_view text, size_t position, TokenMode mode) {
  Token token;
  size_t q = position;
  while (q < text.size() && IsBlank(text[q])) ++q;
  if (q >= text.size()) {
    token.next = q;
    return token;
  }
  token.found = true;
  if (text[q] == u'-') mode = TokenMode::kWord;
  bool quoted = false;
  size_t kept = 0;  // path mode: length up to the last unit that was quoted or not blank
  for (; q < text.size(); ++q) {
    const char16_t unit = text[q];
    if (unit == u'"') {
      quoted = !quoted;
      continue;
    }
    if (!quoted) {
      if (mode == TokenMode::kWord && IsBlank(unit)) break;
      if (mode == TokenMode::kPath && unit == u'-' && q > 0 && text[q - 1] == u' ') break;
    }
    token.text.push_back(unit);
    if (mode == TokenMode::kPath && (quoted || !IsBlank(unit))) kept = token.text.size();
  }
  if (mode == TokenMode::kPath) token.text.resize(kept);
  token.next = q;
  return token;
}

CommandLineResult ParseCommandLine(std::u16string_view commandLine) {
  static constexpr std::array<std::u16string_view, 13> kOptions = {
      u"j", u"-jump", u"e", u"-jumpend", u"h", u"-help", u"-sjis",
      u"-jis", u"-euc", u"-utf16", u"-utf16be", u"-utf8", u"-utf7"};
  CommandLineResult result;
  CommandLineRequest& request = result.request;
  bool havePath = false;
  size_t position = NextToken(commandLine, 0, TokenMode::kWord).next;
  for (;;) {
    Token token = NextToken(commandLine, position, TokenMode::kPath);
    if (!token.found) break;
    position = token.next;
    if (!token.text.empty() && token.text[0] == u'-') {
      for (char16_t& unit : token.text) {
        if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit + 0x20);
      }
      const std::u16string_view name = std::u16string_view(token.text).substr(1);
      size_t option = 0;
      while (option < kOptions.size() && kOptions[option] != name) ++option;
      if (option == 0 || option == 1) {
        const Token number = NextToken(commandLine, position, TokenMode::kWord);
        if (!number.found || number.text.empty() || number.text[0] < u'0' || number.text[0] > u'9')
          return Fail(std::u16string(kNoLineNumber), request.helpRequested);
        position = number.next;
        request.startLine = LeadingNumber(number.text) - 1;
      } else if (option == 2 || option == 3) {
        request.startLine = -1;
      } else if (option == 4 || option == 5) {
        request.helpRequested = true;
      } else if (option < kOptions.size()) {
        request.encodingFlags |= 1u << (option - 6);
      } else {
        return Fail(Format(kBadOption, token.text), request.helpRequested);
      }
      continue;
    }
    if (havePath) return Fail(Format(kTooManyPaths, token.text), request.helpRequested);
    request.path = std::move(token.text);
    havePath = true;
  }
  result.ok = true;
  return result;
}

}  // namespace vemora
