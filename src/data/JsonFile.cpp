#include "JsonFile.h"

#include "DataLog.h"
#include "TextUtil.h"

#include <json/reader.h>
#include <json/writer.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcVpcData, "vpc.data")

namespace vpc::data {

namespace {

// Closes a POSIX file descriptor when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now and reports whether the close succeeded.
    bool reset() {
        if (m_fd < 0)
            return true;
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc == 0;
    }

private:
    int m_fd;
};

bool WriteAll(int fd, std::string_view bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

} // namespace

const char* ToString(FileReadStatus status) {
    switch (status) {
    case FileReadStatus::Ok:
        return "ok";
    case FileReadStatus::Missing:
        return "missing";
    case FileReadStatus::NotRegular:
        return "not a regular file";
    case FileReadStatus::TooLarge:
        return "too large";
    case FileReadStatus::IoError:
        return "read error";
    case FileReadStatus::ParseError:
        return "not valid JSON";
    }
    return "unknown";
}

TextReadResult ReadFileTextEx(const std::filesystem::path& path) {
    TextReadResult result;
    // O_NONBLOCK keeps a FIFO in place of the file from blocking the open.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.valid()) {
        result.status = (errno == ENOENT || errno == ENOTDIR) ? FileReadStatus::Missing
                                                              : FileReadStatus::IoError;
        return result;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        result.status = FileReadStatus::IoError;
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.status = FileReadStatus::NotRegular;
        return result;
    }
    if (static_cast<std::uintmax_t>(info.st_size) > kMaxDataFileSize) {
        result.status = FileReadStatus::TooLarge;
        return result;
    }
    // Read until end of file, never more than the cap (the file may grow meanwhile).
    std::string text;
    text.resize(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == text.size()) {
            if (text.size() > kMaxDataFileSize) {
                result.status = FileReadStatus::TooLarge;
                return result;
            }
            text.resize(std::min<std::size_t>(text.size() * 2 + 1, kMaxDataFileSize + 1));
        }
        const ssize_t got = ::read(fd.get(), text.data() + used, text.size() - used);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            result.status = FileReadStatus::IoError;
            return result;
        }
        if (got == 0)
            break;
        used += static_cast<std::size_t>(got);
    }
    text.resize(used);
    result.status = FileReadStatus::Ok;
    result.text = std::move(text);
    return result;
}

std::string ReadFileText(const std::filesystem::path& path) {
    TextReadResult read = ReadFileTextEx(path);
    if (read.status != FileReadStatus::Ok)
        return {};
    const std::size_t zero = read.text.find('\0');
    if (zero != std::string::npos)
        read.text.resize(zero);
    return std::move(read.text);
}

JsonReadResult ParseJsonText(std::string_view text) {
    JsonReadResult result;
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom)
        text.remove_prefix(kUtf8Bom.size());
    // The old reader stops at the first zero byte; so do we.
    const std::size_t zero = text.find('\0');
    if (zero != std::string_view::npos)
        text = text.substr(0, zero);
    if (text.empty()) {
        result.status = FileReadStatus::ParseError;
        result.error = "empty text";
        return result;
    }

    Json::CharReaderBuilder builder;
    builder["collectComments"] = true;
    builder["allowComments"] = true;
    builder["stackLimit"] = kMaxJsonDepth;
    builder["skipBom"] = false; // done above
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    try {
        Json::Value value;
        std::string errors;
        if (reader->parse(text.data(), text.data() + text.size(), &value, &errors)) {
            result.status = FileReadStatus::Ok;
            result.value = std::move(value);
        } else {
            result.status = FileReadStatus::ParseError;
            result.error = std::move(errors);
        }
    } catch (const std::exception& e) {
        // jsoncpp throws when the nesting limit is exceeded.
        result.status = FileReadStatus::ParseError;
        result.error = e.what();
    }
    return result;
}

JsonReadResult ReadJsonFileEx(const std::filesystem::path& path) {
    TextReadResult read = ReadFileTextEx(path);
    if (read.status != FileReadStatus::Ok) {
        JsonReadResult result;
        result.status = read.status;
        // a missing file is an ordinary state (a first start, an optional file): not said
        if (read.status != FileReadStatus::Missing)
            qCDebug(lcVpcData) << "cannot read" << path.c_str() << ":" << ToString(read.status);
        return result;
    }
    JsonReadResult result = ParseJsonText(read.text);
    if (!result.ok())
        qCWarning(lcVpcData) << "not valid JSON:" << path.c_str() << result.error.c_str();
    return result;
}

Json::Value ReadJsonFile(const std::filesystem::path& path) {
    return ReadJsonFileEx(path).value;
}

std::string ToStyledJson(const Json::Value& value) {
    // The classic styled writer gives the layout the program's files have always had
    // (short arrays on one line, right margin 74); its replacement lays arrays out
    // differently, so the deprecated class is used on purpose.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    Json::StyledWriter writer;
#pragma GCC diagnostic pop
    std::string text;
    try {
        text = writer.write(value); // ends with one line end
    } catch (const std::exception& e) {
        qCWarning(lcVpcData) << "cannot format JSON:" << e.what();
        return {};
    }
    return text;
}

bool WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes) {
    if (path.empty() || !path.has_filename())
        return false;
    // A file that already holds exactly these bytes stays as it is: saving an unchanged
    // document costs neither a write nor a flush to the disk.
    if (const TextReadResult current = ReadFileTextEx(path);
        current.status == FileReadStatus::Ok && current.text == bytes)
        return true;
    const std::filesystem::path folder =
        path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    // The temporary name is unique per process and call; O_EXCL refuses any existing entry.
    static std::atomic<unsigned> counter{0};
    std::filesystem::path tempPath;
    FileDescriptor fd(-1);
    for (int attempt = 0; attempt < 100 && !fd.valid(); ++attempt) {
        tempPath = folder / ("." + path.filename().string() + ".tmp-" + std::to_string(::getpid()) +
                             "-" + std::to_string(counter.fetch_add(1, std::memory_order_relaxed)));
        // 0666 minus the umask is the usual mode of a user's new data file.
        fd = FileDescriptor(
            ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666));
        if (!fd.valid() && errno != EEXIST)
            break;
    }
    if (!fd.valid()) {
        qCWarning(lcVpcData) << "cannot create a file in" << folder.c_str() << ":"
                             << std::strerror(errno);
        return false;
    }
    // A replaced file keeps its mode.
    struct stat oldInfo {};
    const bool keepMode = ::stat(path.c_str(), &oldInfo) == 0 && S_ISREG(oldInfo.st_mode);

    const bool written = (!keepMode || ::fchmod(fd.get(), oldInfo.st_mode & 07777) == 0) &&
                         WriteAll(fd.get(), bytes) && ::fsync(fd.get()) == 0 && fd.reset();
    if (!written || ::rename(tempPath.c_str(), path.c_str()) != 0) {
        qCWarning(lcVpcData) << "cannot write" << path.c_str() << ":" << std::strerror(errno);
        fd.reset();
        ::unlink(tempPath.c_str());
        return false;
    }
    // Make the rename itself durable.
    FileDescriptor dirFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.valid())
        ::fsync(dirFd.get());
    return true;
}

bool WriteJsonFile(const std::filesystem::path& path, const Json::Value& value) {
    const std::string text = ToStyledJson(value);
    if (text.empty())
        return false;
    return WriteFileAtomic(path, text);
}

std::filesystem::path KeepCorruptFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec)))
        return {};
    const std::string base = path.string() + ".corrupt-" + MakeTimeStamp();
    std::filesystem::path target = base;
    for (int n = 1; std::filesystem::exists(std::filesystem::symlink_status(target, ec)); ++n)
        target = base + "-" + std::to_string(n);
    if (::rename(path.c_str(), target.c_str()) != 0) {
        qCWarning(lcVpcData) << "cannot keep the damaged file" << path.c_str() << ":"
                             << std::strerror(errno);
        return {};
    }
    qCWarning(lcVpcData) << "damaged file kept as" << target.c_str();
    return target;
}

} // namespace vpc::data
