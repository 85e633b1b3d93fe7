// vorna-ctl: scripts the devices through the running control center over the D-Bus session
// bus (D-Bus activation starts the program when it is not running); never opens a device.
#include "CtlCommand.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <cstdio>

namespace {

constexpr const char* kService = "com.vornapad.QMT58ControlCenter";
constexpr const char* kObject = "/com/vornapad/QMT58ControlCenter";
constexpr const char* kInterface = "com.vornapad.QMT58ControlCenter";
// A start through activation finds its devices first; a call waits that long at most.
constexpr int kCallTimeoutMs = 30000;

void Print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    using namespace vpc::ctl;
    const CtlCommand command =
        ParseCommandLine(QCoreApplication::arguments().mid(1), QDir::currentPath());
    if (command.method.isEmpty()) {
        if (!command.error.isEmpty())
            Print(stderr, "vorna-ctl: " + command.error + "\n");
        Print(command.error.isEmpty() ? stdout : stderr, UsageText());
        return command.error.isEmpty() ? kExitOk : kExitUsage;
    }

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        Print(stderr, "vorna-ctl: no D-Bus session bus: " + bus.lastError().message() + "\n");
        return kExitUnreachable;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kObject, kInterface, command.method);
    call.setArguments(command.arguments);
    call.setAutoStartService(true);
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        const int code = ExitCodeOfError(reply.errorName());
        QString text = reply.errorMessage();
        if (code == kExitUnreachable)
            text = "the control center is not running and could not be started (" + text + ")";
        Print(stderr, "vorna-ctl: " + text + "\n");
        return code;
    }
    if (reply.type() != QDBusMessage::ReplyMessage) {
        Print(stderr, "vorna-ctl: no answer from the control center\n");
        return kExitUnreachable;
    }
    const QString answer =
        reply.arguments().isEmpty() ? QString() : reply.arguments().first().toString();
    if (command.json)
        Print(stdout, (answer.isEmpty() ? QStringLiteral("{}") : answer) + "\n");
    else
        Print(stdout, FormatAnswer(command.answer, answer));
    return kExitOk;
}
