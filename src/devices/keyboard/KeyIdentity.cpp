#include "KeyIdentity.h"

#include "DeviceLog.h"

#include "JsonAccess.h"
#include "JsonFile.h"

#include <algorithm>
#include <array>

namespace vpc::devices::keyboard {

namespace {

constexpr std::uint16_t kKeypadVendorId = 0x320F;
constexpr std::uint16_t kKeypadCableProductId = 0x5055;
constexpr std::uint16_t kKeypadReceiverProductId = 0x5088;
constexpr std::uint32_t kLargestCode = 0xFFFFFF;

// The keypad's UI key slots by device position, in its key matrix's column order (Esc, Fn,
// Backspace; Num Lock, /, *, -; 7, 8, 9, +; 4, 5, 6; 1, 2, 3; 0, ., Enter), then one unused
// position (kUiKeyCount: a blank code).
constexpr std::array<std::uint8_t, 21> kKeypadSlotsByPosition = {
    0, 110, 34, 38, 39, 40, 41, 59, 60, 61, 119, 76, 77, 78, 97, 98, 99, 116, 117, 118, 170};

constexpr data::KeyAssignment kBlankKey{data::assignment_type::kKeyboard, 0, 0};

data::KeyAssignment CodeAt(std::span<const std::uint8_t> codes, std::size_t position) {
    return {codes[position * 3], codes[position * 3 + 1], codes[position * 3 + 2]};
}

bool IsBlank(const data::KeyAssignment& code) {
    return code == kBlankKey || code == data::KeyAssignment{};
}

bool IsSlotCode(const data::KeyAssignment& code) {
    const auto& table = KeyCodeTable();
    return std::find(table.begin(), table.end(), code) != table.end();
}

bool FitsKeyCount(std::span<const std::uint8_t> codes, int keyCount) {
    return keyCount >= 1 && keyCount <= kMaxDeviceKeys &&
           codes.size() >= static_cast<std::size_t>(keyCount) * 3;
}

} // namespace

const char* ToString(KeyIdentitySource source) {
    switch (source) {
    case KeyIdentitySource::Remembered:
        return "remembered table";
    case KeyIdentitySource::FactoryLayout:
        return "factory layout";
    case KeyIdentitySource::DeviceTable:
        return "device key table";
    }
    return "?";
}

std::vector<std::uint8_t> FactoryKeyCodes(std::uint16_t vendorId, std::uint16_t productId,
                                          int keyCount) {
    const bool keypad = vendorId == kKeypadVendorId && (productId == kKeypadCableProductId ||
                                                        productId == kKeypadReceiverProductId);
    if (!keypad || keyCount != static_cast<int>(kKeypadSlotsByPosition.size()))
        return {};
    std::vector<std::uint8_t> codes;
    codes.reserve(kKeypadSlotsByPosition.size() * 3);
    for (const std::uint8_t slot : kKeypadSlotsByPosition) {
        const data::KeyAssignment code = slot < kUiKeyCount ? KeyCodeTable()[slot] : kBlankKey;
        codes.insert(codes.end(), {code.type, code.code1, code.code2});
    }
    return codes;
}

bool LooksLikeFactoryCodes(std::span<const std::uint8_t> codes, int keyCount) {
    if (!FitsKeyCount(codes, keyCount))
        return false;
    const auto n = static_cast<std::size_t>(keyCount);
    bool namesAKey = false;
    for (std::size_t k = 0; k < n; ++k) {
        const data::KeyAssignment code = CodeAt(codes, k);
        if (IsBlank(code))
            continue;
        if (!IsSlotCode(code))
            return false;
        for (std::size_t other = 0; other < k; ++other)
            if (CodeAt(codes, other) == code)
                return false;
        namesAKey = true;
    }
    return namesAKey;
}

KeyIdentity ChooseKeyIdentity(const std::optional<std::vector<std::uint8_t>>& remembered,
                              const std::vector<std::uint8_t>& factoryLayout,
                              std::span<const std::uint8_t> deviceTable, int keyCount) {
    KeyIdentity identity;
    if (!FitsKeyCount(deviceTable, keyCount))
        return identity;
    const auto length = static_cast<std::size_t>(keyCount) * 3;
    const auto take = [&](KeyIdentitySource source, std::span<const std::uint8_t> codes,
                          bool trusted) {
        identity.source = source;
        identity.codes.assign(codes.begin(), codes.begin() + static_cast<std::ptrdiff_t>(length));
        identity.trusted = trusted;
        return identity;
    };
    if (remembered && remembered->size() == length && LooksLikeFactoryCodes(*remembered, keyCount))
        return take(KeyIdentitySource::Remembered, *remembered, true);
    if (factoryLayout.size() == length)
        return take(KeyIdentitySource::FactoryLayout, factoryLayout, true);
    return take(KeyIdentitySource::DeviceTable, deviceTable,
                LooksLikeFactoryCodes(deviceTable, keyCount));
}

std::optional<std::vector<std::uint8_t>> KeyPositionMemo::Load(int keyCount) const {
    namespace json = data::json;
    if (m_folder.empty())
        return std::nullopt;
    const data::JsonReadResult read = data::ReadJsonFileEx(Path());
    if (read.status == data::FileReadStatus::Missing)
        return std::nullopt;
    const auto ignore = [&](const char* why) -> std::optional<std::vector<std::uint8_t>> {
        qCWarning(lcVpcDevices, "keyboard: remembered key positions in %s ignored (%s)",
                  Path().c_str(), why);
        return std::nullopt;
    };
    if (!read.ok())
        return ignore(data::ToString(read.status));
    const Json::Value& count = json::Member(read.value, "KeyCount");
    const Json::Value& list = json::Member(read.value, "KeyCodes");
    if (!count.isInt64() || count.asInt64() != keyCount || !list.isArray() ||
        list.size() != static_cast<Json::ArrayIndex>(keyCount))
        return ignore("made for another key count");
    std::vector<std::uint8_t> codes;
    codes.reserve(list.size() * 3);
    for (const Json::Value& entry : list) {
        if (!entry.isInt64() || entry.asInt64() < 0 || entry.asInt64() > kLargestCode)
            return ignore("a code is not a key code");
        const auto code =
            data::KeyAssignment::FromCode(static_cast<std::uint32_t>(entry.asInt64()));
        codes.insert(codes.end(), {code.type, code.code1, code.code2});
    }
    if (!LooksLikeFactoryCodes(codes, keyCount))
        return ignore("the codes do not name the keys");
    return codes;
}

bool KeyPositionMemo::Save(std::span<const std::uint8_t> codes, int keyCount) const {
    if (m_folder.empty() || !LooksLikeFactoryCodes(codes, keyCount))
        return false;
    Json::Value file(Json::objectValue);
    file["KeyCount"] = keyCount;
    Json::Value& list = file["KeyCodes"] = Json::Value(Json::arrayValue);
    for (std::size_t k = 0; k < static_cast<std::size_t>(keyCount); ++k)
        list.append(CodeAt(codes, k).ToCode());
    std::error_code ec;
    std::filesystem::create_directories(m_folder, ec);
    return data::WriteJsonFile(Path(), file);
}

} // namespace vpc::devices::keyboard
