// The recoil patterns of a mouse: one file per gun ("ShootData_<g>.Shoot", 30 bullets of six
// mouse actions each) in the mouse's folder, defaults beside the program; a bullet's pull read
// and written, guns reset, imported and exported whole, and the image the mouse takes.
#pragma once

#include <json/json.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vpc::data::shoot {

inline constexpr int kGunCount = 4;
inline constexpr int kBulletCount = 30;
inline constexpr int kElementsPerBullet = 6;
inline constexpr int kElementsPerGun = kBulletCount * kElementsPerBullet; // 180
inline constexpr std::size_t kMaxImageBytes = 65535;

// One bullet: the click, then a horizontal and a vertical pull and the pause after it.
struct Bullet {
    int x = 0;
    bool left = false; // pulled to the left, else to the right
    int y = 0;
    bool up = false; // pulled up, else down
    int delay = 0;
    bool operator==(const Bullet&) const = default;
};

class CShootStore {
public:
    CShootStore(std::filesystem::path userFolder, std::filesystem::path defaultFolder);

    std::filesystem::path GunFile(int gun) const;
    std::filesystem::path DefaultGunFile(int gun) const;
    // A gun file that reads as a shoot file: an object whose "Events" array holds the 180
    // actions of the 30 bullets.
    bool IsComplete(int gun) const;

    // The bullet as the file says; members missing or of another type read as 0 and "up",
    // a delay written as text is read as its number.
    Bullet LoadBullet(int gun, int bullet) const;
    std::vector<Bullet> Bullets(int gun) const;
    // Writes the bullet's six actions, keeping everything else of the file; a missing or
    // damaged file starts from the default gun.
    bool SaveBullet(int gun, int bullet, const Bullet& value);

    // Each replaces the gun's file whole, and only with a complete shoot file read first: a
    // missing or damaged source changes nothing. The reason when it fails.
    std::optional<std::string> ResetGun(int gun);
    std::optional<std::string> ImportGun(int gun, const std::filesystem::path& source);
    bool ExportGun(int gun, const std::filesystem::path& destination) const;

    struct Image {
        std::vector<std::uint8_t> bytes;
        std::string error; // set when there is no image
    };
    // The four guns as one image in the macro image layout; refused when a gun has more
    // than 180 actions or the image would not fit its 16-bit length.
    Image BuildImage() const;

private:
    std::optional<std::vector<Json::Value>> Events(const std::filesystem::path& file) const;
    std::optional<std::string> ReplaceGun(int gun, const std::filesystem::path& source);

    std::filesystem::path m_user;
    std::filesystem::path m_defaults;
};

} // namespace vpc::data::shoot
