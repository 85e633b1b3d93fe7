// Coalesces the writes of a lighting change (profile file and onboard record): the first change
// is written at once, changes that follow within the quiet window are gathered into one write at
// its end, so a drag costs at most one write per window and the last state is always written.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

namespace vpc::panels {

class CLightWriteThrottle : public QObject {
    Q_OBJECT
public:
    static constexpr int kWindowMs = 50;

    // commit writes the current state; it runs on this object's thread.
    explicit CLightWriteThrottle(std::function<void()> commit, QObject* parent = nullptr);
    ~CLightWriteThrottle() override;

    // A change was made: write now, or at the end of the running window.
    void Request();
    // Writes a gathered change at once (before the state is replaced or the program ends).
    void Flush();

    bool HasPending() const { return m_pending; }
    // No change waits and the quiet window has passed: the next change is written at once.
    bool IsIdle() const { return !m_pending && !m_window.isActive(); }
    int CommitCount() const { return m_commits; }

private:
    void Commit();

    std::function<void()> m_commit;
    QTimer m_window;
    bool m_pending = false;
    int m_commits = 0;
};

} // namespace vpc::panels
