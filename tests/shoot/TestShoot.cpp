// The recoil patterns: the gun files bullet by bullet, reset and import that never lose a
// file, hostile gun files, the image of the four guns, the panel, and the download to the
// simulated mouse on the cable and through the receiver.
#include "ShootControlUI.h"
#include "ShootStore.h"

#include "CSimHidBackend.h"
#include "CSimMouse.h"
#include "CorvaneMouseDevice.h"
#include "DialogBuilder.h"
#include "JsonFile.h"
#include "SkinResources.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vpc::test {
namespace {

using data::shoot::Bullet;
using data::shoot::CShootStore;

const std::filesystem::path kDefaults = VPC_TEST_DEFAULT_DATA;

class ShootStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        for (int g = 0; g < 4; ++g)
            ASSERT_FALSE(store.ResetGun(g).has_value());
    }
    std::filesystem::path Path(const char* name) const {
        return std::filesystem::path(folder.path().toStdString()) / name;
    }
    QTemporaryDir folder;
    CShootStore store{folder.path().toStdString(), kDefaults};
};

TEST_F(ShootStoreTest, FourCompleteGunsGiveThe2920ByteImage) {
    const CShootStore::Image image = store.BuildImage();
    ASSERT_TRUE(image.error.empty()) << image.error;
    ASSERT_EQ(image.bytes.size(), 2920u);
    const std::vector<std::uint8_t> offsets(image.bytes.begin() + 16, image.bytes.begin() + 24);
    EXPECT_EQ(offsets, (std::vector<std::uint8_t>{0x18, 0x00, 0xEC, 0x02, 0xC0, 0x05, 0x94, 0x08}));
}

TEST_F(ShootStoreTest, SavingABulletWritesItsSixActions) {
    ASSERT_TRUE(store.SaveBullet(0, 2, Bullet{12, false, 40, false, 90}));
    const Json::Value events = data::ReadJsonFile(store.GunFile(0))["Events"];
    struct Expected {
        const char* action;
        int button, type, delay;
    };
    const Expected expected[] = {{"down", 1, 1, 10}, {"up", 1, 1, 0}, {"up", 12, 4, 5},
                                 {"up", 40, 5, 90},  {"up", 0, 4, 0}, {"up", 0, 5, 0}};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const Json::Value& e = events[12 + i];
        EXPECT_EQ(e["Action"].asString(), expected[i].action);
        EXPECT_EQ(e["Button"].asInt(), expected[i].button);
        EXPECT_EQ(e["Type"].asInt(), expected[i].type);
        EXPECT_TRUE(e["Delay"].isInt());
        EXPECT_EQ(e["Delay"].asInt(), expected[i].delay);
    }
    EXPECT_EQ(events.size(), 180u) << "the other bullets stay";
    EXPECT_EQ(store.LoadBullet(0, 2), (Bullet{12, false, 40, false, 90}));
    // left and up, a distance of 300: the image keeps its low byte, 44
    ASSERT_TRUE(store.SaveBullet(0, 0, Bullet{300, true, 7, true, 31}));
    const auto image = store.BuildImage().bytes;
    EXPECT_EQ(image[24 + 4 + 2 * 4 + 2], 0x84) << "type 4 pulled left (down)";
    EXPECT_EQ(image[24 + 4 + 2 * 4 + 3], 44);
    EXPECT_EQ(image[24 + 4 + 3 * 4 + 0], 31) << "the bullet's delay, low byte";
}

TEST_F(ShootStoreTest, HostileGunFilesReadLenientlyAndNeverReplaceTheGun) {
    const auto write = [](const std::filesystem::path& file, const std::string& text) {
        QFile f(QString::fromStdString(file.string()));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text.data(), static_cast<qint64>(text.size()));
    };
    write(store.GunFile(1), R"({"Events":[{},{},{"Action":7,"Button":"x"},)"
                            R"({"Action":"DOWN","Button":15,"Delay":"65"}]})");
    EXPECT_EQ(store.LoadBullet(1, 0), (Bullet{0, false, 15, true, 65}));
    EXPECT_EQ(store.LoadBullet(1, 29), Bullet{}) << "short: zeros";
    EXPECT_FALSE(store.IsComplete(1));
    write(store.GunFile(2), R"({"Events":"nope"})");
    EXPECT_EQ(store.LoadBullet(2, 3), Bullet{});
    // a damaged source, a missing one and the gun's own file imported onto itself
    const std::string before = data::ReadFileText(store.GunFile(0));
    write(Path("broken.shoot"), "{ not json");
    EXPECT_TRUE(store.ImportGun(0, Path("broken.shoot")).has_value());
    EXPECT_TRUE(store.ImportGun(0, Path("missing.shoot")).has_value());
    EXPECT_FALSE(store.ImportGun(0, store.GunFile(0)).has_value());
    EXPECT_EQ(data::ReadFileText(store.GunFile(0)), before) << "nothing lost";
    // a gun of more than 180 actions is refused, for import and for the image
    std::string big = R"({"Events":[)";
    for (int i = 0; i < 181; ++i)
        big += std::string(i ? "," : "") + R"({"Action":"up","Button":1,"Type":1,"Delay":0})";
    big += "]}";
    write(Path("big.shoot"), big);
    EXPECT_TRUE(store.ImportGun(3, Path("big.shoot")).has_value());
    write(store.GunFile(3), big);
    EXPECT_FALSE(store.BuildImage().error.empty());
}

class ShootPanelTest : public ShootStoreTest {};

TEST_F(ShootPanelTest, BulletsAreClampedAndTheChartFollowsEdits) {
    ASSERT_TRUE(CSkinResources::Instance().SetResourcePath(QString::fromUtf8(VPC_TEST_SKIN_DIR)));
    panels::CShootControlUI panel;
    panel.SetUp(folder.path(), QString::fromStdString(kDefaults.string()));
    EXPECT_TRUE(panel.ControlsFound());
    panel.SelectBullet(-1);
    EXPECT_EQ(panel.CurrentBullet(), 0);
    EXPECT_EQ(panel.Part("bullet_select_index").GetText(), "1");
    panel.SelectBullet(30);
    EXPECT_EQ(panel.CurrentBullet(), 29);
    EXPECT_EQ(panel.Part("bullet_select_index").GetText(), "30");
    panel.SelectGun(2);
    panel.SelectBullet(4);
    panel.Part("bullet_x_eidt").SetText("21");
    panel.Part("bullet_y_eidt").SetText("33");
    panel.Part("bullet_delay_eidt").SetText("70");
    panel.Part("bullet_x_check").Selected(true, false);
    ASSERT_TRUE(panel.SaveBullet());
    EXPECT_EQ(panel.Store()->LoadBullet(2, 4), (Bullet{21, true, 33, false, 70}));
    ASSERT_NE(panel.Chart(), nullptr);
    EXPECT_EQ(panel.Chart()->Pattern()[4], (Bullet{21, true, 33, false, 70}));
}

TEST(ShootDownload, TheFourGunsReachTheMouseAsOneImageAndALostLinkStopsIt) {
    QTemporaryDir root;
    qputenv("VPC_USER_DATA_ROOT", root.path().toUtf8());
    qputenv("VPC_DEFAULT_DATA_DIR", VPC_TEST_DEFAULT_DATA);
    auto bus = sim::CSimHidBackend::Create();
    auto mouse = sim::CSimMouse::Create();
    bus->Attach(mouse);
    mouse->PlugReceiver();
    hid::SetDefaultHidBackend(bus);
    {
        devices::CCorvaneMouseDevice device;
        devices::DeviceIdentity identity;
        identity.vendorId = sim::CSimMouse::kVendorId;
        identity.productId = sim::CSimMouse::kReceiverProductId;
        identity.modelCode = devices::kModelMouseReceiver;
        device.SetDeviceName(QStringLiteral("mouse"));
        device.SetIdentity(identity);
        ASSERT_TRUE(device.Channel().ReceiverInterface().Open(
            bus->CommandPath(*mouse, sim::SimLink::Receiver), true, true, true, false));
        device.Channel().SetMode(2);
        device.Channel().SetEnabled(true);
        CShootStore store(device.UserFolderPath(), kDefaults);
        QDir().mkpath(QString::fromStdString(device.UserFolderPath().string()));
        for (int g = 0; g < 4; ++g)
            ASSERT_FALSE(store.ResetGun(g).has_value());
        EXPECT_TRUE(device.DownloadShootData().isEmpty());
        const std::vector<std::uint8_t> shoot = mouse->Region(sim::SimRegion::Shoot);
        const auto image = store.BuildImage().bytes;
        EXPECT_TRUE(std::equal(image.begin(), image.end(), shoot.begin()));
        EXPECT_EQ(mouse->SessionViolations(), 0);
        mouse->SetWirelessLink(false);
        mouse->ClearPacketLog();
        EXPECT_FALSE(device.DownloadShootData().isEmpty()) << "the user is told";
        EXPECT_TRUE(mouse->AcceptedPackets(0x17).empty());
        device.StopWorkers();
    }
    hid::SetDefaultHidBackend(nullptr);
    qunsetenv("VPC_USER_DATA_ROOT");
}

} // namespace
} // namespace vpc::test
