// The dispatch routes of music lighting: the music settings of the lighting panel (variant,
// colour checks, colour boxes, palette, preset colours, background off), the music style
// window's button and the colour sliders sent to the capture companion.
#pragma once

#include "MusicWords.h"
#include "RouteTable.h"

#include <functional>

namespace vpc::panels {

struct MusicRouteServices {
    // "music_setting_btn", "music_setting_text": the music style window.
    std::function<void()> openMusicWindow;
    // "R_light_slider", "G_light_slider", "B_light_slider" (component 0, 1, 2) to the companion.
    std::function<void(int component, int value)> colorSlider;
};

void RegisterMusicRoutes(CRouteTable& table, MusicRouteServices services);

// "apply" of the music routes: the device takes the words, saves its profile and re-seeds its
// lighting. A variant change also clears the group word (bytes 12-15) of its lighting record.
void ApplyMusicSettings(QWidget* device, const MusicWords& words, bool variantChanged);

} // namespace vpc::panels
