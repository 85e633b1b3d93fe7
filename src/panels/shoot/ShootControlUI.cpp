#include "ShootControlUI.h"

#include "ControlFactory.h"
#include "SilentScope.h"
#include "SkinResources.h"

#include <QPainter>
#include <QPainterPath>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace vpc::panels {

using data::shoot::Bullet;
using data::shoot::kBulletCount;
using data::shoot::kGunCount;

namespace {

int NumberOf(const QString& text) {
    bool ok = false;
    const long long value = text.trimmed().toLongLong(&ok);
    return ok ? static_cast<int>(std::clamp<long long>(value, 0, 65535)) : 0;
}

} // namespace

// --- chart --------------------------------------------------------------------------------------

CRecoilChart::CRecoilChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("shoot_pattern_chart"));
    setMinimumSize(160, 180);
}

void CRecoilChart::SetPattern(const std::vector<Bullet>& bullets, int current) {
    m_bullets = bullets;
    m_current = current;
    update();
}

void CRecoilChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), QColor(0x1a, 0x1d, 0x23));
    if (m_bullets.empty())
        return;
    // the cursor's path: each bullet moves it by its pull, from the top centre
    std::vector<QPointF> points{QPointF(0, 0)};
    for (const Bullet& b : m_bullets)
        points.push_back(points.back() + QPointF(b.left ? -b.x : b.x, b.up ? -b.y : b.y));
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (const QPointF& p : points) {
        minX = std::min(minX, p.x());
        maxX = std::max(maxX, p.x());
        minY = std::min(minY, p.y());
        maxY = std::max(maxY, p.y());
    }
    const double margin = 12;
    const double spanX = std::max(maxX - minX, 1.0);
    const double spanY = std::max(maxY - minY, 1.0);
    const double scale = std::min((width() - 2 * margin) / spanX, (height() - 2 * margin) / spanY);
    const auto place = [&](const QPointF& p) {
        return QPointF(margin + (p.x() - minX) * scale + (width() - 2 * margin - spanX * scale) / 2,
                       margin + (p.y() - minY) * scale);
    };
    QPainterPath path(place(points.front()));
    for (std::size_t i = 1; i < points.size(); ++i)
        path.lineTo(place(points[i]));
    painter.setPen(QPen(QColor(0x2f, 0xb5, 0x97), 2));
    painter.drawPath(path);
    for (std::size_t i = 1; i < points.size(); ++i) {
        const bool current = static_cast<int>(i) - 1 == m_current;
        painter.setBrush(current ? QColor(0xff, 0x8a, 0x3d) : QColor(0xee, 0xf1, 0xf6));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(place(points[i]), current ? 5.0 : 2.5, current ? 5.0 : 2.5);
    }
}

// --- panel --------------------------------------------------------------------------------------

CShootControlUI::CShootControlUI(QWidget* parent) : CSkinPanelUI(kLayout, "Shoot panel", parent) {
    setProperty("controlClass", QString::fromLatin1(kRegisteredName));
}

void CShootControlUI::OnContentBuilt() {
    if (QWidget* area = Content()->findChild<QWidget*>(QStringLiteral("shoot_chart_area"))) {
        auto* box = new QVBoxLayout(area); // owned by the area
        box->setContentsMargins(0, 0, 0, 0);
        m_chart = new CRecoilChart(area); // owned by the area
        box->addWidget(m_chart);
    }
    if (m_setUpPending) {
        m_setUpPending = false;
        InitShootPanel();
        SelectGun(0);
        SelectBullet(0);
    }
}

bool CShootControlUI::ControlsFound() const {
    Content();
    return m_controlsFound;
}

CRecoilChart* CShootControlUI::Chart() const {
    Content();
    return m_chart;
}

void CShootControlUI::SetUp(const QString& userFolder, const QString& defaultFolder) {
    m_store = std::make_unique<data::shoot::CShootStore>(userFolder.toStdString(),
                                                         defaultFolder.toStdString());
    if (!IsContentBuilt()) {
        m_setUpPending = true; // done when the panel is first shown or used
        return;
    }
    InitShootPanel();
    SelectGun(0);
    SelectBullet(0);
}

void CShootControlUI::InitShootPanel() {
    m_controlsFound = true;
    for (const char* name : {"shoot_gun_op_0", "shoot_image_display_switch", "bullet_op_0",
                             "bullet_select_index", "bullet_selected_prev", "bullet_selected_next",
                             "bullet_x_check", "bullet_y_check", "bullet_x_eidt", "bullet_y_eidt",
                             "bullet_delay_eidt", "bullet_edit_layout", "shootdate_import_btn",
                             "shootdate_export_btn", "shootdate_save_btn", "shootdate_reset_btn"})
        m_controlsFound = m_controlsFound && Part(QString::fromLatin1(name));
    if (!m_store)
        return;
    for (int g = 0; g < kGunCount; ++g)
        if (!m_store->IsComplete(g))
            if (const auto problem = m_store->ResetGun(g))
                qWarning("Shoot panel: gun %d not reset: %s", g + 1, problem->c_str());
}

void CShootControlUI::SelectGun(int gun) {
    m_gun = std::clamp(gun, 0, kGunCount - 1);
    for (int g = 0; g < kGunCount; ++g)
        Part(QStringLiteral("shoot_gun_op_%1").arg(g)).Selected(g == m_gun, false);
    if (auto* pages = Part(QStringLiteral("shoot_image_display_switch")).as<QStackedWidget>())
        pages->setCurrentIndex(std::min(m_gun, pages->count() - 1));
    ShowPattern();
}

void CShootControlUI::SelectBullet(int bullet) {
    m_bullet = std::clamp(bullet, 0, kBulletCount - 1);
    for (int b = 0; b < kBulletCount; ++b)
        Part(QStringLiteral("bullet_op_%1").arg(b)).Selected(b == m_bullet, false);
    Part(QStringLiteral("bullet_select_index")).SetText(QString::asprintf("%d", m_bullet + 1));
    LoadBullet();
}

void CShootControlUI::LoadBullet() {
    if (!m_store || m_bullet < 0)
        return;
    const Bullet b = m_store->LoadBullet(m_gun, m_bullet);
    Part(QStringLiteral("bullet_x_check")).Selected(b.left, false);
    Part(QStringLiteral("bullet_y_check")).Selected(b.up, false);
    UpdateXCheckText();
    UpdateYCheckText();
    Part(QStringLiteral("bullet_x_eidt")).SetText(QString::asprintf("%d", b.x));
    Part(QStringLiteral("bullet_y_eidt")).SetText(QString::asprintf("%d", b.y));
    Part(QStringLiteral("bullet_delay_eidt")).SetText(QString::asprintf("%d", b.delay));
    ShowPattern();
}

bool CShootControlUI::SaveBullet() {
    if (!m_store || m_bullet < 0)
        return false;
    Bullet b;
    b.x = NumberOf(Part(QStringLiteral("bullet_x_eidt")).GetText());
    b.y = NumberOf(Part(QStringLiteral("bullet_y_eidt")).GetText());
    b.delay = NumberOf(Part(QStringLiteral("bullet_delay_eidt")).GetText());
    b.left = Part(QStringLiteral("bullet_x_check")).IsSelected();
    b.up = Part(QStringLiteral("bullet_y_check")).IsSelected();
    const bool saved = m_store->SaveBullet(m_gun, m_bullet, b);
    ShowPattern();
    return saved;
}

void CShootControlUI::UpdateXCheckText() {
    CControlUI check = Part(QStringLiteral("bullet_x_check"));
    check.SetTextId(check.IsSelected() ? QStringLiteral("mouse_move_to_left_text")
                                       : QStringLiteral("mouse_move_to_right_text"));
}

void CShootControlUI::UpdateYCheckText() {
    CControlUI check = Part(QStringLiteral("bullet_y_check"));
    check.SetTextId(check.IsSelected() ? QStringLiteral("mouse_move_to_up_text")
                                       : QStringLiteral("mouse_move_to_down_text"));
}

std::optional<std::string> CShootControlUI::ResetCurrentGun() {
    if (!m_store)
        return std::string("no folder");
    auto problem = m_store->ResetGun(m_gun);
    SelectBullet(m_bullet);
    return problem;
}

std::optional<std::string> CShootControlUI::ImportGun(const std::filesystem::path& source) {
    if (!m_store)
        return std::string("no folder");
    auto problem = m_store->ImportGun(m_gun, source);
    SelectBullet(m_bullet);
    return problem;
}

bool CShootControlUI::ExportGun(const std::filesystem::path& destination) const {
    return m_store && m_store->ExportGun(m_gun, destination);
}

void CShootControlUI::ShowPattern() {
    if (m_chart && m_store)
        m_chart->SetPattern(m_store->Bullets(m_gun), std::max(m_bullet, 0));
}

void RegisterShootControls() {
    CControlFactory::Instance().RegisterControl(
        QString::fromLatin1(CShootControlUI::kRegisteredName),
        [] { return new CShootControlUI(); });
}

} // namespace vpc::panels
