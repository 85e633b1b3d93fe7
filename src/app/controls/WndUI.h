// A place in a layout for a window that the layout does not build: the hosted
// window follows the control's position, size and visibility.
#pragma once

#include <QPointer>
#include <QWidget>

class CWndUI : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString controlClass READ GetClass CONSTANT)
public:
    static constexpr const char* kClassText = "Wnd";
    static constexpr const char* kRegisteredName = "CWndUI";

    explicit CWndUI(QWidget* parent = nullptr);

    QString GetClass() const { return QString::fromLatin1(kClassText); }

    // Hosts window (a child of this control's window or a window of its own); the
    // control does not own it. Null detaches.
    void Attach(QWidget* window);
    QWidget* HostedWindow() const { return m_hosted.data(); }
    // Puts the hosted window over the control and shows or hides it with it.
    void SyncHostedWindow();

protected:
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_hosted;
    QPointer<QWidget> m_watchedWindow;
};
