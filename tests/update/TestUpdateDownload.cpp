// The download stage against a local server: verified packages saved under the row's name,
// corrupted, truncated, oversized and missing ones refused without touching the old file,
// and the rows' way through waiting, downloading and done or failed.
#include "LocalServer.h"
#include "UpdateDownload.h"
#include "UpdateList.h"

#include <sys/stat.h>

#include <QCryptographicHash>
#include <QTest>

namespace vpc::update::test {
namespace {

// A package of distinct bytes, so that a swapped or shifted block changes its hash.
std::string PackageBytes(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    return bytes;
}

std::string Sha256Of(const std::string& bytes) {
    return QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

class UpdateDownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        for (const char* name :
             {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            m_env.push_back(std::make_unique<ScopedEnv>(name, std::nullopt));
        fs::create_directories(updates());
        m_package = PackageBytes(300000);
        WriteAll(folder() / "package.bin", m_package);
        WriteAll(folder() / "corrupted.bin", [this] {
            std::string bad = m_package;
            bad[123456] = static_cast<char>(bad[123456] ^ 0x01);
            return bad;
        }());
        WriteAll(folder() / "short.bin", m_package.substr(0, 299999));
    }
    fs::path folder() const { return fs::path(m_dir.path().toStdString()); }
    fs::path updates() const { return folder() / "updates"; }

    Json::Value Routes() const {
        Json::Value routes;
        routes["/files/package.bin"]["body_file"] = (folder() / "package.bin").string();
        routes["/files/corrupted.bin"]["body_file"] = (folder() / "corrupted.bin").string();
        routes["/files/short.bin"]["body_file"] = (folder() / "short.bin").string();
        routes["/files/gone.bin"]["status"] = 404;
        routes["/files/gone.bin"]["body"] = "<html>gone</html>";
        routes["/files/moved.bin"]["redirect"] = "/files/package.bin";
        return routes;
    }

    QTemporaryDir m_dir;
    std::vector<std::unique_ptr<ScopedEnv>> m_env;
    std::string m_package;
};

TEST_F(UpdateDownloadTest, VerifiedPackagesAreKeptAndOthersRefused) {
    LocalServer server(folder());
    ASSERT_TRUE(server.ok());
    server.SetRoutes(Routes());
    const std::string sha = Sha256Of(m_package);
    const long long size = static_cast<long long>(m_package.size());
    struct Case {
        const char* what;
        const char* path;
        long long size;
        std::string sha;
        bool ok;
    };
    const std::vector<Case> cases = {
        {"size and hash match", "/files/package.bin", size, sha, true},
        {"nothing announced", "/files/package.bin", -1, "", true},
        {"through a redirect", "/files/moved.bin", size, sha, true},
        {"one flipped bit", "/files/corrupted.bin", size, sha, false},
        {"one byte short", "/files/short.bin", size, sha, false},
        {"one byte longer than announced", "/files/package.bin", size - 1, "", false},
        {"hash of another file", "/files/package.bin", size, Sha256Of("other"), false},
        {"error page", "/files/gone.bin", -1, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path target = updates() / "KB.exe";
        WriteAll(target, "old package");
        CHttpClient client;
        std::vector<int> percents;
        const DownloadOutcome outcome =
            DownloadPackage(client, server.Url(c.path), target, c.size, c.sha,
                            [&](int percent) { percents.push_back(percent); });
        EXPECT_EQ(outcome.ok, c.ok) << outcome.error;
        if (c.ok) {
            EXPECT_EQ(ReadAll(target), m_package);
            struct stat info {};
            ASSERT_EQ(::stat(target.c_str(), &info), 0);
            EXPECT_EQ(info.st_mode & 0777, 0600u);
            ASSERT_FALSE(percents.empty());
            EXPECT_EQ(percents.back(), 100);
        } else {
            EXPECT_FALSE(outcome.error.empty());
            EXPECT_EQ(ReadAll(target), "old package");
        }
        // No partial file is left beside the package.
        int files = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(updates()))
            ++files;
        EXPECT_EQ(files, 1);
    }
}

TEST_F(UpdateDownloadTest, RowsGoThroughWaitingDownloadingAndEndDoneOrFailed) {
    LocalServer server(folder());
    ASSERT_TRUE(server.ok());
    server.SetRoutes(Routes());
    const fs::path root = folder() / "root";
    fs::create_directories(root);

    UpdateList list(root, updates());
    auto row = [](const char* name, const char* path, long long size, const std::string& sha) {
        UpdateResult r;
        r.name = name;
        r.status = kStatusNeedUpdate;
        r.newVersionText = std::string("V") + name;
        r.localVersionText = "V0001";
        r.downloadPath = path;
        r.packageSize = size;
        r.packageSha256 = sha;
        return r;
    };
    const long long size = static_cast<long long>(m_package.size());
    const std::string sha = Sha256Of(m_package);
    list.AddUpdateRow(row("MS", "/files/package.bin", size, sha));
    list.AddUpdateRow(row("KB", "/files/corrupted.bin", size, sha));
    list.AddUpdateRow(row("N37", "file:///etc/passwd", -1, ""));
    list.AddUpdateRow(row("AP", "/files/package.bin", size, sha));
    EXPECT_EQ(list.FinishCheck(0, 4), kStateUpdatesFound);
    list.Row(3).SetChecked(false); // the user leaves the program out
    list.StartUpdate();
    EXPECT_EQ(list.Row(0).GetStatus(), kStatusDownloadWait);
    EXPECT_EQ(list.Row(0).StatusTextId(), "DownloadWaitText");
    EXPECT_EQ(list.Row(3).GetStatus(), kStatusNeedUpdate);
    EXPECT_FALSE(list.Row(3).CheckEnabled());

    const auto jobs = list.TakeDownloadJobs(server.Url("/api/"));
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].url, server.Url("/files/package.bin"));
    EXPECT_EQ(jobs[0].target, updates() / "MS.exe");
    EXPECT_EQ(jobs[1].target, updates() / "KB.exe");
    // A package that is not on an http or https address fails its row at once.
    EXPECT_EQ(list.Row(2).GetStatus(), kStatusUpdateFail);

    QObject context;
    std::vector<int> started;
    bool allDone = false;
    bool sawProgressGroup = false;
    UpdateDownloadWorker worker(
        &context,
        {[&](int r) {
             started.push_back(r);
             list.OnDownloadStarted(r);
             sawProgressGroup |= list.Row(r).ProgressShown();
         },
         [&](int r, int percent) { list.OnDownloadProgress(r, percent); },
         [&](int r, const DownloadOutcome& outcome) { list.OnDownloadFinished(r, outcome.ok); },
         [&] {
             list.OnDownloadsDone();
             allDone = true;
         }});
    ASSERT_TRUE(worker.Start(jobs));
    const bool done = QTest::qWaitFor([&] { return allDone; }, 30000);
    worker.Stop();
    ASSERT_TRUE(done);

    EXPECT_EQ(started, (std::vector<int>{0, 1}));
    EXPECT_TRUE(sawProgressGroup);
    EXPECT_EQ(list.Row(0).GetStatus(), kStatusUpdateOk);
    EXPECT_EQ(list.Row(0).OldVersionText(), "VMS");
    EXPECT_EQ(ReadAll(updates() / "MS.exe"), m_package);
    EXPECT_EQ(list.Row(1).GetStatus(), kStatusUpdateFail);
    EXPECT_EQ(list.Row(1).StatusTextId(), "UpdateFailText");
    EXPECT_FALSE(fs::exists(updates() / "KB.exe"));
    EXPECT_EQ(list.State(), kStateUpdatesFound);
    EXPECT_TRUE(list.Row(3).CheckEnabled());
}

TEST_F(UpdateDownloadTest, StoppedDownloadLeavesNoFileAndRowsCanComeBack) {
    LocalServer server(folder());
    ASSERT_TRUE(server.ok());
    Json::Value routes;
    routes["/files/slow.bin"]["stall"] = true;
    server.SetRoutes(routes);

    UpdateList list(folder(), updates());
    UpdateResult r;
    r.name = "KB";
    r.status = kStatusNeedUpdate;
    r.downloadPath = "/files/slow.bin";
    list.AddUpdateRow(r);
    list.FinishCheck(0, 1);
    list.StartUpdate();
    const auto jobs = list.TakeDownloadJobs(server.Url("/api/"));
    ASSERT_EQ(jobs.size(), 1u);

    QObject context;
    bool finished = false;
    UpdateDownloadWorker worker(&context,
                                {[&](int k) { list.OnDownloadStarted(k); }, nullptr,
                                 [&](int, const DownloadOutcome&) { finished = true; }, nullptr});
    ASSERT_TRUE(worker.Start(jobs));
    const bool asked = WaitUntil([&] { return server.Requests().size() == 1; });
    worker.Stop();
    ASSERT_TRUE(asked);
    QCoreApplication::processEvents();
    EXPECT_FALSE(finished);
    EXPECT_FALSE(fs::exists(updates() / "KB.exe"));

    // Closing the window brings the row back instead of leaving it waiting.
    list.ReleasePendingRows();
    EXPECT_EQ(list.Row(0).GetStatus(), kStatusNeedUpdate);
    EXPECT_TRUE(list.Row(0).CheckEnabled());
    EXPECT_EQ(list.CurrentRow(), -1);
}

TEST(UpdateRows, StatusTable) {
    struct Case {
        int status;
        const char* textId;
        bool progress;
        bool done;
        bool enabled;
        std::uint32_t normal;
        std::uint32_t disabled;
    };
    const std::vector<Case> cases = {
        {0, "LessUpdateText", false, false, false, 0xFFFFFFFF, 0xFF666666},
        {1, "NeedUpdateText", false, false, true, 0xFF0099FF, 0xFF0078C8},
        {2, "NeedUpdateText", false, false, true, 0xFF0099FF, 0xFF0078C8},
        {3, "DownloadWaitText", false, false, false, 0xFF0099FF, 0xFF0078C8},
        {4, "DownloadIngText", true, false, false, 0xFF0099FF, 0xFF0078C8},
        {5, "DownloadOkText", false, true, false, 0xFF0099FF, 0xFF0078C8},
        {6, "UpdateIngText", true, false, false, 0xFF0099FF, 0xFF0078C8},
        {7, "UpdateOkText", false, false, false, 0xFFFFFFFF, 0xFF666666},
        {8, "UpdateFailText", false, false, true, 0xFF0099FF, 0xFF0078C8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        UpdateRowState row;
        row.SetAnswered(true);                // the server named the row's version
        row.SetStatus(c.status == 5 ? 4 : 5); // from another status
        row.SetProgress(42);
        row.SetStatus(c.status);
        EXPECT_EQ(row.StatusTextId(), c.textId);
        EXPECT_EQ(row.ProgressShown(), c.progress);
        EXPECT_EQ(row.DoneShown(), c.done);
        EXPECT_EQ(row.CheckEnabled(), c.enabled);
        EXPECT_EQ(row.NormalColour(), c.normal);
        EXPECT_EQ(row.DisabledColour(), c.disabled);
        // Showing or hiding the progress group starts it again at 0%.
        const bool groupChanged = c.progress != (c.status == 5 ? true : false);
        EXPECT_EQ(row.ProgressText(), groupChanged ? "0%" : "42%");
    }
    UpdateRowState row;
    row.SetStatus(4);
    row.SetProgress(37);
    row.SetCheckEnabled(true);
    row.SetStatus(4); // the same status changes nothing
    EXPECT_EQ(row.ProgressText(), "37%");
    EXPECT_TRUE(row.CheckEnabled());
    row.SetStatus(9); // kept, nothing else
    EXPECT_EQ(row.GetStatus(), 9);
    EXPECT_EQ(row.StatusTextId(), "DownloadIngText");
    // a row the server did not answer is not called up to date
    row.SetStatus(7);
    EXPECT_EQ(row.StatusTextId(), "UpdateNotCheckedText");
    row.SetAnswered(true);
    EXPECT_EQ(row.StatusTextId(), "UpdateOkText");
}

TEST(UpdateRows, ReportsWithoutCurrentRowChangeNothing) {
    UpdateList list("/nonexistent-root", "");
    UpdateResult r;
    r.name = "MS";
    r.status = kStatusNeedUpdate;
    r.newVersionText = "V0103";
    list.AddUpdateRow(r);
    for (int w : {1, 2, 3, 4, 5}) {
        list.OnUpdateStatus(w, 55);
        EXPECT_EQ(list.Row(0).GetStatus(), kStatusNeedUpdate);
        EXPECT_EQ(list.Row(0).Progress(), 0);
    }
}

} // namespace
} // namespace vpc::update::test
