// Wildcard matching of file names and the choice of the file-type entry.
#include "core/text/file_type.h"

#include <string>
#include <vector>

namespace vemora {
namespace {

constexpr char16_t UpperAscii(char16_t unit) {
  return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 0x20) : unit;
}

// The matcher retries the rest of the pattern at every position of the name that a star
// can reach. The answer for a given (name position, pattern position) never changes, so
// failures are remembered: patterns with many stars stay linear in name × pattern.
class WildcardMatcher {
 public:
  WildcardMatcher(std::u16string_view name, std::u16string_view pattern)
      : name_(name), pattern_(pattern) {}

  bool Match(size_t n, size_t p) {
    while (p < pattern_.size() && n < name_.size()) {
      const char16_t wanted = pattern_[p];
      if (wanted == u'*') {
        if (p + 1 == pattern_.size()) return true;
        const char16_t next = UpperAscii(pattern_[p + 1]);
        for (size_t at = n; at < name_.size(); ++at) {
          if (UpperAscii(name_[at]) == next && !KnownToFail(at, p + 1)) {
            if (Match(at, p + 1)) return true;
            RememberFailure(at, p + 1);
          }
        }
        return false;
      }
      if (wanted != u'?' && UpperAscii(wanted) != UpperAscii(name_[n])) return false;
      ++n;
      ++p;
    }
    if (p == pattern_.size()) return n == name_.size();
    const std::u16string_view rest = pattern_.substr(p);
    return rest == u"*" || rest.find_first_not_of(u'?') == std::u16string_view::npos;
  }

 private:
  size_t Key(size_t n, size_t p) const { return n * (pattern_.size() + 1) + p; }
  bool KnownToFail(size_t n, size_t p) const {
    return !failures_.empty() && failures_[Key(n, p)];
  }
  void RememberFailure(size_t n, size_t p) {
    if (failures_.empty()) failures_.assign((name_.size() + 1) * (pattern_.size() + 1), false);
    failures_[Key(n, p)] = true;
  }

  std::u16string_view name_;
  std::u16string_view pattern_;
  std::vector<bool> failures_;
};

std::u16string_view FileNameOf(std::u16string_view name) {
  if (const size_t colon = name.find(u':'); colon != std::u16string_view::npos)
    name = name.substr(colon + 1);
  if (const size_t slash = name.rfind(u'\\'); slash != std::u16string_view::npos)
    name = name.substr(slash + 1);
  if (const size_t slash = name.rfind(u'/'); slash != std::u16string_view::npos)
    name = name.substr(slash + 1);
  return name;
}

}  // namespace

int32_t MatchWildcard(std::u16string_view name, std::u16string_view pattern) {
  return WildcardMatcher(name, pattern).Match(0, 0) ? 1 : 0;
}

int32_t MatchFileName(std::u16string_view fileName, std::u16string_view pattern) {
  std::u16string normalised;
  normalised.reserve(pattern.size());
  for (const char16_t unit : pattern) {
    if ((unit == u'*' || unit == u'?') && !normalised.empty() && normalised.back() == u'*')
      continue;
    normalised.push_back(unit);
  }
  if (normalised == u"*") return 1;
  return MatchWildcard(fileName, normalised);
}

int32_t SelectFileType(std::u16string_view documentName, const FileTypeSettingList& list) {
  const std::u16string_view fileName = FileNameOf(documentName);
  for (int32_t i = list.Count() - 1; i >= 1; --i) {
    for (const std::u16string& pattern : list.entries[static_cast<size_t>(i)].Ext) {
      if (MatchFileName(fileName, pattern)) return i;
    }
  }
  return 0;
}

}  // namespace vemora
