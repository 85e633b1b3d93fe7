// Safe reading and atomic writing of the program's JSON and text files.
// Every JSON file of the program goes through these helpers; no jsoncpp exception leaves them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include <json/value.h>

namespace vpc::data {

// Files larger than this are never read: no file of the program comes near it.
inline constexpr std::uintmax_t kMaxDataFileSize = 4u * 1024u * 1024u;

// Nesting depth above which a JSON text is refused instead of parsed.
inline constexpr int kMaxJsonDepth = 200;

enum class FileReadStatus {
    Ok,
    Missing,    // no such file
    NotRegular, // a directory, FIFO, device or socket in place of the file
    TooLarge,   // larger than kMaxDataFileSize
    IoError,    // could not be opened or read
    ParseError, // read, but not JSON (JSON reads only)
};

const char* ToString(FileReadStatus status);

struct TextReadResult {
    FileReadStatus status = FileReadStatus::Missing;
    std::string text;
};

struct JsonReadResult {
    FileReadStatus status = FileReadStatus::Missing;
    Json::Value value; // null unless status is Ok
    std::string error; // parser message on ParseError
    bool ok() const { return status == FileReadStatus::Ok; }
};

// Reads a regular file of at most kMaxDataFileSize bytes. FIFOs are opened without blocking.
TextReadResult ReadFileTextEx(const std::filesystem::path& path);

// The file's bytes up to the first zero byte, or an empty string when it cannot be read.
std::string ReadFileText(const std::filesystem::path& path);

// Parses a JSON text (comments kept, a leading UTF-8 BOM skipped, nesting limited).
JsonReadResult ParseJsonText(std::string_view text);

JsonReadResult ReadJsonFileEx(const std::filesystem::path& path);

// The parsed document, or a null value when the file is missing, unreadable or not JSON.
Json::Value ReadJsonFile(const std::filesystem::path& path);

// The styled layout of the program's files: 3-space indentation, members in byte order of
// their keys, UTF-8 text kept as is, followed by one line end.
std::string ToStyledJson(const Json::Value& value);

// Writes the bytes to a temporary file in the same folder, flushes it to the disk and
// renames it over `path`. On any failure the temporary file is removed, the old file is left
// untouched and false is returned. A new file gets mode 0666 minus the umask; a replaced
// file keeps its mode.
bool WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes);

// WriteFileAtomic of ToStyledJson(value).
bool WriteJsonFile(const std::filesystem::path& path, const Json::Value& value);

// Moves a file that the program must replace to "<name>.corrupt-<time stamp>" beside it.
// Returns the new path, or an empty path when nothing was there or the rename failed.
std::filesystem::path KeepCorruptFile(const std::filesystem::path& path);

} // namespace vpc::data
