#include "ListRowUI.h"

#include <QListWidget>

CListRowUI::CListRowUI(QWidget* parent) : QFrame(parent) {}

QListWidget* CListRowUI::OwnerList() const {
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* list = qobject_cast<QListWidget*>(w)) {
            return list;
        }
    }
    return nullptr;
}

QListWidgetItem* CListRowUI::OwnerItem() const {
    QListWidget* list = OwnerList();
    if (!list) {
        return nullptr;
    }
    for (int i = 0; i < list->count(); ++i) {
        if (list->itemWidget(list->item(i)) == this) {
            return list->item(i);
        }
    }
    return nullptr;
}

bool CListRowUI::IsSelected() const {
    if (const QListWidgetItem* item = OwnerItem()) {
        return item->isSelected();
    }
    return m_selected;
}

void CListRowUI::Select(bool selected) {
    if (QListWidgetItem* item = OwnerItem()) {
        if (selected) {
            item->listWidget()->setCurrentItem(item);
        }
        item->setSelected(selected);
    } else {
        m_selected = selected;
    }
    update();
}

void CListRowUI::ToggleSelected() {
    if (QListWidgetItem* item = OwnerItem()) {
        item->setSelected(!item->isSelected());
    } else {
        m_selected = !m_selected;
    }
    update();
}

void CListRowUI::enterEvent(QEnterEvent* event) {
    m_hot = true;
    update();
    QFrame::enterEvent(event);
}

void CListRowUI::leaveEvent(QEvent* event) {
    m_hot = false;
    update();
    QFrame::leaveEvent(event);
}
