#include "DataFolders.h"

#include "DataLog.h"

#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vpc::data {

namespace fs = std::filesystem;

namespace {

fs::path FromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0')
        return {};
    return fs::path(value);
}

bool CreateFolder(const fs::path& folder, std::string* why = nullptr) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (fs::is_directory(folder, ec))
        return true;
    if (why)
        *why = ec ? ec.message() : "not a folder";
    return false;
}

} // namespace

fs::path GetDefaultDataFolder() {
    if (fs::path env = FromEnvironment(kDefaultDataEnv); !env.empty())
        return env;
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const fs::path installed =
            exe.parent_path().parent_path() / "share" / "vorna-control-center" / "DefaultData";
        if (fs::is_directory(installed, ec))
            return installed;
    }
    const fs::path sourceTree = fs::path(VPC_SOURCE_DIR) / "data" / "DefaultData";
    if (fs::is_directory(sourceTree, ec))
        return sourceTree;
    return fs::path(VPC_INSTALLED_DATA_DIR) / "DefaultData";
}

fs::path GetUserDataRoot(bool create) {
    fs::path root = FromEnvironment(kUserRootEnv);
    if (root.empty()) {
        const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        root = fs::path(base.toStdString()) / kUserRootName;
    }
    if (create)
        CreateFolder(root);
    return root;
}

fs::path GetDeviceFolder(std::string_view deviceName) {
    if (std::find(kDeviceFolderNames.begin(), kDeviceFolderNames.end(), deviceName) ==
        kDeviceFolderNames.end())
        return {};
    const fs::path folder = GetUserDataRoot() / deviceName;
    CreateFolder(folder);
    return folder;
}

fs::path GetUpdateFolder() {
    fs::path cache = FromEnvironment(kCacheDirEnv);
    if (cache.empty()) {
        const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        if (base.isEmpty())
            return {};
        cache = fs::path(base.toStdString());
    }
    std::error_code ec;
    fs::create_directories(cache, ec);
    const fs::path folder = cache / kUpdateFolderName;
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    // The folder holds downloads that will be run: only its owner may touch it. A symlink
    // or anything else in its place is refused.
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
        return {};
    if ((info.st_mode & 07777) != 0700 && ::chmod(folder.c_str(), 0700) != 0)
        return {};
    return folder;
}

UserRootCheck CheckUserDataRoot() {
    UserRootCheck check;
    check.root = GetUserDataRoot(false);
    std::string why;
    if (!CreateFolder(check.root, &why)) {
        check.message = "The data folder " + check.root.string() + " cannot be created: " + why;
    } else {
        for (const std::string_view name : kDeviceFolderNames) {
            if (!CreateFolder(check.root / name, &why)) {
                check.message = "The data folder " + (check.root / name).string() +
                                " cannot be created: " + why;
                break;
            }
        }
    }
    if (check.message.empty()) {
        // Prove that a file can be written, as the profiles will be.
        const fs::path probe = check.root / (".write-test-" + std::to_string(::getpid()));
        const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            check.message = "The data folder " + check.root.string() +
                            " cannot be written: " + std::strerror(errno);
        } else {
            ::close(fd);
            ::unlink(probe.c_str());
        }
    }
    check.ok = check.message.empty();
    // Each unusable root is reported once per process, however often it is checked.
    static std::mutex reportedLock;
    static std::set<std::string> reportedRoots;
    if (!check.ok) {
        const std::lock_guard lock(reportedLock);
        if (reportedRoots.insert(check.root.string()).second)
            qCCritical(lcVpcData) << check.message.c_str()
                                  << "- profiles and settings will not be saved.";
    }
    return check;
}

} // namespace vpc::data
