#include "ComboEditContainerElementUI.h"

#include "ControlColors.h"
#include "ControlEvents.h"
#include "DialogBuilder.h"

#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

QWidget* FindPart(QWidget* content, const QString& name) {
    if (!content) {
        return nullptr;
    }
    if (ControlName(content).compare(name, Qt::CaseInsensitive) == 0) {
        return content;
    }
    const QList<QWidget*> parts = content->findChildren<QWidget*>();
    for (QWidget* part : parts) {
        if (ControlName(part).compare(name, Qt::CaseInsensitive) == 0) {
            return part;
        }
    }
    return nullptr;
}

} // namespace

CComboEditContainerElementUI::CComboEditContainerElementUI(QWidget* parent) : CListRowUI(parent) {
    TakeOwnPointerEvents(this);
    // A row in a list leaves the focus to the list: a focused row widget would
    // make the list select it before the row's own click handling.
    setFocusPolicy(Qt::NoFocus);
    auto* layout = new QHBoxLayout(this); // owned by this row
    layout->setContentsMargins(0, 0, 0, 0);
    m_content = CDialogBuilder::Create(QString::fromLatin1(kLayout), {}, this);
    if (!m_content) {
        qWarning("Macro action row: %s", qPrintable(CDialogBuilder::LastError()));
        return;
    }
    layout->addWidget(m_content);
    m_text1 = FindPart(m_content, "text1");
    m_text2 = FindPart(m_content, "text2");
    m_delayEdit = FindPart(m_content, "delay_edit");
}

void CComboEditContainerElementUI::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (IsSelected()) {
        painter.fillRect(rect(),
                         ControlColor(this, "selectedbkcolor", ThemeColor::SurfaceSelected));
    } else if (IsHot()) {
        painter.fillRect(rect(), ControlColor(this, "hotbkcolor", ThemeColor::SurfaceHot));
    }
    painter.end();
    CListRowUI::paintEvent(event);
}

void CComboEditContainerElementUI::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        RaiseControlEvent(this, DuiEvent::Return);
        event->accept();
        return;
    }
    CListRowUI::keyPressEvent(event);
}

void CComboEditContainerElementUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        if (event->modifiers() & Qt::ControlModifier) {
            ToggleSelected();
        } else {
            Select(true);
        }
        event->accept();
        return;
    }
    CListRowUI::mousePressEvent(event);
}

void CComboEditContainerElementUI::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        RaiseControlEvent(this, DuiEvent::ItemClick);
        event->accept();
        return;
    }
    CListRowUI::mouseReleaseEvent(event);
}

void CComboEditContainerElementUI::contextMenuEvent(QContextMenuEvent* event) {
    if (!m_contextMenu) {
        event->ignore();
        return;
    }
    RaiseControlEvent(this, DuiEvent::Menu, static_cast<WPARAM>(event->globalPos().x()),
                      event->globalPos().y());
    event->accept();
}
