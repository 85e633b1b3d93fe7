// Makes a stacked widget as large as its shown page only: the other pages' sizes are ignored,
// so a scrolling parent scrolls for the page the user sees, not for the tallest page.
#pragma once

#include <QObject>

class QStackedWidget;

class CCurrentPageSizing : public QObject {
    Q_OBJECT
public:
    // Follows the stack's page changes and the pages added to it; owned by the stack.
    static void Install(QStackedWidget* stack);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit CCurrentPageSizing(QStackedWidget* stack);
    void Apply();

    QStackedWidget* m_stack;
};
