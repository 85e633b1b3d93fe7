#include "MusicWnd.h"

namespace {
constexpr const char* kSliders[3] = {"audio_r_slider", "audio_g_slider", "audio_b_slider"};

// n of "audio_select_tab" n or "audio_edit_name" n (1-4), or -1.
int GroupNumber(const QString& name, QLatin1String prefix) {
    if (!name.startsWith(prefix, Qt::CaseInsensitive) || name.size() != prefix.size() + 1)
        return -1;
    const int n = name.back().digitValue();
    return n >= 1 && n <= 4 ? n : -1;
}
} // namespace

void CMusicWnd::InitWindow() {
    CFrameWnd::InitWindow();
    const vpc::panels::MusicStyle& style = m_editor.Style();
    for (const char* name : kSliders) {
        CControlUI slider = FindControl(name);
        slider.SetMinValue(0);
        slider.SetMaxValue(9);
    }
    const int group = std::clamp<int>(style.style, 0, 3);
    FindControl(QStringLiteral("audio_select_tab%1").arg(group + 1)).Selected(true, false);
    ShowGroup(group);
    for (int n = 1; n <= 4; ++n)
        FindControl(QStringLiteral("audio_edit_name%1").arg(n))
            .SetText(QString::fromStdString(style.names[static_cast<std::size_t>(n - 1)]));
}

int CMusicWnd::SelectedGroup() const {
    for (int n = 1; n <= 4; ++n) {
        if (FindControl(QStringLiteral("audio_select_tab%1").arg(n)).IsSelected())
            return n - 1;
    }
    return 0;
}

void CMusicWnd::ShowGroup(int group) {
    for (int c = 0; c < 3; ++c)
        FindControl(kSliders[c]).SetValue(m_editor.Component(group, c));
}

void CMusicWnd::Notify(TNotifyUI& msg) {
    const QString name = ControlName(msg.pSender);
    const int tab = GroupNumber(name, QLatin1String("audio_select_tab"));
    const int nameBox = GroupNumber(name, QLatin1String("audio_edit_name"));
    if (msg.sType == DuiEvent::Click) {
        if (name.compare(QLatin1String("okbtn"), Qt::CaseInsensitive) == 0) {
            Close(1);
            return;
        }
        if (name.compare(QLatin1String("closebtn"), Qt::CaseInsensitive) == 0) {
            Close(0);
            return;
        }
    } else if (msg.sType == DuiEvent::SelectChanged && tab > 0) {
        if (CControlUI(msg.pSender).IsSelected()) {
            m_editor.SelectGroup(tab);
            ShowGroup(tab - 1);
        }
        return;
    } else if (msg.sType == DuiEvent::ValueChanged) {
        for (int c = 0; c < 3; ++c) {
            if (name.compare(QLatin1String(kSliders[c]), Qt::CaseInsensitive) == 0)
                m_editor.SetComponent(SelectedGroup(), c, CControlUI(msg.pSender).GetValue());
        }
    } else if (msg.sType == DuiEvent::KillFocus && nameBox > 0) {
        CControlUI box(msg.pSender);
        const std::string kept = m_editor.SetName(nameBox, box.GetText().toStdString());
        if (box.GetText().toStdString() != kept)
            box.SetText(QString::fromStdString(kept));
        return;
    }
    CFrameWnd::Notify(msg);
}
