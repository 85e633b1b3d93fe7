#include "AlsaMixerLibrary.h"

#include <dlfcn.h>

#include <mutex>

namespace vpc::devices::headset {

namespace {

struct LoadedAlsa {
    AlsaMixerApi api;
    bool ok = false;
    std::string error;
};

template <typename Function> bool Resolve(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

LoadedAlsa Load() {
    LoadedAlsa loaded;
    // stays loaded for the rest of the run: mixers opened through it live as long as their chip
    void* library = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = dlerror();
        loaded.error = std::string("libasound could not be loaded: ") + (reason ? reason : "");
        return loaded;
    }
    AlsaMixerApi& a = loaded.api;
    const bool resolved =
        Resolve(library, "snd_mixer_open", a.open) &&
        Resolve(library, "snd_mixer_close", a.close) &&
        Resolve(library, "snd_mixer_attach", a.attach) &&
        Resolve(library, "snd_mixer_selem_register", a.selemRegister) &&
        Resolve(library, "snd_mixer_load", a.load) &&
        Resolve(library, "snd_mixer_first_elem", a.firstElem) &&
        Resolve(library, "snd_mixer_elem_next", a.elemNext) &&
        Resolve(library, "snd_mixer_find_selem", a.findSelem) &&
        Resolve(library, "snd_mixer_selem_id_malloc", a.selemIdMalloc) &&
        Resolve(library, "snd_mixer_selem_id_free", a.selemIdFree) &&
        Resolve(library, "snd_mixer_selem_id_set_index", a.selemIdSetIndex) &&
        Resolve(library, "snd_mixer_selem_id_set_name", a.selemIdSetName) &&
        Resolve(library, "snd_mixer_selem_get_name", a.selemGetName) &&
        Resolve(library, "snd_mixer_selem_has_capture_volume", a.hasCaptureVolume) &&
        Resolve(library, "snd_mixer_selem_has_capture_switch", a.hasCaptureSwitch) &&
        Resolve(library, "snd_mixer_selem_has_playback_volume", a.hasPlaybackVolume) &&
        Resolve(library, "snd_mixer_selem_has_playback_switch", a.hasPlaybackSwitch) &&
        Resolve(library, "snd_mixer_selem_get_capture_volume_range", a.getCaptureVolumeRange) &&
        Resolve(library, "snd_mixer_selem_get_playback_volume_range", a.getPlaybackVolumeRange) &&
        Resolve(library, "snd_mixer_selem_get_capture_volume", a.getCaptureVolume) &&
        Resolve(library, "snd_mixer_selem_get_playback_volume", a.getPlaybackVolume) &&
        Resolve(library, "snd_mixer_selem_set_capture_volume_all", a.setCaptureVolumeAll) &&
        Resolve(library, "snd_mixer_selem_set_playback_volume_all", a.setPlaybackVolumeAll) &&
        Resolve(library, "snd_mixer_selem_get_capture_switch", a.getCaptureSwitch) &&
        Resolve(library, "snd_mixer_selem_get_playback_switch", a.getPlaybackSwitch) &&
        Resolve(library, "snd_mixer_selem_set_capture_switch_all", a.setCaptureSwitchAll) &&
        Resolve(library, "snd_mixer_selem_set_playback_switch_all", a.setPlaybackSwitchAll);
    if (!resolved) {
        loaded.error = "libasound lacks a mixer function";
        return loaded;
    }
    loaded.ok = true;
    return loaded;
}

const LoadedAlsa& Loaded() {
    static const LoadedAlsa loaded = Load(); // once, whichever thread asks first
    return loaded;
}

} // namespace

const AlsaMixerApi* AlsaMixer() {
    return Loaded().ok ? &Loaded().api : nullptr;
}

std::string LastAlsaLoadError() {
    return Loaded().error;
}

} // namespace vpc::devices::headset
