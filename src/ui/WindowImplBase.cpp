#include "WindowImplBase.h"

#include "DialogBuilder.h"
#include "SkinResources.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QMouseEvent>
#include <QScreen>
#include <QThread>
#include <QVBoxLayout>
#include <QWindow>
#include <future>
#include <memory>

namespace {

const QEvent::Type kWindowMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class WindowMessageEvent : public QEvent {
public:
    WindowMessageEvent(UINT message, WPARAM wParam, LPARAM lParam,
                       std::shared_ptr<std::promise<LRESULT>> reply = nullptr)
        : QEvent(kWindowMessageEvent), message(message), wParam(wParam), lParam(lParam),
          reply(std::move(reply)) {}

    const UINT message;
    const WPARAM wParam;
    const LPARAM lParam;
    const std::shared_ptr<std::promise<LRESULT>> reply;
};

} // namespace

WindowImplBase::WindowImplBase(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    m_paintManager.AddNotifier(this);
}

WindowImplBase::~WindowImplBase() {
    m_paintManager.RemoveNotifier(this);
}

void WindowImplBase::Notify(TNotifyUI&) {}

LRESULT WindowImplBase::HandleMessage(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

QWidget* WindowImplBase::CreateControl(const QString&) {
    return nullptr;
}

bool WindowImplBase::Create(QWidget* parent, const QString& title, int x, int y, int width,
                            int height) {
    if (parent) {
        setParent(parent, windowFlags());
    }
    setWindowTitle(title);
    setObjectName(GetWindowClassName());
    setGeometry(x, y, width, height);
    setFixedSize(width, height);

    const QString styleSheet = CSkinResources::Instance().StyleSheet();
    if (!styleSheet.isEmpty()) {
        setStyleSheet(styleSheet);
    }
    m_layoutRoot = CDialogBuilder::Create(
        GetSkinFile(), [this](const QString& className) { return CreateControl(className); }, this);
    if (m_layoutRoot) {
        auto* layout = new QVBoxLayout(this); // owned by this window
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(m_layoutRoot);
        m_paintManager.SetRoot(m_layoutRoot);
    } else {
        qWarning("%s: %s", qPrintable(GetWindowClassName()),
                 qPrintable(CDialogBuilder::LastError()));
        m_paintManager.SetRoot(this);
    }
    InitWindow();
    // The first notification a window sees is "windowinit", right after InitWindow.
    m_paintManager.SendNotify(m_paintManager.GetRoot(), DuiEvent::WindowInit);
    return m_layoutRoot != nullptr;
}

void WindowImplBase::CenterWindow() {
    QScreen* screen = nullptr;
    if (parentWidget()) {
        screen = parentWidget()->screen();
    }
    if (!screen) {
        screen = QGuiApplication::screenAt(QCursor::pos());
    }
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    if (!screen) {
        return;
    }
    QRect frame = geometry();
    frame.moveCenter(parentWidget() && parentWidget()->isVisible()
                         ? parentWidget()->geometry().center()
                         : screen->availableGeometry().center());
    move(frame.topLeft());
}

int WindowImplBase::ShowModal() {
    setWindowModality(Qt::ApplicationModal);
    m_closed = false;
    show();
    raise();
    activateWindow();
    QEventLoop loop;
    connect(this, &WindowImplBase::windowClosed, &loop, &QEventLoop::quit);
    if (!m_closed) {
        loop.exec();
    }
    return m_resultCode;
}

void WindowImplBase::Close(int resultCode) {
    m_resultCode = resultCode;
    close();
}

void WindowImplBase::closeEvent(QCloseEvent* event) {
    event->accept();
    m_closed = true;
    emit windowClosed(m_resultCode);
    if (!m_finalSent) {
        m_finalSent = true;
        OnFinalMessage();
    }
}

LRESULT WindowImplBase::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (QThread::currentThread() == thread()) {
        bool handled = false;
        return HandleMessage(message, wParam, lParam, handled);
    }
    return SendMessageTimeout(message, wParam, lParam, std::chrono::seconds(5)).value_or(0);
}

std::optional<LRESULT> WindowImplBase::SendMessageTimeout(UINT message, WPARAM wParam,
                                                          LPARAM lParam,
                                                          std::chrono::milliseconds timeout) {
    if (QThread::currentThread() == thread()) {
        bool handled = false;
        return HandleMessage(message, wParam, lParam, handled);
    }
    auto reply = std::make_shared<std::promise<LRESULT>>();
    std::future<LRESULT> answer = reply->get_future();
    QCoreApplication::postEvent(this, new WindowMessageEvent(message, wParam, lParam, reply));
    if (answer.wait_for(timeout) != std::future_status::ready) {
        return std::nullopt;
    }
    try {
        return answer.get();
    } catch (const std::future_error&) {
        return std::nullopt; // the window went away before it answered
    }
}

void WindowImplBase::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    QCoreApplication::postEvent(this, new WindowMessageEvent(message, wParam, lParam));
}

bool WindowImplBase::event(QEvent* event) {
    if (event->type() == kWindowMessageEvent) {
        auto* windowMessage = static_cast<WindowMessageEvent*>(event);
        bool handled = false;
        const LRESULT result = HandleMessage(windowMessage->message, windowMessage->wParam,
                                             windowMessage->lParam, handled);
        if (windowMessage->reply) {
            windowMessage->reply->set_value(result);
        }
        return true;
    }
    return QWidget::event(event);
}

int WindowImplBase::CaptionHeight() const {
    const QWidget* root = m_paintManager.GetRoot();
    const int height = root ? root->property("captionHeight").toInt() : 0;
    return height > 0 ? height : 32;
}

void WindowImplBase::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && event->position().y() < CaptionHeight() &&
        windowHandle()) {
        windowHandle()->startSystemMove();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}
