// The program's icon in the system tray: a left click shows or hides the main
// window, a right click asks for the tray menu.
#pragma once

#include <QObject>
#include <QSystemTrayIcon>
#include <memory>

class CTrayIcon : public QObject {
    Q_OBJECT
public:
    explicit CTrayIcon(QObject* parent = nullptr);
    ~CTrayIcon() override;

    // Shows the icon when the desktop has a tray; false when it has none.
    bool Show(const QIcon& icon, const QString& toolTip);
    void Hide();
    bool IsShown() const;
    // A note beside the icon that goes by itself (nothing when the icon is not shown).
    void ShowNote(const QString& title, const QString& text);
    // Whether the desktop offers a system tray at all.
    static bool IsTrayAvailable();

signals:
    void leftClicked();
    void rightClicked();

private:
    std::unique_ptr<QSystemTrayIcon> m_icon;
};
