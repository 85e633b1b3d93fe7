// Runs an action on the next modal window from inside that window's own event loop,
// for tests that answer dialogs: the modal loop blocks the test until then.
#pragma once

#include <QApplication>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <utility>

namespace vpc::test {

// The action waits until the window is visible and its loop, one level below the
// caller's, is running: an answer given while the window is still being shown would be
// lost. It is given again every 10 ms until that window is gone, since a dialog may
// not take an answer at once (a file dialog still reading its folder ignores an accept).
inline void OnNextModal(std::function<void(QWidget*)> action) {
    struct State {
        std::function<void(QWidget*)> action;
        int callerLoopLevel = 0;
        QPointer<QWidget> target;
        bool answered = false;
    };
    auto state = std::make_shared<State>();
    state->action = std::move(action);
    state->callerLoopLevel = QThread::currentThread()->loopLevel();
    auto* poll = new QTimer(qApp); // freed once the window it answered is gone
    QObject::connect(poll, &QTimer::timeout, poll, [poll, state] {
        if (state->answered) {
            if (!state->target || !state->target->isVisible()) {
                poll->stop();
                poll->deleteLater();
            } else if (QApplication::activeModalWidget() == state->target) {
                state->action(state->target);
            }
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() ||
            QThread::currentThread()->loopLevel() <= state->callerLoopLevel)
            return;
        state->target = modal;
        state->answered = true;
        state->action(modal);
    });
    poll->start(10);
}

} // namespace vpc::test
