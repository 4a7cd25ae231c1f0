// vemorainfo: reports what the viewer would make of files (encoding, line ends, display
// lines, search hits) or writes their decoded text as UTF-8, for users' scripts, tests and
// benchmarks.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/info_convert.h"
#include "cli/info_options.h"
#include "cli/info_phases.h"
#include "cli/info_filter.h"
#include "cli/info_layout_search.h"
#include "core/platform/files.h"
#include "core/platform/out_of_memory.h"
#include "core/text/utf8.h"
#include "core/version.h"

namespace vemora {
namespace {

constexpr int kExitUnreadable = 2;
constexpr int kExitUsage = 2;
constexpr int kExitUnconvertible = 1;
constexpr int kExitNothingKept = 1;  // as grep's when no line is selected

// Set when --to met a character the target encoding cannot hold.
bool someUnconvertible = false;
// Set when --filter kept a line of some file.
bool someKept = false;

// One file through the phases; false when it could not be read.
bool ProcessFile(const InfoOptions& options, const std::u16string& path, PhaseTimer& timer) {
  InfoFile file;
  file.path = path;
  std::string error;
  const uint64_t pagesLost = MappedPagesLost();
  if (!ReadPhase(file, timer, error)) {
    WriteError(error);
    return false;
  }
  DetectPhase(file, options.EncodingRequest(), timer);
  DecodePhase(file, timer);
  if (MappedPagesLost() != pagesLost) {
    WriteError(Utf16ToUtf8(path) + ": cut short by another program while it was read");
    return false;
  }
  if (options.filter) return FilterPhases(file, options, timer, someKept);
  if (options.toEncoding >= 0) {
    someUnconvertible |= !WriteConvertedPhase(file, options, timer);
    return true;
  }
  if (options.lines || options.count) return LayoutAndSearchPhases(file, options, timer);
  if (options.text) {
    OverstrikePhase(file, timer);
    WriteTextPhase(file, timer);
  } else {
    LineEndPhase(file, timer);
    WriteSummaryPhase(file, timer);
  }
  return true;
}

int RunInfo(const std::vector<std::u16string>& arguments) {
  InstallOutOfMemoryHandler();
  PrepareStandardOutput();
  InfoOptions options;
  std::string error;
  if (!ParseInfoOptions(arguments, options, error)) {
    WriteError(error);
    WriteError(kInfoUsage);
    return kExitUsage;
  }
  if (options.version) {
    std::fputs("vemorainfo " VEMORA_VERSION_TEXT "\n", stdout);
    std::fflush(stdout);
    return 0;
  }
  PhaseTimer timer(options.timing);
  bool allRead = true;
  for (const std::u16string& path : options.paths) allRead &= ProcessFile(options, path, timer);
  // A full disk or a closed pipe must not pass for a finished conversion or listing.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    WriteError("the output could not be written");
    return kExitUnreadable;
  }
  if (!allRead) return kExitUnreadable;
  if (options.filter && !someKept) return kExitNothingKept;
  return someUnconvertible ? kExitUnconvertible : 0;
}

}  // namespace
}  // namespace vemora

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<std::u16string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
  return vemora::RunInfo(arguments);
}
#else
#include "core/text/utf8.h"
int main(int argc, char** argv) {
  std::vector<std::u16string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(vemora::Utf8ToUtf16(argv[i]));
  return vemora::RunInfo(arguments);
}
#endif
