// Common part of the program's list rows: selection (the list item's when the
// row sits in a list, its own otherwise) and the hot state while hovered.
#pragma once

#include <QFrame>

class QListWidget;
class QListWidgetItem;

class CListRowUI : public QFrame {
    Q_OBJECT
public:
    explicit CListRowUI(QWidget* parent = nullptr);

    bool IsSelected() const;
    // Selects this row; in a list it becomes the current row (the list then
    // raises "itemselect").
    void Select(bool selected = true);
    void ToggleSelected();
    bool IsHot() const { return m_hot; }

    // The list this row is shown in and its item there, or null.
    QListWidget* OwnerList() const;
    QListWidgetItem* OwnerItem() const;

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool m_selected = false;
    bool m_hot = false;
};
