// Memory exhaustion natively: the message goes to standard error.
#include "core/platform/out_of_memory.h"

#include <cstdio>
#include <cstdlib>
#include <new>

namespace vemora {

void ReportOutOfMemory() {
  std::fputs("メモリが確保できません。強制終了します。\n", stderr);
  std::_Exit(1);
}

void InstallOutOfMemoryHandler() {
  std::set_new_handler([] { OnAllocationFailure(); });
}

}  // namespace vemora
