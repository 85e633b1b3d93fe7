// The headset's audio chip as the program sees it: devices by flow, and named properties read
// as text and written as an integer or a float, with an optional channel.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <variant>
#include <vector>

namespace vpc::devices::headset {

enum class AudioFlow { Playback = 0, Capture = 1 };

// One device as the chip reports it: word 0 names it, word 1 is its kind, word 3 its state
// (1 = active); then the three feature words of "GetSupportFeature".
struct AudioDeviceRecord {
    std::array<std::uint32_t, 4> words{};
    std::array<std::uint32_t, 3> features{};

    std::uint32_t Kind() const { return words[1]; }
    std::uint32_t State() const { return words[3]; }
    bool operator==(const AudioDeviceRecord&) const = default;
};

// Feature word 0 of the capture device: the voice changer is there.
inline constexpr std::uint32_t kFeatureMagicVoice = 0x20000;

// A value written to a property: a signed integer, or a float for the two volume scalars.
using AudioPropertyValue = std::variant<std::int32_t, float>;

class IAudioChip {
public:
    virtual ~IAudioChip() = default;

    // Brings the chip's interface up; false when it cannot be used at all.
    virtual bool Init() = 0;
    // The devices of a flow, in the chip's order.
    virtual std::vector<AudioDeviceRecord> Devices(AudioFlow flow) = 0;
    // A property's value as text (a decimal, a number with a fraction, or comma-separated
    // fields); nothing when the read failed.
    virtual std::optional<std::string> ReadProperty(const AudioDeviceRecord& device,
                                                    std::string_view name,
                                                    std::optional<int> channel) = 0;
    virtual bool WriteProperty(const AudioDeviceRecord& device, std::string_view name,
                               AudioPropertyValue value, std::optional<int> channel) = 0;
    // Puts what a group of writes set into effect at once (the equaliser's ten bands).
    virtual void Flush() {}
};

// An in-memory chip for tests and --simulate: one playback and one capture device whose
// properties read back what was written, with reads and writes that can be made to fail.
class CSimulatedAudioChip : public IAudioChip {
public:
    CSimulatedAudioChip();

    bool Init() override { return initResult; }
    std::vector<AudioDeviceRecord> Devices(AudioFlow flow) override;
    std::optional<std::string> ReadProperty(const AudioDeviceRecord& device, std::string_view name,
                                            std::optional<int> channel) override;
    bool WriteProperty(const AudioDeviceRecord& device, std::string_view name,
                       AudioPropertyValue value, std::optional<int> channel) override;
    void Flush() override { ++flushes; }

    // What the chip holds, as a read gives it (channels kept apart).
    std::optional<std::string> Stored(AudioFlow flow, const std::string& name,
                                      std::optional<int> channel = std::nullopt) const;
    void Store(AudioFlow flow, const std::string& name, const std::string& text,
               std::optional<int> channel = std::nullopt);

    struct Write {
        AudioFlow flow;
        std::string name;
        AudioPropertyValue value;
        std::optional<int> channel;
    };
    const std::vector<Write>& Writes() const { return m_writes; }
    void ClearWrites() { m_writes.clear(); }

    bool initResult = true;
    int flushes = 0;
    std::set<std::string> failingReads;  // property names whose reads fail
    std::set<std::string> failingWrites; // property names whose writes fail
    std::vector<AudioDeviceRecord> playback;
    std::vector<AudioDeviceRecord> capture;

private:
    std::optional<AudioFlow> FlowOf(const AudioDeviceRecord& device) const;
    using Key = std::tuple<int, std::string, int>;
    static Key MakeKey(AudioFlow flow, std::string_view name, std::optional<int> channel);

    std::map<Key, std::string> m_values;
    std::vector<Write> m_writes;
};

} // namespace vpc::devices::headset
