#include "UpdateList.h"

#include <array>

#include "UpdateCheck.h"

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

} // namespace vpc::update
