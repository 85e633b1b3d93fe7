// The program's object on the D-Bus session bus: other programs (and a second
// start of this one) reach the running instance through its methods.
#pragma once

#include <QByteArray>
#include <QDBusContext>
#include <QObject>
#include <QString>
#include <QtDBus/qtdbusglobal.h>
#include <functional>

inline constexpr const char* kDBusServiceName = "com.vornapad.QMT58ControlCenter";
inline constexpr const char* kDBusObjectPath = "/com/vornapad/QMT58ControlCenter";
inline constexpr const char* kDBusInterfaceName = "com.vornapad.QMT58ControlCenter";

// The kinds of game message; each starts game lighting the same way.
enum class GameEvent { Start, End, Kill, Death };

class CRemoteControl;
struct RemoteResult;

class CAppDBusService : public QObject, protected QDBusContext {

    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.vornapad.QMT58ControlCenter")
public:
    explicit CAppDBusService(QObject* parent = nullptr) : QObject(parent) {}

    // Answers "QueryWorkTool"; set by the main window.
    void SetWorkToolAnswer(std::function<QByteArray()> answer) {
        m_workToolAnswer = std::move(answer);
    }
    // Carries out the device requests below; without it they fail with "NotReady".
    void SetRemoteControl(CRemoteControl* control) { m_remote = control; }

public slots:
    // Asks the running instance to restore and raise its window.
    Q_NOREPLY void Activate() { emit activateRequested(); }
    // Game messages: kind 0, 1 or 2 and the lighting mode to show for a while.
    void GameStart(int kind, int mode) { RequestGameLighting(GameEvent::Start, kind, mode); }
    void GameEnd(int kind, int mode) { RequestGameLighting(GameEvent::End, kind, mode); }
    void GameKill(int kind, int mode) { RequestGameLighting(GameEvent::Kill, kind, mode); }
    void GameDeath(int kind, int mode) { RequestGameLighting(GameEvent::Death, kind, mode); }
    // Another program asks to drive the lighting (enable 0) or hands it back (1).
    void RequestLightControl(int request, int enable);
    // The 1024-byte device block; also emitted as WorkToolAnswer.
    QByteArray QueryWorkTool();
    // The updater's progress, handed to the settings window while it is open.
    void UpdateStatus(int status, int detail) { emit updateStatusReceived(status, detail); }

    // Devices and their lighting and profiles, as vorna-ctl uses them. Queries answer JSON;
    // a bad device, value or profile is a D-Bus error ("<interface>.Error.UnknownDevice",
    // "OutOfRange", "UnknownProfile", "Failed", "NotReady") and nothing changes.
    QString ListDevices();
    QString GetLighting(const QString& device);
    QString SetLighting(const QString& device, const QString& property, const QString& value);
    QString ListProfiles(const QString& device);
    QString SwitchProfile(const QString& device, const QString& profile);
    void ExportProfile(const QString& device, const QString& profile, const QString& file);
    QString ImportProfile(const QString& device, const QString& file);

signals:
    void activateRequested();
    void gameLightingRequested(int kind, int mode);
    void lightControlRequested(int request, int enable);
    void updateStatusReceived(int status, int detail);
    // Broadcast to other programs: whether this program drives the lighting (enable 1).
    void LightControlNotify(int request, int enable);
    void WorkToolAnswer(const QByteArray& block);

private:
    void RequestGameLighting(GameEvent event, int kind, int mode);
    // The answer of a device request, or the D-Bus error it becomes.
    QString Answer(const RemoteResult& result);
    bool Ready();
    // Answers an out-of-range value with a D-Bus error; always false.
    bool Refuse(const QString& message);

    std::function<QByteArray()> m_workToolAnswer;
    CRemoteControl* m_remote = nullptr;
};
