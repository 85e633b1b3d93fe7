#include "MacroActionModel.h"

namespace vpc::panels::macro {

CMacroActionModel::CMacroActionModel(CMacroRecorder& recorder,
                                     std::function<QString(const QString&)> translate,
                                     QObject* parent)
    : QAbstractTableModel(parent), m_recorder(recorder), m_translate(std::move(translate)) {}

int CMacroActionModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_recorder.RowCount();
}

int CMacroActionModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CMacroActionModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_recorder.RowCount())
        return {};
    const MacroRow& row = m_recorder.Rows()[static_cast<std::size_t>(index.row())];
    const Json::Value& action = row.action;
    const int type = action["Type"].isIntegral() ? action["Type"].asInt() : 0;
    const int button = action["Button"].isIntegral() ? action["Button"].asInt() : 0;
    const bool down = action["Action"].isString() && action["Action"].asString() == "down";
    const bool move = type == 4 || type == 5;
    if (role == kUserDataRole)
        return QString::fromStdString(action.toStyledString());
    if (role == kStyleRole) {
        switch (index.column()) {
        case kCaption:
            return IsKeyboardAction(type) ? QStringLiteral("macro_label_keyboard_style")
                                          : QStringLiteral("macro_label_mouse_style");
        case kState:
            if (move || type == 2 || type == 3)
                return QStringLiteral("macro_label_text_style");
            return down ? QStringLiteral("macro_label_down_style")
                        : QStringLiteral("macro_label_up_style");
        default:
            return QStringLiteral("macro_label_text_style");
        }
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    switch (index.column()) {
    case kCaption: {
        const std::string id = ActionCaptionId(type, button, down);
        return id.empty() ? QString() : m_translate(QString::fromStdString(id));
    }
    case kState:
        if (move)
            return QString::asprintf("%d", button);
        if (type == 2 || type == 3)
            return QString();
        return m_translate(down ? QStringLiteral("macro_state_down")
                                : QStringLiteral("macro_state_up"));
    case kDelay:
        return QString::fromStdString(row.delayText);
    default:
        return {};
    }
}

bool CMacroActionModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != kDelay || role != Qt::EditRole)
        return false;
    m_recorder.SetDelayText(index.row(), value.toString().toStdString());
    emit dataChanged(index, index);
    emit delayEdited(index.row());
    return true;
}

Qt::ItemFlags CMacroActionModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.column() == kDelay)
        f |= Qt::ItemIsEditable;
    return f;
}

void CMacroActionModel::Reload() {
    beginResetModel();
    endResetModel();
}

} // namespace vpc::panels::macro
