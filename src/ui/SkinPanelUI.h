// A panel of a device page whose controls come from a skin layout, built when the panel is
// first shown or used, so a page that is never opened costs nothing at start-up.
#pragma once

#include "ControlUI.h"

#include <QPointer>
#include <QWidget>

class CSkinPanelUI : public QWidget {
    Q_OBJECT
public:
    // layout: the skin's name of the panel's layout; what: the panel's name in messages.
    CSkinPanelUI(const char* layout, const char* what, QWidget* parent = nullptr);

    bool IsContentBuilt() const { return m_contentBuilt; }
    // The panel's root control, built on first use; null when the layout could not be built.
    QWidget* Content() const;
    // A control of the panel by name, or none.
    CControlUI Part(const QString& name) const;

protected:
    // Runs once, right after the controls were built and joined the window's manager.
    virtual void OnContentBuilt() {}
    void showEvent(QShowEvent* event) override;

private:
    void BuildContent();

    const char* m_layoutName;
    const char* m_what;
    QPointer<QWidget> m_content;
    bool m_contentBuilt = false;
};
