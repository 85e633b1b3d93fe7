// A typed view of the simulated keypad's memories as its firmware keeps them: key codes and
// LED numbers by position, the onboard records and their active slot byte, the colour banks,
// and the device-side requests (sync notifications, a slot switched on the keypad).
#pragma once

#include "CSimDevice.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vpc::sim {

// Positions of the keypad's keys in its key table (factory order).
enum class KeypadKey : std::uint8_t {
    Esc = 0,
    Fn,
    Backspace,
    NumLock,
    Divide,
    Multiply,
    Minus,
    Pad7,
    Pad8,
    Pad9,
    Plus,
    Pad4,
    Pad5,
    Pad6,
    Pad1,
    Pad2,
    Pad3,
    Pad0,
    Dot,
    Enter,
    Spare,
};

class SimKeypadMemory {
public:
    static constexpr std::size_t kRecordSize = 64;
    static constexpr std::uint16_t kSyncReread = 1025;
    static constexpr std::uint16_t kSyncRereadReselect = 1026;
    using KeyCode = std::array<std::uint8_t, 3>;
    using Record = std::array<std::uint8_t, kRecordSize>;

    explicit SimKeypadMemory(CSimDevice& device) : m_device(device) {}

    // Information block byte 5 and byte 6.
    std::uint8_t KeyCount() const;
    std::uint8_t MacroUnits() const;

    KeyCode KeyAt(std::size_t position) const;
    KeyCode KeyAt(KeypadKey key) const { return KeyAt(static_cast<std::size_t>(key)); }
    void SetKeyAt(std::size_t position, const KeyCode& code);
    // The first of the first KeyCount() positions holding the code.
    std::optional<std::size_t> PositionOf(const KeyCode& code) const;
    std::uint8_t LedAt(std::size_t position) const;

    // Parameter byte 0 and the record of a slot (slot x 64).
    std::uint8_t ActiveSlot() const;
    Record OnboardRecord(std::uint8_t slot) const;
    void SetOnboardRecord(std::uint8_t slot, const Record& record);
    // Lighting mode (byte 1) of a slot's record.
    void SetRecordMode(std::uint8_t slot, std::uint8_t mode);

    // length bytes of colour memory at bank x stride.
    std::vector<std::uint8_t> ColourBank(std::uint32_t bank, std::uint32_t stride,
                                         std::size_t length) const;

    // The keypad asks the host to read it again (1025) or to reselect its profile too (1026).
    void RequestSync(bool reselectProfile);
    // The user switched the onboard slot on the keypad: byte 0 changes and 0x10nn is sent;
    // with fromFnLayer the code is 0x11nn instead.
    void SwitchSlotOnDevice(std::uint8_t slot, bool fromFnLayer = false);

private:
    CSimDevice& m_device;
};

} // namespace vpc::sim
