// The update check against a local update server: entries and app keys, the request body,
// the version cases, failures that never read as "up to date", the worker's rows and check
// state, and "updatetime.config".
#include "LocalServer.h"
#include "UpdateCheck.h"
#include "UpdateCheckWorker.h"
#include "UpdateList.h"

#include <QCoreApplication>
#include <QTest>

namespace vpc::update::test {
namespace {

// The registration the tests' server knows: none of it is the shipped configuration's.
Json::Value TestConfigDocument(const std::string& apiBase) {
    Json::Value doc;
    doc["api_base"] = apiBase;
    doc["brand"] = "TB";
    const char* codes[] = {"MSX", "KBX", "RXX", "APX"};
    for (int i = 0; i < 4; ++i) {
        doc["targets"][i]["flag"] = 11 + i;
        doc["targets"][i]["kind_code"] = codes[i];
    }
    return doc;
}

UpdateServerConfig TestConfig(const std::string& apiBase) {
    UpdateServerConfig config = ParseUpdateServerConfig(TestConfigDocument(apiBase));
    EXPECT_TRUE(config.ok()) << config.error;
    return config;
}

Json::Value Reply(const std::string& name, const std::string& version,
                  const std::string& versionName = "", int status = 200) {
    Json::Value body;
    body["path"] = "/files/package.bin";
    body["name"] = name;
    body["version"] = version;
    body["version_name"] = versionName;
    body["device_id"] = 77;
    Json::Value route;
    route["status"] = status;
    route["body"] = Json::writeString(Json::StreamWriterBuilder(), body);
    return route;
}

Json::Value RawReply(const std::string& text, int status = 200) {
    Json::Value route;
    route["status"] = status;
    route["body"] = text;
    return route;
}

class UpdateCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        for (const char* name :
             {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            m_env.push_back(std::make_unique<ScopedEnv>(name, std::nullopt));
    }
    fs::path folder() const { return fs::path(m_dir.path().toStdString()); }

    QTemporaryDir m_dir;
    std::vector<std::unique_ptr<ScopedEnv>> m_env;
};

TEST(UpdateEntries, TableRegistrationAndVersions) {
    const UpdateServerConfig config = TestConfig("http://127.0.0.1:1/api/");
    // A device list of five stops at the table's four entries; the last is the application.
    const auto entries = RefreshUpdateEntries(config, {0x0102, 0, 0x0301, 0x0999, 0x0555},
                                              ReadInstalledVersion("1.0.1.1"));
    EXPECT_EQ(entries[0].version, 0x0102);
    EXPECT_EQ(entries[1].version, 0);
    EXPECT_EQ(entries[2].version, 0x0301);
    EXPECT_EQ(entries[3].version, 1011);
    EXPECT_EQ(entries[2].rowName, "N37");
    EXPECT_EQ(entries[2].modelCode, "RQ52P05C_1");
    EXPECT_EQ(entries[3].versionText, "1.0.1.1");
    EXPECT_EQ(MakeAppKey(entries[0]), "TB_1_RQ52P03C_MSX_11");
    EXPECT_EQ(MakeAppKey(entries[1]), "NULL");
    EXPECT_EQ(MakeAppKey(entries[2]), "TB_2_RQ52P05C_1_RXX_13");
    EXPECT_EQ(MakeAppKey(entries[3]), "TB_0_ALL_APX_14");
    const auto wanted = EntriesToCheck(entries);
    ASSERT_EQ(wanted.size(), 3u);
    EXPECT_EQ(wanted[0].rowName, "MS");
    EXPECT_EQ(wanted[1].rowName, "N37");
    EXPECT_EQ(wanted[2].rowName, "AP");
}

TEST(UpdateEntries, NumbersAndTexts) {
    struct VersionCase {
        const char* text;
        std::int32_t expected;
    };
    for (const VersionCase& c :
         {VersionCase{"1.0.1.1", 1011}, VersionCase{"2.30", 230}, VersionCase{"", 0},
          VersionCase{"beta", 0}, VersionCase{"12a.3", 12}}) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadInstalledVersion(c.text), c.expected);
    }
    struct ParseCase {
        const char* text;
        int base;
        std::uint32_t expected;
    };
    for (const ParseCase& c :
         {ParseCase{"0103", 16, 0x103}, ParseCase{"0x1A", 16, 0x1A}, ParseCase{"  7fz", 16, 0x7F},
          ParseCase{"0x", 16, 0}, ParseCase{"1012", 10, 1012}, ParseCase{"1.0.1.2", 10, 1},
          ParseCase{"abc", 10, 0}, ParseCase{"99999999999", 10, 0xFFFFFFFFu},
          ParseCase{"ffffffff", 16, 0xFFFFFFFFu}}) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseVersionNumber(c.text, c.base), c.expected);
    }
    EXPECT_EQ(BuildUpdateBody("K", 0x0102, 1), "app_key=K&version=102");
    EXPECT_EQ(BuildUpdateBody("K", 0x0A0B, 2), "app_key=K&version=a0b");
    EXPECT_EQ(BuildUpdateBody("K", 1011, 0), "app_key=K&version=1011");
    EXPECT_EQ(FormatLocalVersion(0x0102, 1), "V0102");
    EXPECT_EQ(FormatLocalVersion(0x1a2b3, 2), "V1a2b3");
    EXPECT_EQ(FormatLocalVersion(1011, 0), "V1011");
}

TEST(UpdateServerConfiguration, RefusesWhatTheServerCannotUse) {
    EXPECT_TRUE(ParseUpdateServerConfig(TestConfigDocument("https://h.example/api/")).ok());
    struct Case {
        const char* what;
        std::function<void(Json::Value&)> spoil;
    };
    const std::vector<Case> cases = {
        {"file URL", [](Json::Value& d) { d["api_base"] = "file:///tmp/api/"; }},
        {"no /api/ end", [](Json::Value& d) { d["api_base"] = "http://h.example/"; }},
        {"lower-case brand", [](Json::Value& d) { d["brand"] = "tb"; }},
        {"three targets", [](Json::Value& d) { d["targets"].resize(3); }},
        {"kind code with a slash", [](Json::Value& d) { d["targets"][2]["kind_code"] = "A/B"; }},
        {"not an object", [](Json::Value& d) { d = Json::Value("text"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Json::Value doc = TestConfigDocument("https://h.example/api/");
        c.spoil(doc);
        EXPECT_FALSE(ParseUpdateServerConfig(doc).ok());
    }
}

TEST_F(UpdateCheckTest, ConfigurationComesFromTheFileTheEnvironmentNames) {
    const fs::path file = folder() / "server.config";
    WriteAll(file, Json::writeString(Json::StreamWriterBuilder(),
                                     TestConfigDocument("http://127.0.0.1:9/api/")));
    ScopedEnv env(kUpdateServerConfigEnv, file.string());
    const UpdateServerConfig config = LoadUpdateServerConfig();
    EXPECT_TRUE(config.ok()) << config.error;
    EXPECT_EQ(config.apiBase, "http://127.0.0.1:9/api/");
    EXPECT_EQ(config.targets[3].kindCode, "APX");
    EXPECT_EQ(config.targets[3].flag, 14);
}

TEST(UpdateServerConfiguration, ShippedFileIsUsable) {
    ScopedEnv env(kUpdateServerConfigEnv,
                  std::string(VPC_TEST_DEFAULT_DATA_DIR) + "/UpdateServer.config");
    const UpdateServerConfig config = LoadUpdateServerConfig();
    EXPECT_TRUE(config.ok()) << config.error;
}

TEST_F(UpdateCheckTest, VersionCases) {
    LocalServer server(folder());
    ASSERT_TRUE(server.ok());
    const UpdateServerConfig config = TestConfig(server.Url("/api/"));
    struct Case {
        const char* what;
        std::int32_t kind;
        std::int32_t version;
        Json::Value reply;
        const char* body;
        int status;
        const char* local;
        const char* newer;
    };
    const std::vector<Case> cases = {
        {"firmware newer", 1, 0x0102, Reply("KB", "0103"), "app_key=K0&version=102", 1, "V0102",
         "V0103"},
        {"firmware same", 1, 0x0102, Reply("KB", "0102"), "app_key=K1&version=102", 7, "V0102",
         "V0102"},
        {"firmware older", 2, 0x0a31, Reply("N37", "0A30"), "app_key=K2&version=a31", 7, "V0a31",
         "V0A30"},
        {"application newer", 0, 1011, Reply("AP", "1012", "1.0.1.2"), "app_key=K3&version=1011", 1,
         "V1011", "1.0.1.2"},
        {"application same", 0, 1011, Reply("AP", "1011", "1.0.1.1"), "app_key=K4&version=1011", 7,
         "V1011", "1.0.1.1"},
        {"version not a number", 1, 0x0102, Reply("KB", "new"), "app_key=K5&version=102", 7,
         "V0102", "Vnew"},
    };
    Json::Value routes;
    for (size_t i = 0; i < cases.size(); ++i)
        routes["K" + std::to_string(i)] = cases[i].reply;
    server.SetRoutes(routes);

    CHttpClient client;
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.what);
        const UpdateResult result =
            CheckUpdate(client, config, "K" + std::to_string(i), c.version, c.kind);
        EXPECT_FALSE(result.failed);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.localVersionText, c.local);
        EXPECT_EQ(result.newVersionText, c.newer);
        EXPECT_EQ(result.downloadPath, "/files/package.bin");
        EXPECT_EQ(result.deviceId, 77);
        const auto requests = server.Requests();
        ASSERT_EQ(requests.size(), i + 1);
        EXPECT_EQ(requests[i]["path"].asString(), "/api/updates");
        EXPECT_EQ(requests[i]["method"].asString(), "POST");
        EXPECT_EQ(FromHex(requests[i]["body_hex"].asString()), std::string(c.body) + '\0');
    }
}

TEST_F(UpdateCheckTest, FailedChecksAreFailuresNotUpToDate) {
    TestAuthority stranger(folder(), "stranger");
    ASSERT_TRUE(stranger.ok());
    LocalServer server(folder());
    LocalServer forged(folder(), &stranger);
    ASSERT_TRUE(server.ok());
    ASSERT_TRUE(forged.ok());
    Json::Value routes;
    routes["E500"] = Reply("KB", "0199", "", 500);
    routes["EMPTY"] = RawReply("");
    routes["HTML"] = RawReply("<html><body>maintenance</body></html>");
    routes["ARRAY"] = RawReply("[1, 2]");
    Json::Value huge;
    huge["body"] = "{\"name\":\"KB\",\"version\":\"0199\",\"pad\":\"" +
                   std::string(kUpdateReplyCapacity, 'p') + "\"}";
    routes["HUGE"] = huge;
    server.SetRoutes(routes);
    forged.SetRoutes(routes);

    struct Case {
        const char* key;
        std::string apiBase;
        const char* name;
    };
    const std::string base = server.Url("/api/");
    const std::vector<Case> cases = {
        {"E500", base, ""},
        {"EMPTY", base, ""},
        {"HTML", base, ""},
        {"ARRAY", base, ""},
        {"HUGE", base, ""},
        {"E500", "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/api/", "NO_LINK_SERVER"},
        {"E500", forged.Url("/api/"), "NO_LINK_SERVER"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " at " + c.apiBase);
        UpdateServerConfig config = TestConfig(c.apiBase);
        CHttpClient client;
        const UpdateResult result = CheckUpdate(client, config, c.key, 0x0102, 1);
        EXPECT_TRUE(result.failed);
        EXPECT_EQ(result.name, c.name);
        EXPECT_EQ(result.status, kStatusUpdateOk);
        EXPECT_TRUE(result.newVersionText.empty());
    }
}

// Runs a worker over the entries and waits for its end, with the window's list beside it.
struct WorkerRun {
    UpdateList list;
    std::vector<int> states;
    bool finished = false;

    WorkerRun(const fs::path& root, const fs::path& updates) : list(root, updates) {}

    void Run(const std::vector<UpdateEntry>& entries, const UpdateServerConfig& config) {
        QObject context;
        list.OpenLastCheckDate();
        UpdateCheckWorker worker(&context,
                                 {[this](int state) {
                                      list.SetState(state);
                                      states.push_back(state);
                                  },
                                  [this](const UpdateResult& r) { list.AddUpdateRow(r); },
                                  [this](const UpdateResult& r, int k) { list.SetUpdateRow(r, k); },
                                  [this](int failures, int count) {
                                      states.push_back(list.FinishCheck(failures, count));
                                      finished = true;
                                  }});
        ASSERT_TRUE(worker.Start(entries, config));
        const bool done = QTest::qWaitFor([this] { return finished; }, 30000);
        worker.Stop();
        ASSERT_TRUE(done);
    }
};

TEST_F(UpdateCheckTest, WorkerFillsRowsAndNamesThemByTheirTable) {
    LocalServer server(folder());
    ASSERT_TRUE(server.ok());
    const UpdateServerConfig config = TestConfig(server.Url("/api/"));
    const auto entries =
        EntriesToCheck(RefreshUpdateEntries(config, {0x0102, 0x0201, 0x0301}, 1011));
    ASSERT_EQ(entries.size(), 4u);
    Json::Value routes;
    routes["TB_1_RQ52P03C_MSX_11"] = Reply("Some Mouse", "0103");    // newer
    routes["TB_1_RQ52P04C_KBX_12"] = Reply("", "0999");              // empty name
    routes["TB_2_RQ52P05C_1_RXX_13"] = Reply("Receiver", "0301");    // same
    routes["TB_0_ALL_APX_14"] = Reply("Program", "1012", "1.0.1.2"); // newer
    server.SetRoutes(routes);

    WorkerRun run(folder() / "root", folder() / "updates");
    fs::create_directories(folder() / "root");
    run.Run(entries, config);

    EXPECT_EQ(run.states, (std::vector<int>{kStateChecking, kStateUpdatesFound}));
    ASSERT_EQ(run.list.RowCount(), 4);
    const char* names[] = {"MS", "KB", "N37", "AP"};
    const int statuses[] = {1, 7, 7, 1};
    const char* olds[] = {"V0102", "V0201", "V0301", "V1011"};
    const char* newers[] = {"V0103", "", "", "1.0.1.2"};
    // a reply without a name leaves the row unchecked; the same version is up to date
    const char* texts[] = {"NeedUpdateText", "UpdateNotCheckedText", "UpdateOkText",
                           "NeedUpdateText"};
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        const UpdateRowState& row = run.list.Row(k);
        EXPECT_EQ(row.NameText(), names[k]);
        EXPECT_EQ(row.GetStatus(), statuses[k]);
        EXPECT_EQ(row.OldVersionText(), olds[k]);
        EXPECT_EQ(row.GetNewVersionText(), newers[k]);
        EXPECT_EQ(row.NewVersionShown(), statuses[k] == 1);
        EXPECT_EQ(row.StatusTextId(), texts[k]);
        // Rows with an update are ticked by the check itself.
        EXPECT_EQ(row.IsChecked(), statuses[k] == 1);
        EXPECT_EQ(row.CheckEnabled(), statuses[k] == 1);
        EXPECT_EQ(run.list.Result(k).installerPath,
                  (folder() / "updates" / (std::string(names[k]) + ".exe")).string());
    }
    EXPECT_TRUE(run.list.AnyChecked());
    EXPECT_EQ(ReadLastCheckDate(folder() / "root"), TodayDateText());
}

TEST_F(UpdateCheckTest, PlaceholderRowsShowInstalledVersionsBeforeTheReplies) {
    const UpdateServerConfig config = TestConfig("http://127.0.0.1:1/api/");
    const auto entries = RefreshUpdateEntries(config, {0x0102}, 1011);
    const UpdateResult device = PlaceholderResult(entries[0]);
    EXPECT_EQ(device.name, "MS");
    EXPECT_EQ(device.localVersionText, "V0102");
    EXPECT_EQ(device.status, kStatusUpdateOk);
    const UpdateResult program = PlaceholderResult(entries[3]);
    EXPECT_EQ(program.name, "AP");
    EXPECT_EQ(program.localVersionText, "1.0.1.1");
    EXPECT_TRUE(program.newVersionText.empty());
}

TEST_F(UpdateCheckTest, TwoUnreachableEntriesGiveState2AndKeepTheDate) {
    const UpdateServerConfig config =
        TestConfig("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/api/");
    const auto entries = EntriesToCheck(RefreshUpdateEntries(config, {0x0102}, 1011));
    ASSERT_EQ(entries.size(), 2u);
    fs::create_directories(folder() / "root");
    WriteLastCheckDate(folder() / "root", "2024-5-7");

    WorkerRun run(folder() / "root", folder() / "updates");
    run.Run(entries, config);
    EXPECT_EQ(run.states.back(), kStateServerUnreachable);
    EXPECT_EQ(run.list.DateText(), "2024-5-7");
    EXPECT_EQ(ReadLastCheckDate(folder() / "root"), "2024-5-7");
    ASSERT_EQ(run.list.RowCount(), 2);
    EXPECT_EQ(run.list.Row(0).NameText(), "MS");
    EXPECT_EQ(run.list.Row(1).OldVersionText(), "1.0.1.1");
    EXPECT_FALSE(run.list.Row(1).CheckEnabled());
}

TEST_F(UpdateCheckTest, OneUnreachableAndOneUpToDateGiveState4) {
    LocalServer server(folder());
    ASSERT_TRUE(server.ok());
    const UpdateServerConfig config = TestConfig(server.Url("/api/"));
    const auto entries = EntriesToCheck(RefreshUpdateEntries(config, {0x0102}, 1011));
    Json::Value routes;
    routes["TB_0_ALL_APX_14"] = Reply("AP", "1011", "1.0.1.1");
    routes["TB_1_RQ52P03C_MSX_11"] = RawReply("", 503); // the device's check fails
    server.SetRoutes(routes);
    fs::create_directories(folder() / "root");

    WorkerRun run(folder() / "root", folder() / "updates");
    run.Run(entries, config);
    EXPECT_EQ(run.states.back(), kStateUpToDate);
    EXPECT_EQ(run.list.Row(1).OldVersionText(), "V1011");
}

TEST_F(UpdateCheckTest, EveryFailureKindKeepsState2) {
    LocalServer server(folder());
    ASSERT_TRUE(server.ok());
    const UpdateServerConfig config = TestConfig(server.Url("/api/"));
    const auto entries = EntriesToCheck(RefreshUpdateEntries(config, {0x0102, 0x0201}, 1011));
    Json::Value routes;
    routes["TB_1_RQ52P03C_MSX_11"] = RawReply("");
    routes["TB_1_RQ52P04C_KBX_12"] = RawReply("<html>oops</html>");
    routes["TB_0_ALL_APX_14"] = Reply("AP", "1012", "1.0.1.2", 500);
    server.SetRoutes(routes);
    fs::create_directories(folder() / "root");

    WorkerRun run(folder() / "root", folder() / "updates");
    run.Run(entries, config);
    EXPECT_EQ(run.states.back(), kStateServerUnreachable);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(run.list.Row(k).GetStatus(), kStatusUpdateOk) << k;
}

TEST_F(UpdateCheckTest, NoEntriesGiveState2) {
    WorkerRun run(folder(), folder() / "updates");
    run.Run({}, TestConfig("http://127.0.0.1:1/api/"));
    EXPECT_EQ(run.states.back(), kStateServerUnreachable);
    EXPECT_EQ(run.list.RowCount(), 0);
}

TEST_F(UpdateCheckTest, StoppingEndsAStalledCheckWithoutFurtherReports) {
    LocalServer server(folder());
    ASSERT_TRUE(server.ok());
    const UpdateServerConfig config = TestConfig(server.Url("/api/"));
    const auto entries = EntriesToCheck(RefreshUpdateEntries(config, {0x0102}, 1011));
    Json::Value routes;
    routes["TB_1_RQ52P03C_MSX_11"]["stall"] = true;
    server.SetRoutes(routes);

    QObject context;
    int rowsAdded = 0;
    int rowsSet = 0;
    bool finished = false;
    UpdateCheckWorker worker(&context, {nullptr, [&](const UpdateResult&) { ++rowsAdded; },
                                        [&](const UpdateResult&, int) { ++rowsSet; },
                                        [&](int, int) { finished = true; }});
    ASSERT_TRUE(worker.Start(entries, config));
    const bool asked = WaitUntil([&] { return server.Requests().size() == 1; });
    worker.Stop();
    ASSERT_TRUE(asked);
    EXPECT_FALSE(worker.IsRunning());
    QCoreApplication::processEvents();
    // The placeholder rows may have been delivered before the stop; nothing after it.
    EXPECT_EQ(rowsSet, 0);
    EXPECT_FALSE(finished);
    EXPECT_LE(rowsAdded, 2);
}

TEST_F(UpdateCheckTest, FirstOpeningCreatesTheDateFile) {
    const fs::path root = folder() / "root";
    fs::create_directories(root);
    UpdateList list(root, folder() / "updates");
    list.OpenLastCheckDate();
    EXPECT_EQ(list.DateText(), TodayDateText());
    const std::string text = ReadAll(root / "updatetime.config");
    EXPECT_NE(text.find("\"updatelasttime\""), std::string::npos);
    EXPECT_EQ(ReadLastCheckDate(root), TodayDateText());

    // A later opening shows the date the file holds, even an old one.
    WriteLastCheckDate(root, "2024-5-7");
    UpdateList again(root, folder() / "updates");
    again.OpenLastCheckDate();
    EXPECT_EQ(again.DateText(), "2024-5-7");
}

TEST(UpdateDate, DatesHaveNoLeadingZeros) {
    EXPECT_EQ(FormatDateText(2024, 5, 7), "2024-5-7");
    EXPECT_EQ(FormatDateText(2025, 12, 31), "2025-12-31");
    EXPECT_EQ(FormatDateText(2026, 10, 1), "2026-10-1");
}

} // namespace
} // namespace vpc::update::test
