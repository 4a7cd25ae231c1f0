// The user's key table: the three built-in presets and the edits the key page makes.
#pragma once

#include <cstdint>
#include <span>

#include "core/keys/key_binding.h"
#include "core/settings/settings_model.h"

namespace vemora {

inline constexpr int kKeyPresetCount = 3;
// Names of the presets, by preset number.
inline constexpr const char16_t* kKeyPresetNames[kKeyPresetCount] = {
    u"Windows式キー操作", u"Less式キー操作", u"DOS式キー操作"};

// A preset's entries: 1 the second, 2 the third, any other number the first.
std::span<const KeyBinding> KeyPreset(int preset);

// The flags of a binding the program makes for a key of this kind and modifiers.
uint8_t KeyBindingFlags(bool isVirtual, bool shift, bool control, bool alt);

// The index of the first entry of the options' key table with exactly these flags and
// this key, or -1. The first of two equal entries is the one in effect.
int FindKeyBinding(const AppOptions& options, uint16_t code, bool shift, bool control, bool alt,
                   bool isVirtual);

// Binds the key-list entry (-1 for none) with the modifiers to the command; command 0
// removes the binding. A full table grows by 10 entries.
void AssignKey(AppOptions& options, int keyIndex, bool shift, bool control, bool alt,
               uint16_t command);

// Replaces the key table with a copy of the preset; the capacity equals the count.
void LoadKeyPreset(AppOptions& options, int preset);

// Replaces the key table with the given entries (as loaded); the capacity equals the count.
void SetKeyTable(AppOptions& options, std::span<const KeyBinding> entries);

}  // namespace vemora
