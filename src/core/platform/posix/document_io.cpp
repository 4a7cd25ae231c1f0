// Loading services on POSIX systems: absolute, canonical paths (there are no shell links
// to resolve), whole-file reads with 64-bit sizes, and standard input as file descriptor 0.
#include "core/platform/document_io.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "core/platform/files.h"
#include "core/text/utf8.h"

namespace vemora {
namespace {

// Joins the path to the working directory and folds ".", ".." and repeated slashes, so a
// path to a file that does not exist is still absolute and tidy.
std::string LexicallyAbsolute(const std::string& path) {
  std::string joined = path;
  if (joined.empty() || joined[0] != '/') {
    std::vector<char> directory(PATH_MAX);
    if (getcwd(directory.data(), directory.size())) joined = std::string(directory.data()) + "/" + path;
  }
  std::vector<std::string> parts;
  size_t at = 0;
  while (at <= joined.size()) {
    size_t slash = joined.find('/', at);
    if (slash == std::string::npos) slash = joined.size();
    const std::string part = joined.substr(at, slash - at);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    at = slash + 1;
  }
  std::string result;
  for (const std::string& part : parts) result += "/" + part;
  return result.empty() ? "/" : result;
}

class PosixDocumentIo final : public DocumentIo {
 public:
  void ResolveShortcut(std::u16string&, void*) override {}

  void NormalizePath(std::u16string& path) override {
    const std::string absolute = LexicallyAbsolute(Utf16ToUtf8(path));
    if (char* resolved = realpath(absolute.c_str(), nullptr)) {
      path = Utf8ToUtf16(resolved);
      std::free(resolved);
    } else {
      path = Utf8ToUtf16(absolute);
    }
  }

  FileReadStatus ReadWholeFile(std::u16string_view path, FileBytes& bytes) override {
    return ReadFileBytes(path, bytes);
  }

  int32_t ReadStandardInputPiece(uint8_t* buffer, int32_t capacity) override {
    ssize_t received;
    do {
      received = read(STDIN_FILENO, buffer, static_cast<size_t>(capacity));
    } while (received < 0 && errno == EINTR);
    return received > 0 ? static_cast<int32_t>(received) : 0;
  }
};

}  // namespace

DocumentIo& SystemDocumentIo() {
  static PosixDocumentIo io;
  return io;
}

}  // namespace vemora
