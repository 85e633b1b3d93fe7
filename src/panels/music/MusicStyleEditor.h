// What the music style window does to its copy of the style record, without the window: the
// group chosen, a slider moved, a name box left (an empty box takes the group's default name).
#pragma once

#include "MusicStyle.h"

#include <string>

namespace vpc::panels {

class CMusicStyleEditor {
public:
    explicit CMusicStyleEditor(MusicStyle style) : m_style(std::move(style)) {}

    const MusicStyle& Style() const { return m_style; }
    // "audio_select_tab" n (1-4) selected: the style is group n - 1.
    void SelectGroup(int n) {
        if (n >= 1 && n <= 4)
            m_style.style = static_cast<std::uint8_t>(n - 1);
    }
    // A slider of component 0-2 moved: the component of `group` (the first selected option,
    // group 0 when none is) becomes the value, held to 0-9.
    void SetComponent(int group, int component, int value) {
        m_style.Component(group, component) = static_cast<std::uint8_t>(std::clamp(value, 0, 9));
    }
    int Component(int group, int component) const { return m_style.Component(group, component); }
    // Name box n (1-4) left with `text`: the name it keeps, which the box then shows.
    std::string SetName(int n, const std::string& text) {
        if (n < 1 || n > 4)
            return text;
        const std::string name =
            text.empty() ? std::string(kDefaultStyleNames[static_cast<std::size_t>(n - 1)]) : text;
        m_style.names[static_cast<std::size_t>(n - 1)] = name;
        return name;
    }

private:
    MusicStyle m_style;
};

} // namespace vpc::panels
