#include "SkinPanelUI.h"

#include "DialogBuilder.h"
#include "PaintManagerUI.h"

#include <QHBoxLayout>

CSkinPanelUI::CSkinPanelUI(const char* layout, const char* what, QWidget* parent)
    : QWidget(parent), m_layoutName(layout), m_what(what) {
    auto* box = new QHBoxLayout(this); // owned by this panel
    box->setContentsMargins(0, 0, 0, 0);
}

QWidget* CSkinPanelUI::Content() const {
    if (!m_contentBuilt)
        const_cast<CSkinPanelUI*>(this)->BuildContent();
    return m_content.data();
}

void CSkinPanelUI::BuildContent() {
    m_contentBuilt = true;
    m_content = CDialogBuilder::Create(QString::fromLatin1(m_layoutName), {}, this);
    if (!m_content) {
        qWarning("%s: %s", m_what, qPrintable(CDialogBuilder::LastError()));
        return;
    }
    layout()->addWidget(m_content);
    // built after the page joined its window's manager: its controls join now
    if (CPaintManagerUI* manager = CPaintManagerUI::FromControl(this))
        manager->AttachSubtree(m_content);
    OnContentBuilt();
}

CControlUI CSkinPanelUI::Part(const QString& name) const {
    QWidget* content = Content();
    if (!content)
        return CControlUI();
    if (ControlName(content) == name)
        return CControlUI(content);
    return CControlUI(content->findChild<QWidget*>(name));
}

void CSkinPanelUI::showEvent(QShowEvent* event) {
    Content();
    QWidget::showEvent(event);
}
