// The key settings page's copy of the key table and its view of a key's binding.
#include "core/keys/key_page.h"

#include <utility>

#include "core/keys/commands.h"
#include "core/keys/key_table.h"

namespace vemora {

KeyTableCopy CopyKeyTable(const AppOptions& options) {
  KeyTableCopy copy;
  copy.entries = options.KeyTable;
  copy.count = options.Keys;
  copy.capacity = options.keyTableCapacity;
  return copy;
}

void RestoreKeyTable(AppOptions& options, KeyTableCopy copy) {
  options.KeyTable = std::move(copy.entries);
  options.Keys = copy.count;
  options.keyTableCapacity = copy.capacity;
}

int BoundCommandNameIndex(const AppOptions& options, int keyIndex, bool shift, bool control,
                          bool alt) {
  const KeyCode key = KeyCodeFor(keyIndex, shift);
  if (key.code == 0) return 0;
  const int found = FindKeyBinding(options, key.code, shift, control, alt, key.isVirtual);
  if (found < 0) return 0;
  return CommandNameIndex(options.KeyTable[static_cast<size_t>(found)].command);
}

}  // namespace vemora
