// The settings window: the language choice, and the update check with its list of targets,
// the confirmation and the download of the chosen updates.
#pragma once

#include "FrameWnd.h"
#include "UpdateCheckWorker.h"
#include "UpdateDownload.h"
#include "UpdateList.h"
#include "UpdateServerConfig.h"

#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

class CUpdateInfoListItemUI;

class CSetWnd : public CFrameWnd {
    Q_OBJECT
public:
    static constexpr int kWidth = 630;
    static constexpr int kHeight = 500;

    explicit CSetWnd(QWidget* parent = nullptr);
    ~CSetWnd() override;

    QString GetWindowClassName() const override { return QStringLiteral("SetWnd"); }
    QString GetSkinFile() const override { return QStringLiteral("setwnd.xml"); }
    void InitWindow() override;
    void Notify(TNotifyUI& msg) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    QWidget* CreateControl(const QString& className) override;

    // The window that takes the language choice (message 3089) and its current language.
    void SetMainWindow(WindowImplBase* mainWindow, int languageIndex);
    // The targets to check; kept as a copy.
    void SetUpdateEntries(std::vector<vpc::update::UpdateEntry> entries);
    int AddUpdateRow(const vpc::update::UpdateResult& result);
    int SetUpdateRow(const vpc::update::UpdateResult& result, int row);
    void SetUpdateState(int state);
    // "update_OK_btn": the ticked rows wait for their download, which starts at once.
    void StartUpdate();
    // Ends the check and the downloads through libcurl and waits for their threads.
    void StopUpdateWorkers();
    // A report on the current row (1 done, 2 or 3 failed, 4 progress in percent).
    void OnUpdateStatus(int wParam, int lParam);

    const vpc::update::UpdateList& List() const { return m_list; }
    int CheckState() const { return m_list.State(); }
    // True once the check's worker has reported its end.
    bool IsCheckFinished() const { return m_checkFinished; }
    bool IsDownloadFinished() const { return m_downloadFinished; }
    CUpdateInfoListItemUI* RowControl(int row) const;
    // What the window does with a verified package (open it, or say where a firmware
    // package is); tests replace it. The default opens program packages with the desktop.
    using PackageHandler = std::function<void(const vpc::update::UpdateEntry&, const QString&)>;
    void SetPackageHandler(PackageHandler handler) { m_packageHandler = std::move(handler); }

signals:
    void checkFinished(int state);
    void downloadsFinished();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OnWindowInit();
    void FillLanguageList();
    void SyncRows();
    void ShowUpdateButton();
    void StartDownloads();
    void OnDownloadFinished(int row, const vpc::update::DownloadOutcome& outcome);
    void DefaultPackageHandler(const vpc::update::UpdateEntry& entry, const QString& file);
    QString Translate(const QString& textId) const;

    vpc::update::UpdateServerConfig m_config;
    vpc::update::UpdateList m_list;
    std::vector<vpc::update::UpdateEntry> m_entries;
    std::vector<QPointer<CUpdateInfoListItemUI>> m_rows;
    QPointer<WindowImplBase> m_mainWindow;
    int m_languageIndex = -1;
    bool m_checkFinished = false;
    bool m_downloadFinished = false;
    PackageHandler m_packageHandler;
    QWidget* m_closeButton = nullptr;
    QWidget* m_laterButton = nullptr;
    // Stopped and joined before anything they report to goes.
    std::unique_ptr<vpc::update::UpdateCheckWorker> m_checkWorker;
    std::unique_ptr<vpc::update::UpdateDownloadWorker> m_downloadWorker;
};
