// Memory exhaustion on Windows: a message box titled "Vemora" with the error icon, then
// exit code 1.
#include "core/platform/out_of_memory.h"

#include <windows.h>

#include <new>

#include "win/platform/text_conversion.h"

namespace vemora {

void ReportOutOfMemory() {
  MessageBoxW(nullptr, AsWide(kOutOfMemoryMessage), AsWide(kProgramTitle), MB_OK | MB_ICONERROR);
  ExitProcess(1);
}

void InstallOutOfMemoryHandler() {
  std::set_new_handler([] { OnAllocationFailure(); });
}

}  // namespace vemora
