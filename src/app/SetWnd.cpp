#include "SetWnd.h"

#include "AppMessages.h"
#include "ControlUI.h"
#include "DataFolders.h"
#include "DialogBuilder.h"
#include "LanguageSettings.h"
#include "MsgWnd.h"
#include "SkinResources.h"
#include "UpdateCheck.h"
#include "UpdateInfoListItemUI.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QStackedWidget>
#include <QUrl>

namespace update = vpc::update;

namespace {

constexpr UINT kUmSetLanguage = 3089;
constexpr UINT kUmUpdateSeen = 3094;
constexpr const char* kRowLayout = "XML\\CustomControlXML\\device_Update_list_item.xml";

} // namespace

CSetWnd::CSetWnd(QWidget* parent)
    : CFrameWnd(parent), m_list(vpc::data::GetUserDataRoot(), vpc::data::GetUpdateFolder()) {}

CSetWnd::~CSetWnd() {
    StopUpdateWorkers();
}

QString CSetWnd::Translate(const QString& textId) const {
    return CSkinResources::Instance().Translate(textId);
}

QWidget* CSetWnd::CreateControl(const QString& className) {
    if (className.compare(QLatin1String(CUpdateInfoListItemUI::kRegisteredName),
                          Qt::CaseInsensitive) == 0)
        return new CUpdateInfoListItemUI;
    return CFrameWnd::CreateControl(className);
}

void CSetWnd::InitWindow() {
    CFrameWnd::InitWindow();
    m_closeButton = FindControl("closebtn").widget();
    m_laterButton = FindControl("laterbtn").widget();
    setFixedSize(kWidth, kHeight);
}

void CSetWnd::SetMainWindow(WindowImplBase* mainWindow, int languageIndex) {
    m_mainWindow = mainWindow;
    m_languageIndex = languageIndex;
}

void CSetWnd::SetUpdateEntries(std::vector<update::UpdateEntry> entries) {
    // Only the four targets of the table have a row.
    if (entries.size() > update::UpdateTable.size())
        entries.resize(update::UpdateTable.size());
    m_entries = std::move(entries);
}

void CSetWnd::Notify(TNotifyUI& msg) {
    if (msg.sType == DuiEvent::WindowInit) {
        OnWindowInit();
        return;
    }
    const QString name = ControlName(msg.pSender);
    if (msg.sType == DuiEvent::Click) {
        if (msg.pSender && (msg.pSender == m_closeButton || msg.pSender == m_laterButton)) {
            StopUpdateWorkers();
            Close(0);
            return;
        }
        if (name.compare(QLatin1String("update_fw_and_ap"), Qt::CaseInsensitive) == 0) {
            if (auto* tabs = FindControl("get_update_tab_layout").as<QStackedWidget>())
                tabs->setCurrentIndex(1);
            return;
        }
        if (name.compare(QLatin1String("update_OK_btn"), Qt::CaseInsensitive) == 0) {
            StartUpdate();
            FindControl("update_fw_and_ap").SetEnabled(false);
            if (auto* tabs = FindControl("get_update_tab_layout").as<QStackedWidget>())
                tabs->setCurrentIndex(0);
            StartDownloads();
            return;
        }
        if (name.compare(QLatin1String("homepage_btn"), Qt::CaseInsensitive) == 0)
            return;
    } else if (msg.sType == DuiEvent::SelectChanged && name == QLatin1String("check_name_select")) {
        for (size_t k = 0; k < m_rows.size(); ++k)
            if (m_rows[k])
                m_list.Row(static_cast<int>(k)).SetChecked(m_rows[k]->IsChecked());
        ShowUpdateButton();
        return;
    } else if (msg.sType == DuiEvent::ItemSelect && name == QLatin1String("Language_combox_info")) {
        if (m_mainWindow) {
            m_languageIndex = FindControl("Language_combox_info").GetCurSel();
            m_mainWindow->SendMessage(kUmSetLanguage, static_cast<WPARAM>(m_languageIndex), 0);
            SendMessage(kUmSetLanguage, static_cast<WPARAM>(m_languageIndex), 0);
        }
        return;
    }
    CFrameWnd::Notify(msg);
}

LRESULT CSetWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (message != 0 && message == AppMessages().updateStatus) {
        OnUpdateStatus(static_cast<int>(wParam), static_cast<int>(lParam));
        handled = true;
        return 0;
    }
    if (message == kUmSetLanguage) {
        // The date of state 4 is not a text id: the combined text is made again.
        if (m_list.State() == update::kStateUpToDate)
            SetUpdateState(update::kStateUpToDate);
        SyncRows();
        update();
        handled = true;
        return 0;
    }
    return CFrameWnd::HandleMessage(message, wParam, lParam, handled);
}

void CSetWnd::OnWindowInit() {
    FillLanguageList();
    m_list.OpenLastCheckDate();
    m_config = update::LoadUpdateServerConfig();
    if (!m_config.ok())
        qWarning("Update check: %s (%s)", m_config.error.c_str(),
                 update::UpdateServerConfigPath().c_str());
    update::UpdateCheckWorker::Receiver receiver;
    receiver.setState = [this](int state) { SetUpdateState(state); };
    receiver.addRow = [this](const update::UpdateResult& result) { AddUpdateRow(result); };
    receiver.setRow = [this](const update::UpdateResult& result, int row) {
        SetUpdateRow(result, row);
    };
    receiver.finished = [this](int failures, int count) {
        m_list.FinishCheck(failures, count);
        SyncRows();
        ShowUpdateButton();
        SetUpdateState(m_list.State());
        m_checkFinished = true;
        emit checkFinished(m_list.State());
    };
    m_checkWorker = std::make_unique<update::UpdateCheckWorker>(this, std::move(receiver));
    m_checkWorker->Start(m_entries, m_config);
}

void CSetWnd::FillLanguageList() {
    CControlUI combo = FindControl("Language_combox_info");
    auto* box = combo.as<QComboBox>();
    if (!box)
        return;
    const auto languages =
        vpc::data::ReadLanguageList(vpc::data::GetDefaultDataFolder() / "Language.config");
    const QSignalBlocker quiet(box);
    box->clear();
    for (const vpc::data::LanguageEntry& language : languages) {
        const QString id = QString::fromStdString(language.textId);
        box->addItem(Translate(id));
        box->setItemData(box->count() - 1, id, CSkinResources::kItemTextIdRole);
    }
    if (m_languageIndex >= 0 && m_languageIndex < box->count()) {
        box->setCurrentIndex(m_languageIndex);
        box->setFocus();
    }
}

int CSetWnd::AddUpdateRow(const update::UpdateResult& result) {
    QWidget* list = FindControl("device_update_list_info").widget();
    auto* layout = list ? qobject_cast<QBoxLayout*>(list->layout()) : nullptr;
    if (!layout)
        return 0;
    auto* row = qobject_cast<CUpdateInfoListItemUI*>(CDialogBuilder::Create(
        QString::fromLatin1(kRowLayout),
        [this](const QString& className) { return CreateControl(className); }, list,
        &PaintManager()));
    if (!row) {
        qWarning("Update list: the row layout did not build: %s",
                 qPrintable(CDialogBuilder::LastError()));
        return 0;
    }
    row->setFixedHeight(CUpdateInfoListItemUI::kRowHeight);
    // Rows go above the spacer that keeps them at the top.
    layout->insertWidget(static_cast<int>(m_rows.size()), row);
    row->show();
    m_rows.emplace_back(row);
    m_list.AddUpdateRow(result);
    SyncRows();
    return 1;
}

int CSetWnd::SetUpdateRow(const update::UpdateResult& result, int row) {
    if (row < 0 || row >= static_cast<int>(m_rows.size()) || !m_rows[static_cast<size_t>(row)])
        return 0;
    const int done = m_list.SetUpdateRow(result, row);
    SyncRows();
    return done;
}

CUpdateInfoListItemUI* CSetWnd::RowControl(int row) const {
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return nullptr;
    return m_rows[static_cast<size_t>(row)].data();
}

void CSetWnd::SyncRows() {
    for (size_t k = 0; k < m_rows.size() && static_cast<int>(k) < m_list.RowCount(); ++k)
        if (m_rows[k])
            m_rows[k]->ShowState(m_list.Row(static_cast<int>(k)));
}

void CSetWnd::ShowUpdateButton() {
    CControlUI button = FindControl("update_fw_and_ap");
    const bool any = m_list.AnyChecked();
    button.SetEnabled(any);
    button.SetVisible(any);
}

void CSetWnd::SetUpdateState(int state) {
    m_list.SetState(state);
    FindControl("update_status_ring").SetVisible(state == update::kStateChecking);
    FindControl("update_status_image").SetVisible(state != update::kStateChecking);
    CControlUI text = FindControl("Update_Status_text");
    switch (state) {
    case update::kStateChecking:
        text.SetTextId(QStringLiteral("GetUpdateInfoText"));
        break;
    case update::kStateUpdatesFound:
        text.SetTextId(QStringLiteral("HaveUpdateInfoText"));
        break;
    case update::kStateServerUnreachable:
        text.SetTextId(QStringLiteral("NoUpdateInfoText"));
        break;
    case update::kStateUpdating:
        text.SetTextId(QStringLiteral("ISUpdateINGText"));
        break;
    case update::kStateUpToDate:
        if (text) {
            text.SetText(Translate(QStringLiteral("UpdateIsLastText")) +
                         QString::fromStdString(m_list.DateText()));
            // not an id: a language change makes the combined text again
            text.widget()->setProperty("textId", QVariant());
        }
        if (m_mainWindow)
            m_mainWindow->SendMessage(kUmUpdateSeen, 0, 0);
        break;
    default:
        break;
    }
}

void CSetWnd::StartUpdate() {
    m_list.StartUpdate();
    SyncRows();
}

void CSetWnd::StartDownloads() {
    std::vector<update::DownloadJob> jobs = m_list.TakeDownloadJobs(m_config.apiBase);
    SyncRows();
    m_downloadFinished = false;
    if (m_downloadWorker)
        m_downloadWorker->Stop();
    update::UpdateDownloadWorker::Receiver receiver;
    receiver.started = [this](int row) {
        m_list.OnDownloadStarted(row);
        SyncRows();
        SetUpdateState(m_list.State());
    };
    receiver.progress = [this](int row, int percent) {
        m_list.OnDownloadProgress(row, percent);
        SyncRows();
    };
    receiver.finished = [this](int row, const update::DownloadOutcome& outcome) {
        OnDownloadFinished(row, outcome);
    };
    receiver.allDone = [this] {
        m_list.OnDownloadsDone();
        SyncRows();
        SetUpdateState(m_list.State());
        m_downloadFinished = true;
        emit downloadsFinished();
    };
    m_downloadWorker =
        std::make_unique<update::UpdateDownloadWorker>(this, std::move(receiver), m_config.caFile);
    m_downloadWorker->Start(std::move(jobs));
}

void CSetWnd::OnDownloadFinished(int row, const update::DownloadOutcome& outcome) {
    if (!outcome.ok) {
        qWarning("Update download of row %d failed: %s", row, outcome.error.c_str());
        m_list.OnDownloadFinished(row, false);
        SyncRows();
        return;
    }
    m_list.OnDownloadFinished(row, true);
    SyncRows();
    if (row >= 0 && row < static_cast<int>(m_entries.size())) {
        const QString file = QString::fromStdString(m_list.Result(row).installerPath);
        if (m_packageHandler)
            m_packageHandler(m_entries[static_cast<size_t>(row)], file);
        else
            DefaultPackageHandler(m_entries[static_cast<size_t>(row)], file);
    }
}

void CSetWnd::DefaultPackageHandler(const update::UpdateEntry& entry, const QString& file) {
    if (entry.kind == 0) {
        // The user confirmed the update: the desktop's installer for the package opens it.
        if (QDesktopServices::openUrl(QUrl::fromLocalFile(file)))
            return;
        ShowMessageBox(this, QString(), Translate("update_open_failed_text") + "\n" + file,
                       PaintManager().GetDPI(), false, 0);
        return;
    }
    ShowMessageBox(this, QString(), Translate("update_firmware_saved_text") + "\n" + file,
                   PaintManager().GetDPI(), false, 0);
}

void CSetWnd::OnUpdateStatus(int wParam, int lParam) {
    m_list.OnUpdateStatus(wParam, lParam);
    SyncRows();
    if (wParam == 1 && m_list.CurrentRow() >= 0)
        SetUpdateState(m_list.State());
}

void CSetWnd::StopUpdateWorkers() {
    if (m_checkWorker)
        m_checkWorker->Stop();
    if (m_downloadWorker)
        m_downloadWorker->Stop();
}

void CSetWnd::closeEvent(QCloseEvent* event) {
    // The window can always be closed: its workers end, and rows it took on come back.
    StopUpdateWorkers();
    m_list.ReleasePendingRows();
    SyncRows();
    CFrameWnd::closeEvent(event);
}
