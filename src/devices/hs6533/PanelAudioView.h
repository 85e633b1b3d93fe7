// Shows the headset's audio settings on its two panels, which the device sees only as
// widgets of its page: each call goes to the panel's invokable accessor of the same name.
#pragma once

#include "HeadsetAudio.h"

#include <QPointer>
#include <QWidget>

namespace vpc::devices {

class CPanelAudioView : public headset::IHeadsetAudioView {
public:
    CPanelAudioView(QWidget* voicePanel, QWidget* magicPanel);

    void ShowMagicSupported(bool supported) override;
    void ShowMagicEnabled(bool on) override;
    void ShowMagicType(int type) override;
    void ShowMicIn(bool on) override;
    void ShowMicInValue(int value) override;
    void ShowMonitor(bool on) override;
    void ShowMonitorValue(int value) override;
    void ShowEqType(int eqType) override;
    void EnableCustomEq(bool on) override;
    void SetBandValue(int band, int value) override;
    void ShowCustomEqNames(const std::vector<std::string>& names, int selected) override;

private:
    QPointer<QWidget> m_voice;
    QPointer<QWidget> m_magic;
};

} // namespace vpc::devices
