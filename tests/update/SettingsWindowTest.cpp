// The settings window driven through its real widgets from the main window: opening it,
// switching the language both ways, the update list against a local update server, the
// confirmed download verified or refused, and closing at any time.
#include "LocalServer.h"
#include "MainWnd.h"
#include "OnNextModal.h"
#include "SetWnd.h"
#include "SkinResources.h"
#include "UpdateCheck.h"
#include "UpdateInfoListItemUI.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QLabel>
#include <QStackedWidget>
#include <QTest>

namespace vpc::update::test {
namespace {

// With VPC_TEST_SCREENSHOTS set to a folder, pictures of the windows are saved there for a
// person to look at.
void SaveShot(QWidget* window, const char* name) {
    const QByteArray folder = qgetenv("VPC_TEST_SCREENSHOTS");
    if (folder.isEmpty())
        return;
    QCoreApplication::processEvents(); // layouts catch up with the latest texts
    window->grab().save(QString::fromLocal8Bit(folder) + "/" + name + ".png");
}

class SettingsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        fs::create_directories(root());
        fs::create_directories(cache());
        m_env.push_back(std::make_unique<ScopedEnv>("VPC_USER_DATA_ROOT", root().string()));
        m_env.push_back(std::make_unique<ScopedEnv>("VPC_CACHE_DIR", cache().string()));
        for (const char* name :
             {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            m_env.push_back(std::make_unique<ScopedEnv>(name, std::nullopt));
        CSkinResources& skin = CSkinResources::Instance();
        ASSERT_TRUE(skin.SetResourcePath(QStringLiteral(VPC_SKIN_SOURCE_DIR)));
        ASSERT_TRUE(skin.LoadLanguage("English", "language/en.json"));
    }
    fs::path folder() const { return fs::path(m_dir.path().toStdString()); }
    fs::path root() const { return folder() / "root"; }
    fs::path cache() const { return folder() / "cache"; }

    // Points the update check at `apiBase` through a configuration file of the test's own.
    void UseServer(const std::string& apiBase) {
        Json::Value doc;
        doc["api_base"] = apiBase;
        doc["brand"] = "TB";
        const char* codes[] = {"MSX", "KBX", "RXX", "APX"};
        for (int i = 0; i < 4; ++i) {
            doc["targets"][i]["flag"] = 21 + i;
            doc["targets"][i]["kind_code"] = codes[i];
        }
        const fs::path file = folder() / "server.config";
        WriteAll(file, Json::writeString(Json::StreamWriterBuilder(), doc));
        m_env.push_back(std::make_unique<ScopedEnv>(kUpdateServerConfigEnv, file.string()));
    }

    static void Click(QWidget* window, const char* name) {
        auto* button = window->findChild<QAbstractButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    static QString LabelText(QWidget* window, const char* name) {
        auto* label = window->findChild<QLabel*>(QString::fromLatin1(name));
        return label ? label->text() : QStringLiteral("<missing %1>").arg(name);
    }

    QTemporaryDir m_dir;
    std::vector<std::unique_ptr<ScopedEnv>> m_env;
};

TEST_F(SettingsWindowTest, SetButtonOpensItAndAnUnreachableServerIsSaid) {
    UseServer("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/api/");
    CMainWnd mainWindow;
    ASSERT_TRUE(mainWindow.Create(nullptr, "main", 0, 0, 800, 572));
    mainWindow.show();
    // Its working size and place now, not from its delayed fit while the settings are open.
    mainWindow.FitDpiToMonitor();

    bool opened = false;
    bool finished = false;
    int state = -1;
    QString status;
    QString oldRev;
    QString rowName;
    QString rowStatus;
    bool updateButtonShown = true;
    QSize size;
    QPoint position;
    QRect mainFrame;
    vpc::test::OnNextModal([&](QWidget* window) {
        auto* settings = qobject_cast<CSetWnd*>(window);
        if (!settings || opened)
            return;
        opened = true;
        finished = QTest::qWaitFor([&] { return settings->IsCheckFinished(); }, 30000);
        state = settings->CheckState();
        status = LabelText(settings, "Update_Status_text");
        size = settings->size();
        position = settings->pos();
        mainFrame = mainWindow.geometry();
        if (CUpdateInfoListItemUI* row = settings->RowControl(0)) {
            oldRev = row->OldVersionText();
            rowName = row->CheckBox() ? row->CheckBox()->text() : QString();
            rowStatus = row->StatusTextId();
        }
        updateButtonShown = !settings->findChild<QWidget*>("update_fw_and_ap")->isHidden();
        Click(settings, "closebtn");
    });
    Click(&mainWindow, "setbtn");
    ASSERT_TRUE(opened);
    EXPECT_TRUE(finished);
    EXPECT_EQ(state, kStateServerUnreachable);
    EXPECT_EQ(status, "The update server cannot be reached.");
    // Without devices only the program itself is checked.
    EXPECT_EQ(rowName, "AP");
    EXPECT_EQ(oldRev, "1.0.1.1");
    // unanswered, the row does not claim to be up to date
    EXPECT_EQ(rowStatus, "UpdateNotCheckedText");
    EXPECT_FALSE(updateButtonShown);
    EXPECT_EQ(size, QSize(630, 500));
    // "setbtn" hangs it below the title bar, 30 pixels in from the main window's right edge.
    EXPECT_EQ(position, QPoint(mainFrame.right() + 1 - 30 - 630, mainFrame.top() + 60));
    EXPECT_FALSE(mainWindow.IsSettingsWindowOpen());
    // The first opening made the date file with today's date.
    EXPECT_EQ(ReadLastCheckDate(root()), TodayDateText());
}

TEST_F(SettingsWindowTest, LanguageSwitchRetextsTheMainWindowBothWays) {
    UseServer("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/api/");
    CMainWnd mainWindow;
    ASSERT_TRUE(mainWindow.Create(nullptr, "main", 0, 0, 800, 572));
    mainWindow.show();
    // Its working size and place now, not from its delayed fit while the settings are open.
    mainWindow.FitDpiToMonitor();
    ASSERT_EQ(mainWindow.LanguageIndex(), 0);
    const QString englishTitle = LabelText(&mainWindow, "no_device_title");

    bool opened = false;
    QString chineseTitle;
    QString chineseSettingsTitle;
    QString chineseStatus;
    QString englishAgain;
    QStringList items;
    QPoint centre;
    QPoint mainCentre;
    vpc::test::OnNextModal([&](QWidget* window) {
        auto* settings = qobject_cast<CSetWnd*>(window);
        if (!settings || opened)
            return;
        opened = true;
        EXPECT_TRUE(QTest::qWaitFor([&] { return settings->IsCheckFinished(); }, 30000));
        auto* combo = settings->findChild<QComboBox*>("Language_combox_info");
        ASSERT_NE(combo, nullptr);
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        centre = settings->geometry().center();
        mainCentre = mainWindow.geometry().center();
        SaveShot(settings, "settings-english");
        combo->setCurrentIndex(1);
        SaveShot(settings, "settings-chinese");
        SaveShot(&mainWindow, "main-chinese");
        chineseTitle = LabelText(&mainWindow, "no_device_title");
        chineseSettingsTitle = LabelText(settings, "setwnd_title");
        chineseStatus = LabelText(settings, "Update_Status_text");
        combo->setCurrentIndex(0);
        SaveShot(&mainWindow, "main-english");
        englishAgain = LabelText(&mainWindow, "no_device_title");
        Click(settings, "closebtn");
    });
    mainWindow.HandleMenuCommand("setwnd_menu");
    ASSERT_TRUE(opened);
    EXPECT_EQ(items, (QStringList{"English", "简体中文"}));
    EXPECT_EQ(centre, mainCentre); // the tray menu centres it
    EXPECT_NE(chineseTitle, englishTitle);
    EXPECT_FALSE(chineseTitle.isEmpty());
    EXPECT_EQ(chineseSettingsTitle, "设置");
    EXPECT_EQ(chineseStatus, "无法连接更新服务器。");
    EXPECT_EQ(englishAgain, englishTitle);
    EXPECT_EQ(mainWindow.LanguageIndex(), 0);
}

struct PackageSeen {
    int kind = -1;
    QString file;
};

TEST_F(SettingsWindowTest, ConfirmedUpdateIsDownloadedVerifiedAndHandedOver) {
    LocalServer server(folder());
    ASSERT_TRUE(server.ok());
    UseServer(server.Url("/api/"));
    std::string package(70000, '\0');
    for (size_t i = 0; i < package.size(); ++i)
        package[i] = static_cast<char>((i * 13 + 5) & 0xFF);
    WriteAll(folder() / "program.pkg", package);
    const std::string sha =
        QCryptographicHash::hash(QByteArray::fromStdString(package), QCryptographicHash::Sha256)
            .toHex()
            .toStdString();
    Json::Value reply;
    reply["name"] = "Control Center";
    reply["version"] = "1012";
    reply["version_name"] = "1.0.1.2";
    reply["path"] = "/files/program.pkg";
    reply["size"] = static_cast<Json::Int64>(package.size());
    reply["sha256"] = sha;
    Json::Value routes;
    routes["TB_0_ALL_APX_24"]["body"] = Json::writeString(Json::StreamWriterBuilder(), reply);
    routes["/files/program.pkg"]["body_file"] = (folder() / "program.pkg").string();
    server.SetRoutes(routes);

    CMainWnd mainWindow;
    ASSERT_TRUE(mainWindow.Create(nullptr, "main", 0, 0, 800, 572));
    mainWindow.show();
    bool opened = false;
    int stateAfterCheck = -1;
    QString newRev;
    bool ticked = false;
    bool buttonShown = false;
    int confirmPage = -1;
    QString waitingText;
    bool downloaded = false;
    int finalStatus = -1;
    QString finalOldRev;
    PackageSeen seen;
    bool hiddenWhenCleared = false;
    bool shownWhenTicked = false;
    int statusAfterStrayReport = -1;
    vpc::test::OnNextModal([&](QWidget* window) {
        auto* settings = qobject_cast<CSetWnd*>(window);
        if (!settings || opened)
            return;
        opened = true;
        settings->SetPackageHandler([&](const UpdateEntry& entry, const QString& file) {
            seen.kind = entry.kind;
            seen.file = file;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return settings->IsCheckFinished(); }, 30000));
        stateAfterCheck = settings->CheckState();
        CUpdateInfoListItemUI* row = settings->RowControl(0);
        ASSERT_NE(row, nullptr);
        newRev = row->NewVersionText();
        ticked = row->IsChecked();
        buttonShown = !settings->findChild<QWidget*>("update_fw_and_ap")->isHidden();
        SaveShot(settings, "settings-update-found");
        // Clearing the only tick hides the update button; ticking again shows it.
        auto* button = settings->findChild<QWidget*>("update_fw_and_ap");
        QTest::mouseClick(row->CheckBox(), Qt::LeftButton, {},
                          QPoint(6, row->CheckBox()->height() / 2));
        hiddenWhenCleared = button->isHidden() && !button->isEnabled();
        QTest::mouseClick(row->CheckBox(), Qt::LeftButton, {},
                          QPoint(6, row->CheckBox()->height() / 2));
        shownWhenTicked = !button->isHidden() && button->isEnabled() && row->IsChecked();
        Click(settings, "update_fw_and_ap");
        SaveShot(settings, "settings-confirm");
        confirmPage = settings->findChild<QStackedWidget*>("get_update_tab_layout")->currentIndex();
        Click(settings, "update_OK_btn");
        waitingText = row->StatusTextId();
        downloaded = QTest::qWaitFor([&] { return settings->IsDownloadFinished(); }, 30000);
        finalStatus = settings->List().Row(0).GetStatus();
        finalOldRev = row->OldVersionText();
        // An updater's report without a current row changes nothing.
        mainWindow.ForwardUpdateStatus(2, 0);
        statusAfterStrayReport = settings->List().Row(0).GetStatus();
        SaveShot(settings, "settings-downloaded");
        Click(settings, "closebtn");
    });
    mainWindow.OpenSettingsWindow();
    ASSERT_TRUE(opened);
    EXPECT_EQ(stateAfterCheck, kStateUpdatesFound);
    EXPECT_EQ(newRev, "1.0.1.2");
    EXPECT_TRUE(ticked);
    EXPECT_TRUE(buttonShown);
    EXPECT_TRUE(hiddenWhenCleared);
    EXPECT_TRUE(shownWhenTicked);
    EXPECT_EQ(confirmPage, 1);
    EXPECT_TRUE(waitingText == "DownloadWaitText" || waitingText == "DownloadIngText" ||
                waitingText == "UpdateOkText")
        << waitingText.toStdString();
    EXPECT_TRUE(downloaded);
    EXPECT_EQ(finalStatus, kStatusUpdateOk);
    EXPECT_EQ(finalOldRev, "1.0.1.2");
    EXPECT_EQ(statusAfterStrayReport, kStatusUpdateOk);
    EXPECT_EQ(seen.kind, 0);
    const fs::path saved = cache() / "UpdateData" / "AP.exe";
    EXPECT_EQ(seen.file.toStdString(), saved.string());
    EXPECT_EQ(ReadAll(saved), package);
}

TEST_F(SettingsWindowTest, CorruptedDownloadIsRefusedAndTheRowFails) {
    LocalServer server(folder());
    ASSERT_TRUE(server.ok());
    UseServer(server.Url("/api/"));
    WriteAll(folder() / "program.pkg", "forged package");
    Json::Value reply;
    reply["name"] = "AP";
    reply["version"] = "1012";
    reply["version_name"] = "1.0.1.2";
    reply["path"] = "/files/program.pkg";
    reply["size"] = 14;
    reply["sha256"] = std::string(64, 'a');
    Json::Value routes;
    routes["TB_0_ALL_APX_24"]["body"] = Json::writeString(Json::StreamWriterBuilder(), reply);
    routes["/files/program.pkg"]["body_file"] = (folder() / "program.pkg").string();
    server.SetRoutes(routes);

    CMainWnd mainWindow;
    ASSERT_TRUE(mainWindow.Create(nullptr, "main", 0, 0, 800, 572));
    bool opened = false;
    bool handedOver = false;
    QString statusId;
    bool checkUsable = false;
    vpc::test::OnNextModal([&](QWidget* window) {
        auto* settings = qobject_cast<CSetWnd*>(window);
        if (!settings || opened)
            return;
        opened = true;
        settings->SetPackageHandler([&](const UpdateEntry&, const QString&) { handedOver = true; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return settings->IsCheckFinished(); }, 30000));
        Click(settings, "update_fw_and_ap");
        Click(settings, "update_OK_btn");
        EXPECT_TRUE(QTest::qWaitFor([&] { return settings->IsDownloadFinished(); }, 30000));
        CUpdateInfoListItemUI* row = settings->RowControl(0);
        statusId = row ? row->StatusTextId() : QString();
        checkUsable = row && row->CheckBox() && row->CheckBox()->isEnabled();
        SaveShot(settings, "settings-download-failed");
        Click(settings, "closebtn");
    });
    mainWindow.OpenSettingsWindow();
    ASSERT_TRUE(opened);
    EXPECT_FALSE(handedOver);
    EXPECT_EQ(statusId, "UpdateFailText");
    EXPECT_TRUE(checkUsable);
    EXPECT_FALSE(fs::exists(cache() / "UpdateData" / "AP.exe"));
}

TEST_F(SettingsWindowTest, ClosesWhileTheCheckWaitsOnAStalledServer) {
    LocalServer server(folder());
    ASSERT_TRUE(server.ok());
    UseServer(server.Url("/api/"));
    Json::Value routes;
    routes["TB_0_ALL_APX_24"]["stall"] = true;
    server.SetRoutes(routes);

    CMainWnd mainWindow;
    ASSERT_TRUE(mainWindow.Create(nullptr, "main", 0, 0, 800, 572));
    bool opened = false;
    int state = -1;
    vpc::test::OnNextModal([&](QWidget* window) {
        auto* settings = qobject_cast<CSetWnd*>(window);
        if (!settings || opened)
            return;
        opened = true;
        EXPECT_TRUE(WaitUntil([&] { return server.Requests().size() == 1; }));
        QCoreApplication::processEvents();
        state = settings->CheckState();
        Click(settings, "closebtn");
    });
    mainWindow.OpenSettingsWindow();
    ASSERT_TRUE(opened);
    EXPECT_EQ(state, kStateChecking);
    EXPECT_FALSE(mainWindow.IsSettingsWindowOpen());
    EXPECT_EQ(server.Requests().size(), 1u);
}

} // namespace
} // namespace vpc::update::test
