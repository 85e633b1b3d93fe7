#include "ShootStore.h"

#include "JsonFile.h"
#include "MacroImage.h"

#include <algorithm>
#include <charconv>

namespace vpc::data::shoot {

namespace {

constexpr int kClickDelay = 10;
constexpr int kPullDelay = 5;

int IntOf(const Json::Value& value) {
    if (value.isInt())
        return value.asInt();
    if (value.isUInt())
        return static_cast<int>(std::min<unsigned>(value.asUInt(), 0x7FFFFFFF));
    if (value.isDouble())
        return static_cast<int>(std::clamp(value.asDouble(), -2147483648.0, 2147483647.0));
    if (value.isString()) {
        const std::string text = value.asString();
        int number = 0;
        std::from_chars(text.data(), text.data() + text.size(), number);
        return number;
    }
    return 0;
}

bool IsDown(const Json::Value& action) {
    if (!action.isString())
        return false;
    std::string text = action.asString();
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text == "down";
}

Json::Value Action(bool down, int button, int type, int delay) {
    Json::Value action(Json::objectValue);
    action["Action"] = down ? "down" : "up";
    action["Button"] = button;
    action["Type"] = type;
    action["Delay"] = delay;
    return action;
}

} // namespace

CShootStore::CShootStore(std::filesystem::path userFolder, std::filesystem::path defaultFolder)
    : m_user(std::move(userFolder)), m_defaults(std::move(defaultFolder)) {}

std::filesystem::path CShootStore::GunFile(int gun) const {
    return m_user / ("ShootData_" + std::to_string(std::clamp(gun, 0, kGunCount - 1)) + ".Shoot");
}

std::filesystem::path CShootStore::DefaultGunFile(int gun) const {
    return m_defaults /
           ("ShootData_" + std::to_string(std::clamp(gun, 0, kGunCount - 1)) + ".Shoot");
}

std::optional<std::vector<Json::Value>>
CShootStore::Events(const std::filesystem::path& file) const {
    const data::JsonReadResult read = data::ReadJsonFileEx(file);
    if (!read.ok() || !read.value.isObject() || !read.value["Events"].isArray())
        return std::nullopt;
    std::vector<Json::Value> events;
    for (const Json::Value& event : read.value["Events"])
        events.push_back(event);
    return events;
}

bool CShootStore::IsComplete(int gun) const {
    const auto events = Events(GunFile(gun));
    return events && events->size() >= static_cast<std::size_t>(kElementsPerGun);
}

Bullet CShootStore::LoadBullet(int gun, int bullet) const {
    Bullet value;
    const auto events = Events(GunFile(gun));
    const std::size_t at =
        static_cast<std::size_t>(std::clamp(bullet, 0, kBulletCount - 1)) * kElementsPerBullet;
    if (!events || events->size() < at + 4)
        return value;
    const Json::Value& horizontal = (*events)[at + 2];
    const Json::Value& vertical = (*events)[at + 3];
    if (horizontal.isObject()) {
        value.x = IntOf(horizontal["Button"]);
        value.left = IsDown(horizontal["Action"]);
    }
    if (vertical.isObject()) {
        value.y = IntOf(vertical["Button"]);
        value.up = IsDown(vertical["Action"]);
        value.delay = IntOf(vertical["Delay"]);
    }
    return value;
}

std::vector<Bullet> CShootStore::Bullets(int gun) const {
    std::vector<Bullet> bullets;
    for (int b = 0; b < kBulletCount; ++b)
        bullets.push_back(LoadBullet(gun, b));
    return bullets;
}

bool CShootStore::SaveBullet(int gun, int bullet, const Bullet& value) {
    Json::Value document = data::ReadJsonFile(GunFile(gun));
    if (!document.isObject() || !document["Events"].isArray())
        document = data::ReadJsonFile(DefaultGunFile(gun));
    if (!document.isObject())
        document = Json::Value(Json::objectValue);
    Json::Value& events = document["Events"];
    if (!events.isArray())
        events = Json::Value(Json::arrayValue);
    const auto at =
        static_cast<Json::ArrayIndex>(std::clamp(bullet, 0, kBulletCount - 1) * kElementsPerBullet);
    while (events.size() < at + kElementsPerBullet)
        events.append(Json::Value(Json::objectValue));
    events[at] = Action(true, 0x01, 1, kClickDelay);
    events[at + 1] = Action(false, 0x01, 1, 0);
    events[at + 2] = Action(value.left, value.x, 4, kPullDelay);
    events[at + 3] = Action(value.up, value.y, 5, value.delay);
    events[at + 4] = Action(value.left, 0, 4, 0);
    events[at + 5] = Action(value.up, 0, 5, 0);
    return data::WriteJsonFile(GunFile(gun), document);
}

std::optional<std::string> CShootStore::ReplaceGun(int gun, const std::filesystem::path& source) {
    // the whole source is read and checked before the gun's file is touched
    const data::TextReadResult text = data::ReadFileTextEx(source);
    if (text.status != data::FileReadStatus::Ok)
        return std::string("cannot read ") + source.string() + ": " + data::ToString(text.status);
    const data::JsonReadResult parsed = data::ParseJsonText(text.text);
    if (!parsed.ok() || !parsed.value.isObject() || !parsed.value["Events"].isArray() ||
        parsed.value["Events"].size() > static_cast<Json::ArrayIndex>(kElementsPerGun))
        return source.string() + " is not a recoil pattern file";
    if (!data::WriteFileAtomic(GunFile(gun), text.text))
        return "cannot write " + GunFile(gun).string();
    return std::nullopt;
}

std::optional<std::string> CShootStore::ResetGun(int gun) {
    return ReplaceGun(gun, DefaultGunFile(gun));
}

std::optional<std::string> CShootStore::ImportGun(int gun, const std::filesystem::path& source) {
    if (source.empty())
        return std::string("no file chosen");
    return ReplaceGun(gun, source);
}

bool CShootStore::ExportGun(int gun, const std::filesystem::path& destination) const {
    if (destination.empty())
        return false;
    const data::TextReadResult text = data::ReadFileTextEx(GunFile(gun));
    return text.status == data::FileReadStatus::Ok && data::WriteFileAtomic(destination, text.text);
}

CShootStore::Image CShootStore::BuildImage() const {
    Image image;
    std::vector<data::EncodedMacro> guns;
    for (int g = 0; g < kGunCount; ++g) {
        data::EncodedMacro encoded;
        if (const auto events = Events(GunFile(g))) {
            if (events->size() > static_cast<std::size_t>(kElementsPerGun)) {
                image.error = "gun " + std::to_string(g + 1) + " has more than 180 actions";
                return image;
            }
            for (const Json::Value& event : *events)
                encoded.push_back(data::EncodeMacroAction(event));
        }
        guns.push_back(std::move(encoded));
    }
    if (data::MacroImageLength(guns) > kMaxImageBytes) {
        image.error = "the recoil patterns do not fit the mouse's image";
        return image;
    }
    image.bytes = data::BuildMacroImage(guns);
    if (image.bytes.empty())
        image.error = "the recoil patterns could not be put into an image";
    return image;
}

} // namespace vpc::data::shoot
