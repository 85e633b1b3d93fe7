// The keyboard device against the simulated keypad: reading it at connection into the page
// and the profile, writing keys, onboard settings and custom colours, the receiver with its
// 24-byte chunks, hostile information blocks, failed reads, device answers, sync codes, and
// key positions that survive a remap of the keys.
#include "KeypadFixture.h"

#include "KeyboardTables.h"
#include "MacroImage.h"
#include "MacroStore.h"

#include "JsonAccess.h"
#include "JsonFile.h"

#include <QAbstractButton>
#include <QThread>

namespace vpc::test {
namespace {

using devices::CCorvaneKeyboardDevice;
using devices::keyboard::KeyCodeTable;
using devices::keyboard::kKeypadKeyOrder;
using devices::keyboard::kNoEntry;
using sim::KeypadKey;
using sim::SimLink;
using Code = sim::SimKeypadMemory::KeyCode;

constexpr std::uint8_t kBegin = 0x01, kEnd = 0x02, kWriteParam = 0x06, kWriteKeys = 0x09,
                       kWriteColours = 0x0B;

// Lighting words as the lighting panel hands them over.
void SetLighting(CCorvaneKeyboardDevice& d, std::uint8_t mode, std::uint8_t brightness,
                 std::uint8_t speed, std::array<std::uint8_t, 3> rgb, std::uint8_t group = 0) {
    const std::uint32_t w0 = mode | (brightness << 8) | (speed << 16);
    const std::uint32_t w1 = 0u | (rgb[0] << 8) | (rgb[1] << 16) | (std::uint32_t{rgb[2]} << 24);
    d.SetLightInfo(w0, w1, 0, group);
}

Json::Value ProfileEntry(const QTemporaryDir& root) {
    const Json::Value file = data::ReadJsonFile(std::filesystem::path(root.path().toStdString()) /
                                                "keyboard" / "Default.Json");
    return data::json::Element(data::json::Member(file, "Device"), 0);
}

class KeyboardDeviceTest : public KeypadFixture {};

TEST_F(KeyboardDeviceTest, ConnectionReadsTheKeypadIntoThePageAndTheProfile) {
    memory->SetRecordMode(0, 6);
    keypad->PokeByte(sim::SimRegion::Param, 3, 1);  // speed 3
    keypad->PokeByte(sim::SimRegion::Param, 20, 0); // 6-key flag off
    keypad->PokeByte(sim::SimRegion::Param, 21, 1); // Win lock on
    Connect();
    ASSERT_TRUE(device->IsConfigValid());
    EXPECT_EQ(device->Config().keyCount, 21);
    const auto& maps = device->Config().maps;
    EXPECT_EQ(maps.position[0], 0);
    EXPECT_EQ(maps.led[0], memory->LedAt(0));
    EXPECT_EQ(maps.position[110], 1);
    EXPECT_EQ(maps.position[118], static_cast<std::uint8_t>(KeypadKey::Enter));

    // every key of the keypad has its button in the page, and a position and an LED
    int buttons = 0;
    for (std::uint8_t slot : kKeypadKeyOrder) {
        if (slot == 170)
            continue;
        ++buttons;
        EXPECT_NE(device->KeyButton(slot), nullptr) << int{slot};
        EXPECT_NE(device->LedButton(slot), nullptr) << int{slot};
        EXPECT_NE(maps.led[slot], kNoEntry) << int{slot};
    }
    EXPECT_EQ(buttons, 20);
    EXPECT_EQ(device->KeyButton(64), nullptr);

    EXPECT_EQ(device->OnboardIndex(), 0);
    EXPECT_EQ(device->GetLightInfo().selectItem, 6);
    EXPECT_EQ(device->GetLightInfo().speed, 3);
    EXPECT_EQ(device->GetLightInfo().light, 4);
    EXPECT_EQ(device->GetLightInfo().red, 0xFF);
    EXPECT_TRUE(device->IsLightThreadRunning());
    // the onboard record in the page
    EXPECT_FALSE(device->IsKey6FlagOn());
    EXPECT_TRUE(device->IsWinLockOn());
    EXPECT_FALSE(device->IsWFlagOn());
    QWidget* lightPanel = device->FindPageControl(QStringLiteral("LightControlItem"));
    ASSERT_NE(lightPanel, nullptr);
    EXPECT_EQ(lightPanel->property("lightMode").toInt(), 6);
    EXPECT_EQ(lightPanel->property("lightSpeed").toInt(), 3);

    const Json::Value entry = ProfileEntry(userRoot);
    ASSERT_TRUE(entry.isObject());
    EXPECT_EQ(entry["LightInfo"]["SelectItem"].asInt(), 6);
    EXPECT_EQ(entry["LightInfo"]["Speed"].asInt(), 3);
    EXPECT_EQ(entry["KeyList"].size(), 170u);
    EXPECT_EQ(entry["SystemStages"]["Key6Flag"].asInt(), 0);
    EXPECT_EQ(entry["SystemStages"]["WinFlag"].asInt(), 1);

    // connecting reads; it writes nothing
    EXPECT_EQ(WritesSeen(), 0u);
    EXPECT_FALSE(keypad->InSession());
    EXPECT_EQ(keypad->SessionViolations(), 0);
}

TEST_F(KeyboardDeviceTest, AChangedKeyAndModeReachTheKeypad) {
    Connect();
    device->SelectKey(0); // Esc
    const auto words = data::KeyEntry::Make(0, {0x20, 0x00, 0x04}, KeyCodeTable()[0]).ToWords();
    device->SetKeyAssignment(words[0], words[1], words[2]);
    keypad->ClearPacketLog();
    EXPECT_EQ(device->DownloadCurrentKeyAssignments(0), 1);
    EXPECT_EQ(memory->KeyAt(KeypadKey::Esc), (Code{0x20, 0x00, 0x04}));
    EXPECT_EQ(memory->KeyAt(KeypadKey::Fn), (Code{0xA0, 0x01, 0x00}));
    EXPECT_EQ(memory->KeyAt(KeypadKey::Enter), (Code{0x20, 0x00, 0x58}));
    EXPECT_EQ(Commands(), (std::vector<std::uint8_t>{0x03, kBegin, kWriteKeys, kWriteKeys, kEnd}));
    const auto keyPackets = keypad->AcceptedPackets(kWriteKeys);
    ASSERT_EQ(keyPackets.size(), 2u);
    EXPECT_EQ(keyPackets[0].bytes[4], 56);
    EXPECT_EQ(keyPackets[1].bytes[4], 7); // 63 bytes of 21 keys
    EXPECT_EQ(keyPackets[1].bytes[5], 56);

    SetLighting(*device, 7, 2, 1, {1, 2, 3});
    device->SaveProfile();
    keypad->ClearPacketLog();
    EXPECT_EQ(device->WriteOnboardProfile(0, 0, 1, 0, 0), 1);
    const auto record = memory->OnboardRecord(0);
    EXPECT_EQ(record[0], 0);
    EXPECT_EQ(record[1], 7);
    EXPECT_EQ(record[2], 2);
    EXPECT_EQ(record[3], 3); // 4 - speed
    EXPECT_EQ((std::array{record[6], record[7], record[8]}),
              (std::array<std::uint8_t, 3>{1, 2, 3}));
    EXPECT_EQ(Commands(),
              (std::vector<std::uint8_t>{kBegin, 0x05, kWriteParam, kWriteParam, kEnd}));
    EXPECT_EQ(ProfileEntry(userRoot)["LightInfo"]["SelectItem"].asInt(), 7);
    EXPECT_EQ(ProfileEntry(userRoot)["KeyList"][0]["Assignment"].asInt(), 0x200004);
    EXPECT_EQ(keypad->SessionViolations(), 0);
}

TEST_F(KeyboardDeviceTest, TheReceiverReadsTheSameStateIn24ByteChunks) {
    Connect(SimLink::Cable);
    device->SelectKey(38); // Num Lock
    const auto words = data::KeyEntry::Make(38, {0x20, 0x02, 0x04}, KeyCodeTable()[38]).ToWords();
    device->SetKeyAssignment(words[0], words[1], words[2]);
    ASSERT_EQ(device->DownloadCurrentKeyAssignments(0), 1);
    SetLighting(*device, 9, 3, 4, {9, 8, 7});
    device->SaveProfile();
    ASSERT_EQ(device->WriteOnboardProfile(0, 0, 1, 0, 0), 1);
    const auto cableTable = device->Config().keyTable;

    DropDevice();
    keypad->UnplugCable();
    keypad->ClearPacketLog();
    Connect(SimLink::Receiver);
    ASSERT_TRUE(device->IsConfigValid());
    EXPECT_EQ(device->Config().keyCount, 21);
    const auto& table = device->Config().keyTable;
    const std::size_t numLock = static_cast<std::size_t>(KeypadKey::NumLock);
    EXPECT_EQ((std::array{table[numLock * 3], table[numLock * 3 + 1], table[numLock * 3 + 2]}),
              (std::array<std::uint8_t, 3>{0x20, 0x02, 0x04}));
    for (std::size_t i = 0; i < 63; ++i) {
        if (i / 3 != numLock) {
            EXPECT_EQ(table[i], cableTable[i]) << i;
        }
    }
    EXPECT_EQ(device->GetLightInfo().selectItem, 9);
    EXPECT_EQ(device->GetLightInfo().light, 3);
    EXPECT_EQ(device->GetLightInfo().speed, 4);
    EXPECT_EQ(device->GetLightInfo().blue, 7);
    EXPECT_EQ(device->GetKeyList()[38].current.assignment, (data::KeyAssignment{0x20, 0x02, 0x04}));

    // every packet of the receiver carries at most 24 data bytes
    const auto packets = keypad->AcceptedPackets();
    ASSERT_FALSE(packets.empty());
    for (const sim::SimPacketRecord& r : packets) {
        EXPECT_EQ(r.link, SimLink::Receiver);
        EXPECT_LE(r.bytes[4], 24);
    }
    EXPECT_EQ(keypad->AcceptedPackets(0x07).size(), 3u); // 24 + 24 + 15 bytes of key table
}

// The receiver says the keypad is off or out of range: no live frames go to it until it
// reports the keypad back.
TEST_F(KeyboardDeviceTest, AReceiverWithoutItsKeypadGetsNoLiveFrames) {
    Connect(SimLink::Receiver);
    SetLighting(*device, 31, 4, 0, {21, 42, 63});
    device->ApplyLightSettings();
    keypad->SetWirelessLink(false);
    EXPECT_FALSE(device->CheckWirelessLink());
    EXPECT_TRUE(device->IsReceiverStreamingOff());
    keypad->SetWirelessLink(true);
    keypad->ClearPacketLog();
    device->SendLightFrame();
    device->SendLightFrame();
    EXPECT_TRUE(keypad->AcceptedPackets(0x12).empty()) << "streaming stays off";

    EXPECT_TRUE(device->CheckWirelessLink());
    EXPECT_FALSE(device->IsReceiverStreamingOff());
    device->SendLightFrame();
    EXPECT_TRUE(WaitUntil([&] { return !keypad->AcceptedPackets(0x12).empty(); }));
}

TEST_F(KeyboardDeviceTest, HostileInformationBlocksLeaveTheKeypadUntouched) {
    for (const std::uint8_t count : {0, 171, 255}) {
        SCOPED_TRACE(int{count});
        keypad->ResetMemory();
        keypad->SetKeyCount(count);
        keypad->ClearPacketLog();
        const auto keysBefore = keypad->Region(sim::SimRegion::KeyTable);
        const auto paramBefore = keypad->Region(sim::SimRegion::Param);
        Connect();
        EXPECT_FALSE(device->IsConfigValid());
        device->SelectKey(0);
        const auto words = data::KeyEntry::Make(0, {0x20, 0, 0x04}, KeyCodeTable()[0]).ToWords();
        device->SetKeyAssignment(words[0], words[1], words[2]);
        EXPECT_EQ(device->DownloadCurrentKeyAssignments(0), 0);
        EXPECT_EQ(device->WriteOnboardProfile(0, 0, 1, 0, 0), 0);
        SetLighting(*device, 19, 4, 0, {255, 0, 0}, 1);
        device->ApplyLightSettings();
        device->SetCustomGroup(1);
        device->SetCustomKeyColor(0);
        device->FillCustomColors(true);
        device->SendLightFrame();
        EXPECT_EQ(WritesSeen(), 0u);
        EXPECT_EQ(keypad->Region(sim::SimRegion::KeyTable), keysBefore);
        EXPECT_EQ(keypad->Region(sim::SimRegion::Param), paramBefore);
        EXPECT_FALSE(keypad->InSession());
    }
}

TEST_F(KeyboardDeviceTest, HostileLedNumbersAndLevelsAreRefused) {
    keypad->SetLedNumber(static_cast<std::size_t>(KeypadKey::Esc), 170);
    keypad->SetLedNumber(static_cast<std::size_t>(KeypadKey::Fn), 254);
    keypad->PokeByte(sim::SimRegion::Param, 2, 200); // brightness
    keypad->PokeByte(sim::SimRegion::Param, 3, 9);   // speed = 4 - 9
    Connect();
    ASSERT_TRUE(device->IsConfigValid());
    EXPECT_EQ(device->Config().maps.position[0], 0);
    EXPECT_EQ(device->Config().maps.led[0], kNoEntry);
    EXPECT_EQ(device->Config().maps.led[110], kNoEntry);
    EXPECT_NE(device->Config().maps.led[34], kNoEntry);
    EXPECT_EQ(device->GetLightInfo().light, 4);
    EXPECT_EQ(device->GetLightInfo().speed, 0);
    EXPECT_EQ(ProfileEntry(userRoot)["LightInfo"]["Speed"].asInt(), 0);

    // a custom colour write never reaches past the keypad's 21 LEDs
    SetLighting(*device, 19, 4, 0, {255, 0, 0}, 0);
    device->ApplyLightSettings();
    device->SetCustomGroup(0);
    for (int slot = 0; slot < 170; ++slot)
        device->SetCustomKeyColor(slot);
    for (const sim::SimPacketRecord& r : keypad->AcceptedPackets(kWriteColours)) {
        const int offset = r.bytes[5] | (r.bytes[6] << 8);
        EXPECT_LE(offset % 384 + r.bytes[4], 63);
    }
}

TEST_F(KeyboardDeviceTest, AFailedReadWritesNothingUntilAGoodRead) {
    keypad->InjectFault(sim::SimFault::Make(sim::SimFaultKind::NoReply).OnCommand(0x07));
    Connect();
    EXPECT_FALSE(device->IsConfigValid());
    EXPECT_EQ(device->DownloadCurrentKeyAssignments(0), 0);
    EXPECT_EQ(device->WriteOnboardProfile(0, 0, 1, 0, 0), 0);
    EXPECT_EQ(WritesSeen(), 0u);
    EXPECT_FALSE(keypad->InSession()); // the read's exchange was closed all the same
    EXPECT_EQ(memory->KeyAt(KeypadKey::Esc), (Code{0x20, 0x00, 0x29}));

    device->OnDeviceArrived(); // a good read
    ASSERT_TRUE(device->IsConfigValid());
    EXPECT_EQ(device->DownloadCurrentKeyAssignments(0), 1);
    EXPECT_EQ(memory->KeyAt(KeypadKey::Esc), (Code{0x20, 0x00, 0x29}));

    // the key count changing under the program stops the key download too
    keypad->SetKeyCount(20);
    EXPECT_EQ(device->DownloadCurrentKeyAssignments(0), 0);
    EXPECT_FALSE(device->IsConfigValid());
}

TEST_F(KeyboardDeviceTest, WriteResultsAreTheKeypadsAnswers) {
    Connect();
    struct Case {
        sim::SimFaultKind fault;
        std::uint8_t command;
        int expected;
    };
    for (const Case c : {Case{sim::SimFaultKind::StatusError, kWriteParam, -102},
                         Case{sim::SimFaultKind::StatusBusy, kWriteParam, -103}}) {
        keypad->ClearPacketLog();
        keypad->InjectFault(sim::SimFault::Make(c.fault).OnCommand(c.command));
        EXPECT_EQ(device->WriteOnboardProfile(0, 0, 1, 0, 0), c.expected);
        const auto commands = Commands();
        ASSERT_FALSE(commands.empty());
        EXPECT_EQ(commands.back(), kEnd) << "every exchange ends";
        EXPECT_FALSE(keypad->InSession());
    }
    keypad->ClearPacketLog();
    keypad->InjectFault(sim::SimFault::Make(sim::SimFaultKind::StatusBusy).OnCommand(kWriteKeys));
    EXPECT_EQ(device->DownloadCurrentKeyAssignments(0), -103);
    EXPECT_EQ(Commands().back(), kEnd);
    keypad->ClearPacketLog();
    EXPECT_EQ(device->DownloadCurrentKeyAssignments(1), -201); // the keypad has one key table
    EXPECT_EQ(keypad->AcceptedPackets(kWriteKeys).size(), 0u);
    EXPECT_EQ(Commands().back(), kEnd);
    EXPECT_EQ(keypad->SessionViolations(), 0);

    // a refused BeginSession: nothing is written, and the EndSession still goes out
    keypad->ClearPacketLog();
    keypad->InjectFault(sim::SimFault::Make(sim::SimFaultKind::StatusError).OnCommand(kBegin));
    EXPECT_EQ(device->WriteOnboardProfile(0, 0, 1, 0, 0), -102);
    EXPECT_EQ(Commands(), (std::vector<std::uint8_t>{kBegin, kEnd}));
    EXPECT_FALSE(keypad->InSession());
}

TEST_F(KeyboardDeviceTest, CustomColoursGoToTheirBankScaledOnlyForGroupWrites) {
    Connect();
    data::CKeyboardProfiledata& profile = device->ProfileData();
    std::vector<data::CustomColor> colours(170);
    colours[0] = {200, 100, 40, 128}; // Esc
    colours[34] = {10, 20, 30, 255};  // Backspace
    profile.SetCustomColors(colours, 0);
    profile.SetCustomGroupIndex(0);
    keypad->ClearPacketLog();
    SetLighting(*device, 19, 4, 0, {0, 0, 250}, 2); // custom colours, device bank 2
    device->ApplyLightSettings();
    const std::uint8_t escLed = device->Config().maps.led[0];
    const std::uint8_t bkspLed = device->Config().maps.led[34];
    auto bank = memory->ColourBank(2, 512, 63);
    EXPECT_EQ((std::array{bank[escLed * 3u], bank[escLed * 3u + 1], bank[escLed * 3u + 2]}),
              (std::array<std::uint8_t, 3>{100, 50, 20}));
    EXPECT_EQ((std::array{bank[bkspLed * 3u], bank[bkspLed * 3u + 1], bank[bkspLed * 3u + 2]}),
              (std::array<std::uint8_t, 3>{9, 19, 29}));
    const auto groupPackets = keypad->AcceptedPackets(kWriteColours);
    ASSERT_EQ(groupPackets.size(), 2u);
    EXPECT_EQ(groupPackets[0].bytes[5] | (groupPackets[0].bytes[6] << 8), 2 * 512);

    // a click on a light: unscaled, at bank x 384, and kept in the profile's group
    keypad->ClearPacketLog();
    device->SetCustomKeyColor(34);
    bank = memory->ColourBank(2, 384, 63);
    EXPECT_EQ((std::array{bank[bkspLed * 3u], bank[bkspLed * 3u + 1], bank[bkspLed * 3u + 2]}),
              (std::array<std::uint8_t, 3>{0, 0, 250}));
    EXPECT_EQ((std::array{bank[escLed * 3u], bank[escLed * 3u + 1], bank[escLed * 3u + 2]}),
              (std::array<std::uint8_t, 3>{200, 100, 40}));
    EXPECT_EQ(profile.GetCustomColors(0, 170)[34], (data::CustomColor{0, 0, 250, 255}));

    // outside mode 19 a click changes no device memory
    SetLighting(*device, 6, 4, 0, {0, 0, 250}, 2);
    device->ApplyLightSettings();
    keypad->ClearPacketLog();
    device->SetCustomKeyColor(0);
    EXPECT_EQ(keypad->AcceptedPackets(kWriteColours).size(), 0u);
}

// In mode 19 the custom colours are the picture: a click, a fill and another group show at
// once, with the mode's brightness, also with no group selected.
TEST_F(KeyboardDeviceTest, CustomColoursShowAtOnce) {
    Connect();
    data::CKeyboardProfiledata& profile = device->ProfileData();
    std::vector<data::CustomColor> group1(170);
    group1[0] = {17, 34, 51, 255};
    profile.SetCustomColors(group1, 1);
    profile.SetCustomGroupIndex(0);
    SetLighting(*device, 19, 4, 0, {201, 37, 118});
    device->ApplyLightSettings();
    const lighting::LedColor lit{201, 37, 118, 255};

    device->SetCustomKeyColor(34);
    EXPECT_EQ(device->GetLedColor(34), lit) << "a click shows before any pass";
    device->FillCustomColors(true);
    EXPECT_EQ(device->GetLedColor(0), lit);
    EXPECT_EQ(device->GetLedColor(20), lit);
    device->FillCustomColors(false);
    EXPECT_EQ(device->GetLedColor(0), (lighting::LedColor{0, 0, 0, 255}));
    device->SetCustomGroup(1);
    device->LoadCustomColors();
    EXPECT_EQ(device->GetLedColor(0), (lighting::LedColor{17, 34, 51, 255}));
    EXPECT_EQ(device->GetLedColor(34), (lighting::LedColor{0, 0, 0, 255}));
}

TEST_F(KeyboardDeviceTest, AShortKeyListIsPaddedAndTheSelectedKeyChecked) {
    Connect();
    device->SetKeyList({data::KeyEntry::Make(0, {0x20, 0, 0x05}, KeyCodeTable()[0])});
    const auto keys = device->GetKeyList();
    ASSERT_EQ(keys.size(), 170u);
    EXPECT_EQ(keys[110].current.assignment, KeyCodeTable()[110]);
    EXPECT_EQ(keys[169].defaults.slot, 169);
    ASSERT_EQ(device->DownloadCurrentKeyAssignments(0), 1);
    EXPECT_EQ(memory->KeyAt(KeypadKey::Esc), (Code{0x20, 0x00, 0x05}));
    EXPECT_EQ(memory->KeyAt(KeypadKey::Fn), (Code{0xA0, 0x01, 0x00}));

    device->SelectKey(34);
    for (int bad : {-1, 170, 1000})
        device->SelectKey(bad);
    EXPECT_EQ(device->SelectedKey(), 34);
    const auto words = data::KeyEntry::Make(0, {0x20, 0, 0x06}, {}).ToWords();
    device->SetKeyAssignment(words[0], words[1], words[2]);
    EXPECT_EQ(device->GetKeyList()[34].current.assignment, (data::KeyAssignment{0x20, 0, 0x06}));
    EXPECT_EQ(device->GetKeyList()[34].current.slot, 34);
}

TEST_F(KeyboardDeviceTest, MacroKeysAreRenumberedAndStaleOnesReset) {
    Connect();
    Json::Value macros;
    for (int i = 0; i < 3; ++i) {
        macros["MacroInfo"][i]["MacroName"] = "macro_" + std::to_string(i + 1);
        macros["MacroInfo"][i]["Guid"] = "2024_03_05_14_07_09_00" + std::to_string(i);
    }
    ASSERT_TRUE(data::WriteJsonFile(std::filesystem::path(userRoot.path().toStdString()) /
                                        "keyboard" / "macro.config",
                                    macros));
    std::vector<data::KeyEntry> keys = device->GetKeyList();
    keys[38].current.assignment = {0x70, 2, 1}; // Num Lock: macro 2
    keys[59].current.assignment = {0x71, 0, 3}; // 7: macro 0, three times
    keys[60].current.assignment = {0x70, 2, 0}; // 8: macro 2 again
    keys[61].current.assignment = {0x70, 3, 0}; // 9: no macro 3
    keys[64].current.assignment = {0x70, 1, 0}; // a key the keypad does not have
    device->SetKeyList(keys);
    EXPECT_EQ(device->GetUsedMacros(), (std::vector<int>{2, 0}));
    ASSERT_EQ(device->DownloadCurrentKeyAssignments(0), 1);
    EXPECT_EQ(memory->KeyAt(KeypadKey::NumLock), (Code{0x70, 0, 1}));
    EXPECT_EQ(memory->KeyAt(KeypadKey::Pad7), (Code{0x71, 1, 3}));
    EXPECT_EQ(memory->KeyAt(KeypadKey::Pad8), (Code{0x70, 0, 0}));
    EXPECT_EQ(memory->KeyAt(KeypadKey::Pad9), (Code{0x20, 0x00, 0x61}));
    // the renumbering is for the device only
    EXPECT_EQ(device->GetKeyList()[38].current.assignment, (data::KeyAssignment{0x70, 2, 1}));

    device->ValidateMacroKeys();
    EXPECT_EQ(device->GetKeyList()[61].current.assignment, KeyCodeTable()[61]);
    EXPECT_EQ(device->GetKeyList()[59].current.assignment, (data::KeyAssignment{0x71, 0, 3}));
}

// The macros that keys use reach the keypad as one image, in the order of the keys, and each
// key's code names its macro's place in that image.
TEST_F(KeyboardDeviceTest, EveryMacroKeyPlaysItsMacroOnTheKeypad) {
    Connect();
    data::CMacroStore store(std::filesystem::path(userRoot.path().toStdString()) / "keyboard");
    const auto action = [](const char* kind, int button, int type, const char* delay) {
        Json::Value a;
        a["Action"] = kind;
        a["Button"] = button;
        a["Type"] = type;
        a["Delay"] = delay;
        return a;
    };
    for (int i = 0; i < 3; ++i)
        ASSERT_FALSE(store.Add().empty());
    ASSERT_TRUE(store.SaveEvents(0, {action("down", 0x04, 10, "11")}));
    ASSERT_TRUE(
        store.SaveEvents(1, {action("down", 0x05, 10, "22"), action("up", 0x05, 10, "33")}));
    ASSERT_TRUE(store.SaveEvents(2, {action("down", 0x02, 1, "44")}));
    std::vector<data::KeyEntry> keys = device->GetKeyList();
    keys[38].current.assignment = {0x70, 2, 0}; // Num Lock: macro 2
    keys[59].current.assignment = {0x71, 1, 4}; // 7: macro 1, four times
    device->SetKeyList(keys);
    ASSERT_EQ(device->GetUsedMacros(), (std::vector<int>{2, 1}));
    keypad->ClearPacketLog();
    ASSERT_EQ(device->DownloadMacros(device->GetUsedMacros()), 0);
    ASSERT_EQ(device->DownloadCurrentKeyAssignments(0), 1);

    const auto image = data::DecodeMacroImage(keypad->Region(sim::SimRegion::Macro));
    ASSERT_TRUE(image);
    ASSERT_EQ(image->size(), 2u);
    const auto plays = [&](KeypadKey key) {
        const Code code = memory->KeyAt(key);
        return (*image)[code[1]].actions;
    };
    EXPECT_EQ(memory->KeyAt(KeypadKey::NumLock)[0], 0x70);
    EXPECT_EQ(plays(KeypadKey::NumLock), (data::EncodedMacro{{44, 0, 0x81, 0x02}}));
    EXPECT_EQ(memory->KeyAt(KeypadKey::Pad7)[2], 4);
    EXPECT_EQ(plays(KeypadKey::Pad7),
              (data::EncodedMacro{{22, 0, 0x8A, 0x05}, {33, 0, 0x0A, 0x05}}));
    EXPECT_EQ(device->MacroHalfCounts(), (std::vector<int>{0, 1}));

    // a keypad with room for 256 bytes: 59 actions are 4 bytes too many, nothing is sent
    keypad->PokeByte(sim::SimRegion::Info, 6, 2);
    ASSERT_TRUE(store.SaveEvents(2, std::vector<Json::Value>(59, action("down", 4, 10, "1"))));
    keypad->ClearPacketLog();
    EXPECT_EQ(device->DownloadMacros({2}), 1);
    EXPECT_TRUE(keypad->AcceptedPackets(0x15).empty());

    // 255 actions are written; 256 are found before anything is sent
    keypad->PokeByte(sim::SimRegion::Info, 6, 32);
    ASSERT_TRUE(store.SaveEvents(2, std::vector<Json::Value>(255, action("down", 4, 10, "1"))));
    EXPECT_EQ(device->DownloadMacros({2}), 0);
    EXPECT_EQ(device->MacroHalfCounts(), std::vector<int>{127});
    EXPECT_FALSE(keypad->AcceptedPackets(0x15).empty());
    ASSERT_TRUE(store.SaveEvents(2, std::vector<Json::Value>(256, action("down", 4, 10, "1"))));
    keypad->ClearPacketLog();
    EXPECT_EQ(device->DownloadMacros({2}), 0);
    EXPECT_EQ(device->MacroHalfCounts(), std::vector<int>{128});
    EXPECT_TRUE(keypad->AcceptedPackets(0x15).empty());

    // a keypad that does not answer: a failure, never 0
    keypad->InjectFault(sim::SimFault::Make(sim::SimFaultKind::StatusError).OnCommand(0x03));
    EXPECT_LT(device->DownloadMacros({0}), 0);
}

TEST_F(KeyboardDeviceTest, ASlotSwitchedOnTheKeypadIsReadAndRefreshedOnTheUiThread) {
    Connect();
    OpenNotifications(SimLink::Cable);
    QThread* refreshThread = nullptr;
    int refreshes = 0;
    QObject::connect(
        device.get(), &CCorvaneKeyboardDevice::panelRefreshed, device.get(),
        [&] {
            refreshThread = QThread::currentThread();
            ++refreshes;
        },
        Qt::DirectConnection);
    memory->SwitchSlotOnDevice(3);
    ASSERT_TRUE(WaitUntil([&] { return refreshes > 0; }));
    EXPECT_EQ(refreshThread, device->thread());
    EXPECT_EQ(device->LastSyncCode(), 0x1003);
    EXPECT_EQ(device->OnboardIndex(), 3);
    EXPECT_EQ(device->GetLightInfo().selectItem, 4); // slot 3's own settings
    ASSERT_TRUE(WaitUntil([&] {
        return device->FindPageControl(QStringLiteral("polling_rate_option_0")) != nullptr;
    }));

    // a change now goes to slot 3 and leaves slot 0 as it was
    const auto slot0 = memory->OnboardRecord(0);
    SetLighting(*device, 12, 1, 1, {5, 6, 7});
    device->SaveProfile();
    EXPECT_EQ(device->WriteOnboardProfile(0, 0, 1, 0, 0), 1);
    EXPECT_EQ(memory->OnboardRecord(3)[1], 12);
    EXPECT_EQ(memory->OnboardRecord(0), slot0);
    EXPECT_EQ(memory->ActiveSlot(), 3);

    // the Fn layer's code works the same; noise changes nothing
    memory->SwitchSlotOnDevice(1, true);
    ASSERT_TRUE(WaitUntil([&] { return device->OnboardIndex() == 1; }));
    const int before = refreshes;
    keypad->SendNotification(0x1212);
    keypad->SendNotification(0x0FFF);
    ASSERT_TRUE(WaitUntil([&] { return device->LastSyncCode() == 0x0FFF; }));
    EXPECT_EQ(refreshes, before);
    EXPECT_EQ(device->OnboardIndex(), 1);
}

// Slot 15 is the last onboard slot: its record is the last 64 bytes of the parameter
// memory. A slot byte of 16 is no slot: the device keeps the slot it knows.
TEST_F(KeyboardDeviceTest, TheLastOnboardSlotIsReadAndWrittenAndOneMoreIsRefused) {
    sim::SimKeypadMemory::Record last{};
    last[1] = 9;  // mode
    last[2] = 2;  // brightness
    last[3] = 1;  // speed 4 - 1
    last[6] = 40; // red
    last[7] = 50; // green
    last[8] = 60; // blue
    last[63] = 0xAB;
    memory->SetOnboardRecord(15, last);
    keypad->PokeByte(sim::SimRegion::Param, 0, 15);
    Connect();
    EXPECT_EQ(device->OnboardIndex(), 15);
    const data::LightInfo read = device->GetLightInfo();
    EXPECT_EQ(read.selectItem, 9);
    EXPECT_EQ(read.light, 2);
    EXPECT_EQ(read.speed, 3);
    EXPECT_EQ((std::array{read.red, read.green, read.blue}),
              (std::array<std::uint8_t, 3>{40, 50, 60}));

    SetLighting(*device, 12, 1, 2, {5, 6, 7});
    device->SaveProfile();
    ASSERT_EQ(device->WriteOnboardProfile(0, 0, 1, 0, 0), 1);
    const std::vector<std::uint8_t> param = keypad->Region(sim::SimRegion::Param);
    ASSERT_EQ(param.size(), 16u * 64u);
    EXPECT_EQ(param[0], 15);
    EXPECT_EQ(param[15 * 64 + 1], 12);
    EXPECT_EQ(param[15 * 64 + 2], 1);
    EXPECT_EQ(param[15 * 64 + 3], 2); // 4 - speed
    EXPECT_EQ(param[15 * 64 + 8], 7);
    EXPECT_EQ(param[1023], 0) << "the whole record, to the last byte, was written";

    // slot byte 16: the reread fails and the device stays on slot 15
    keypad->PokeByte(sim::SimRegion::Param, 0, 16);
    device->OnDeviceSync();
    EXPECT_EQ(device->OnboardIndex(), 15);
    SetLighting(*device, 13, 3, 0, {8, 9, 10});
    device->SaveProfile();
    ASSERT_EQ(device->WriteOnboardProfile(0, 0, 1, 0, 0), 1);
    EXPECT_EQ(memory->OnboardRecord(15)[1], 13) << "written to the slot last known";
    EXPECT_EQ(keypad->SessionViolations(), 0);
}

TEST_F(KeyboardDeviceTest, ARereadRequestReadsTheKeypadAgain) {
    Connect();
    OpenNotifications(SimLink::Cable);
    memory->SetRecordMode(0, 14);
    memory->RequestSync(false);
    ASSERT_TRUE(WaitUntil([&] { return device->LastSyncCode() == 1025; }));
    device->OnDeviceSync(); // what timer 1002 of the list entry runs
    EXPECT_EQ(device->GetLightInfo().selectItem, 14);
    EXPECT_EQ(ProfileEntry(userRoot)["LightInfo"]["SelectItem"].asInt(), 14);
}

TEST_F(KeyboardDeviceTest, TheSystemSettingsShowInThePage) {
    Connect();
    device->SetSystemSettings(data::PackHalves(40, 2), data::PackHalves(1, 3),
                              data::PackHalves(0, 1));
    device->RefreshPanel();
    EXPECT_TRUE(device->IsWinLockOn());
    EXPECT_FALSE(device->IsWFlagOn());
    EXPECT_TRUE(device->IsKey6FlagOn());
    EXPECT_EQ(device->GetRepeatRate(), 40);
    const auto selected = [&](const QString& name) {
        auto* button = qobject_cast<QAbstractButton*>(device->FindPageControl(name));
        return button && button->isChecked();
    };
    EXPECT_TRUE(selected(QStringLiteral("polling_rate_option_3")));
    EXPECT_FALSE(selected(QStringLiteral("polling_rate_option_0")));
    EXPECT_TRUE(selected(QStringLiteral("repeat_delay_check_2")));
    QWidget* label = device->FindPageControl(QStringLiteral("repeat_delay_time_label1"));
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(CControlUI(label).GetText().endsWith(QStringLiteral("750ms")));

    device->ShowPollingRate(7);
    device->ShowRepeatDelay(7);
    EXPECT_TRUE(selected(QStringLiteral("polling_rate_option_0")));
    EXPECT_TRUE(selected(QStringLiteral("repeat_delay_check_0")));

    // the flags and the polling rate travel in the onboard record, each in its own byte
    struct Flags {
        std::uint8_t wFlag, key6Flag, winFlag;
    };
    for (const Flags f : {Flags{1, 0, 0}, Flags{0, 1, 0}, Flags{0, 0, 1}}) {
        SCOPED_TRACE(testing::Message() << "W " << int{f.wFlag} << " Key6 " << int{f.key6Flag}
                                        << " Win " << int{f.winFlag});
        device->SetSystemSettings(data::PackHalves(40, 2), data::PackHalves(f.key6Flag, 3),
                                  data::PackHalves(f.wFlag, f.winFlag));
        device->RefreshPanel();
        EXPECT_EQ(device->IsWFlagOn(), f.wFlag != 0);
        EXPECT_EQ(device->IsKey6FlagOn(), f.key6Flag != 0);
        EXPECT_EQ(device->IsWinLockOn(), f.winFlag != 0);
        device->SaveProfile();
        ASSERT_EQ(device->WriteOnboardProfile(0, 0, 1, 0, 0), 1);
        const auto record = memory->OnboardRecord(0);
        EXPECT_EQ(record[19], f.wFlag);
        EXPECT_EQ(record[20], f.key6Flag);
        EXPECT_EQ(record[21], f.winFlag);
        EXPECT_EQ(record[22], 3); // polling rate
    }
}

} // namespace
} // namespace vpc::test

namespace vpc::test {
namespace {

TEST_F(KeyboardDeviceTest, SwitchingProfilesWritesTheChosenProfileAndRefusesOddIds) {
    Connect();
    const std::filesystem::path folder =
        std::filesystem::path(userRoot.path().toStdString()) / "keyboard";
    Json::Value other = data::ReadJsonFile(folder / "Default.Json");
    ASSERT_TRUE(other.isObject());
    other["Device"][0]["LightInfo"]["SelectItem"] = 7;
    const std::string id = "2026_12_10_12_00_00_000";
    ASSERT_TRUE(data::WriteJsonFile(folder / (id + ".Json"), other));

    device->SwitchProfile(QString::fromStdString(id));
    EXPECT_EQ(device->GetProfileName().toStdString(), id);
    EXPECT_EQ(memory->OnboardRecord(0)[1], 7) << "the chosen profile reached the keypad";
    EXPECT_EQ(keypad->SessionViolations(), 0);

    keypad->ClearPacketLog();
    device->SwitchProfile("../outside");
    EXPECT_EQ(device->GetProfileName().toStdString(), id);
    EXPECT_EQ(WritesSeen(), 0u);
}

} // namespace
} // namespace vpc::test

namespace vpc::test {
namespace {

using devices::keyboard::KeyIdentitySource;

constexpr data::KeyAssignment kKeyA{0x20, 0x00, 0x04}, kKeyB{0x20, 0x00, 0x05},
    kKeyC{0x20, 0x00, 0x06};
constexpr int kEscSlot = 0, kNumLockSlot = 38, kASlot = 64;

class KeyboardKeyPositionTest : public KeyboardDeviceTest {
protected:
    std::filesystem::path Folder() const {
        return std::filesystem::path(userRoot.path().toStdString()) / "keyboard";
    }
    std::filesystem::path MemoPath() const {
        return Folder() / devices::keyboard::KeyPositionMemo::kFileName;
    }
    // A fresh keypad and no user data.
    void StartAfresh() {
        DropDevice();
        keypad->ResetMemory();
        std::error_code ec;
        std::filesystem::remove_all(Folder(), ec);
    }
    // What the key assignment panel does for one key, saved as the main window saves it.
    void Assign(int slot, data::KeyAssignment code) {
        device->SelectKey(slot);
        const auto words =
            data::KeyEntry::Make(static_cast<std::uint16_t>(slot), code, KeyCodeTable()[slot])
                .ToWords();
        device->SetKeyAssignment(words[0], words[1], words[2]);
        device->SaveProfile();
    }
    Code AsCode(data::KeyAssignment a) const { return {a.type, a.code1, a.code2}; }
    std::vector<Code> KeypadKeys() const {
        std::vector<Code> keys;
        for (std::size_t k = 0; k < memory->KeyCount(); ++k)
            keys.push_back(memory->KeyAt(k));
        return keys;
    }
};

TEST_F(KeyboardKeyPositionTest, ARemappedKeyKeepsItsPositionAtTheNextConnection) {
    struct Case {
        const char* name;
        bool knownProduct;
        SimLink reconnect;
        bool loseRememberedTable;
        KeyIdentitySource expected;
    };
    for (const Case c : {
             Case{"remembered, cable", false, SimLink::Cable, false, KeyIdentitySource::Remembered},
             Case{"remembered, receiver", false, SimLink::Receiver, false,
                  KeyIdentitySource::Remembered},
             Case{"known keypad, cable", true, SimLink::Cable, false,
                  KeyIdentitySource::Remembered},
             Case{"known keypad, receiver, nothing remembered", true, SimLink::Receiver, true,
                  KeyIdentitySource::FactoryLayout},
         }) {
        SCOPED_TRACE(c.name);
        StartAfresh();
        knownProduct = c.knownProduct;
        Connect(SimLink::Cable);
        ASSERT_TRUE(device->IsConfigValid());
        EXPECT_EQ(device->KeyIdentityInUse().source, c.knownProduct
                                                         ? KeyIdentitySource::FactoryLayout
                                                         : KeyIdentitySource::DeviceTable);
        EXPECT_TRUE(device->IsKeyIdentityRemembered());
        EXPECT_TRUE(std::filesystem::is_regular_file(MemoPath()));

        Assign(kEscSlot, kKeyA);
        ASSERT_EQ(device->DownloadCurrentKeyAssignments(0), 1);
        ASSERT_EQ(memory->KeyAt(KeypadKey::Esc), AsCode(kKeyA));
        if (c.loseRememberedTable)
            std::filesystem::remove(MemoPath());

        Connect(c.reconnect);
        ASSERT_TRUE(device->IsConfigValid());
        EXPECT_EQ(device->KeyIdentityInUse().source, c.expected);
        const auto& maps = device->Config().maps;
        EXPECT_EQ(maps.position[kEscSlot], static_cast<std::uint8_t>(KeypadKey::Esc));
        EXPECT_EQ(maps.led[kEscSlot], memory->LedAt(static_cast<std::size_t>(KeypadKey::Esc)));
        EXPECT_EQ(maps.position[kASlot], kNoEntry) << "the keypad has no A key";
        EXPECT_EQ(maps.KeyAtPosition(0), kEscSlot);
        EXPECT_EQ(device->GetKeyList()[kEscSlot].current.assignment, kKeyA);

        // a later change to Esc reaches Esc's position, and only that
        std::vector<Code> expected = KeypadKeys();
        Assign(kEscSlot, kKeyB);
        ASSERT_EQ(device->DownloadCurrentKeyAssignments(0), 1);
        expected[static_cast<std::size_t>(KeypadKey::Esc)] = AsCode(kKeyB);
        EXPECT_EQ(KeypadKeys(), expected);
    }
}

TEST_F(KeyboardKeyPositionTest, TheKnownKeypadsLayoutIsItsFactoryKeyTable) {
    using devices::keyboard::FactoryKeyCodes;
    const std::vector<std::uint8_t> region = keypad->Region(sim::SimRegion::KeyTable);
    const std::vector<std::uint8_t> factory(region.begin(), region.begin() + 21 * 3);
    EXPECT_EQ(FactoryKeyCodes(0x320F, sim::CSimKeypad::kCableProductId, 21), factory);
    EXPECT_EQ(FactoryKeyCodes(0x320F, sim::CSimKeypad::kReceiverProductId, 21), factory);
    struct Other {
        std::uint16_t vendor, product;
        int keyCount;
    };
    for (const Other o : {Other{0x320F, sim::CSimKeypad::kCableProductId, 20},
                          Other{0x320F, kUnknownProductId, 21}, Other{0x1234, 0x5055, 21}}) {
        EXPECT_TRUE(FactoryKeyCodes(o.vendor, o.product, o.keyCount).empty())
            << o.vendor << " " << o.product << " " << o.keyCount;
    }
}

TEST_F(KeyboardKeyPositionTest, TwoKeysRemappedToOneCodeKeepTheirPositions) {
    knownProduct = false; // only the remembered table can tell the two keys apart
    Connect();
    Assign(kEscSlot, kKeyA);
    Assign(kNumLockSlot, kKeyA);
    ASSERT_EQ(device->DownloadCurrentKeyAssignments(0), 1);
    ASSERT_EQ(memory->KeyAt(KeypadKey::NumLock), AsCode(kKeyA));

    Connect();
    EXPECT_EQ(device->KeyIdentityInUse().source, KeyIdentitySource::Remembered);
    EXPECT_EQ(device->Config().maps.position[kEscSlot], static_cast<std::uint8_t>(KeypadKey::Esc));
    EXPECT_EQ(device->Config().maps.position[kNumLockSlot],
              static_cast<std::uint8_t>(KeypadKey::NumLock));
    Assign(kNumLockSlot, kKeyC);
    ASSERT_EQ(device->DownloadCurrentKeyAssignments(0), 1);
    EXPECT_EQ(memory->KeyAt(KeypadKey::NumLock), AsCode(kKeyC));
    EXPECT_EQ(memory->KeyAt(KeypadKey::Esc), AsCode(kKeyA));

    // with the table lost the keys are found by their codes as before, and that guess,
    // taken from a table that holds one code twice, is never remembered
    Assign(kNumLockSlot, kKeyA);
    ASSERT_EQ(device->DownloadCurrentKeyAssignments(0), 1);
    std::filesystem::remove(MemoPath());
    Connect();
    EXPECT_EQ(device->KeyIdentityInUse().source, KeyIdentitySource::DeviceTable);
    EXPECT_FALSE(device->KeyIdentityInUse().trusted);
    EXPECT_FALSE(device->IsKeyIdentityRemembered());
    ASSERT_EQ(device->DownloadCurrentKeyAssignments(0), 1);
    EXPECT_FALSE(std::filesystem::exists(MemoPath()));
}

TEST_F(KeyboardKeyPositionTest, ADamagedKeyPositionFileIsIgnored) {
    // The keypad's keys in reverse order as the file keeps them (the spare position last):
    // taken, they would move every key. `bad` replaces the code of position 5.
    constexpr std::array<int, 20> kReversed = {118, 117, 116, 99, 98, 97, 78, 77, 76,  119,
                                               61,  60,  59,  41, 40, 39, 38, 34, 110, 0};
    const auto codes = [&](const std::string& bad, int count = 21) {
        std::string list;
        for (int k = 0; k < count; ++k) {
            const std::uint32_t code =
                k < 20 ? KeyCodeTable()[static_cast<std::size_t>(kReversed[k])].ToCode()
                       : 0x200000u;
            list += (k > 0 ? "," : "") + (k == 5 && !bad.empty() ? bad : std::to_string(code));
        }
        return list;
    };
    const auto file = [](int count, const std::string& list) {
        return "{\"KeyCount\": " + std::to_string(count) + ", \"KeyCodes\": [" + list + "]}";
    };
    std::string zeros = "0";
    for (int k = 1; k < 21; ++k)
        zeros += ",0";
    struct Case {
        const char* name;
        std::string text;
        KeyIdentitySource expected = KeyIdentitySource::DeviceTable;
    };
    const std::vector<Case> cases = {
        {"sound, so taken", file(21, codes("")), KeyIdentitySource::Remembered},
        {"not JSON", file(21, codes("")).substr(0, 40)},
        {"empty", ""},
        {"an array", "[" + codes("") + "]"},
        {"another key count", file(20, codes("", 20))},
        {"count and list disagree", file(21, codes("", 20))},
        {"text for a code", file(21, codes("\"x\""))},
        {"negative code", file(21, codes("-1"))},
        {"code too large", file(21, codes("16777216"))},
        {"not a key's code", file(21, codes(std::to_string(0x700100)))},
        {"one code twice", file(21, codes(std::to_string(KeyCodeTable()[118].ToCode())))},
        {"all zeros", file(21, zeros)},
    };
    knownProduct = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartAfresh();
        std::filesystem::create_directories(Folder());
        ASSERT_TRUE(data::WriteFileAtomic(MemoPath(), c.text));
        Connect();
        ASSERT_TRUE(device->IsConfigValid());
        EXPECT_EQ(device->KeyIdentityInUse().source, c.expected);
        if (c.expected == KeyIdentitySource::Remembered) {
            EXPECT_EQ(device->Config().maps.position[kEscSlot], 19);
            continue;
        }
        EXPECT_EQ(device->Config().maps.position[kEscSlot], 0);
        EXPECT_EQ(device->Config().maps.position[110], 1);
        EXPECT_EQ(device->Config().maps.position[kNumLockSlot], 3);
        // the good table read from the fresh keypad replaces the damaged file
        EXPECT_TRUE(device->IsKeyIdentityRemembered());
        const auto stored = devices::keyboard::KeyPositionMemo(Folder()).Load(21);
        ASSERT_TRUE(stored.has_value());
        EXPECT_TRUE(std::equal(stored->begin(), stored->end(), device->Config().keyTable.begin()));
    }

    // a folder in the file's place: nothing is remembered, the keypad still works
    StartAfresh();
    std::filesystem::create_directories(MemoPath());
    Connect();
    ASSERT_TRUE(device->IsConfigValid());
    EXPECT_FALSE(device->IsKeyIdentityRemembered());
    EXPECT_EQ(device->Config().maps.position[kEscSlot], 0);
    Assign(kEscSlot, kKeyB);
    ASSERT_EQ(device->DownloadCurrentKeyAssignments(0), 1);
    EXPECT_EQ(memory->KeyAt(KeypadKey::Esc), AsCode(kKeyB));
    EXPECT_TRUE(std::filesystem::is_directory(MemoPath()));
}

} // namespace
} // namespace vpc::test
