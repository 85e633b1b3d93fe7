#include "MacroControlUI.h"

#include "ControlFactory.h"
#include "SkinResources.h"

#include <QCursor>
#include <QDynamicPropertyChangeEvent>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QIntValidator>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>

namespace vpc::panels {

using macro::RecordPosition;
using macro::TimeMode;

namespace {

constexpr int kRowHeight = 30;
constexpr int kScrollDelayMs = 50;

// The delay cell's editor: at most 6 digits, 0-65535.
class CDelayDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        auto* edit = new QLineEdit(parent); // owned by the view
        edit->setObjectName(QStringLiteral("macro_delay"));
        edit->setMaxLength(6);
        edit->setValidator(new QIntValidator(0, macro::kMaxDelay, edit));
        return edit;
    }
};

CMacroControlUI::RecordingRequester& Requester() {
    static CMacroControlUI::RecordingRequester requester;
    return requester;
}

// The items of the rows' menu, with their text ids; an empty item is a separator.
struct MenuItem {
    const char* name;
    const char* textId;
};
constexpr MenuItem kMenuItems[] = {
    {"redio_previous_record_time", "macro_menu_previous_record"},
    {"redio_previous_constant_time", "macro_menu_previous_constant"},
    {"redio_previous_ignore_time", "macro_menu_previous_ignore"},
    {"", ""},
    {"redio_later_record_time", "macro_menu_later_record"},
    {"redio_later_constant_time", "macro_menu_later_constant"},
    {"redio_later_ignore_time", "macro_menu_later_ignore"},
    {"", ""},
    {"macro_action_edit", "macro_menu_replace"},
    {"", ""},
    {"left_down", "macro_menu_left_down"},
    {"left_up", "macro_menu_left_up"},
    {"left_click", "macro_menu_left_click"},
    {"right_down", "macro_menu_right_down"},
    {"right_up", "macro_menu_right_up"},
    {"right_click", "macro_menu_right_click"},
    {"middle_down", "macro_menu_middle_down"},
    {"middle_up", "macro_menu_middle_up"},
    {"middle_click", "macro_menu_middle_click"},
    {"forward_down", "macro_menu_forward_down"},
    {"forward_up", "macro_menu_forward_up"},
    {"forward_click", "macro_menu_forward_click"},
    {"back_down", "macro_menu_back_down"},
    {"back_up", "macro_menu_back_up"},
    {"back_click", "macro_menu_back_click"},
};

std::uint64_t SteadyMs() {
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return static_cast<std::uint64_t>(timer.elapsed());
}

} // namespace

CMacroControlUI::CMacroControlUI(QWidget* parent) : CSkinPanelUI(kLayout, "Macro panel", parent) {
    setProperty("controlClass", QString::fromLatin1(kClassText));
    m_model = new macro::CMacroActionModel( // owned by this panel
        m_recorder, [](const QString& id) { return CSkinResources::Instance().Translate(id); },
        this);
    connect(m_model, &macro::CMacroActionModel::delayEdited, this, &CMacroControlUI::delayEdited);
}

CMacroControlUI::~CMacroControlUI() {
    // The action list is deleted with the panel's children, after the recorder its model
    // reads: a delay being edited would be written into the gone recorder as the window
    // closes. Without its model the list drops the editor unwritten.
    if (m_actions)
        m_actions->setModel(nullptr);
}

void CMacroControlUI::OnContentBuilt() {
    m_names = Content()->findChild<QListWidget*>(QStringLiteral("macro_name_list"));
    m_actions = Content()->findChild<QTableView*>(QStringLiteral("macro_action_list"));
    if (m_actions) {
        m_actions->setModel(m_model);
        m_actions->setItemDelegateForColumn(
            macro::CMacroActionModel::kDelay,
            new CDelayDelegate(m_actions.data())); // owned by the view
        m_actions->verticalHeader()->setDefaultSectionSize(kRowHeight);
        m_actions->verticalHeader()->hide();
        m_actions->horizontalHeader()->hide();
        m_actions->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        m_actions->setSelectionBehavior(QAbstractItemView::SelectRows);
        m_actions->setSelectionMode(QAbstractItemView::SingleSelection);
        m_actions->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(m_actions, &QWidget::customContextMenuRequested, this,
                         &CMacroControlUI::ShowRowMenu);
        // an activated row (a double click outside the delay, which edits, or Enter) opens the
        // same menu, at the pointer when it is over the list, else below the row
        QObject::connect(m_actions, &QAbstractItemView::activated, this,
                         [this](const QModelIndex& row) {
                             const QWidget* viewport = m_actions->viewport();
                             const QPoint pointer = viewport->mapFromGlobal(QCursor::pos());
                             ShowRowMenu(viewport->rect().contains(pointer)
                                             ? pointer
                                             : m_actions->visualRect(row).bottomLeft());
                         });
        QObject::connect(m_actions->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                         [this](const QModelIndex& current) {
                             m_recorder.Select(current.isValid() ? current.row() : -1);
                         });
    }
    for (const char* name : {"macro_action_layout", "mouse_move_layout", "macro_btn_export",
                             "macro_btn_name_sub", "macro_btn_name_edit"})
        Part(QString::fromLatin1(name)).SetEnabled(false);
    SetRecordingLayout(true);
    if (!m_folder.empty())
        LoadMacroList();
}

bool CMacroControlUI::event(QEvent* event) {
    if (event->type() == QEvent::DynamicPropertyChange &&
        static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName() == "macroFolder") {
        const QString folder = property("macroFolder").toString();
        SetMacroFolder(folder.toStdString());
    }
    return QWidget::event(event);
}

std::uint64_t CMacroControlUI::Now() const {
    return m_clock ? m_clock() : SteadyMs();
}

void CMacroControlUI::SetMacroFolder(const std::filesystem::path& folder) {
    m_folder = folder;
    if (IsContentBuilt())
        LoadMacroList(); // else when the panel is built
}

// --- the macros -------------------------------------------------------------------------------

void CMacroControlUI::LoadMacroList() {
    Content();
    if (!m_names)
        return;
    const int selected = GetSelectedMacro();
    m_names->clear();
    if (m_folder.empty())
        return;
    for (const data::MacroInfo& info : Store().List()) {
        auto* item =
            new QListWidgetItem(QString::fromStdString(info.name), m_names); // owned by the list
        item->setData(Qt::UserRole, QString::fromStdString(info.guid));
    }
    if (selected >= 0 && selected < m_names->count())
        m_names->setCurrentRow(selected);
}

int CMacroControlUI::GetSelectedMacro() const {
    Content();
    return m_names ? m_names->currentRow() : -1;
}

void CMacroControlUI::SelectMacro(int index) {
    Content();
    if (m_names)
        m_names->setCurrentRow(index);
}

QStringList CMacroControlUI::MacroNames() const {
    Content();
    QStringList names;
    for (int i = 0; m_names && i < m_names->count(); ++i)
        names << m_names->item(i)->text();
    return names;
}

void CMacroControlUI::OpenSelectedMacro() {
    const int index = GetSelectedMacro();
    if (index < 0) {
        m_recorder.DeleteAllActions();
        ShowRows();
        return;
    }
    if (m_names->item(index)->data(Qt::UserRole).toString().isEmpty())
        return;
    for (const char* name : {"macro_action_layout", "mouse_move_layout", "macro_btn_export",
                             "macro_btn_name_sub", "macro_btn_name_edit"})
        Part(QString::fromLatin1(name)).SetEnabled(true);
    m_recorder.Load(Store().Events(index));
    ShowRows();
}

bool CMacroControlUI::SaveSelectedMacro() {
    const int index = GetSelectedMacro();
    if (index < 0 || m_folder.empty())
        return false;
    return Store().SaveEvents(index, m_recorder.Events());
}

QString CMacroControlUI::AddMacro() {
    if (m_folder.empty())
        return {};
    const std::string name = Store().Add();
    if (name.empty())
        return {};
    LoadMacroList();
    SelectMacro(m_names ? m_names->count() - 1 : -1);
    OpenSelectedMacro();
    return QString::fromStdString(name);
}

QString CMacroControlUI::RenameMacro(int& index) {
    index = GetSelectedMacro();
    if (index < 0)
        return {};
    const QString name = Part(QStringLiteral("macro_edit_macroname")).GetText().trimmed();
    if (Store().Rename(index, name.toStdString()) != data::CMacroStore::RenameResult::Renamed)
        return {};
    LoadMacroList();
    return name;
}

bool CMacroControlUI::RemoveSelectedMacro() {
    const int index = GetSelectedMacro();
    if (index < 0)
        return false;
    const int count = static_cast<int>(Store().List().size());
    if (!Store().Remove(index, count))
        return false;
    LoadMacroList();
    if (m_names && m_names->count() == 0) {
        for (const char* name : {"macro_btn_export", "macro_btn_name_sub", "macro_btn_name_edit"})
            Part(QString::fromLatin1(name)).SetEnabled(false);
    }
    SelectMacro(-1);
    m_recorder.DeleteAllActions();
    ShowRows();
    return true;
}

QString CMacroControlUI::ImportMacro(const std::filesystem::path& source) {
    if (m_folder.empty())
        return {};
    const std::string name = Store().Import(source);
    if (!name.empty())
        LoadMacroList();
    return QString::fromStdString(name);
}

bool CMacroControlUI::ExportMacro(const std::filesystem::path& destination) const {
    const int index = GetSelectedMacro();
    return index >= 0 && !m_folder.empty() && Store().Export(index, destination);
}

// --- recording --------------------------------------------------------------------------------

bool CMacroControlUI::IsConstantTimeChecked() const {
    return Part(QStringLiteral("macro_check_time")).IsSelected();
}

void CMacroControlUI::BeginRecording(TimeMode mode) {
    CControlUI fixed = Part(QStringLiteral("macro_fixed_time_edit"));
    m_recorder.BeginRecording(mode, Now(), fixed.GetText().toStdString());
    if (mode == TimeMode::Fixed)
        fixed.SetText(QString::number(m_recorder.FixedDelay()));
    if (auto* edit = fixed.as<QLineEdit>())
        edit->setCursorPosition(static_cast<int>(edit->text().size()));
    m_recording = true;
    SetRecordingLayout(false);
}

void CMacroControlUI::EndRecording() {
    m_recording = false;
    SetRecordingLayout(true);
}

void CMacroControlUI::SetRecordingLayout(bool enabled) {
    for (const char* name : {"macro_name_tab", "macro_action_list"})
        if (QWidget* part = Part(QString::fromLatin1(name)).widget())
            part->setAttribute(Qt::WA_TransparentForMouseEvents, !enabled);
    for (const char* name : {"macro_tab_macroaction_edit", "macro_tab_macrodelay_edit"})
        Part(QString::fromLatin1(name)).SetEnabled(enabled);
    Part(QStringLiteral("macro_btn_starredio")).SetVisible(enabled);
    Part(QStringLiteral("macro_btn_stopredio")).SetVisible(!enabled);
}

std::optional<macro::ScreenRect> CMacroControlUI::StopButtonRect() const {
    QWidget* stop = Part(QStringLiteral("macro_btn_stopredio")).widget();
    if (!stop)
        return std::nullopt;
    const QPoint origin = stop->mapToGlobal(QPoint(0, 0));
    return macro::ScreenRect{origin.x(), origin.y(), origin.x() + stop->width(),
                             origin.y() + stop->height()};
}

bool CMacroControlUI::RecordKey(RecordPosition position, const macro::KeyHookEvent& event) {
    if (!m_recorder.RecordKey(position, event, Now()))
        return false;
    ShowRows();
    return true;
}

bool CMacroControlUI::RecordMouse(RecordPosition position, const macro::MouseHookEvent& event) {
    if (!m_recorder.RecordMouse(position, event, Now(), StopButtonRect()))
        return false;
    ShowRows();
    return true;
}

// --- editing ----------------------------------------------------------------------------------

bool CMacroControlUI::InsertMouseAction(std::uint32_t message, int variant) {
    static constexpr const char* kDistanceEdits[] = {"mouse_x_left_edit", "mouse_x_right_edit",
                                                     "mouse_y_up_edit", "mouse_y_down_edit"};
    QString distance;
    if (message == macro::mouse_message::kMove && variant >= 0 && variant < 4)
        distance = Part(QString::fromLatin1(kDistanceEdits[variant])).GetText();
    // the fixed delay is the one last read, as the rows it adds say
    if (!m_recorder.InsertMouseAction(message, variant, distance.toStdString()))
        return false;
    ShowRows();
    return true;
}

bool CMacroControlUI::MoveActionUp() {
    const bool moved = m_recorder.MoveActionUp();
    if (moved)
        ShowRows();
    return moved;
}

bool CMacroControlUI::MoveActionDown() {
    const bool moved = m_recorder.MoveActionDown();
    if (moved)
        ShowRows();
    return moved;
}

bool CMacroControlUI::MoveActionToTop() {
    const bool moved = m_recorder.MoveActionToTop();
    if (moved)
        ShowRows();
    return moved;
}

bool CMacroControlUI::MoveActionToBottom() {
    const bool moved = m_recorder.MoveActionToBottom();
    if (moved)
        ShowRows();
    return moved;
}

bool CMacroControlUI::DeleteAction() {
    const bool deleted = m_recorder.DeleteAction();
    if (deleted)
        ShowRows();
    return deleted;
}

void CMacroControlUI::DeleteAllActions() {
    m_recorder.DeleteAllActions();
    ShowRows();
}

void CMacroControlUI::SelectAction(int row) {
    Content();
    m_recorder.Select(row);
    if (m_actions)
        m_actions->setCurrentIndex(m_model->index(m_recorder.Selected(), 0));
}

void CMacroControlUI::ShowRows() {
    Content();
    const int selected = m_recorder.Selected();
    m_model->Reload();
    if (m_actions && selected >= 0) {
        m_actions->setCurrentIndex(m_model->index(selected, 0));
        m_recorder.Select(selected);
    }
    ScrollToSelection();
}

void CMacroControlUI::ScrollToSelection() {
    QPointer<CMacroControlUI> self(this);
    QTimer::singleShot(kScrollDelayMs, this, [self] {
        if (self && self->m_actions && self->m_recorder.Selected() >= 0)
            self->m_actions->scrollTo(self->m_model->index(self->m_recorder.Selected(), 0));
    });
}

void CMacroControlUI::SetRecordingRequester(RecordingRequester requester) {
    Requester() = std::move(requester);
}

void CMacroControlUI::ShowRowMenu(const QPoint& position) {
    if (!m_actions || m_recording || GetSelectedMacro() < 0)
        return;
    QMenu menu(this);
    for (const MenuItem& item : kMenuItems) {
        if (item.name[0] == '\0') {
            menu.addSeparator();
            continue;
        }
        QAction* action =
            menu.addAction(CSkinResources::Instance().Translate(QString::fromLatin1(item.textId)));
        action->setObjectName(QString::fromLatin1(item.name));
    }
    if (QAction* chosen = menu.exec(m_actions->viewport()->mapToGlobal(position)))
        RunMenuItem(chosen->objectName());
}

void CMacroControlUI::RunMenuItem(const QString& item) {
    struct Recording {
        const char* name;
        int hookMode;
        int timeMode; // 0: fixed when "macro_check_time" is selected, else recorded
    };
    static constexpr Recording kRecordings[] = {
        {"redio_previous_record_time", 8, 0}, {"redio_previous_constant_time", 8, 2},
        {"redio_previous_ignore_time", 8, 3}, {"redio_later_record_time", 16, 0},
        {"redio_later_constant_time", 16, 2}, {"redio_later_ignore_time", 16, 3},
        {"macro_action_edit", 32, 3},
    };
    for (const Recording& r : kRecordings) {
        if (item != QLatin1String(r.name))
            continue;
        const TimeMode mode = r.timeMode == 0
                                  ? (IsConstantTimeChecked() ? TimeMode::Fixed : TimeMode::Recorded)
                                  : static_cast<TimeMode>(r.timeMode);
        if (Requester())
            Requester()(*this, r.hookMode, mode);
        return;
    }
    struct Insertion {
        const char* button;
        std::uint32_t down, up;
        int variant;
    };
    static constexpr Insertion kInsertions[] = {
        {"left", macro::mouse_message::kLeftDown, macro::mouse_message::kLeftUp, 0},
        {"right", macro::mouse_message::kRightDown, macro::mouse_message::kRightUp, 0},
        {"middle", macro::mouse_message::kMiddleDown, macro::mouse_message::kMiddleUp, 0},
        {"forward", macro::mouse_message::kXDown, macro::mouse_message::kXUp, 0},
        {"back", macro::mouse_message::kXDown, macro::mouse_message::kXUp, 1},
    };
    for (const Insertion& i : kInsertions) {
        const QString prefix = QString::fromLatin1(i.button) + QLatin1Char('_');
        if (!item.startsWith(prefix))
            continue;
        const QString what = item.mid(prefix.size());
        bool inserted = false;
        if (what == QLatin1String("down") || what == QLatin1String("click"))
            inserted |= InsertMouseAction(i.down, i.variant);
        if (what == QLatin1String("up") || what == QLatin1String("click"))
            inserted |= InsertMouseAction(i.up, i.variant);
        if (inserted)
            SaveSelectedMacro();
        return;
    }
}

void RegisterMacroControls() {
    CControlFactory::Instance().RegisterControl(
        QString::fromLatin1(CMacroControlUI::kRegisteredName),
        [] { return new CMacroControlUI(); });
}

CMacroControlUI* MacroPanelOf(QWidget* device) {
    if (!device)
        return nullptr;
    if (auto* panel = qobject_cast<CMacroControlUI*>(device))
        return panel;
    return device->findChild<CMacroControlUI*>();
}

} // namespace vpc::panels
