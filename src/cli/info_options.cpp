// vemorainfo's option table. An option is a name, whether it takes a value, and what it
// sets in InfoOptions; adding one is adding a row.
#include "cli/info_options.h"

#include <algorithm>
#include <functional>
#include <string_view>
#include <utility>

#include "core/text/utf8.h"

namespace vemora {
namespace {

struct OptionRow {
  std::u16string_view name;
  bool takesValue;
  std::function<bool(InfoOptions&, std::u16string_view value)> apply;  // false: bad value
};

OptionRow Flag(std::u16string_view name, bool InfoOptions::*member) {
  return {name, false, [member](InfoOptions& options, std::u16string_view) {
            options.*member = true;
            return true;
          }};
}

OptionRow EncodingFlag(std::u16string_view name, int32_t bit) {
  return {name, false, [bit](InfoOptions& options, std::u16string_view) {
            options.encodingFlags |= bit;
            return true;
          }};
}

OptionRow CountFlag() {
  return {u"--count", true, [](InfoOptions& options, std::u16string_view value) {
            options.count = true;
            options.countText = value;
            return true;
          }};
}

OptionRow FilterFlag() {
  return {u"--filter", true, [](InfoOptions& options, std::u16string_view value) {
            options.filter = true;
            options.filterText = value;
            return true;
          }};
}

// A whole positive decimal number.
OptionRow Number(std::u16string_view name, int32_t InfoOptions::*member) {
  return {name, true, [member](InfoOptions& options, std::u16string_view value) {
            int64_t number = 0;
            for (const char16_t unit : value) {
              if (unit < u'0' || unit > u'9' || number > 100000000) return false;
              number = number * 10 + (unit - u'0');
            }
            if (value.empty() || number < 1) return false;
            options.*member = static_cast<int32_t>(number);
            return true;
          }};
}

// A value from a list of names, stored as the number beside the name.
OptionRow Choice(std::u16string_view name, int32_t InfoOptions::*member,
                 std::vector<std::pair<std::u16string_view, int32_t>> names) {
  return {name, true, [member, names](InfoOptions& options, std::u16string_view value) {
            for (const auto& [choice, number] : names)
              if (choice == value) {
                options.*member = number;
                return true;
              }
            return false;
          }};
}

const std::vector<OptionRow>& OptionTable() {
  static const std::vector<OptionRow> table = {
      EncodingFlag(u"--sjis", 0x01), EncodingFlag(u"--jis", 0x02),
      EncodingFlag(u"--euc", 0x04),  EncodingFlag(u"--utf16", 0x08),
      EncodingFlag(u"--utf16be", 0x10), EncodingFlag(u"--utf8", 0x20),
      EncodingFlag(u"--utf7", 0x40), Flag(u"--text", &InfoOptions::text),
      Flag(u"--timing", &InfoOptions::timing), Flag(u"--version", &InfoOptions::version),
      CountFlag(), Flag(u"--regex", &InfoOptions::regex), Flag(u"--caps", &InfoOptions::caps),
      Flag(u"--lines", &InfoOptions::lines), Number(u"--fold", &InfoOptions::fold),
      Number(u"--tab", &InfoOptions::tab), FilterFlag(), Flag(u"--invert", &InfoOptions::invert),
      Choice(u"--to", &InfoOptions::toEncoding,
             {{u"sjis", 0}, {u"jis", 1}, {u"euc", 2}, {u"utf16bom", 3}, {u"utf16bebom", 4},
              {u"utf16", 5}, {u"utf16be", 6}, {u"utf8bom", 7}, {u"utf8", 8}, {u"utf7", 9}}),
      Choice(u"--eol", &InfoOptions::eol, {{u"crlf", 1}, {u"lf", 2}, {u"cr", 3}}),
  };
  return table;
}

}  // namespace

int32_t InfoOptions::EncodingRequest() const {
  static constexpr int32_t kRequests[] = {0, 1, 2, -3, -4, -5, 9};
  for (int bit = 0; bit < 7; ++bit)
    if (encodingFlags & (1 << bit)) return kRequests[bit];
  return -1;
}

bool ParseInfoOptions(const std::vector<std::u16string>& arguments, InfoOptions& options,
                      std::string& error) {
  bool onlyPaths = false;  // after "--" every argument is a path
  const auto optionsEnd = std::find(arguments.begin(), arguments.end(), u"--");
  const bool filtering = std::find(arguments.begin(), optionsEnd, u"--filter") != optionsEnd;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::u16string& argument = arguments[i];
    if (onlyPaths || argument.size() < 2 || argument[0] != u'-') {
      options.paths.push_back(argument);
      continue;
    }
    if (argument == u"--") {
      onlyPaths = true;
      continue;
    }
    const OptionRow* option = nullptr;
    for (const OptionRow& candidate : OptionTable())
      if (candidate.name == argument) option = &candidate;
    if (!option) {
      error = "unknown option: " + Utf16ToUtf8(argument);
      return false;
    }
    std::u16string_view value;
    // With --filter, --count only asks for the number of kept lines.
    if (option->name == u"--count" && filtering) {
      options.count = true;
      continue;
    }
    if (option->takesValue) {
      if (i + 1 == arguments.size()) {
        error = "option needs a value: " + Utf16ToUtf8(argument);
        return false;
      }
      value = arguments[++i];
    }
    if (!option->apply(options, value)) {
      error = "bad value for " + Utf16ToUtf8(argument) + ": " + Utf16ToUtf8(value);
      return false;
    }
  }
  if (options.paths.empty() && !options.version) {
    error = "no file given";
    return false;
  }
  return true;
}

}  // namespace vemora
