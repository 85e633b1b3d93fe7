#include "CloudShareListItemUI.h"

#include "ControlColors.h"
#include "ControlEvents.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>

CCloudShareListItemUI::CCloudShareListItemUI(QWidget* parent) : CListRowUI(parent) {
    TakeOwnPointerEvents(this);
    // A row in a list leaves the focus to the list: a focused row widget would
    // make the list select it before the row's own click handling.
    setFocusPolicy(Qt::NoFocus);
}

QColor CCloudShareListItemUI::HotBorderColor() const {
    const QWidget* list = OwnerList();
    return ControlColor(list ? list : this, "hotbordercolor", ThemeColor::Accent);
}

void CCloudShareListItemUI::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (IsSelected()) {
        painter.fillRect(rect(),
                         ControlColor(this, "selectedbkcolor", ThemeColor::SurfaceSelected));
    } else if (ShowsHotBorder()) {
        painter.setPen(QPen(HotBorderColor(), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    painter.end();
    CListRowUI::paintEvent(event);
}

void CCloudShareListItemUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        Select(true);
        event->accept();
        return;
    }
    CListRowUI::mousePressEvent(event);
}

void CCloudShareListItemUI::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        RaiseControlEvent(this, DuiEvent::ItemActivate);
        event->accept();
        return;
    }
    CListRowUI::mouseDoubleClickEvent(event);
}

void CCloudShareListItemUI::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        RaiseControlEvent(this, DuiEvent::ItemActivate);
        event->accept();
        return;
    }
    CListRowUI::keyPressEvent(event);
}

void CCloudShareListItemUI::contextMenuEvent(QContextMenuEvent* event) {
    RaiseControlEvent(this, DuiEvent::Menu, static_cast<WPARAM>(event->globalPos().x()),
                      event->globalPos().y());
    event->accept();
}
