// A temporary folder for one test, removed with everything in it when the test ends.
// Also sets and restores environment variables that move the program's data roots.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vpc::data::test {

class TempFolder {
public:
    TempFolder() : m_dir(QDir::tempPath() + "/vpc-data-XXXXXX") {}
    std::filesystem::path path() const { return std::filesystem::path(m_dir.path().toStdString()); }
    std::filesystem::path operator/(const std::string& name) const { return path() / name; }

private:
    QTemporaryDir m_dir;
};

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        ::setenv(name, value.c_str(), 1);
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

} // namespace vpc::data::test
