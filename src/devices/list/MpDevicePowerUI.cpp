#include "MpDevicePowerUI.h"

#include "PowerStatus.h"

#include "ControlUI.h"
#include "PaintManagerUI.h"
#include "SkinResources.h"

#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>

namespace vpc::devices {

void SetSkinImage(QWidget* control, const QString& imageSpec) {
    if (!control)
        return;
    QString file = imageSpec;
    const int start = file.indexOf("file='");
    if (start >= 0) {
        const int end = file.indexOf('\'', start + 6);
        file = end > start ? file.mid(start + 6, end - start - 6) : QString();
    }
    QString path = file.isEmpty() ? QString() : CSkinResources::Instance().ImagePath(file);
    if (!path.isEmpty() && !QFileInfo::exists(path) && path.endsWith(".png")) {
        const QString svg = path.left(path.size() - 4) + ".svg";
        if (QFileInfo::exists(svg))
            path = svg;
    }
    CControlUI(control).SetBkImage(path);
    control->setProperty("bkimage", imageSpec);
}

CMpDevicePowerUI::CMpDevicePowerUI(QWidget* parent) : QWidget(parent) {
    setProperty("controlClass", QString::fromLatin1(kClassName));
}

void CMpDevicePowerUI::SetModel(std::uint16_t modelCode, std::uint16_t role) {
    m_modelCode = modelCode;
    m_role = role;
    m_shownBlock.clear(); // the same block may read differently on another model
}

bool CMpDevicePowerUI::FindSubControls() {
    if (!m_looked) {
        m_looked = true;
        const auto find = [this](const char* name) -> QWidget* {
            for (QWidget* child : findChildren<QWidget*>())
                if (ControlName(child).compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
                    return child;
            return nullptr;
        };
        m_layout = find("device_power_Layout");
        m_value = find("device_power_value");
        m_wirelessLogo = find("device_wuxian_logo");
        m_progress = find("device_Power_progress");
        m_status = find("device_power_status");
        m_phone = find("device_phone_type");
    }
    return m_layout && m_value && m_wirelessLogo && m_progress && m_status && m_phone;
}

void CMpDevicePowerUI::ShowPowerLayout(bool show) {
    FindSubControls();
    if (m_layout)
        m_layout->setVisible(show);
}

void CMpDevicePowerUI::UpdateStatus(const std::uint8_t* block, std::size_t length) {
    if (!FindSubControls())
        return;
    // read every few seconds and mostly the same: only a change is shown (and repainted)
    const std::vector<std::uint8_t> shown(block, block + length);
    if (shown == m_shownBlock)
        return;
    m_shownBlock = shown;
    const PowerStatusView view = DecodePowerStatus(block, length, m_modelCode);
    CControlUI(m_progress).SetValue(view.progressValue);
    CControlUI(m_value).SetText(QString::fromStdString(view.BatteryText()));
    if (view.wirelessLogoVisible)
        m_wirelessLogo->setVisible(*view.wirelessLogoVisible);
    if (view.chargeImage) {
        SetSkinImage(m_status, QString::fromStdString(*view.chargeImage));
        m_progress->setVisible(true);
    }
    if (view.phoneTooltip && view.phoneImage) {
        m_phone->setToolTip(
            CSkinResources::Instance().Translate(QString::fromStdString(*view.phoneTooltip)));
        m_phone->setProperty("tooltipId", QString::fromStdString(*view.phoneTooltip));
        SetSkinImage(m_phone, QString::fromStdString(*view.phoneImage));
    }
}

void CMpDevicePowerUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        if (CPaintManagerUI* manager = CPaintManagerUI::FromControl(this))
            manager->SendNotify(this, "selectchanged");
    QWidget::mousePressEvent(event);
}

} // namespace vpc::devices
