// Which key sits at each device position (the factory codes, which the key download overwrites
// on the device): from a table remembered per device, a known product's layout or a fresh read.
#pragma once

#include "KeyboardTables.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace vpc::devices::keyboard {

enum class KeyIdentitySource {
    Remembered,    // the table remembered from an earlier connection of this device
    FactoryLayout, // the fixed layout of a known product
    DeviceTable,   // the codes the device reports now
};
const char* ToString(KeyIdentitySource source);

struct KeyIdentity {
    KeyIdentitySource source = KeyIdentitySource::DeviceTable;
    // keyCount x 3 bytes: the factory code (type, code1, code2) of the key at each position.
    std::vector<std::uint8_t> codes;
    // True when the codes are known to name the keys, so that they may be remembered; false
    // for a device table that looks remapped (it is still used, as nothing better is known).
    bool trusted = false;
};

// The factory codes by position of the 21-key keypad (vendor 0x320F, product 0x5055 on the
// cable and 0x5088 through the receiver) when keyCount is its key count; empty otherwise.
std::vector<std::uint8_t> FactoryKeyCodes(std::uint16_t vendorId, std::uint16_t productId,
                                          int keyCount);

// True when the first keyCount codes read as a factory table: every code is a UI slot's
// `KeyCodeTable` code or blank (00 00 00, 20 00 00), at least one is not blank, and no
// code but the blanks appears twice. A key table holding remapped keys usually fails this.
bool LooksLikeFactoryCodes(std::span<const std::uint8_t> codes, int keyCount);

// A remembered table that fits keyCount and looks like factory codes first, then the known
// product's factory layout, then the device's own table (trusted only when it looks like
// factory codes).
KeyIdentity ChooseKeyIdentity(const std::optional<std::vector<std::uint8_t>>& remembered,
                              const std::vector<std::uint8_t>& factoryLayout,
                              std::span<const std::uint8_t> deviceTable, int keyCount);

// The remembered table in the device's user folder ("key_positions.config", JSON of
// `KeyCount` and `KeyCodes`, one integer type x 65536 + code1 x 256 + code2 per position).
class KeyPositionMemo {
public:
    static constexpr const char* kFileName = "key_positions.config";

    explicit KeyPositionMemo(std::filesystem::path folder) : m_folder(std::move(folder)) {}

    std::filesystem::path Path() const {
        return m_folder.empty() ? m_folder : m_folder / kFileName;
    }
    // The remembered codes when the file holds a table for exactly keyCount positions that
    // looks like factory codes; nothing for a missing, unreadable or damaged file.
    std::optional<std::vector<std::uint8_t>> Load(int keyCount) const;
    // Writes the table atomically; refuses (false) a table that does not look like factory
    // codes, a key count outside 1..170 and a missing folder.
    bool Save(std::span<const std::uint8_t> codes, int keyCount) const;

private:
    std::filesystem::path m_folder;
};

} // namespace vpc::devices::keyboard
