// The lighting panel of a device page: shows the device's lighting record (mode, brightness,
// speed, direction, multi-colour flag, colour, preset-colour mode, custom group) and switches its
// control groups to suit the mode and the device kind. It keeps no lighting values of its own.
#pragma once

#include "MusicWords.h"
#include "SkinPanelUI.h"
#include "lighting/LightTypes.h"

#include <QHash>
#include <QPointer>
#include <QStringList>
#include <QVariantList>
#include <QWidget>
#include <array>
#include <cstdint>
#include <vector>

namespace vpc::panels {

class CLightControlUI : public CSkinPanelUI {
    Q_OBJECT
    Q_PROPERTY(QString controlClass READ GetClass CONSTANT)
public:
    static constexpr const char* kClassText = "LightControl";
    static constexpr const char* kRegisteredName = "LightControl";
    static constexpr const char* kLayout = "XML\\CustomControlXML\\LightControl.xml";
    // The modes that stream frames (music and screen colour): never offered on the receiver.
    static constexpr int kMusicMode = lighting::mode::kMusic;
    static constexpr int kScreenColorMode = lighting::mode::kScreenColor;
    static constexpr int kModeItemHeight = 30;
    static constexpr int kLevelMaximum = 4;
    enum ColorComponentIndex { kRed = 0, kGreen = 1, kBlue = 2 };

    explicit CLightControlUI(QWidget* parent = nullptr);

    QString GetClass() const { return QString::fromLatin1(kClassText); }

    void SetDeviceKind(int kind) { m_deviceKind = kind; }
    int DeviceKind() const { return m_deviceKind; }

    // Refills "light_combo_modeSelect" (names are text ids) and selects item 1 without a
    // notification, so filling the list never changes the device; the device shows its real mode
    // afterwards. Nothing for a mouse, whose list comes from the skin.
    void FillModeList(const QStringList& names, const std::vector<bool>& visible,
                      int brightnessMaximum, int speedMaximum);
    // The same with the streaming modes hidden whatever their flags say (the receiver link).
    void FillModeListNoStreaming(const QStringList& names, const std::vector<bool>& visible,
                                 int brightnessMaximum, int speedMaximum);
    bool IsModeItemVisible(int item) const;

    void ShowLightInfo(std::uint32_t word0, std::uint32_t word1, std::uint32_t word2);
    // The same for a device that sees the panel only as a widget: it shows the record
    // whatever the panel showed before.
    Q_INVOKABLE void ShowLightRecord(uint word0, uint word1, uint word2);

    void ShowMode(int mode);
    int GetMode() const;
    void ShowCustomGroup(int group);
    int GetCustomGroup() const;
    void ShowZZCCMode(int mode);
    int GetZZCCMode() const;
    void SetBrightness(int value);
    int GetBrightness() const;
    void SetSpeed(int value);
    int GetSpeed() const;
    void SetColorText(int component, const QString& text);
    QString GetColorText(int component) const;
    void SetPaletteColor(std::uint32_t argb);
    std::uint32_t GetPaletteColor() const;
    std::uint32_t GetPresetColor(int n) const;
    void SetMultiColor(bool on);
    bool GetMultiColor() const;
    void SetDirection(int direction);
    void SetSameModeAllowed(bool allowed);
    bool IsSameModeAllowed() const { return m_sameModeAllowed; }
    void SetModeLayout(int mode);

    // Music settings: shows the three words (variant, colour checks, the edited colour in the
    // boxes, palette and swatch; both colour groups disabled for variant 3), all without
    // notifications; reads them back from the controls (with takeColor, the swatch's colour
    // becomes the edited colour).
    static constexpr int kMusicVariants = 7;
    static constexpr int kMusicVariantWithoutColors = 3;
    void ShowMusicSettings(std::uint32_t word0, std::uint32_t word1, std::uint32_t word2);
    MusicWords ReadMusicSettings(bool takeColor);
    MusicWords MusicSettingsShown() const { return m_musicWords; }
    std::uint32_t GetMusicPresetColor(int n) const;
    std::uint32_t GetMusicPaletteColor() const;
    QString GetMusicColorText(int component) const;
    void SetMusicColorText(int component, const QString& text);
    static const char* MusicColorEditName(int component);

    // Shows the three components of a colour in the boxes and paints "deng_colordp_btn".
    void ShowColorComponents(std::uint32_t argb);
    // A control of the panel by name (ignoring case), looked up once and kept.
    CControlUI Part(const QString& name) const;
    static const char* ColorEditName(int component);

protected:
    // The devices pass their state as dynamic properties ("modeNames", "lightMode", ...).
    bool event(QEvent* event) override;
    // Applies what the device told the panel before its controls existed.
    void OnContentBuilt() override;

private:
    // What the device told the panel before its controls existed, applied in the order told.
    void Defer(const QByteArray& what);
    void FillModes(const QStringList& names, const std::vector<bool>& visible, bool noStreaming,
                   int brightnessMaximum, int speedMaximum);
    void RefillFromProperties();
    void OnDeviceProperty(const QByteArray& name);
    CControlUI Group(const char* name) const;
    void PaintPresetButtons();

    mutable QHash<QString, QPointer<QWidget>> m_parts;
    std::vector<QByteArray> m_deferred; // property names, and "record" for the last record
    std::array<std::uint32_t, 3> m_deferredRecord{};
    void ShowMusicFromProperties();

    int m_deviceKind = 0;
    bool m_sameModeAllowed = false;
    MusicWords m_musicWords{};
};

// Paints a swatch button: its background colour (CControlUI::SetBkColor) and a style that shows it.
void PaintSwatch(QWidget* button, std::uint32_t argb);

// Finds the lighting panel of a device page (or the page itself when it is one).
CLightControlUI* LightPanelOf(QWidget* device);

// Registers "LightControl" and the colour palette control with the control factory.
void RegisterLightingControls();

// The main window offers synchronised lighting while more than one device is shown: every
// lighting panel below root takes the flag.
void OfferSynchronisedLighting(QWidget* root, bool offered);

} // namespace vpc::panels
