#include "CurrentPageSizing.h"

#include <QEvent>
#include <QStackedWidget>

void CCurrentPageSizing::Install(QStackedWidget* stack) {
    if (stack && !stack->findChild<CCurrentPageSizing*>(QString(), Qt::FindDirectChildrenOnly))
        new CCurrentPageSizing(stack); // owned by the stack
}

CCurrentPageSizing::CCurrentPageSizing(QStackedWidget* stack) : QObject(stack), m_stack(stack) {
    connect(stack, &QStackedWidget::currentChanged, this, &CCurrentPageSizing::Apply);
    stack->installEventFilter(this);
    Apply();
}

bool CCurrentPageSizing::eventFilter(QObject* watched, QEvent* event) {
    // a page is a child before the stack counts it: size it once it is in
    if (watched == m_stack && event->type() == QEvent::ChildAdded)
        QMetaObject::invokeMethod(this, &CCurrentPageSizing::Apply, Qt::QueuedConnection);
    return false;
}

void CCurrentPageSizing::Apply() {
    QWidget* current = m_stack->currentWidget();
    for (int i = 0; i < m_stack->count(); ++i) {
        QWidget* page = m_stack->widget(i);
        const QSizePolicy::Policy policy =
            page == current ? QSizePolicy::Preferred : QSizePolicy::Ignored;
        page->setSizePolicy(policy, policy);
    }
    m_stack->updateGeometry();
}
