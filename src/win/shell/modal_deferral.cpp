// The main window is disabled exactly while a dialog or message box it owns runs its modal
// loop (the system does that for every owned modal window, the file dialogs included), so
// its state is the one place that tells whether a command is waiting on a modal loop.
#include "win/shell/modal_deferral.h"

#include <algorithm>
#include <vector>

namespace vemora {
namespace {

struct Deferred {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Deferred&) const = default;
};

std::vector<Deferred> gDeferred;

}  // namespace

bool DeferWhileModal(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsWindowEnabled(window)) return false;
  const Deferred deferred{message, wParam, lParam};
  if (std::find(gDeferred.begin(), gDeferred.end(), deferred) == gDeferred.end())
    gDeferred.push_back(deferred);
  return true;
}

void OnMainWindowEnabled(HWND window, bool enabled) {
  if (!enabled) return;
  std::vector<Deferred> waiting;
  waiting.swap(gDeferred);
  for (const Deferred& deferred : waiting)
    PostMessageW(window, deferred.message, deferred.wParam, deferred.lParam);
}

size_t DeferredMessageCount() {
  return gDeferred.size();
}

}  // namespace vemora
