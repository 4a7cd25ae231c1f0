// What the key settings page needs beyond the key table's edits: the copy of the table it
// restores on cancel, and which command name shows what a key is bound to.
#pragma once

#include <cstdint>
#include <vector>

#include "core/keys/key_binding.h"
#include "core/settings/settings_model.h"

namespace vemora {

// The key table as it was when the page opened: entries, count and capacity.
struct KeyTableCopy {
  std::vector<KeyBinding> entries;
  int32_t count = 0;
  int32_t capacity = 0;
};

KeyTableCopy CopyKeyTable(const AppOptions& options);
// Puts the copy back, dropping the table that was changed since.
void RestoreKeyTable(AppOptions& options, KeyTableCopy copy);

// The index in CommandNameTable of the command the key-list entry is bound to with these
// modifiers; 0 ("(なし)") for no key, no binding, or a command without a name on the page.
int BoundCommandNameIndex(const AppOptions& options, int keyIndex, bool shift, bool control,
                          bool alt);

}  // namespace vemora
