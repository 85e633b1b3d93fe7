// Base of every window of the program: builds its layout from the skin, calls
// InitWindow once the controls exist, then Notify for each control event.
#pragma once

#include "PaintManagerUI.h"
#include "UiTypes.h"

#include <QWidget>
#include <chrono>
#include <optional>

class QEventLoop;

class WindowImplBase : public QWidget, public INotifyUI {
    Q_OBJECT
public:
    explicit WindowImplBase(QWidget* parent = nullptr);
    ~WindowImplBase() override;

    virtual QString GetWindowClassName() const = 0;
    // The layout name in "res.xml" (or a layout file) the window is built from.
    virtual QString GetSkinFile() const = 0;
    virtual void InitWindow() {}
    void Notify(TNotifyUI& msg) override;
    // Window messages (posted or sent to this window). Set handled when taken.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    // Runs once when the window has closed.
    virtual void OnFinalMessage() {}
    // Creates the program's own control classes by layout class name.
    virtual QWidget* CreateControl(const QString& className);

    // Builds the layout and shows nothing yet; false when the layout is missing
    // (the window then stays empty, as a toolkit window without layout does).
    bool Create(QWidget* parent, const QString& title, int x, int y, int width, int height);
    void CenterWindow();
    // Shows the window modal and returns the code given to Close.
    int ShowModal();
    void Close(int resultCode = 0);
    int GetResultCode() const { return m_resultCode; }
    bool IsClosed() const { return m_closed; }

    // Handled at once on the UI thread; from another thread the call waits for the
    // UI thread at most timeout and returns nothing when it did not answer in time.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    std::optional<LRESULT> SendMessageTimeout(UINT message, WPARAM wParam, LPARAM lParam,
                                              std::chrono::milliseconds timeout);
    void PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    CPaintManagerUI& PaintManager() { return m_paintManager; }
    const CPaintManagerUI& PaintManager() const { return m_paintManager; }
    CControlUI FindControl(const QString& name) const { return m_paintManager.FindControl(name); }

signals:
    void windowClosed(int resultCode);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // Height of the strip at the top by which the window is dragged.
    int CaptionHeight() const;

private:
    CPaintManagerUI m_paintManager;
    QWidget* m_layoutRoot = nullptr;
    int m_resultCode = 0;
    bool m_closed = false;
    bool m_finalSent = false;
};
