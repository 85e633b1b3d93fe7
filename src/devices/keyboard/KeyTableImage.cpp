#include "KeyTableImage.h"

#include <algorithm>

namespace vpc::devices::keyboard {

std::vector<data::KeyEntry> PadKeyList(const std::vector<data::KeyEntry>& list) {
    std::vector<data::KeyEntry> padded;
    padded.reserve(kUiKeyCount);
    const auto& codes = KeyCodeTable();
    for (std::size_t i = 0; i < kUiKeyCount; ++i) {
        const auto slot = static_cast<std::uint16_t>(i);
        if (i < list.size()) {
            data::KeyEntry entry = list[i];
            entry.current.slot = slot;
            entry.defaults.slot = slot;
            padded.push_back(entry);
        } else {
            padded.push_back(data::KeyEntry::Make(slot, codes[i], codes[i]));
        }
    }
    return padded;
}

namespace {

void ResetToDefault(data::KeyEntry& entry) {
    entry.current.assignment = entry.defaults.assignment;
    entry.current.spare = entry.defaults.spare;
}

} // namespace

KeyTableImage BuildKeyTableImage(std::span<const std::uint8_t> readTable, int keyCount,
                                 const KeyboardKeyMaps& maps,
                                 const std::vector<data::KeyEntry>& keys, int macroCount) {
    return BuildKeyTableImage(readTable, keyCount, maps.position, PadKeyList(keys), macroCount);
}

KeyTableImage BuildKeyTableImage(std::span<const std::uint8_t> readTable, int keyCount,
                                 std::span<const std::uint8_t> positions,
                                 const std::vector<data::KeyEntry>& list, int macroCount) {
    KeyTableImage image;
    if (keyCount < 1 || keyCount > kMaxDeviceKeys)
        return image;
    const auto n = static_cast<std::size_t>(keyCount);
    image.bytes.assign(n * 3, 0);
    std::copy_n(readTable.begin(), std::min(readTable.size(), n * 3), image.bytes.begin());
    for (std::size_t i = 0; i < positions.size() && i < list.size(); ++i) {
        const std::uint8_t p = positions[i];
        if (p == kNoEntry || p >= n)
            continue;
        data::KeyEntry e = list[i];
        if (e.IsMacro()) {
            const int macro = e.current.assignment.code1;
            if (macro < macroCount) {
                auto it = std::find(image.macroOrder.begin(), image.macroOrder.end(), macro);
                if (it == image.macroOrder.end())
                    it = image.macroOrder.insert(image.macroOrder.end(), macro);
                e.current.assignment.code1 =
                    static_cast<std::uint8_t>(it - image.macroOrder.begin());
            } else {
                ResetToDefault(e);
            }
        }
        image.bytes[p * 3u] = e.current.assignment.type;
        image.bytes[p * 3u + 1] = e.current.assignment.code1;
        image.bytes[p * 3u + 2] = e.current.assignment.code2;
    }
    return image;
}

std::vector<int> UsedMacros(const KeyboardKeyMaps& maps, const std::vector<data::KeyEntry>& keys,
                            int macroCount) {
    return UsedMacros(maps.position, keys, macroCount);
}

std::vector<int> UsedMacros(std::span<const std::uint8_t> positions,
                            const std::vector<data::KeyEntry>& keys, int macroCount) {
    std::vector<int> used;
    const std::size_t count = std::min(keys.size(), positions.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (positions[i] == kNoEntry || !keys[i].IsMacro())
            continue;
        const int macro = keys[i].current.assignment.code1;
        if (macro < macroCount && std::find(used.begin(), used.end(), macro) == used.end())
            used.push_back(macro);
    }
    return used;
}

bool ResetStaleMacroKeys(std::vector<data::KeyEntry>& keys, int macroCount) {
    bool changed = false;
    for (data::KeyEntry& e : keys) {
        if (e.IsMacro() && e.current.assignment.code1 >= macroCount) {
            ResetToDefault(e);
            changed = true;
        }
    }
    return changed;
}

} // namespace vpc::devices::keyboard
