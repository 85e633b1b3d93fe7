// Load and save of a full keyboard profile (the shipped default: every section, 170 keys,
// four custom colour groups of 170 lights), against a plain jsoncpp parse and styled write of
// the same document. The *Ratio benchmarks time both sides in the same loop and report the
// ratio as a counter.
#include "CKeyboardProfiledata.h"
#include "JsonFile.h"

#include <benchmark/benchmark.h>

#include <json/reader.h>
#include <json/writer.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;
using vpc::data::CKeyboardProfiledata;
using Clock = std::chrono::steady_clock;

const fs::path kDefaultProfile = fs::path(VPC_BENCH_DEFAULT_DATA_DIR) / "keyboard.Json";

// A folder in the temporary folder (on the disk, as a user's profiles are) holding a copy of
// the full keyboard profile with the members the profile list adds.
class ProfileFolder {
public:
    ProfileFolder() {
        std::string pattern = (fs::temp_directory_path() / "vpc-data-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        m_root = pattern;
        Json::Value file = vpc::data::ReadJsonFile(kDefaultProfile);
        if (!file.isObject()) {
            std::fprintf(stderr, "cannot read %s\n", kDefaultProfile.c_str());
            std::abort();
        }
        file["profilename"] = "Profile 1";
        file["profileUUID"] = "2024_03_05_14_07_09_042";
        if (!vpc::data::WriteJsonFile(profile(), file))
            std::abort();
    }
    ~ProfileFolder() {
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }
    ProfileFolder(const ProfileFolder&) = delete;
    ProfileFolder& operator=(const ProfileFolder&) = delete;

    fs::path profile() const { return m_root / "2024_03_05_14_07_09_042.Json"; }
    fs::path plainCopy() const { return m_root / "plain.Json"; }
    std::uintmax_t size() const { return fs::file_size(profile()); }

private:
    fs::path m_root;
};

std::string ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Json::Value PlainParse(const fs::path& path) {
    const std::string text = ReadWhole(path);
    Json::CharReaderBuilder builder;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value value;
    std::string errors;
    if (!reader->parse(text.data(), text.data() + text.size(), &value, &errors))
        std::abort();
    return value;
}

void PlainWrite(const fs::path& path, const Json::Value& value) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    Json::StyledWriter writer;
#pragma GCC diagnostic pop
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << writer.write(value);
}

// A change for every save, as a user's edit would make.
void Touch(CKeyboardProfiledata& profile, int n) {
    vpc::data::LightInfo light = profile.GetLightInfo();
    light.red = static_cast<std::uint8_t>(n);
    profile.SetLightInfo(light);
}

void Prepare(CKeyboardProfiledata& profile, const ProfileFolder& folder) {
    profile.SetDefaultPath(kDefaultProfile);
    profile.SetProfilePath(folder.profile());
    profile.Load(folder.profile());
}

void BM_ProfileLoad(benchmark::State& state) {
    const ProfileFolder folder;
    for (auto _ : state) {
        CKeyboardProfiledata profile;
        Prepare(profile, folder);
        benchmark::DoNotOptimize(profile.GetKeyList());
    }
    state.counters["file_kb"] = static_cast<double>(folder.size()) / 1024.0;
}
BENCHMARK(BM_ProfileLoad)->Unit(benchmark::kMicrosecond);

void BM_ProfileSave(benchmark::State& state) {
    const ProfileFolder folder;
    CKeyboardProfiledata profile;
    Prepare(profile, folder);
    int n = 0;
    for (auto _ : state) {
        Touch(profile, ++n);
        if (!profile.Save())
            state.SkipWithError("Save failed");
    }
    state.counters["file_kb"] = static_cast<double>(folder.size()) / 1024.0;
}
BENCHMARK(BM_ProfileSave)->Unit(benchmark::kMicrosecond);

void BM_PlainJsoncppParseAndWrite(benchmark::State& state) {
    const ProfileFolder folder;
    for (auto _ : state)
        PlainWrite(folder.plainCopy(), PlainParse(folder.profile()));
}
BENCHMARK(BM_PlainJsoncppParseAndWrite)->Unit(benchmark::kMicrosecond);

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// One Save (re-read, parse, replace the element, styled write to a temporary file, flush to
// the disk, rename) against one plain parse of the file and styled write of it.
void BM_SaveRatio(benchmark::State& state) {
    const ProfileFolder folder;
    CKeyboardProfiledata profile;
    Prepare(profile, folder);
    Clock::duration save{};
    Clock::duration plain{};
    int n = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        Touch(profile, ++n);
        if (!profile.Save())
            state.SkipWithError("Save failed");
        const auto t1 = Clock::now();
        PlainWrite(folder.plainCopy(), PlainParse(folder.profile()));
        const auto t2 = Clock::now();
        save += t1 - t0;
        plain += t2 - t1;
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["save_ms"] = Milliseconds(save) / iterations;
    state.counters["plain_ms"] = Milliseconds(plain) / iterations;
    state.counters["ratio"] = Milliseconds(save) / Milliseconds(plain);
}
BENCHMARK(BM_SaveRatio)->Unit(benchmark::kMillisecond)->UseRealTime();

// Load against a plain parse of the same file.
void BM_LoadRatio(benchmark::State& state) {
    const ProfileFolder folder;
    Clock::duration load{};
    Clock::duration plain{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        CKeyboardProfiledata profile;
        Prepare(profile, folder);
        benchmark::DoNotOptimize(profile.GetDocument());
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(PlainParse(folder.profile()));
        const auto t2 = Clock::now();
        load += t1 - t0;
        plain += t2 - t1;
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["load_ms"] = Milliseconds(load) / iterations;
    state.counters["plain_ms"] = Milliseconds(plain) / iterations;
    state.counters["ratio"] = Milliseconds(load) / Milliseconds(plain);
}
BENCHMARK(BM_LoadRatio)->Unit(benchmark::kMillisecond)->UseRealTime();

// The part of a save that is the flush to the disk: the atomic write of the same bytes
// against a plain write of them.
void BM_AtomicWriteRatio(benchmark::State& state) {
    const ProfileFolder folder;
    const std::string text = ReadWhole(folder.profile());
    Clock::duration atomic{};
    Clock::duration plain{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        if (!vpc::data::WriteFileAtomic(folder.profile(), text))
            state.SkipWithError("write failed");
        const auto t1 = Clock::now();
        {
            std::ofstream out(folder.plainCopy(), std::ios::binary | std::ios::trunc);
            out << text;
        }
        const auto t2 = Clock::now();
        atomic += t1 - t0;
        plain += t2 - t1;
    }
    state.counters["ratio"] = Milliseconds(atomic) / Milliseconds(plain);
}
BENCHMARK(BM_AtomicWriteRatio)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
