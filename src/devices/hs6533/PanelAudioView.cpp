#include "PanelAudioView.h"

#include <QMetaObject>
#include <QStringList>

namespace vpc::devices {

namespace {

template <typename... Args> void Call(QWidget* panel, const char* method, Args... args) {
    if (panel)
        QMetaObject::invokeMethod(panel, method, Qt::DirectConnection, args...);
}

} // namespace

CPanelAudioView::CPanelAudioView(QWidget* voicePanel, QWidget* magicPanel)
    : m_voice(voicePanel), m_magic(magicPanel) {}

void CPanelAudioView::ShowMagicSupported(bool supported) {
    Call(m_magic, "ShowMagicSupported", Q_ARG(bool, supported));
}
void CPanelAudioView::ShowMagicEnabled(bool on) {
    Call(m_magic, "ShowMagicEnabled", Q_ARG(bool, on));
}
void CPanelAudioView::ShowMagicType(int type) {
    Call(m_magic, "ShowMagicType", Q_ARG(int, type));
}
void CPanelAudioView::ShowMicIn(bool on) {
    Call(m_voice, "ShowMicIn", Q_ARG(bool, on));
}
void CPanelAudioView::ShowMicInValue(int value) {
    Call(m_voice, "ShowMicInValue", Q_ARG(int, value));
}
void CPanelAudioView::ShowMonitor(bool on) {
    Call(m_voice, "ShowMonitor", Q_ARG(bool, on));
}
void CPanelAudioView::ShowMonitorValue(int value) {
    Call(m_voice, "ShowMonitorValue", Q_ARG(int, value));
}
void CPanelAudioView::ShowEqType(int eqType) {
    Call(m_voice, "ShowEqType", Q_ARG(int, eqType));
}
void CPanelAudioView::EnableCustomEq(bool on) {
    Call(m_voice, "EnableCustomEq", Q_ARG(bool, on));
}
void CPanelAudioView::SetBandValue(int band, int value) {
    Call(m_voice, "SetBandValue", Q_ARG(int, band + 1), Q_ARG(int, value));
}
void CPanelAudioView::ShowCustomEqNames(const std::vector<std::string>& names, int selected) {
    QStringList list;
    for (const std::string& name : names)
        list << QString::fromStdString(name);
    Call(m_voice, "ShowCustomEqNames", Q_ARG(QStringList, list), Q_ARG(int, selected));
}

} // namespace vpc::devices
