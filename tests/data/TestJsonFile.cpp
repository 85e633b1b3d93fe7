#include "JsonAccess.h"
#include "JsonFile.h"

#include "TempFolder.h"

#include <QLoggingCategory>
#include <QStringList>
#include <QtGlobal>

#include <csignal>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace vpc::data {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

TEST(JsonFile, StyledLayoutSortsMembersIndentsThreeAndEndsWithALineEnd) {
    Json::Value v;
    v["b"] = 1;
    v["a"] = "\xE4\xB8\xAD"; // escaped as \u, read back as UTF-8
    v["c"].append(2);
    const std::string text = ToStyledJson(v);
    EXPECT_EQ(text, "{\n   \"a\" : \"\\u4e2d\",\n   \"b\" : 1,\n   \"c\" : [ 2 ]\n}\n");
    EXPECT_EQ(ParseJsonText(text).value["a"].asString(), "\xE4\xB8\xAD");
}

TEST(JsonFile, WriteThenReadRoundTrips) {
    TempFolder dir;
    Json::Value v;
    v["Device"][0]["LightInfo"]["Red"] = 255;
    v["profilename"] = "profile1";
    ASSERT_TRUE(WriteJsonFile(dir / "p.Json", v));
    const JsonReadResult read = ReadJsonFileEx(dir / "p.Json");
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.value, v);
}

TEST(JsonFile, CommentsAndBomAreAccepted) {
    TempFolder dir;
    WriteBytes(dir / "c.json", "\xEF\xBB\xBF// leading comment\n{ \"a\" : 1 /* inline */ }");
    const JsonReadResult read = ReadJsonFileEx(dir / "c.json");
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ(read.value["a"].asInt(), 1);
}

// A table of hostile files: each must read without a crash and give the stated status.
TEST(JsonFile, HostileFilesReadSafely) {
    TempFolder dir;
    struct Case {
        const char* name;
        std::string bytes;
        FileReadStatus status;
    };
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    const std::string deepObjects = [] {
        std::string s;
        for (int i = 0; i < 5000; ++i)
            s += "{\"a\":";
        s += "1";
        s += std::string(5000, '}');
        return s;
    }();
    const Case cases[] = {
        {"empty", "", FileReadStatus::ParseError},
        {"garbage", "\x01\x02\xFF not json", FileReadStatus::ParseError},
        {"truncated", "{\"Device\":[{\"LightInfo\":{\"Red\":1", FileReadStatus::ParseError},
        {"deep_arrays", deep, FileReadStatus::ParseError},
        {"deep_objects", deepObjects, FileReadStatus::ParseError},
        {"bom_only", "\xEF\xBB\xBF", FileReadStatus::ParseError},
        {"zero_byte", std::string("{}\0garbage", 10), FileReadStatus::Ok},
        {"huge_number", "{\"a\":1e999999}", FileReadStatus::ParseError},
        {"big_integer", "{\"a\":123456789012345678901234567890}", FileReadStatus::Ok},
        {"scalar_root", "42", FileReadStatus::Ok},
        {"bom_object", "\xEF\xBB\xBF{\"a\":[1,2]}", FileReadStatus::Ok},
    };
    for (const Case& c : cases) {
        WriteBytes(dir / c.name, c.bytes);
        const JsonReadResult read = ReadJsonFileEx(dir / c.name);
        EXPECT_EQ(read.status, c.status) << c.name << ": " << ToString(read.status);
        if (read.status != FileReadStatus::Ok) {
            EXPECT_TRUE(read.value.isNull()) << c.name;
        }
    }
}

TEST(JsonFile, DirectoryFifoMissingAndOversizedFilesAreUnreadable) {
    TempFolder dir;
    std::filesystem::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    // A 50 MiB file (sparse, so the test stays fast).
    {
        const int fd = ::open((dir / "big").c_str(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, 50 * 1024 * 1024), 0);
        ::close(fd);
    }
    EXPECT_EQ(ReadJsonFileEx(dir / "folder").status, FileReadStatus::NotRegular);
    EXPECT_EQ(ReadJsonFileEx(dir / "fifo").status, FileReadStatus::NotRegular);
    EXPECT_EQ(ReadJsonFileEx(dir / "big").status, FileReadStatus::TooLarge);
    EXPECT_EQ(ReadJsonFileEx(dir / "missing").status, FileReadStatus::Missing);
    EXPECT_EQ(ReadJsonFileEx(dir / "missing" / "below").status, FileReadStatus::Missing);
    EXPECT_TRUE(ReadJsonFile(dir / "fifo").isNull());
    EXPECT_EQ(ReadFileText(dir / "big"), "");
}

TEST(JsonFile, ReplacedFileKeepsItsModeAndNoTemporaryFileRemains) {
    TempFolder dir;
    const auto path = dir / "m.json";
    ASSERT_TRUE(WriteJsonFile(path, Json::Value(1)));
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(WriteJsonFile(path, Json::Value(2)));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

// A missing file is an ordinary state and goes unsaid; a file that is there but unreadable
// is said.
TEST(JsonFile, OnlyAnUnreadableFileIsLoggedNotAMissingOne) {
    static QStringList messages;
    messages.clear();
    // the data log's debug messages on, whatever the rules of the environment
    static QLoggingCategory::CategoryFilter rulesFilter = nullptr;
    rulesFilter = QLoggingCategory::installFilter([](QLoggingCategory* category) {
        if (rulesFilter)
            rulesFilter(category);
        if (qstrcmp(category->categoryName(), "vpc.data") == 0)
            category->setEnabled(QtDebugMsg, true);
    });
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { messages << text; });
    TempFolder dir;
    EXPECT_EQ(ReadJsonFileEx(dir / "absent.json").status, FileReadStatus::Missing);
    const std::size_t afterMissing = static_cast<std::size_t>(messages.size());
    std::filesystem::create_directory(dir / "folder.json");
    EXPECT_NE(ReadJsonFileEx(dir / "folder.json").status, FileReadStatus::Ok);
    qInstallMessageHandler(previous);
    QLoggingCategory::installFilter(rulesFilter);
    EXPECT_EQ(afterMissing, 0u) << qPrintable(messages.join('\n'));
    ASSERT_EQ(messages.size(), 1) << qPrintable(messages.join('\n'));
    EXPECT_TRUE(messages[0].contains("folder.json")) << qPrintable(messages[0]);
}

// Saving what the file already holds leaves the file alone; anything else replaces it.
TEST(JsonFile, AnUnchangedDocumentIsNotWrittenAgain) {
    TempFolder dir;
    const auto path = dir / "same.json";
    Json::Value document(Json::objectValue);
    document["LANGUAGE"] = 1033;
    ASSERT_TRUE(WriteJsonFile(path, document));
    const auto inode = [&path] {
        struct stat info {};
        EXPECT_EQ(::stat(path.c_str(), &info), 0);
        return info.st_ino;
    };
    const ino_t first = inode();
    ASSERT_TRUE(WriteJsonFile(path, document));
    EXPECT_EQ(inode(), first) << "the same bytes were written again";
    document["LANGUAGE"] = 2052;
    ASSERT_TRUE(WriteJsonFile(path, document));
    EXPECT_NE(inode(), first);
    EXPECT_EQ(ReadJsonFile(path)["LANGUAGE"].asInt(), 2052);
    // a file that differs only in a byte the parser ignores is still replaced
    WriteBytes(path, ToStyledJson(document) + " ");
    const ino_t spaced = inode();
    ASSERT_TRUE(WriteJsonFile(path, document));
    EXPECT_NE(inode(), spaced);
    EXPECT_EQ(ReadBytes(path), ToStyledJson(document));
}

TEST(JsonFile, WriteIntoMissingFolderFailsAndReportsIt) {
    TempFolder dir;
    EXPECT_FALSE(WriteJsonFile(dir / "no" / "such" / "x.json", Json::Value(1)));
    EXPECT_FALSE(WriteJsonFile(std::filesystem::path(), Json::Value(1)));
}

TEST(JsonFile, WriteOverADirectoryFailsAndLeavesIt) {
    TempFolder dir;
    std::filesystem::create_directories(dir / "d" / "inner");
    EXPECT_FALSE(WriteJsonFile(dir / "d", Json::Value(1)));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "d" / "inner"));
}

// A write cut off before the rename (here by the file size limit, as a full disk would)
// leaves the old file whole and no temporary file behind.
TEST(JsonFile, InterruptedWriteLeavesTheOldFileWhole) {
    TempFolder dir;
    const auto path = dir / "profile.Json";
    Json::Value old;
    old["profilename"] = "keep me";
    ASSERT_TRUE(WriteJsonFile(path, old));
    const std::string before = ReadBytes(path);

    Json::Value big;
    for (int i = 0; i < 2000; ++i)
        big["KeyList"][i]["Assignment"] = i;

    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteJsonFile(path, big);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(ReadBytes(path), before);
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(JsonFile, KeepCorruptFileMovesItBeside) {
    TempFolder dir;
    WriteBytes(dir / "x.Json", "not json");
    const auto kept = KeepCorruptFile(dir / "x.Json");
    ASSERT_FALSE(kept.empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "x.Json"));
    EXPECT_EQ(kept.parent_path(), dir.path());
    EXPECT_EQ(ReadBytes(kept), "not json");
    EXPECT_TRUE(KeepCorruptFile(dir / "x.Json").empty()); // nothing there any more
}

TEST(JsonAccess, ConversionsNeverThrowAndFallBack) {
    struct Case {
        const char* text;
        std::int64_t asInt;
        bool asBool;
    };
    const Case cases[] = {
        {"null", 0, false},
        {"true", 1, true},
        {"false", 0, false},
        {"-5", -5, true},
        {"18446744073709551615", -1, true}, // low 64 bits kept
        {"2.9", 2, true},
        {"1e300", 0, true},
        {"\"12\"", 0, false},
        {"[1]", 0, false},
        {"{\"a\":1}", 0, false},
    };
    for (const Case& c : cases) {
        const JsonReadResult parsed = ParseJsonText(c.text);
        ASSERT_TRUE(parsed.ok()) << c.text;
        EXPECT_EQ(json::ToInt64(parsed.value), c.asInt) << c.text;
        EXPECT_EQ(json::ToBool(parsed.value), c.asBool) << c.text;
    }
    EXPECT_EQ(json::ToByte(ParseJsonText("257").value), 1); // low bits kept
    EXPECT_EQ(json::ToUInt16(ParseJsonText("65537").value), 1);
}

TEST(JsonAccess, MemberAndElementOfTheWrongKindAreNull) {
    const Json::Value number(5);
    EXPECT_TRUE(json::Member(number, "a").isNull());
    EXPECT_TRUE(json::Element(number, 0).isNull());
    const Json::Value array = ParseJsonText("[1,2]").value;
    EXPECT_TRUE(json::Element(array, -1).isNull());
    EXPECT_TRUE(json::Element(array, 2).isNull());
    EXPECT_EQ(json::Element(array, 1).asInt(), 2);
    EXPECT_TRUE(json::Member(array, "a").isNull());
}

TEST(JsonAccess, WritableAccessReplacesAValueOfTheWrongKind) {
    Json::Value v = 5;
    json::WritableMember(v, "a") = 1;
    EXPECT_EQ(v["a"].asInt(), 1);
    Json::Value s = "text";
    json::WritableElement(s, 2) = 3;
    ASSERT_TRUE(s.isArray());
    EXPECT_EQ(s.size(), 3u);
}

} // namespace
} // namespace vpc::data
