#include "RedioMacroButtonUI.h"

#include "SkinImage.h"

#include <QPainter>

int CRecordFade::Step() {
    if (m_rising) {
        m_value += kStep;
        if (m_value >= kHighest) {
            m_value = kHighest;
            m_rising = false;
        }
    } else {
        m_value -= kStep;
        if (m_value <= kLowest) {
            m_value = kLowest;
            m_rising = true;
        }
    }
    return m_value;
}

void CRecordFade::Reset() {
    m_value = kHighest;
    m_rising = false;
}

CRedioMacroButtonUI::CRedioMacroButtonUI(QWidget* parent) : QPushButton(parent) {}

void CRedioMacroButtonUI::SetRedioImage(const QString& image) {
    m_redioImage = image;
    update();
}

void CRedioMacroButtonUI::SetNormalImage(const QString& image) {
    m_normalImage = image;
    update();
}

bool CRedioMacroButtonUI::SetRecording(bool recording) {
    CPaintManagerUI* manager = CPaintManagerUI::FromControl(this);
    if (recording == m_recording) {
        return !recording || manager != nullptr;
    }
    if (recording) {
        if (!manager) {
            return false;
        }
        m_imageBeforeRecording = m_normalImage;
        m_fade.Reset();
        m_recording = true;
        return manager->SetTimer(this, kBlinkTimerId, kBlinkIntervalMs);
    }
    m_recording = false;
    if (manager) {
        manager->KillTimer(this, kBlinkTimerId);
    }
    SetNormalImage(m_imageBeforeRecording);
    return true;
}

bool CRedioMacroButtonUI::OnControlTimer(int timerId) {
    if (timerId != kBlinkTimerId) {
        return false;
    }
    if (!m_recording) {
        // A tick that was already queued when recording stopped.
        if (CPaintManagerUI* manager = CPaintManagerUI::FromControl(this)) {
            manager->KillTimer(this, kBlinkTimerId);
        }
        return true;
    }
    SetNormalImage(FormatFadeImageText(CImageText::Parse(m_redioImage).file, m_fade.Step()));
    return true;
}

void CRedioMacroButtonUI::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    // Idle without a picture of its own, the button shows the record picture.
    QPainter painter(this);
    DrawImageText(painter, rect(), m_normalImage.isEmpty() ? m_redioImage : m_normalImage);
}
