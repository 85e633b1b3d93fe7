// Builds the key table the keyboard writes: each mapped UI key's assignment at its device
// position, macro keys renumbered to their place in the macro store, and key lists padded
// to every UI slot with the slot's own default.
#pragma once

#include "KeyboardKeyMaps.h"

#include "KeyAssignment.h"

#include <cstdint>
#include <span>
#include <vector>

namespace vpc::devices::keyboard {

// A copy of list with exactly kUiKeyCount entries: entry i keeps slot i; missing entries are
// the slot's `KeyCodeTable` code as both current and default assignment; extra ones go.
std::vector<data::KeyEntry> PadKeyList(const std::vector<data::KeyEntry>& list);

struct KeyTableImage {
    std::vector<std::uint8_t> bytes; // keyCount x 3
    std::vector<int> macroOrder;     // macro indexes in store order
};

// Starts from the table read at connection (keyCount x 3 bytes; positions no UI slot maps to
// keep their codes). For each UI slot i from 0 to 169 with a position: a macro key whose
// macro index is below macroCount gets the macro's place in macroOrder (appended on first
// use); one whose index is not is reset to its default half; then its three bytes go to its
// position.
KeyTableImage BuildKeyTableImage(std::span<const std::uint8_t> readTable, int keyCount,
                                 const KeyboardKeyMaps& maps,
                                 const std::vector<data::KeyEntry>& keys, int macroCount);

// The same for any device: positions[i] is UI slot i's device position (kNoEntry for none)
// and keys holds one entry per slot, already padded.
KeyTableImage BuildKeyTableImage(std::span<const std::uint8_t> readTable, int keyCount,
                                 std::span<const std::uint8_t> positions,
                                 const std::vector<data::KeyEntry>& keys, int macroCount);
std::vector<int> UsedMacros(std::span<const std::uint8_t> positions,
                            const std::vector<data::KeyEntry>& keys, int macroCount);

// `GetUsedMacros`: distinct macro indexes below macroCount of macro keys with a position,
// in order of first use.
std::vector<int> UsedMacros(const KeyboardKeyMaps& maps, const std::vector<data::KeyEntry>& keys,
                            int macroCount);

// `ValidateMacroKeys`: macro keys whose index is macroCount or more get their default half.
// True when an entry changed.
bool ResetStaleMacroKeys(std::vector<data::KeyEntry>& keys, int macroCount);

} // namespace vpc::devices::keyboard
