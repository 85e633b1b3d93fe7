// A row of the macro action list: an action name, its detail and an edit for its
// delay, built from the skin's row layout, with the list row's events.
#pragma once

#include "ControlUI.h"
#include "ListRowUI.h"

class CComboEditContainerElementUI : public CListRowUI {
    Q_OBJECT
    Q_PROPERTY(QString controlClass READ GetClass CONSTANT)
    // Whether a context click raises "menu".
    Q_PROPERTY(bool menu READ IsContextMenuUsed WRITE SetContextMenuUsed)
public:
    static constexpr const char* kClassText = "ComboEditContainerElement";
    static constexpr const char* kRegisteredName = "CComboEditContainerElementUI";
    static constexpr const char* kLayout = "XML\\CustomControlXML\\ComboEditElementItem.xml";

    explicit CComboEditContainerElementUI(QWidget* parent = nullptr);

    QString GetClass() const { return QString::fromLatin1(kClassText); }

    // The parts of the row; empty handles when the skin's row layout lacks them.
    CControlUI Text1() const { return CControlUI(m_text1); }
    CControlUI Text2() const { return CControlUI(m_text2); }
    CControlUI DelayEdit() const { return CControlUI(m_delayEdit); }
    // Whether the row layout was found and built.
    bool HasContent() const { return m_content != nullptr; }

    bool IsContextMenuUsed() const { return m_contextMenu; }
    void SetContextMenuUsed(bool used) { m_contextMenu = used; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QWidget* m_content = nullptr; // child of this row
    QWidget* m_text1 = nullptr;
    QWidget* m_text2 = nullptr;
    QWidget* m_delayEdit = nullptr;
    bool m_contextMenu = false;
};
