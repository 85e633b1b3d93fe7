// The action list of the macro panel as a table model over the recorder's rows: the action's
// caption, its state (down, up or a move's distance) and its delay, the one column the user
// edits (digits, 0-65535). Each row's JSON is its user data.
#pragma once

#include "MacroRecorder.h"

#include <QAbstractTableModel>
#include <functional>

namespace vpc::panels::macro {

class CMacroActionModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kCaption = 0, kState = 1, kDelay = 2, kColumnCount = 3 };
    static constexpr int kUserDataRole = Qt::UserRole + 1; // the action as styled JSON text
    static constexpr int kStyleRole = Qt::UserRole + 2;    // the label style of the cell

    // translate turns a text id into the words of the current language.
    CMacroActionModel(CMacroRecorder& recorder, std::function<QString(const QString&)> translate,
                      QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The recorder's rows changed: the view shows them again.
    void Reload();

signals:
    // The user finished editing a row's delay.
    void delayEdited(int row);

private:
    CMacroRecorder& m_recorder;
    std::function<QString(const QString&)> m_translate;
};

} // namespace vpc::panels::macro
