// A local HTTP or HTTPS server for one test (a Python subprocess on 127.0.0.1) with its
// routes, its request log, and a certificate authority made for the test alone.
#pragma once

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <QProcess>
#include <QStringList>
#include <QTcpServer>
#include <QTemporaryDir>

#include <json/json.h>

#include <gtest/gtest.h>

namespace vpc::update::test {

namespace fs = std::filesystem;

inline std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteAll(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Waits for a condition, checking it every few milliseconds, for at most `limit`.
inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Sets an environment variable (or removes it, for nullopt) for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (m_old)
            ::setenv(m_name.c_str(), m_old->c_str(), 1);
        else
            ::unsetenv(m_name.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// A port on 127.0.0.1 that nothing listens on.
inline int ClosedPort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 1;
    const int port = probe.serverPort();
    probe.close();
    return port;
}

inline bool RunTool(const QString& program, const QStringList& arguments, const QString& workDir) {
    QProcess tool;
    tool.setWorkingDirectory(workDir);
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(program, arguments);
    if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit ||
        tool.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " failed: " << tool.readAll().toStdString();
        return false;
    }
    return true;
}

// A certificate authority made by the test, and a server certificate for 127.0.0.1 that it
// signed. Nothing but the test's own client trusts it.
class TestAuthority {
public:
    TestAuthority(const fs::path& folder, const std::string& name) : m_folder(folder) {
        const QString dir = QString::fromStdString(folder.string());
        const QString n = QString::fromStdString(name);
        const QString openssl = QStringLiteral(VPC_TEST_OPENSSL);
        WriteAll(folder / (name + "-ext.cnf"), "subjectAltName=IP:127.0.0.1\n"
                                               "basicConstraints=CA:FALSE\n"
                                               "extendedKeyUsage=serverAuth\n");
        m_ok = RunTool(openssl,
                       {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                        "-nodes", "-keyout", n + "-ca.key", "-out", n + "-ca.pem", "-days", "2",
                        "-subj", "/CN=" + n + " test CA", "-addext",
                        "basicConstraints=critical,CA:TRUE", "-addext",
                        "keyUsage=critical,keyCertSign,cRLSign"},
                       dir) &&
               RunTool(openssl,
                       {"req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                        "-nodes", "-keyout", n + "-server.key", "-out", n + "-server.csr", "-subj",
                        "/CN=127.0.0.1"},
                       dir) &&
               RunTool(openssl,
                       {"x509", "-req", "-in", n + "-server.csr", "-CA", n + "-ca.pem", "-CAkey",
                        n + "-ca.key", "-CAcreateserial", "-out", n + "-server.pem", "-days", "2",
                        "-extfile", n + "-ext.cnf"},
                       dir);
        m_name = name;
    }
    bool ok() const { return m_ok; }
    std::string caFile() const { return (m_folder / (m_name + "-ca.pem")).string(); }
    std::string certFile() const { return (m_folder / (m_name + "-server.pem")).string(); }
    std::string keyFile() const { return (m_folder / (m_name + "-server.key")).string(); }

private:
    fs::path m_folder;
    std::string m_name;
    bool m_ok = false;
};

// The server process. Routes can be changed while it runs: it reads them for every request.
class LocalServer {
public:
    // Plain HTTP, or HTTPS with the given authority's server certificate.
    explicit LocalServer(const fs::path& folder, const TestAuthority* authority = nullptr)
        : m_routes(folder / ("routes-" + std::to_string(++Counter()) + ".json")),
          m_log(folder / ("requests-" + std::to_string(Counter()) + ".log")) {
        SetRoutes(Json::Value(Json::objectValue));
        WriteAll(m_log, "");
        QStringList arguments{QStringLiteral(VPC_TEST_SERVER_SCRIPT),
                              QString::fromStdString(m_routes.string()),
                              QString::fromStdString(m_log.string())};
        if (authority != nullptr)
            arguments << QString::fromStdString(authority->certFile())
                      << QString::fromStdString(authority->keyFile());
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(VPC_TEST_PYTHON), arguments);
        m_scheme = authority != nullptr ? "https" : "http";
        if (!m_process.waitForStarted(20000))
            return;
        while (m_process.state() == QProcess::Running && !m_process.canReadLine())
            m_process.waitForReadyRead(20000);
        m_port = m_process.readLine().trimmed().toInt();
    }
    ~LocalServer() {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;

    bool ok() const { return m_port > 0; }
    int port() const { return m_port; }
    std::string Url(const std::string& path) const {
        return m_scheme + "://127.0.0.1:" + std::to_string(m_port) + path;
    }

    void SetRoutes(const Json::Value& routes) {
        Json::StreamWriterBuilder builder;
        const fs::path temporary = m_routes.string() + ".new";
        WriteAll(temporary, Json::writeString(builder, routes));
        fs::rename(temporary, m_routes);
    }

    // The logged requests, oldest first.
    std::vector<Json::Value> Requests() const {
        std::vector<Json::Value> requests;
        std::ifstream in(m_log);
        std::string line;
        Json::CharReaderBuilder builder;
        while (std::getline(in, line)) {
            Json::Value value;
            std::string errors;
            std::istringstream stream(line);
            if (Json::parseFromStream(builder, stream, &value, &errors))
                requests.push_back(value);
        }
        return requests;
    }

private:
    static int& Counter() {
        static int counter = 0;
        return counter;
    }
    fs::path m_routes;
    fs::path m_log;
    QProcess m_process;
    std::string m_scheme;
    int m_port = 0;
};

// The values of a logged request's headers named `name` (any case), in order.
inline std::vector<std::string> HeaderValues(const Json::Value& request, const std::string& name) {
    std::vector<std::string> values;
    for (const Json::Value& pair : request["headers"]) {
        const std::string key = pair[0].asString();
        if (key.size() == name.size() &&
            std::equal(key.begin(), key.end(), name.begin(),
                       [](char a, char b) { return std::tolower(a) == std::tolower(b); }))
            values.push_back(pair[1].asString());
    }
    return values;
}

inline std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

} // namespace vpc::update::test
