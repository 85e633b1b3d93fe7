// The ALSA mixer functions the headset's sound card needs, loaded from libasound when a headset
// first opens its mixer: a program without a headset does not map the library at start.
#pragma once

#include <alsa/asoundlib.h>

#include <string>

namespace vpc::devices::headset {

struct AlsaMixerApi {
    int (*open)(snd_mixer_t** mixer, int mode) = nullptr;
    int (*close)(snd_mixer_t* mixer) = nullptr;
    int (*attach)(snd_mixer_t* mixer, const char* name) = nullptr;
    int (*selemRegister)(snd_mixer_t* mixer, snd_mixer_selem_regopt* options,
                         snd_mixer_class_t** classp) = nullptr;
    int (*load)(snd_mixer_t* mixer) = nullptr;
    snd_mixer_elem_t* (*firstElem)(snd_mixer_t* mixer) = nullptr;
    snd_mixer_elem_t* (*elemNext)(snd_mixer_elem_t* elem) = nullptr;
    snd_mixer_elem_t* (*findSelem)(snd_mixer_t* mixer, const snd_mixer_selem_id_t* id) = nullptr;
    int (*selemIdMalloc)(snd_mixer_selem_id_t** id) = nullptr;
    void (*selemIdFree)(snd_mixer_selem_id_t* id) = nullptr;
    void (*selemIdSetIndex)(snd_mixer_selem_id_t* id, unsigned int index) = nullptr;
    void (*selemIdSetName)(snd_mixer_selem_id_t* id, const char* name) = nullptr;
    const char* (*selemGetName)(snd_mixer_elem_t* elem) = nullptr;
    int (*hasCaptureVolume)(snd_mixer_elem_t* elem) = nullptr;
    int (*hasCaptureSwitch)(snd_mixer_elem_t* elem) = nullptr;
    int (*hasPlaybackVolume)(snd_mixer_elem_t* elem) = nullptr;
    int (*hasPlaybackSwitch)(snd_mixer_elem_t* elem) = nullptr;
    int (*getCaptureVolumeRange)(snd_mixer_elem_t* elem, long* min, long* max) = nullptr;
    int (*getPlaybackVolumeRange)(snd_mixer_elem_t* elem, long* min, long* max) = nullptr;
    int (*getCaptureVolume)(snd_mixer_elem_t* elem, snd_mixer_selem_channel_id_t channel,
                            long* value) = nullptr;
    int (*getPlaybackVolume)(snd_mixer_elem_t* elem, snd_mixer_selem_channel_id_t channel,
                             long* value) = nullptr;
    int (*setCaptureVolumeAll)(snd_mixer_elem_t* elem, long value) = nullptr;
    int (*setPlaybackVolumeAll)(snd_mixer_elem_t* elem, long value) = nullptr;
    int (*getCaptureSwitch)(snd_mixer_elem_t* elem, snd_mixer_selem_channel_id_t channel,
                            int* value) = nullptr;
    int (*getPlaybackSwitch)(snd_mixer_elem_t* elem, snd_mixer_selem_channel_id_t channel,
                             int* value) = nullptr;
    int (*setCaptureSwitchAll)(snd_mixer_elem_t* elem, int value) = nullptr;
    int (*setPlaybackSwitchAll)(snd_mixer_elem_t* elem, int value) = nullptr;
};

// The functions, loaded once; null when libasound cannot be loaded (LastAlsaLoadError says why).
const AlsaMixerApi* AlsaMixer();
std::string LastAlsaLoadError();

} // namespace vpc::devices::headset
