#include "LinuxAudioChip.h"

#include "AlsaMixerLibrary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>

namespace vpc::devices::headset {

namespace {

constexpr std::uint32_t kKindHeadphones = 1;
constexpr std::uint32_t kKindMicrophone = 2;

bool NameIs(const std::string& name, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&name](const char* candidate) {
        return strcasecmp(name.c_str(), candidate) == 0;
    });
}

std::string Decimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

} // namespace

MixerControls ChooseMixerControls(const std::vector<MixerElementInfo>& elements) {
    // the first name of the list that an element with the wanted control has
    const auto byNames = [&elements](std::initializer_list<const char*> names, bool capture) {
        for (const char* name : names)
            for (const MixerElementInfo& e : elements)
                if ((capture ? e.captureVolume : e.playbackVolume) && NameIs(e.name, {name}))
                    return e.name;
        return std::string();
    };
    MixerControls chosen;
    // the microphone: a capture volume, by the names USB headsets give it, else any
    chosen.microphone = byNames({"Mic", "Headset Mic", "Headset", "Capture", "Input"}, true);
    if (chosen.microphone.empty())
        for (const MixerElementInfo& e : elements)
            if (chosen.microphone.empty() && e.captureVolume)
                chosen.microphone = e.name;
    // the monitor: the microphone played into the ear (sidetone), never the speaker's volume
    chosen.monitor =
        byNames({"Sidetone", "Headset Sidetone", "Mic Monitor", "Mic", "Headset Mic"}, false);
    return chosen;
}

int FindUsbSoundCard(std::uint16_t vendorId, std::uint16_t productId, const std::string& procRoot) {
    char wanted[16];
    std::snprintf(wanted, sizeof wanted, "%04x:%04x", vendorId, productId);
    DIR* dir = ::opendir(procRoot.c_str());
    if (dir == nullptr)
        return -1;
    int found = -1;
    while (dirent* entry = ::readdir(dir)) {
        int card = -1;
        if (std::sscanf(entry->d_name, "card%d", &card) != 1 || card < 0)
            continue;
        std::ifstream usbid(procRoot + "/" + entry->d_name + "/usbid");
        std::string id;
        if (usbid >> id && strcasecmp(id.c_str(), wanted) == 0 && (found < 0 || card < found))
            found = card;
    }
    ::closedir(dir);
    return found;
}

// The card's simple mixer, open while the chip lives.
struct CLinuxAudioChip::Mixer {
    explicit Mixer(const AlsaMixerApi& api) : alsa(api) {}
    ~Mixer() {
        if (handle)
            alsa.close(handle);
    }
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;
    snd_mixer_elem_t* Find(const std::string& name) const {
        if (!handle || name.empty())
            return nullptr;
        snd_mixer_selem_id_t* id = nullptr;
        if (alsa.selemIdMalloc(&id) < 0 || id == nullptr)
            return nullptr;
        alsa.selemIdSetIndex(id, 0);
        alsa.selemIdSetName(id, name.c_str());
        snd_mixer_elem_t* element = alsa.findSelem(handle, id);
        alsa.selemIdFree(id);
        return element;
    }
    const AlsaMixerApi& alsa;
    snd_mixer_t* handle = nullptr;
};

CLinuxAudioChip::CLinuxAudioChip(std::uint16_t vendorId, std::uint16_t productId,
                                 std::unique_ptr<IEqualiserFilter> equaliser, std::string procRoot)
    : m_vendorId(vendorId), m_productId(productId), m_equaliser(std::move(equaliser)),
      m_procRoot(std::move(procRoot)) {}

CLinuxAudioChip::~CLinuxAudioChip() = default;

bool CLinuxAudioChip::Init() {
    m_problems.clear();
    m_card = FindUsbSoundCard(m_vendorId, m_productId, m_procRoot);
    if (m_card < 0) {
        m_problems.push_back("the headset has no ALSA sound card: microphone and monitor "
                             "settings are kept in the profile only");
        return true; // the equaliser and the profile still work
    }
    const AlsaMixerApi* alsa = AlsaMixer();
    if (!alsa) {
        m_problems.push_back(LastAlsaLoadError() + ": microphone and monitor settings are kept "
                                                   "in the profile only");
        return true;
    }
    auto mixer = std::make_unique<Mixer>(*alsa);
    const std::string device = "hw:" + std::to_string(m_card);
    if (alsa->open(&mixer->handle, 0) < 0 || alsa->attach(mixer->handle, device.c_str()) < 0 ||
        alsa->selemRegister(mixer->handle, nullptr, nullptr) < 0 || alsa->load(mixer->handle) < 0) {
        m_problems.push_back("the mixer of " + device + " cannot be opened");
        return true;
    }
    std::vector<MixerElementInfo> elements;
    for (snd_mixer_elem_t* e = alsa->firstElem(mixer->handle); e != nullptr;
         e = alsa->elemNext(e)) {
        MixerElementInfo info;
        info.name = alsa->selemGetName(e);
        info.captureVolume = alsa->hasCaptureVolume(e) != 0;
        info.captureSwitch = alsa->hasCaptureSwitch(e) != 0;
        info.playbackVolume = alsa->hasPlaybackVolume(e) != 0;
        info.playbackSwitch = alsa->hasPlaybackSwitch(e) != 0;
        elements.push_back(std::move(info));
    }
    m_controls = ChooseMixerControls(elements);
    m_mixer = std::move(mixer);
    return true;
}

std::vector<AudioDeviceRecord> CLinuxAudioChip::Devices(AudioFlow flow) {
    AudioDeviceRecord record;
    record.words = {static_cast<std::uint32_t>(std::max(m_card, 0)),
                    flow == AudioFlow::Playback ? kKindHeadphones : kKindMicrophone, 0u, 1u};
    return {record};
}

std::optional<long> CLinuxAudioChip::VolumeRange(const std::string& element, Side side,
                                                 bool maximum) const {
    snd_mixer_elem_t* e = m_mixer ? m_mixer->Find(element) : nullptr;
    long low = 0;
    long high = 0;
    if (e == nullptr ||
        (side == Side::Capture ? m_mixer->alsa.getCaptureVolumeRange(e, &low, &high)
                               : m_mixer->alsa.getPlaybackVolumeRange(e, &low, &high)) < 0)
        return std::nullopt;
    return maximum ? high : low;
}

std::optional<double> CLinuxAudioChip::VolumeScalar(const std::string& element, Side side) const {
    snd_mixer_elem_t* e = m_mixer ? m_mixer->Find(element) : nullptr;
    const auto low = VolumeRange(element, side, false);
    const auto high = VolumeRange(element, side, true);
    long value = 0;
    if (e == nullptr || !low || !high || *high <= *low ||
        (side == Side::Capture
             ? m_mixer->alsa.getCaptureVolume(e, SND_MIXER_SCHN_FRONT_LEFT, &value)
             : m_mixer->alsa.getPlaybackVolume(e, SND_MIXER_SCHN_FRONT_LEFT, &value)) < 0)
        return std::nullopt;
    return static_cast<double>(value - *low) / static_cast<double>(*high - *low);
}

bool CLinuxAudioChip::SetVolumeScalar(const std::string& element, Side side, double scalar) {
    snd_mixer_elem_t* e = m_mixer ? m_mixer->Find(element) : nullptr;
    const auto low = VolumeRange(element, side, false);
    const auto high = VolumeRange(element, side, true);
    if (e == nullptr || !low || !high)
        return false;
    const long value =
        *low + std::lround(std::clamp(scalar, 0.0, 1.0) * static_cast<double>(*high - *low));
    return (side == Side::Capture ? m_mixer->alsa.setCaptureVolumeAll(e, value)
                                  : m_mixer->alsa.setPlaybackVolumeAll(e, value)) == 0;
}

std::optional<bool> CLinuxAudioChip::Muted(const std::string& element, Side side) const {
    snd_mixer_elem_t* e = m_mixer ? m_mixer->Find(element) : nullptr;
    int on = 1;
    if (e == nullptr ||
        (side == Side::Capture
             ? (!m_mixer->alsa.hasCaptureSwitch(e) ||
                m_mixer->alsa.getCaptureSwitch(e, SND_MIXER_SCHN_FRONT_LEFT, &on) < 0)
             : (!m_mixer->alsa.hasPlaybackSwitch(e) ||
                m_mixer->alsa.getPlaybackSwitch(e, SND_MIXER_SCHN_FRONT_LEFT, &on) < 0)))
        return std::nullopt;
    return on == 0;
}

bool CLinuxAudioChip::SetMuted(const std::string& element, Side side, bool muted) {
    snd_mixer_elem_t* e = m_mixer ? m_mixer->Find(element) : nullptr;
    if (e == nullptr)
        return false;
    return (side == Side::Capture ? m_mixer->alsa.setCaptureSwitchAll(e, muted ? 0 : 1)
                                  : m_mixer->alsa.setPlaybackSwitchAll(e, muted ? 0 : 1)) == 0;
}

std::optional<std::string> CLinuxAudioChip::ReadProperty(const AudioDeviceRecord& device,
                                                         std::string_view name,
                                                         std::optional<int>) {
    const bool capture = device.Kind() == kKindMicrophone;
    const std::string& mic = m_controls.microphone;
    const std::string& monitor = m_controls.monitor;
    if (name == "GetSupportFeature")
        return std::string("0,0,0,0,0,0,0"); // no voice changer on this path
    if (capture && name == "MuteControl")
        if (auto muted = Muted(mic, Side::Capture))
            return std::string(*muted ? "1" : "0");
    if (capture && name == "VolumeScalarControl")
        if (auto scalar = VolumeScalar(mic, Side::Capture))
            return Decimal(*scalar);
    if (capture && (name == "GetMaxVol" || name == "GetMinVol"))
        if (auto v = VolumeRange(mic, Side::Capture, name == "GetMaxVol"))
            return std::to_string(*v);
    if (capture && (name == "GetAAMaxVol" || name == "GetAAMinVol"))
        if (auto v = VolumeRange(monitor, Side::Playback, name == "GetAAMaxVol"))
            return std::to_string(*v);
    if (capture && name == "AAMuteControl")
        if (auto muted = Muted(monitor, Side::Playback))
            return std::string(*muted ? "1" : "0");
    if (capture && name == "AAVolumeScalarControl")
        if (auto scalar = VolumeScalar(monitor, Side::Playback))
            return Decimal(*scalar);
    const auto kept = m_kept.find(std::string(capture ? "C:" : "P:") + std::string(name));
    if (kept != m_kept.end())
        return kept->second;
    return std::nullopt;
}

bool CLinuxAudioChip::WriteProperty(const AudioDeviceRecord& device, std::string_view name,
                                    AudioPropertyValue value, std::optional<int>) {
    const bool capture = device.Kind() == kKindMicrophone;
    const double number = std::holds_alternative<float>(value)
                              ? static_cast<double>(std::get<float>(value))
                              : static_cast<double>(std::get<std::int32_t>(value));
    if (capture && name == "MuteControl")
        return SetMuted(m_controls.microphone, Side::Capture, number != 0);
    if (capture && name == "VolumeScalarControl")
        return SetVolumeScalar(m_controls.microphone, Side::Capture, number);
    if (capture && name == "AAMuteControl")
        return SetMuted(m_controls.monitor, Side::Playback, number != 0);
    if (capture && name == "AAVolumeScalarControl")
        return SetVolumeScalar(m_controls.monitor, Side::Playback, number);
    if (capture && name == "Enable_MAGICVOICE" && number != 0)
        return false; // no voice changer here
    if (!capture && name == "Enable_EQ_GFX") {
        m_equaliserOn = number != 0;
        m_equaliserChanged = true;
    } else if (!capture && name.rfind("EQ_Slider", 0) == 0) {
        const int band = std::atoi(std::string(name.substr(9)).c_str());
        if (band < 1 || band > data::kEqBandCount)
            return false;
        m_bands[static_cast<std::size_t>(band - 1)] = static_cast<std::int32_t>(number);
        m_equaliserChanged = true;
    }
    m_kept[std::string(capture ? "C:" : "P:") + std::string(name)] =
        std::holds_alternative<float>(value) ? Decimal(number)
                                             : std::to_string(std::get<std::int32_t>(value));
    return true;
}

void CLinuxAudioChip::Flush() {
    if (m_equaliserChanged)
        ApplyEqualiser();
    m_equaliserChanged = false;
}

void CLinuxAudioChip::ApplyEqualiser() {
    if (!m_equaliser)
        return;
    if (!m_equaliserOn) {
        m_equaliser->Remove();
        return;
    }
    if (!m_equaliser->Apply(m_bands)) {
        const std::string problem =
            "PipeWire is not running: the equaliser is kept in the profile only";
        if (std::find(m_problems.begin(), m_problems.end(), problem) == m_problems.end())
            m_problems.push_back(problem);
    }
}

} // namespace vpc::devices::headset
