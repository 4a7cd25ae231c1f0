// Shell-link resolution through the shell's link object, for files named *.lnk.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "core/platform/file_names.h"
#include "core/platform/files.h"
#include "win/platform/shell_paths.h"
#include "win/platform/text_conversion.h"

namespace vemora::win {
namespace {

// Releases a COM interface when it goes out of scope.
template <typename Interface>
struct ComReference {
  Interface* pointer = nullptr;
  ~ComReference() {
    if (pointer) pointer->Release();
  }
};

}  // namespace

namespace {

// Only a regular file on disk named *.lnk is given to the link object: handed a device
// name (COM1, aux.txt) it would read the device and wait for ever.
bool MayBeShortcut(std::u16string_view path) {
  constexpr std::u16string_view kExtension = u".lnk";
  if (path.size() <= kExtension.size() || IsReservedDeviceName(path)) return false;
  if (!FileNamesEqual(path.substr(path.size() - kExtension.size()), kExtension)) return false;
  const DWORD attributes = GetFileAttributesW(ToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

}  // namespace

void ResolveShortcut(std::u16string& path, void* ownerWindow) {
  if (!MayBeShortcut(path)) return;
  ComReference<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link.pointer))))
    return;
  ComReference<IPersistFile> file;
  if (FAILED(link.pointer->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.pointer))))
    return;
  const std::wstring widePath = ToWide(path);
  if (FAILED(file.pointer->Load(widePath.c_str(), STGM_READ))) return;
  if (FAILED(link.pointer->Resolve(static_cast<HWND>(ownerWindow), SLR_ANY_MATCH))) return;
  wchar_t target[MAX_PATH] = {};
  if (FAILED(link.pointer->GetPath(target, MAX_PATH, nullptr, 0))) return;
  // A link without a file-system target (a printer, a control panel item) yields nothing
  // to load; the link file itself stays the path then.
  if (target[0] == 0) return;
  path = AsUtf16(target);
}

}  // namespace vemora::win
