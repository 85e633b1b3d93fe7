// The power panel of a device: battery level and progress, charge image, wireless logo and,
// on a mouse pad, the phone on its charger, shown from the device's status block.
#pragma once

#include <QPointer>
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vpc::devices {

class CMpDevicePowerUI : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kClassName = "MpDevicePower";

    explicit CMpDevicePowerUI(QWidget* parent = nullptr);

    void SetModel(std::uint16_t modelCode, std::uint16_t role);
    std::uint16_t ModelCode() const { return m_modelCode; }
    std::uint16_t Role() const { return m_role; }
    void ShowPowerLayout(bool show);
    // Shows a status block; nothing happens while one of the six sub-controls is missing or the
    // block is the one shown last.
    void UpdateStatus(const std::uint8_t* block, std::size_t length);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool FindSubControls();

    std::uint16_t m_modelCode = 0;
    std::uint16_t m_role = 0;
    bool m_looked = false;
    std::vector<std::uint8_t> m_shownBlock;
    QPointer<QWidget> m_layout;
    QPointer<QWidget> m_value;
    QPointer<QWidget> m_wirelessLogo;
    QPointer<QWidget> m_progress;
    QPointer<QWidget> m_status;
    QPointer<QWidget> m_phone;
};

// Sets a skin image given as "file='folder/name.png'" as a control's background: the value is
// kept as the control's image name, the picture comes from the skin (an .svg of the same name
// stands in for a missing .png).
void SetSkinImage(QWidget* control, const QString& imageSpec);

} // namespace vpc::devices
