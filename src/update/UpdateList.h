// What the settings window's update list shows, without widgets: each row's status with its
// texts, colours and check box, the check state of the window and the last-check date.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "UpdateDownload.h"
#include "UpdateTypes.h"

namespace vpc::update {

// How a row looks in one status.
struct RowAppearance {
    const char* textId;
    bool progressShown;
    bool doneShown;
    bool checkEnabled;
    std::uint32_t normalColour; // also the selected colour (ARGB)
    std::uint32_t disabledColour;
};

// The appearance of statuses 0-8, nothing for other values.
std::optional<RowAppearance> AppearanceOf(int status);

// One row of the update list (the state of a CUpdateInfoListItemUI).
class UpdateRowState {
public:
    void SetNameText(const std::string& text) { m_name = text; }
    const std::string& NameText() const { return m_name; }
    void SetOldVersionText(const std::string& text) { m_oldVersion = text; }
    const std::string& OldVersionText() const { return m_oldVersion; }
    // The new version is shown only when there is one.
    void SetNewVersionText(const std::string& text) { m_newVersion = text; }
    const std::string& GetNewVersionText() const { return m_newVersion; }
    bool NewVersionShown() const { return !m_newVersion.empty(); }

    // The same status again changes nothing; a value above 8 is kept and changes nothing else.
    // Showing or hiding the progress group puts the progress back to 0.
    void SetStatus(int status);
    int GetStatus() const { return m_status; }
    // A row the server did not answer says so instead of "up to date".
    std::string StatusTextId() const;
    void SetAnswered(bool answered) { m_answered = answered; }
    bool IsAnswered() const { return m_answered; }
    bool ProgressShown() const { return m_progressShown; }
    bool DoneShown() const { return m_doneShown; }
    std::uint32_t NormalColour() const { return m_normalColour; }
    std::uint32_t DisabledColour() const { return m_disabledColour; }

    void SetProgress(int value) { m_progress = value; }
    int Progress() const { return m_progress; }
    std::string ProgressText() const { return std::to_string(m_progress) + "%"; }

    bool IsChecked() const { return m_checked; }
    void SetChecked(bool checked) { m_checked = checked; }
    bool CheckEnabled() const { return m_checkEnabled; }
    void SetCheckEnabled(bool enabled) { m_checkEnabled = enabled; }

    const std::string& UserData() const { return m_userData; }
    void SetUserData(const std::string& data) { m_userData = data; }

private:
    int m_status = 0;
    int m_progress = 0;
    std::string m_name;
    std::string m_oldVersion;
    std::string m_newVersion;
    std::string m_statusTextId;
    bool m_progressShown = false;
    bool m_doneShown = false;
    bool m_checked = false;
    bool m_checkEnabled = true;
    bool m_answered = false;
    std::uint32_t m_normalColour = 0xFFFFFFFF;
    std::uint32_t m_disabledColour = 0xFF666666;
    std::string m_userData;
};

// The update part of the settings window: rows, results, check state and last-check date.
class UpdateList {
public:
    // `dataRoot` holds "updatetime.config"; `updateFolder` receives the downloads.
    UpdateList(std::filesystem::path dataRoot, std::filesystem::path updateFolder);

    // The date the window shows: the one in "updatetime.config", or today's, written to the
    // file, when it has none.
    void OpenLastCheckDate();
    const std::string& DateText() const { return m_dateText; }

    int AddUpdateRow(const UpdateResult& result);
    // A check that failed keeps the date file as it is.
    int SetUpdateRow(const UpdateResult& result, int row);
    // After the checks: ticks and enables the rows with an update; the new check state.
    int FinishCheck(int failures, int count);
    // Whether "update_fw_and_ap" is enabled and shown (some row is checked).
    bool AnyChecked() const;
    // Moves the ticked rows with an update to "waiting for download", disables the others.
    void StartUpdate();
    // A report of the updater or the download on the current row (1 done, 2 or 3 failed,
    // 4 progress).
    void OnUpdateStatus(int wParam, int lParam);
    // Rows taken on by a download that did not end (waiting, downloading, downloaded or
    // updating) go back to "update available" with their check box usable: the window can
    // always be closed and nothing is left half-done on screen.
    void ReleasePendingRows();

    // The download stage. The packages of the rows waiting for download (status 3), in row
    // order, each resolved against the update server's address and saved under the row's
    // installer path. A row whose package has no http or https address fails at once.
    std::vector<DownloadJob> TakeDownloadJobs(const std::string& apiBase);
    // The row becomes the current row and shows its progress; the window shows "updating".
    void OnDownloadStarted(int row);
    void OnDownloadProgress(int row, int percent);
    // A verified package ends its row as done (report 1), anything else as failed (report 2).
    void OnDownloadFinished(int row, bool ok);
    // Every download has ended: "updates found" while a row still has one, else "up to date".
    void OnDownloadsDone();

    void SetState(int state) { m_state = state; }
    int State() const { return m_state; }
    void SetCurrentRow(int row) { m_currentRow = row; }
    int CurrentRow() const { return m_currentRow; }

    int RowCount() const { return static_cast<int>(m_rows.size()); }
    UpdateRowState& Row(int k) { return m_rows.at(static_cast<size_t>(k)); }
    const UpdateRowState& Row(int k) const { return m_rows.at(static_cast<size_t>(k)); }
    const UpdateResult& Result(int k) const { return m_results.at(static_cast<size_t>(k)); }

private:
    std::string InstallerPath(const std::string& name) const;

    std::filesystem::path m_dataRoot;
    std::filesystem::path m_updateFolder;
    std::vector<UpdateRowState> m_rows;
    std::vector<UpdateResult> m_results;
    std::string m_dateText;
    int m_state = kStateChecking;
    int m_currentRow = -1;
};

} // namespace vpc::update
