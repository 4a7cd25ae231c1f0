// The viewer's command line: at most one path, a start line, an encoding request, help.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vemora {

// Encoding option bits; the lowest bit set decides the request.
inline constexpr uint32_t kOptionSjis = 0x01;
inline constexpr uint32_t kOptionJis = 0x02;
inline constexpr uint32_t kOptionEuc = 0x04;
inline constexpr uint32_t kOptionUtf16 = 0x08;
inline constexpr uint32_t kOptionUtf16Be = 0x10;
inline constexpr uint32_t kOptionUtf8 = 0x20;
inline constexpr uint32_t kOptionUtf7 = 0x40;

struct CommandLineRequest {
  std::u16string path;         // empty: read standard input
  uint32_t encodingFlags = 0;  // kOption... bits
  int32_t startLine = 0;       // counted from 0; -1 shows the end of the file
  // -h or --help: the caller opens the help topic. Set also when a later token fails,
  // since the help opens as soon as its option is read, before any error is shown.
  bool helpRequested = false;

  // The TextEncoding request for the path: 0, 1, 2, -3, -4, -5, 9, or -1 to detect.
  int32_t RequestedEncoding() const;
};

struct CommandLineResult {
  bool ok = false;
  CommandLineRequest request;  // valid when ok; on failure only helpRequested counts
  std::u16string errorText;    // when not ok: the message for a box titled "Vemora"
};

enum class TokenMode { kWord, kPath };

struct Token {
  bool found = false;  // false at the end of the text
  std::u16string text;
  size_t next = 0;  // where the next token is looked for
};

// The token at or after `position`. A token beginning with "-" is always read as a word.
// Double quotes toggle quoting and are dropped. Words end at an unquoted space or tab;
// paths keep inner spaces and end before an unquoted "-" that follows a space.
Token NextToken(std::u16string_view text, size_t position, TokenMode mode);

// Parses the whole command line, the program's own path first.
CommandLineResult ParseCommandLine(std::u16string_view commandLine);

}  // namespace vemora
