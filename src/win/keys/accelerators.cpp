// A KeyBinding is laid out exactly like the platform's ACCEL, so the key table is handed
// to CreateAcceleratorTableW as it is.
#include "win/keys/accelerators.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>

#include "core/keys/key_binding.h"
#include "win/keys/history_menu.h"
#include "win/keys/menu_states.h"
#include "win/shell/app_state.h"

namespace vemora {

static_assert(sizeof(ACCEL) == sizeof(KeyBinding));
static_assert(offsetof(ACCEL, fVirt) == offsetof(KeyBinding, flags));
static_assert(offsetof(ACCEL, key) == offsetof(KeyBinding, key));
static_assert(offsetof(ACCEL, cmd) == offsetof(KeyBinding, command));

void BuildAccelerators() {
  BuildHistoryMenu(ReadHistoryMenu(), gOptions.HistNum);
  UpdateMenuStates();
  DestroyAccelerators();
  const int count = std::min<int>(gOptions.Keys, static_cast<int>(gOptions.KeyTable.size()));
  if (count > 0)
    gShell.accelerators =
        CreateAcceleratorTableW(reinterpret_cast<ACCEL*>(gOptions.KeyTable.data()), count);
}

void DestroyAccelerators() {
  if (gShell.accelerators) DestroyAcceleratorTable(gShell.accelerators);
  gShell.accelerators = nullptr;
}

}  // namespace vemora
