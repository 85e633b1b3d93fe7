// The record button of the macro page: while recording, its picture blinks by
// fading between 80 and 255 on a 50 ms control timer.
#pragma once

#include "PaintManagerUI.h"

#include <QPushButton>

// The fade of the blinking picture: starts opaque, moves by 20 per tick, turns
// at 80 and at 255 and never leaves that range.
class CRecordFade {
public:
    static constexpr int kLowest = 80;
    static constexpr int kHighest = 255;
    static constexpr int kStep = 20;

    int Value() const { return m_value; }
    bool IsRising() const { return m_rising; }
    int Step();
    void Reset();

private:
    int m_value = kHighest;
    bool m_rising = false;
};

class CRedioMacroButtonUI : public QPushButton, public ITimerTargetUI {
    Q_OBJECT
    Q_PROPERTY(QString controlClass READ GetClass CONSTANT)
    Q_PROPERTY(QString redioimage READ GetRedioImage WRITE SetRedioImage)
    Q_PROPERTY(QString normalimage READ GetNormalImage WRITE SetNormalImage)
public:
    static constexpr const char* kClassText = "RedioMacroButton";
    static constexpr const char* kRegisteredName = "CRedioMacroButtonUI";
    static constexpr int kBlinkTimerId = 100;
    static constexpr int kBlinkIntervalMs = 50;

    explicit CRedioMacroButtonUI(QWidget* parent = nullptr);

    QString GetClass() const { return QString::fromLatin1(kClassText); }

    QString GetRedioImage() const { return m_redioImage; }
    void SetRedioImage(const QString& image);
    QString GetNormalImage() const { return m_normalImage; }
    void SetNormalImage(const QString& image);

    // Starts or stops the blinking; stopping gives back the picture it had before.
    // Blinking needs the control to be in a window (its timers run there); false
    // when it is not.
    bool SetRecording(bool recording);
    bool IsRecording() const { return m_recording; }
    int Fade() const { return m_fade.Value(); }

    bool OnControlTimer(int timerId) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_redioImage;
    QString m_normalImage;
    QString m_imageBeforeRecording;
    CRecordFade m_fade;
    bool m_recording = false;
};
