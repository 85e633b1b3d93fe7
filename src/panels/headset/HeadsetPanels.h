// The headset's two panels: the voice panel (equaliser presets, ten band sliders, custom
// equaliser names, microphone and monitor switches and volumes) and the voice changer panel.
// They show what the headset device hands them; the main window routes their events.
#pragma once

#include "ControlUI.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

namespace vpc::panels {

class CVoice6533ControlUI : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString controlClass READ GetClass CONSTANT)
public:
    static constexpr const char* kRegisteredName = "Voice6533Control";
    static constexpr const char* kLayout = "XML\\CustomControlXML\\Voice6533Control.xml";
    static constexpr int kEqOptions = 13;
    static constexpr int kBands = 10;

    explicit CVoice6533ControlUI(QWidget* parent = nullptr);
    QString GetClass() const { return QString::fromLatin1(kRegisteredName); }

    Q_INVOKABLE void ShowEqType(int eqType);
    int EqType() const { return m_eqType; }
    Q_INVOKABLE void EnableCustomEq(bool on);
    Q_INVOKABLE void SetBandValue(int band, int value); // band 1-10
    int GetBandValue(int band) const;                   // -1 when missing
    Q_INVOKABLE void ShowMicIn(bool on);
    Q_INVOKABLE void ShowMonitor(bool on);
    Q_INVOKABLE void ShowMicInValue(int value);
    Q_INVOKABLE void ShowMonitorValue(int value);
    int GetMicInValue() const;
    int GetMonitorValue() const;
    void SetCustomEqName(const QString& name);
    QString GetCustomEqName() const;
    // Refills the custom names, selects one (-1 none) and empties the name box.
    Q_INVOKABLE void ShowCustomEqNames(const QStringList& names, int selected);
    int GetCustomEqSelection() const;
    int GetCustomEqCount() const;
    void SelectCustomEq(int index);

    CControlUI Part(const QString& name) const;

private:
    QPointer<QWidget> m_content;
    int m_eqType = 0;
};

class CMagicControlUI : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString controlClass READ GetClass CONSTANT)
public:
    static constexpr const char* kRegisteredName = "MagicControl";
    static constexpr const char* kLayout = "XML\\CustomControlXML\\MagicControl.xml";
    static constexpr int kTypes = 4;

    explicit CMagicControlUI(QWidget* parent = nullptr);
    QString GetClass() const { return QString::fromLatin1(kRegisteredName); }

    Q_INVOKABLE void ShowMagicSupported(bool supported);
    Q_INVOKABLE void EnableMagicOptions(bool on);
    Q_INVOKABLE void ShowMagicEnabled(bool on);
    bool IsMagicEnabled() const;
    Q_INVOKABLE void ShowMagicType(int type);
    int MagicType() const { return m_type; }

    CControlUI Part(const QString& name) const;

private:
    QPointer<QWidget> m_content;
    int m_type = 0;
    bool m_supported = true;
};

void RegisterHeadsetControls();

} // namespace vpc::panels
