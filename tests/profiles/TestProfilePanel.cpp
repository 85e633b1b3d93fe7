// The profile panel driven through its real widgets and the route table, as the main window
// delivers its notifications, with the program's message box answered; the files on disk are
// what is checked.
#include "DeviceProfileUI.h"
#include "MsgWnd.h"
#include "OnNextModal.h"
#include "ProfileRoutes.h"
#include "ProfileTestSupport.h"
#include "RouteTable.h"
#include "SkinResources.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <fstream>
#include <functional>

namespace vpc::panels {
namespace {

using profiles::test::CheckListedProfiles;
using profiles::test::ProfileFileIds;
using profiles::test::ReadList;
using profiles::test::TempUserRoot;

// Records what the panel asks of its device.
class RecordingDevice : public IProfileTarget {
public:
    void SwitchProfile(const QString& profileId) override { switched.push_back(profileId); }
    void ReloadResetProfile() override { ++resets; }
    void SetFunctionPage(int n) override { pages.push_back(n); }

    std::vector<QString> switched;
    int resets = 0;
    std::vector<int> pages;
};

// Delivers the window's notifications to the dispatcher, as the main window's Notify does.
class DispatchingWindow : public INotifyUI {
public:
    explicit DispatchingWindow(CEventDispatcher& dispatcher) : m_dispatcher(dispatcher) {}
    void Notify(TNotifyUI& msg) override { m_dispatcher.Dispatch(msg); }

private:
    CEventDispatcher& m_dispatcher;
};

class ProfilePanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        CSkinResources& skin = CSkinResources::Instance();
        ASSERT_TRUE(skin.SetResourcePath(QStringLiteral(VPC_TEST_SKIN_DIR "/")));
        ASSERT_TRUE(skin.LoadLanguage("English", "language/en.json"));
        current = {&page, kKeyboardType};
        RegisterProfileRoutes(dispatcher.Routes(),
                              {[this](const QString& textId, int buttonMode) {
                                   return ShowMessageBox(&page, {}, textId, 96, true, buttonMode);
                               },
                               [this](QWidget*) { return importFile; },
                               [this](QWidget*) { return exportFile; }, [this] { ++musicResets; }});
        auto* layout = new QVBoxLayout(&page); // owned by the page
        panel = new CDeviceProfileUI(&page);   // owned by the page
        layout->addWidget(panel);
        manager.SetRoot(&page);
        manager.AddNotifier(&window);
        page.resize(1000, 120);
        page.show();
    }

    void Load(int kind = kKeyboardType, const char* device = "keyboard") {
        panel->SetDeviceKind(kind);
        panel->SetFolders(QString::fromStdString(root.DeviceFolder(device).string()),
                          QString::fromStdString(root.DefaultProfile(device).string()));
        panel->SetTarget(&device_);
        panel->LoadProfileList();
        panel->SelectOpTab(1);
    }

    template <typename T = QWidget> T* Part(const char* name) {
        for (auto* widget : panel->findChildren<T*>()) {
            if (ControlName(widget) == QLatin1String(name))
                return widget;
        }
        ADD_FAILURE() << "no control " << name;
        return nullptr;
    }
    void Click(const char* name) {
        auto* button = Part<QAbstractButton>(name);
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isVisible()) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    // Answers the next message box with the button and keeps the message it showed.
    void AnswerNextMessage(const char* button) {
        vpc::test::OnNextModal([this, button](QWidget* box) {
            shownMessage = box->findChild<QLabel*>("MessageText")->text();
            QTest::mouseClick(box->findChild<QAbstractButton*>(button), Qt::LeftButton);
        });
    }
    QComboBox* Combo() { return Part<QComboBox>("device_profile_combo"); }
    std::filesystem::path Folder() { return root.DeviceFolder(); }
    std::string ListedId(int index) {
        return ReadList(Folder())["profilelist"][index]["profileUUID"].asString();
    }

    TempUserRoot root;
    QWidget page;
    CPaintManagerUI manager;
    CDeviceProfileUI* panel = nullptr;
    RecordingDevice device_;
    CurrentDevice current;
    CEventDispatcher dispatcher{[this] { return current; }};
    DispatchingWindow window{dispatcher};
    QString importFile;
    QString exportFile;
    int musicResets = 0;
    QString shownMessage;
};

TEST_F(ProfilePanelTest, EachDeviceKindShowsItsFunctionTabs) {
    struct Case {
        int kind;
        const char* device;
        std::vector<const char*> shown;
    };
    const Case cases[] = {
        {kKeyboardType, "keyboard", {"deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab"}},
        {kMouseType,
         "mouse",
         {"deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab", "cursor_Op_tab"}},
        {kMousePadType, "MousePad", {"deng_Op_tab"}},
        {kHeadsetType,
         "HD",
         {"deng_Op_tab", "6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"}},
    };
    for (const Case& c : cases) {
        Load(c.kind, c.device);
        std::vector<const char*> shown;
        for (const char* tab : CDeviceProfileUI::kOpTabNames) {
            if (Part(tab)->isVisibleTo(&page))
                shown.push_back(tab);
        }
        EXPECT_EQ(std::vector<std::string>(shown.begin(), shown.end()),
                  std::vector<std::string>(c.shown.begin(), c.shown.end()))
            << c.device;
        EXPECT_EQ(panel->SelectedOpTab(), 1);
    }
}

TEST_F(ProfilePanelTest, AddChooseCopyAndDeleteThroughTheWidgets) {
    Load();
    ASSERT_EQ(Combo()->count(), 1);
    EXPECT_EQ(Combo()->currentText(), "profile1");
    EXPECT_EQ(Part<QLineEdit>("device_profile_name_edit")->text(), "profile1");
    EXPECT_FALSE(panel->IsProfileMenuVisible());
    Click("profile_fun_spread_btn");
    ASSERT_TRUE(panel->IsProfileMenuVisible());

    Click("device_add_btn");
    ASSERT_EQ(Combo()->count(), 2);
    EXPECT_EQ(Combo()->itemText(1), "profile2");
    EXPECT_EQ(Combo()->currentIndex(), 0) << "the new profile is not chosen";
    EXPECT_EQ(CheckListedProfiles(Folder()).size(), 2u);
    EXPECT_TRUE(device_.switched.empty());

    // Choosing in the combo switches the device once, 400 ms after the last choice.
    Combo()->setFocus();
    QTest::keyClick(Combo(), Qt::Key_Down);
    EXPECT_TRUE(panel->IsSwitchPending());
    ASSERT_TRUE(QTest::qWaitFor([this] { return !device_.switched.empty(); }, 3000));
    EXPECT_EQ(device_.switched, std::vector<QString>{QString::fromStdString(ListedId(1))});
    EXPECT_EQ(ReadList(Folder())["profileselect"], 1);
    EXPECT_EQ(Part<QLineEdit>("device_profile_name_edit")->text(), "profile2");

    Click("device_copy_btn");
    ASSERT_EQ(Combo()->count(), 3);
    EXPECT_EQ(Combo()->itemText(2), "profile2 copy");
    EXPECT_EQ(data::ReadJsonFile(Folder() / (ListedId(2) + ".Json"))["Device"],
              data::ReadJsonFile(Folder() / (ListedId(1) + ".Json"))["Device"]);

    // Deleting "profile2" removes its file after the list and switches the device to
    // "profile1" at once.
    const std::string deleted = ListedId(1);
    device_.switched.clear();
    Click("device_sub_btn");
    EXPECT_EQ(Combo()->count(), 2);
    EXPECT_EQ(Combo()->currentText(), "profile1");
    EXPECT_FALSE(ProfileFileIds(Folder()).contains(deleted));
    EXPECT_EQ(ReadList(Folder())["profileselect"], 0);
    EXPECT_EQ(device_.switched, std::vector<QString>{QString::fromStdString(ListedId(0))});
    EXPECT_FALSE(panel->IsSwitchPending());
    CheckListedProfiles(Folder());

    Click("device_sub_btn");
    Click("device_sub_btn");
    EXPECT_EQ(Combo()->count(), 1) << "the last profile stays";
    EXPECT_EQ(ProfileFileIds(Folder()).size(), 1u);
}

TEST_F(ProfilePanelTest, RenameShowsTheMessagesOfTakenAndBlankNames) {
    Load();
    Click("profile_fun_spread_btn");
    Click("device_add_btn");
    auto* edit = Part<QLineEdit>("device_profile_name_edit");
    struct Case {
        const char* typed;
        const char* message; // empty: no message box
        const char* listedAfter;
    };
    const Case cases[] = {
        {"PROFILE2", "A profile with this name already exists. Choose another name.", "profile1"},
        {"   ", "The profile name cannot be empty.", "profile1"},
        {"", "", "profile1"},
        {"Game", "", "Game"},
        {"GAME", "", "GAME"},
    };
    for (const Case& c : cases) {
        edit->clear();
        QTest::keyClicks(edit, c.typed);
        shownMessage.clear();
        if (*c.message)
            AnswerNextMessage("confirm_btn");
        Click("device_profile_edit_save_btn");
        EXPECT_EQ(shownMessage, c.message) << c.typed;
        EXPECT_EQ(ReadList(Folder())["profilelist"][0]["profilename"], c.listedAfter) << c.typed;
        EXPECT_EQ(Combo()->itemText(0), c.listedAfter);
    }
    EXPECT_EQ(data::ReadJsonFile(Folder() / (ListedId(0) + ".Json"))["profilename"], "GAME");
}

TEST_F(ProfilePanelTest, ResetAsksFirstAndThenReloadsTheDevice) {
    Load();
    const std::filesystem::path file = Folder() / (ListedId(0) + ".Json");
    Json::Value changed = data::ReadJsonFile(file);
    changed["Device"][0]["LightInfo"]["Red"] = 3;
    ASSERT_TRUE(data::WriteJsonFile(file, changed));
    Click("profile_fun_spread_btn");

    AnswerNextMessage("cancel_btn");
    Click("device_reset_btn");
    EXPECT_EQ(shownMessage.toStdString(),
              "Restore the default settings? The changes made in this profile will be lost.");
    EXPECT_EQ(data::ReadJsonFile(file), changed);
    EXPECT_EQ(device_.resets, 0);
    EXPECT_EQ(musicResets, 0);

    AnswerNextMessage("confirm_btn");
    Click("device_reset_btn");
    Json::Value expected = data::ReadJsonFile(root.DefaultProfile());
    expected["profilename"] = "profile1";
    expected["profileUUID"] = ListedId(0);
    EXPECT_EQ(data::ReadJsonFile(file), expected);
    EXPECT_EQ(device_.resets, 1);
    EXPECT_EQ(musicResets, 1) << "the music settings are reset with the profile";
}

TEST_F(ProfilePanelTest, ImportAndExportThroughTheButtons) {
    Load();
    Click("profile_fun_spread_btn");
    exportFile = QString::fromStdString((root.Root() / "Work.json").string());
    Click("device_export_btn");
    importFile = exportFile;
    Click("device_import_btn");
    Click("device_import_btn");
    ASSERT_EQ(Combo()->count(), 3);
    EXPECT_EQ(Combo()->itemText(1), "Work");
    EXPECT_EQ(Combo()->itemText(2), "Work(1)");

    importFile = QString::fromStdString((root.Root() / "bad.json").string());
    std::ofstream(importFile.toStdString())
        << R"({"profilename":"x","profileUUID":"y","Device":[1]})";
    Click("device_import_btn");
    importFile.clear(); // a cancelled dialog
    Click("device_import_btn");
    EXPECT_EQ(Combo()->count(), 3);
    EXPECT_EQ(CheckListedProfiles(Folder()).size(), 3u);
}

TEST_F(ProfilePanelTest, FunctionTabsShowTheirPageAndNothingActsWithoutACurrentDevice) {
    Load();
    Click("macro_Op_tab");
    EXPECT_EQ(device_.pages, std::vector<int>{3});
    EXPECT_EQ(panel->SelectedOpTab(), 3);
    Click("macro_Op_tab"); // clicking the shown tab keeps it shown
    EXPECT_EQ(panel->SelectedOpTab(), 3);
    EXPECT_EQ(device_.pages, std::vector<int>{3});

    current = {};
    Click("profile_fun_spread_btn");
    EXPECT_FALSE(panel->IsProfileMenuVisible());
    panel->ShowProfileMenu(true);
    Click("device_add_btn");
    Click("deng_Op_tab");
    EXPECT_EQ(Combo()->count(), 1);
    EXPECT_EQ(ProfileFileIds(Folder()).size(), 1u);
    EXPECT_EQ(device_.pages, std::vector<int>{3});
}

TEST_F(ProfilePanelTest, ADamagedListFileStillShowsEveryProfile) {
    Load();
    Click("profile_fun_spread_btn");
    Click("device_add_btn");
    Click("device_copy_btn");
    const std::set<std::string> ids = ProfileFileIds(Folder());
    std::ofstream(Folder() / data::kProfileListFileName, std::ios::trunc)
        << "{\"profilelist\": [nul";

    // The next command reads the list again, finds it damaged and rebuilds it from the files.
    Click("device_add_btn");
    EXPECT_EQ(Combo()->count(), 4);
    std::set<std::string> listed = CheckListedProfiles(Folder());
    for (const std::string& id : ids)
        EXPECT_TRUE(listed.contains(id)) << id;
    std::vector<QString> names;
    for (int i = 0; i < Combo()->count(); ++i)
        names.push_back(Combo()->itemText(i));
    EXPECT_EQ(names, (std::vector<QString>{"profile1", "profile2", "profile1 copy", "profile3"}));
}

TEST_F(ProfilePanelTest, TheSystemSaveDialogGivesExportsTheJsonSuffix) {
    CEventDispatcher plain([this] { return current; });
    RegisterProfileRoutes(plain.Routes(), {});
    manager.RemoveNotifier(&window);
    DispatchingWindow plainWindow(plain);
    manager.AddNotifier(&plainWindow);
    Load();
    Click("profile_fun_spread_btn");

    const QString typed = QString::fromStdString((root.Root() / "Exported").string());
    vpc::test::OnNextModal([typed](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        // selectFile leaves the name field alone while it has the focus
        if (QWidget* focused = dialog->focusWidget())
            focused->clearFocus();
        dialog->selectFile(typed);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    Click("device_export_btn");
    manager.RemoveNotifier(&plainWindow);
    EXPECT_EQ(data::ReadJsonFile(root.Root() / "Exported.json"),
              data::ReadJsonFile(Folder() / (ListedId(0) + ".Json")));
}

// A device object sees the panel only as a widget: it sets properties and listens to signals.
TEST_F(ProfilePanelTest, ADeviceSetsPropertiesAndHearsSwitchesBySignal) {
    QSignalSpy switches(panel, SIGNAL(profileSwitchRequested(QString)));
    QSignalSpy pages(panel, SIGNAL(functionPageRequested(int)));
    QWidget* widget = panel;
    widget->setProperty("deviceKind", kMousePadType);
    widget->setProperty("deviceFolder",
                        QString::fromStdString(root.DeviceFolder("MousePad").string()));
    EXPECT_EQ(Combo()->count(), 0) << "nothing loads before the default profile is known";
    widget->setProperty("defaultProfilePath",
                        QString::fromStdString(root.DefaultProfile("MousePad").string()));
    ASSERT_EQ(Combo()->count(), 1);
    EXPECT_EQ(panel->SelectedOpTab(), 1);
    EXPECT_FALSE(Part("key_Op_tab")->isVisibleTo(&page));
    const QString id = widget->property("currentProfileId").toString();
    EXPECT_TRUE(
        std::filesystem::exists(root.DeviceFolder("MousePad") / (id.toStdString() + ".Json")));

    current = {&page, kMousePadType};
    Click("profile_fun_spread_btn");
    Click("device_add_btn");
    Click("device_sub_btn");
    ASSERT_EQ(switches.count(), 1);
    EXPECT_NE(switches.at(0).at(0).toString(), id) << "the deleted profile was current";
    EXPECT_EQ(switches.at(0).at(0).toString(), widget->property("currentProfileId").toString());
    Click("deng_Op_tab");
    EXPECT_EQ(pages.count(), 0) << "the shown tab stays shown";
}

} // namespace
} // namespace vpc::panels
