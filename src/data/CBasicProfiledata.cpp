#include "CBasicProfiledata.h"

#include "DataLog.h"
#include "JsonAccess.h"

#include <algorithm>

namespace vpc::data {

using json::Element;
using json::Member;
using json::ToBool;
using json::ToByte;
using json::WritableElement;
using json::WritableMember;

namespace {

// A file that parsed but whose "Device" array or element has the wrong kind would lose that
// content when the element is repaired.
bool HoldsDamagedEntry(const Json::Value& file, int recordIndex) {
    if (!file.isObject())
        return true;
    const Json::Value& devices = Member(file, "Device");
    if (devices.isNull())
        return false;
    if (!devices.isArray())
        return true;
    const Json::Value& entry = Element(devices, recordIndex);
    return !entry.isNull() && !entry.isObject();
}

bool IsDamagedStatus(FileReadStatus status) {
    return status == FileReadStatus::ParseError || status == FileReadStatus::TooLarge;
}

Json::Value& DeviceEntry(Json::Value& file, int recordIndex) {
    Json::Value& devices = WritableMember(file, "Device");
    return WritableElement(devices, static_cast<Json::ArrayIndex>(recordIndex));
}

Json::ArrayIndex CappedSize(const Json::Value& array, Json::ArrayIndex cap) {
    return std::min(json::ArraySize(array), cap);
}

} // namespace

bool IsSafeFileId(std::string_view id) {
    if (id.empty() || id.size() > 128)
        return false;
    return std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '-' || c == '{' || c == '}';
    });
}

CBasicProfiledata::CBasicProfiledata() = default;
CBasicProfiledata::~CBasicProfiledata() = default;

void CBasicProfiledata::SetProfilePath(const std::filesystem::path& path) {
    if (!path.empty())
        m_profilePath = path;
}

void CBasicProfiledata::SetDefaultPath(const std::filesystem::path& path) {
    if (!path.empty())
        m_defaultPath = path;
}

bool CBasicProfiledata::SetRecordIndex(int index) {
    if (index < 0 || index > kMaxRecordIndex)
        return false;
    m_recordIndex = index;
    return true;
}

bool CBasicProfiledata::SetLightType(int lightType) {
    if (lightType < 0 || lightType > kMaxLightType)
        return false;
    m_lightType = lightType;
    return true;
}

Json::Value CBasicProfiledata::LoadInto(const std::filesystem::path& path, Json::Value& target,
                                        FileSnapshot& snapshot) {
    m_lastLoadReport = ProfileLoadReport{};
    JsonReadResult read = ReadJsonFileEx(path);
    m_lastLoadReport.fileStatus = read.status;

    const Json::Value& entry = Element(Member(read.value, "Device"), m_recordIndex);
    if (read.ok() && entry.isObject()) {
        target = entry;
        snapshot = {path, std::move(read.value)};
        return target;
    }

    // The file lacks its element: take the default file's.
    const Json::Value defaults = ReadJsonFile(m_defaultPath);
    const Json::Value& defaultEntry = Element(Member(defaults, "Device"), m_recordIndex);
    target = defaultEntry.isObject() ? defaultEntry : Json::Value();
    m_lastLoadReport.fromDefault = true;

    // Never write the shipped defaults, nor over something that is not a regular file.
    std::error_code ec;
    const bool isDefaultFile =
        !m_defaultPath.empty() && std::filesystem::equivalent(path, m_defaultPath, ec);
    if (path.empty() || isDefaultFile || read.status == FileReadStatus::NotRegular ||
        read.status == FileReadStatus::IoError) {
        if (!isDefaultFile)
            qCWarning(lcVpcData) << "profile file not repaired:" << path.c_str()
                                 << ToString(read.status);
        return target;
    }

    Json::Value file = Json::Value(Json::objectValue);
    if (IsDamagedStatus(read.status) ||
        (read.ok() && HoldsDamagedEntry(read.value, m_recordIndex))) {
        m_lastLoadReport.keptAs = KeepCorruptFile(path);
        if (m_lastLoadReport.keptAs.empty())
            return target; // never replace what could not be kept
    }
    if (read.ok() && read.value.isObject())
        file = std::move(read.value); // other members and elements survive
    DeviceEntry(file, m_recordIndex) = target;
    m_lastLoadReport.written = WriteJsonFile(path, file);
    if (m_lastLoadReport.written)
        snapshot = {path, std::move(file)};
    return target;
}

Json::Value CBasicProfiledata::Load(const std::filesystem::path& path) {
    return LoadInto(path, m_document, m_profileFile);
}

Json::Value CBasicProfiledata::LoadSecond(const std::filesystem::path& path) {
    return LoadInto(path, m_secondDocument, m_secondFile);
}

Json::Value CBasicProfiledata::LoadLightConfig(const std::filesystem::path& path) {
    m_lightConfig = ReadJsonFile(path);
    return m_lightConfig;
}

LightInfo CBasicProfiledata::GetLightInfo() {
    const Json::Value& v = Member(m_document, "LightInfo");
    LightInfo info;
    if (!v.isNull()) {
        info.selectItem = ToByte(Member(v, "SelectItem"));
        info.light = ToByte(Member(v, "Light"));
        info.speed = ToByte(Member(v, "Speed"));
        info.fx = ToByte(Member(v, "Fx"));
        info.multiColor = ToByte(Member(v, "MultiColor"));
        info.red = ToByte(Member(v, "Red"));
        info.green = ToByte(Member(v, "Green"));
        info.blue = ToByte(Member(v, "Blue"));
        info.zzccLedMode = ToByte(Member(v, "ZZCCLedMode"));
        info.customGroup = ToByte(Member(v, "CustomGroup"));
        info.oldLedmode = ToByte(Member(v, "OldLedmode"));
    }
    m_lightInfo = info;
    return info;
}

void CBasicProfiledata::SetLightInfo(const LightInfo& info) {
    m_lightInfo = info;
    Json::Value v(Json::objectValue);
    v["SelectItem"] = info.selectItem;
    v["Light"] = info.light;
    v["Speed"] = info.speed;
    v["Fx"] = info.fx;
    v["MultiColor"] = info.multiColor;
    v["Red"] = info.red;
    v["Green"] = info.green;
    v["Blue"] = info.blue;
    v["ZZCCLedMode"] = info.zzccLedMode;
    v["CustomGroup"] = info.customGroup;
    v["OldLedmode"] = info.oldLedmode;
    WritableMember(m_document, "LightInfo") = std::move(v);
}

AudioLightInfo CBasicProfiledata::GetAudioLightInfo() {
    const Json::Value& v = Member(m_document, "AudioLightInfo");
    AudioLightInfo info;
    if (!v.isNull()) {
        info.audioMode = ToByte(Member(v, "AudioMode"));
        info.bkColorR = ToByte(Member(v, "BkColorR"));
        info.bkColorG = ToByte(Member(v, "BkColorG"));
        info.bkColorB = ToByte(Member(v, "BkColorB"));
        info.fgColorR = ToByte(Member(v, "FgColorR"));
        info.fgColorG = ToByte(Member(v, "FgColorG"));
        info.fgColorB = ToByte(Member(v, "FgColorB"));
        info.sevenColorFlags = ToBool(Member(v, "7ColorFlags")) ? 1 : 0;
        info.colorTypeFlags = ToBool(Member(v, "ColorTypeFlags")) ? 1 : 0;
    }
    m_audioLightInfo = info;
    return info;
}

void CBasicProfiledata::SetAudioLightInfo(const AudioLightInfo& info) {
    m_audioLightInfo = info;
    Json::Value v(Json::objectValue);
    v["AudioMode"] = info.audioMode;
    v["BkColorR"] = info.bkColorR;
    v["BkColorG"] = info.bkColorG;
    v["BkColorB"] = info.bkColorB;
    v["FgColorR"] = info.fgColorR;
    v["FgColorG"] = info.fgColorG;
    v["FgColorB"] = info.fgColorB;
    v["7ColorFlags"] = info.sevenColorFlags;
    v["ColorTypeFlags"] = info.colorTypeFlags;
    WritableMember(m_document, "AudioLightInfo") = std::move(v);
}

std::vector<LightListEntry> CBasicProfiledata::GetLightList() {
    const Json::Value& list = Member(m_document, "LightList");
    std::vector<LightListEntry> result(CappedSize(list, kMaxListElements));
    for (Json::ArrayIndex i = 0; i < result.size(); ++i) {
        const Json::Value& e = list[i];
        if (e.isNull())
            continue; // no overlay: all zero, present 0
        LightListEntry& entry = result[i];
        entry.ledRegMode = ToByte(Member(e, "LEDREGMode"));
        entry.ledBrightness = ToByte(Member(e, "LEDBrightness"));
        entry.ledSpeed = ToByte(Member(e, "LEDSpeed"));
        entry.ledDirection = ToBool(Member(e, "LEDDirection")) ? 1 : 0;
        entry.ledMultiColor = ToBool(Member(e, "LEDMultiColor")) ? 1 : 0;
        entry.red = ToByte(Member(e, "red"));
        entry.green = ToByte(Member(e, "green"));
        entry.blue = ToByte(Member(e, "blue"));
        entry.present = 1;
    }
    m_lightList = result;
    return result;
}

std::vector<EffectFrame> CBasicProfiledata::GetEffectFrames() {
    m_effectFrames.clear();
    const Json::Value& effects = Element(Member(m_lightConfig, "LightInfo"), m_lightType);
    const std::string guid = json::ToText(Member(Element(effects, m_lightInfo.selectItem), "Guid"));
    if (m_lightConfig.isNull() || m_lightConfigPath.empty() || guid.empty())
        return {};
    if (!IsSafeFileId(guid)) {
        qCWarning(lcVpcData) << "effect id refused:" << guid.c_str();
        return {};
    }
    const Json::Value effect = ReadJsonFile(m_lightConfigPath.parent_path() / (guid + ".light"));
    const Json::Value& frames = Member(effect, "LEDEffectList");
    m_effectFrames.resize(CappedSize(frames, kMaxEffectFrames));
    for (Json::ArrayIndex i = 0; i < m_effectFrames.size(); ++i) {
        const Json::Value& f = frames[i];
        EffectFrame& frame = m_effectFrames[i];
        frame.ledRegMode = ToByte(Member(f, "LEDREGMode"));
        frame.ledDirection = ToByte(Member(f, "LEDDirection"));
        frame.ledBrightness = ToByte(Member(f, "LEDBrightness"));
        frame.ledSpeed = ToByte(Member(f, "LEDSpeed"));
        frame.ledMultiColor = ToByte(Member(f, "LEDMultiColor"));
        frame.red = ToByte(Member(f, "red"));
        frame.green = ToByte(Member(f, "green"));
        frame.blue = ToByte(Member(f, "blue"));
        frame.time = json::ToInt32(Member(f, "Time"));
        frame.cyle = json::ToInt32(Member(f, "Cyle"));
    }
    return m_effectFrames;
}

std::vector<KeyEntry> CBasicProfiledata::ReadKeyList(const Json::Value& document) {
    const Json::Value& list = Member(document, "KeyList");
    std::vector<KeyEntry> result;
    result.reserve(CappedSize(list, kMaxListElements));
    for (Json::ArrayIndex i = 0; i < CappedSize(list, kMaxListElements); ++i) {
        const Json::Value& e = list[i];
        result.push_back(KeyEntry::Make(
            static_cast<std::uint16_t>(i),
            KeyAssignment::FromCode(json::ToUInt32(Member(e, "Assignment"))),
            KeyAssignment::FromCode(json::ToUInt32(Member(e, "DefaultAssignment")))));
    }
    return result;
}

void CBasicProfiledata::WriteKeyList(Json::Value& document, const std::vector<KeyEntry>& list) {
    Json::Value& keyList = WritableMember(document, "KeyList");
    const auto count = std::min<std::size_t>(list.size(), kMaxListElements);
    for (std::size_t i = 0; i < count; ++i) {
        Json::Value& element = WritableElement(keyList, static_cast<Json::ArrayIndex>(i));
        WritableMember(element, "Assignment") =
            static_cast<Json::UInt>(list[i].current.assignment.ToCode());
    }
}

std::vector<KeyEntry> CBasicProfiledata::GetKeyList() {
    m_keyList = ReadKeyList(m_document);
    return m_keyList;
}

void CBasicProfiledata::SetKeyList(const std::vector<KeyEntry>& list) {
    m_keyList = list;
    WriteKeyList(m_document, list);
}

std::vector<KeyEntry> CBasicProfiledata::GetSecondKeyList() {
    m_secondKeyList = ReadKeyList(m_secondDocument);
    return m_secondKeyList;
}

void CBasicProfiledata::SetSecondKeyList(const std::vector<KeyEntry>& list) {
    m_secondKeyList = list;
    WriteKeyList(m_secondDocument, list);
}

bool CBasicProfiledata::Save() {
    return SaveEntry(m_document, m_profilePath);
}

bool CBasicProfiledata::SaveEntry(const Json::Value& value, const std::filesystem::path& path) {
    if (path.empty())
        return false;
    FileSnapshot* snapshot = nullptr;
    if (path == m_profileFile.path)
        snapshot = &m_profileFile;
    else if (path == m_secondFile.path)
        snapshot = &m_secondFile;

    JsonReadResult read = ReadJsonFileEx(path);
    if (read.status == FileReadStatus::NotRegular || read.status == FileReadStatus::IoError) {
        qCWarning(lcVpcData) << "profile not saved:" << path.c_str() << ToString(read.status);
        return false;
    }
    Json::Value file;
    if (read.ok() && read.value.isObject()) {
        file = std::move(read.value);
        const Json::Value& devices = Member(file, "Device");
        if (!devices.isNull() && !devices.isArray() && KeepCorruptFile(path).empty())
            return false;
    } else {
        // The file is gone or damaged: the last good content is the base, so that
        // "profilename", "profileUUID" and the other elements are not lost.
        file = snapshot ? snapshot->document : Json::Value(Json::objectValue);
        if (!file.isObject())
            file = Json::Value(Json::objectValue);
        if (read.status != FileReadStatus::Missing && KeepCorruptFile(path).empty())
            return false;
    }
    DeviceEntry(file, m_recordIndex) = value;
    if (!WriteJsonFile(path, file))
        return false;
    if (snapshot)
        snapshot->document = std::move(file);
    return true;
}

bool CBasicProfiledata::SaveSecond(const std::filesystem::path& path) {
    return SaveEntry(m_secondDocument, path);
}

bool CBasicProfiledata::WriteDocument(const Json::Value& value, const std::filesystem::path& path) {
    return WriteJsonFile(path, value);
}

} // namespace vpc::data
