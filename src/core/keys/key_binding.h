// One key assignment: the same six bytes in memory, in the stored key table and in the
// platform's accelerator entry.
#pragma once

#include <cstdint>

namespace vemora {

inline constexpr uint8_t kKeyVirtual = 0x01;   // key is a virtual-key code, else a character
inline constexpr uint8_t kKeyNoInvert = 0x02;  // always set
inline constexpr uint8_t kKeyShift = 0x04;
inline constexpr uint8_t kKeyControl = 0x08;
inline constexpr uint8_t kKeyAlt = 0x10;

struct KeyBinding {
  uint8_t flags = 0;
  uint8_t reserved = 0;
  uint16_t key = 0;      // virtual-key code or UTF-16 character
  uint16_t command = 0;  // CommandId

  friend bool operator==(const KeyBinding&, const KeyBinding&) = default;
};
static_assert(sizeof(KeyBinding) == 6, "KeyBinding must match the six-byte accelerator entry");

}  // namespace vemora
