// Shell-link resolution through the shell's link object.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

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

void ResolveShortcut(std::u16string& path, void* ownerWindow) {
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
