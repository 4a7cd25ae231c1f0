// The file services built on the system's OpenFile and FileSize: the existence test and
// the whole-file read that the Win32 and POSIX loading services and vemorainfo share, and
// the rule for the names Windows keeps for devices.
#include <string>

#include "core/platform/document_io.h"
#include "core/platform/files.h"

namespace vemora {
namespace {

constexpr int64_t kSmallestMappedFile = 1 << 20;

}  // namespace

bool IsReservedDeviceName(std::u16string_view path) {
  std::u16string_view name = path.substr(path.find_last_of(u"\\/") + 1);
  // "C:aux" names aux in the drive's current folder.
  if (name.size() >= 2 && name[1] == u':') name.remove_prefix(2);
  // The device name ends at the first dot or colon; spaces before that do not count.
  name = name.substr(0, name.find_first_of(u".:"));
  while (!name.empty() && name.back() == u' ') name.remove_suffix(1);
  std::u16string upper(name);
  for (char16_t& unit : upper)
    if (unit >= u'a' && unit <= u'z') unit = static_cast<char16_t>(unit - 0x20);
  if (upper == u"CON" || upper == u"PRN" || upper == u"AUX" || upper == u"NUL" ||
      upper == u"CONIN$" || upper == u"CONOUT$")
    return true;
  // COM1 to COM9 and LPT1 to LPT9; Windows takes superscript one to three as digits too.
  if (upper.size() != 4 || !(upper.starts_with(u"COM") || upper.starts_with(u"LPT"))) return false;
  const char16_t digit = upper[3];
  return (digit >= u'1' && digit <= u'9') || digit == u'\u00B9' || digit == u'\u00B2' ||
         digit == u'\u00B3';
}

bool FileReadable(std::u16string_view path) {
  std::FILE* file = OpenFile(path, "rb");
  if (!file) return false;
  std::fclose(file);
  return true;
}

FileReadStatus ReadFileBytes(std::u16string_view path, FileBytes& bytes, int64_t* size) {
  if (size) *size = -1;
  std::FILE* file = OpenFile(path, "rb");
  if (!file) return FileReadStatus::kCannotOpen;
  const int64_t length = FileSize(file);
  if (size) *size = length;
  if (length < 0) {
    std::fclose(file);
    return FileReadStatus::kCannotOpen;
  }
  // A large file is read through its mapped pages: copying it into fresh memory first
  // would cost a page fault and a copy per page for bytes that are read once.
  if (length >= kSmallestMappedFile) {
    if (std::unique_ptr<MappedFile> view = MapFile(file, length)) {
      std::fclose(file);
      bytes = FileBytes::Map(std::move(view), length);
      return FileReadStatus::kComplete;
    }
  }
  bytes = FileBytes::Allocate(length);
  const size_t read = std::fread(bytes.data(), 1, static_cast<size_t>(length), file);
  std::fclose(file);
  return read == static_cast<size_t>(length) ? FileReadStatus::kComplete : FileReadStatus::kShortRead;
}

}  // namespace vemora
