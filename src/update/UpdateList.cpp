#include "UpdateList.h"

#include <array>

#include "UpdateCheck.h"

#include <QUrl>

namespace vpc::update {

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kGrey = 0xFF666666;
constexpr std::uint32_t kBlue = 0xFF0099FF;
constexpr std::uint32_t kDarkBlue = 0xFF0078C8;

constexpr std::array<RowAppearance, 9> kAppearances = {{
    {"LessUpdateText", false, false, false, kWhite, kGrey},
    {"NeedUpdateText", false, false, true, kBlue, kDarkBlue},
    {"NeedUpdateText", false, false, true, kBlue, kDarkBlue},
    {"DownloadWaitText", false, false, false, kBlue, kDarkBlue},
    {"DownloadIngText", true, false, false, kBlue, kDarkBlue},
    {"DownloadOkText", false, true, false, kBlue, kDarkBlue},
    {"UpdateIngText", true, false, false, kBlue, kDarkBlue},
    {"UpdateOkText", false, false, false, kWhite, kGrey},
    {"UpdateFailText", false, false, true, kBlue, kDarkBlue},
}};

} // namespace

std::optional<RowAppearance> AppearanceOf(int status) {
    if (status < 0 || status >= static_cast<int>(kAppearances.size()))
        return std::nullopt;
    return kAppearances[static_cast<size_t>(status)];
}

void UpdateRowState::SetStatus(int status) {
    if (status == m_status)
        return;
    m_status = status;
    const std::optional<RowAppearance> look = AppearanceOf(status);
    if (!look)
        return;
    m_statusTextId = look->textId;
    if (look->progressShown != m_progressShown)
        m_progress = 0;
    m_progressShown = look->progressShown;
    m_doneShown = look->doneShown;
    m_checkEnabled = look->checkEnabled;
    m_normalColour = look->normalColour;
    m_disabledColour = look->disabledColour;
}

std::string UpdateRowState::StatusTextId() const {
    if (m_status == kStatusUpdateOk && !m_answered)
        return "UpdateNotCheckedText";
    return m_statusTextId;
}

UpdateList::UpdateList(std::filesystem::path dataRoot, std::filesystem::path updateFolder)
    : m_dataRoot(std::move(dataRoot)), m_updateFolder(std::move(updateFolder)) {}

void UpdateList::OpenLastCheckDate() {
    m_dateText = ReadLastCheckDate(m_dataRoot);
    if (m_dateText.empty()) {
        m_dateText = TodayDateText();
        WriteLastCheckDate(m_dataRoot, m_dateText);
    }
}

std::string UpdateList::InstallerPath(const std::string& name) const {
    if (m_updateFolder.empty())
        return {};
    return (m_updateFolder / (name + ".exe")).string();
}

int UpdateList::AddUpdateRow(const UpdateResult& result) {
    UpdateRowState row;
    row.SetNameText(result.name);
    row.SetNewVersionText(result.newVersionText);
    row.SetOldVersionText(result.localVersionText);
    row.SetStatus(result.status);
    row.SetAnswered(result.answered);
    row.SetUserData(result.downloadPath);
    row.SetCheckEnabled(false);
    m_rows.push_back(row);
    UpdateResult kept = result;
    kept.installerPath = InstallerPath(result.name);
    m_results.push_back(kept);
    return 1;
}

int UpdateList::SetUpdateRow(const UpdateResult& result, int k) {
    if (k < 0 || k >= RowCount())
        return 0;
    UpdateRowState& row = Row(k);
    row.SetNameText(result.name);
    row.SetOldVersionText(result.localVersionText);
    row.SetNewVersionText(result.status == kStatusUpdateOk ? std::string() : result.newVersionText);
    row.SetStatus(result.status);
    row.SetAnswered(result.answered);
    row.SetUserData(result.downloadPath);
    row.SetCheckEnabled(false);
    UpdateResult kept = result;
    kept.installerPath = InstallerPath(result.name);
    m_results[static_cast<size_t>(k)] = kept;
    // Only an answered check is a check: a failure keeps the last good date.
    if (!result.failed)
        WriteLastCheckDate(m_dataRoot, TodayDateText());
    return 1;
}

int UpdateList::FinishCheck(int failures, int count) {
    bool found = false;
    for (UpdateRowState& row : m_rows) {
        if (row.GetStatus() != kStatusUpdateOk && row.GetStatus() != kStatusNoUpdate) {
            row.SetCheckEnabled(true);
            row.SetChecked(true);
            found = true;
        } else {
            row.SetCheckEnabled(false);
        }
    }
    if (found)
        m_state = kStateUpdatesFound;
    else if (failures == count)
        m_state = kStateServerUnreachable;
    else
        m_state = kStateUpToDate;
    return m_state;
}

bool UpdateList::AnyChecked() const {
    for (const UpdateRowState& row : m_rows)
        if (row.IsChecked())
            return true;
    return false;
}

void UpdateList::StartUpdate() {
    for (UpdateRowState& row : m_rows) {
        if (row.GetStatus() != kStatusNeedUpdate && row.GetStatus() != kStatusNeedUpdate2)
            continue;
        if (row.IsChecked())
            row.SetStatus(kStatusDownloadWait);
        else
            row.SetCheckEnabled(false);
    }
}

void UpdateList::OnUpdateStatus(int wParam, int lParam) {
    if (m_currentRow < 0 || m_currentRow >= RowCount())
        return;
    UpdateRowState& row = Row(m_currentRow);
    switch (wParam) {
    case 1: {
        row.SetOldVersionText(row.GetNewVersionText());
        row.SetNewVersionText({});
        row.SetStatus(kStatusUpdateOk);
        row.SetChecked(false);
        for (const UpdateRowState& other : m_rows)
            if (other.IsChecked() && other.GetStatus() != kStatusUpdateOk)
                return;
        bool pending = false;
        for (UpdateRowState& other : m_rows) {
            if (other.GetStatus() != kStatusUpdateOk) {
                other.SetCheckEnabled(true);
                pending = true;
            }
        }
        m_state = pending ? kStateUpdatesFound : kStateUpToDate;
        break;
    }
    case 2:
    case 3:
        row.SetStatus(kStatusUpdateFail);
        break;
    case 4:
        row.SetProgress(lParam);
        break;
    default:
        break;
    }
}

void UpdateList::ReleasePendingRows() {
    for (UpdateRowState& row : m_rows) {
        const int s = row.GetStatus();
        if (s >= kStatusDownloadWait && s <= kStatusUpdating) {
            row.SetStatus(kStatusNeedUpdate);
            row.SetChecked(false);
            row.SetCheckEnabled(true);
        }
    }
    m_currentRow = -1;
}

std::vector<DownloadJob> UpdateList::TakeDownloadJobs(const std::string& apiBase) {
    std::vector<DownloadJob> jobs;
    for (int k = 0; k < RowCount(); ++k) {
        if (Row(k).GetStatus() != kStatusDownloadWait)
            continue;
        const UpdateResult& result = Result(k);
        const QUrl url = QUrl(QString::fromStdString(apiBase))
                             .resolved(QUrl(QString::fromStdString(Row(k).UserData())));
        const QString scheme = url.scheme().toLower();
        if (Row(k).UserData().empty() || !url.isValid() ||
            (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
            result.installerPath.empty()) {
            m_currentRow = k;
            OnUpdateStatus(2, 0);
            continue;
        }
        DownloadJob job;
        job.row = k;
        job.url = url.toString(QUrl::FullyEncoded).toStdString();
        job.target = result.installerPath;
        job.expectedSize = result.packageSize;
        job.expectedSha256 = result.packageSha256;
        jobs.push_back(job);
    }
    return jobs;
}

void UpdateList::OnDownloadStarted(int row) {
    if (row < 0 || row >= RowCount())
        return;
    m_currentRow = row;
    Row(row).SetStatus(kStatusDownloading);
    m_state = kStateUpdating;
}

void UpdateList::OnDownloadProgress(int row, int percent) {
    if (row != m_currentRow)
        return;
    OnUpdateStatus(4, percent);
}

void UpdateList::OnDownloadFinished(int row, bool ok) {
    if (row < 0 || row >= RowCount())
        return;
    m_currentRow = row;
    if (ok) {
        Row(row).SetStatus(kStatusDownloadOk);
        OnUpdateStatus(1, 0);
    } else {
        OnUpdateStatus(2, 0);
    }
}

void UpdateList::OnDownloadsDone() {
    m_currentRow = -1;
    bool pending = false;
    for (UpdateRowState& row : m_rows) {
        if (row.GetStatus() != kStatusUpdateOk && row.GetStatus() != kStatusNoUpdate) {
            row.SetCheckEnabled(true);
            pending = true;
        }
    }
    m_state = pending ? kStateUpdatesFound : kStateUpToDate;
}

} // namespace vpc::update
