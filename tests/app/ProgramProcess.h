// Starts the real program in a child process with private data folders and
// collects what it prints, for tests that drive the program from outside.
#pragma once

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class ProgramProcess {
public:
    explicit ProgramProcess(
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
        QProcessEnvironment env = environment;
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_DATA_HOME", m_home.path() + "/data");
        env.insert("XDG_CACHE_HOME", m_home.path() + "/cache");
        env.insert("XDG_CONFIG_HOME", m_home.path() + "/config");
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(&m_process, &QProcess::readyRead,
                         [this] { m_output += m_process.readAll(); });
    }
    ~ProgramProcess() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    bool Start(const QStringList& arguments = {}) {
        m_process.start(VPC_PROGRAM_PATH, arguments);
        return m_process.waitForStarted(5000);
    }
    // Waits for the process to end; false when it did not end in time.
    bool WaitForExit(int milliseconds) {
        if (!QTest::qWaitFor([this] { return m_process.state() == QProcess::NotRunning; },
                             milliseconds)) {
            return false;
        }
        m_output += m_process.readAll();
        return true;
    }
    bool WaitForOutput(const QString& text, int milliseconds) {
        return QTest::qWaitFor([&] { return Output().contains(text); }, milliseconds);
    }
    void Terminate() { m_process.terminate(); }

    QString Output() const { return QString::fromUtf8(m_output); }
    int ExitCode() const { return m_process.exitCode(); }
    QProcess::ExitStatus ExitStatus() const { return m_process.exitStatus(); }
    QString HomePath() const { return m_home.path(); }

private:
    QTemporaryDir m_home;
    QProcess m_process;
    QByteArray m_output;
};
