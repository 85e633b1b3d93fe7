// The shoot panel of a mouse page: the recoil pattern of each of four guns edited bullet by
// bullet (the pull to the side and up or down, and the pause after it), with a chart of the
// whole pattern that follows every edit, and the gun files reset, imported and exported.
#pragma once

#include "ShootStore.h"

#include "SkinPanelUI.h"

#include <QPointer>
#include <QWidget>
#include <memory>

namespace vpc::panels {

// The pattern as the cursor would move: each bullet's pull from where the last one left it.
class CRecoilChart : public QWidget {
    Q_OBJECT
public:
    explicit CRecoilChart(QWidget* parent = nullptr);
    void SetPattern(const std::vector<data::shoot::Bullet>& bullets, int current);
    const std::vector<data::shoot::Bullet>& Pattern() const { return m_bullets; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<data::shoot::Bullet> m_bullets;
    int m_current = 0;
};

class CShootControlUI : public CSkinPanelUI {
    Q_OBJECT
    Q_PROPERTY(QString controlClass READ GetClass CONSTANT)
public:
    static constexpr const char* kRegisteredName = "ShootControl";
    static constexpr const char* kLayout = "XML\\CustomControlXML\\ShootControl.xml";

    explicit CShootControlUI(QWidget* parent = nullptr);
    QString GetClass() const { return QString::fromLatin1(kRegisteredName); }

    // What the mouse does when its page is built: the folders, the gun files made where they
    // are missing or damaged, gun 1 and bullet 1 shown.
    Q_INVOKABLE void SetUp(const QString& userFolder, const QString& defaultFolder);
    void InitShootPanel();
    void SelectGun(int gun);
    void SelectBullet(int bullet);
    void PreviousBullet() { SelectBullet(m_bullet - 1); }
    void NextBullet() { SelectBullet(m_bullet + 1); }
    void LoadBullet();
    bool SaveBullet();
    void UpdateXCheckText();
    void UpdateYCheckText();
    // The reason when the gun's file was not replaced.
    std::optional<std::string> ResetCurrentGun();
    std::optional<std::string> ImportGun(const std::filesystem::path& source);
    bool ExportGun(const std::filesystem::path& destination) const;

    int CurrentGun() const { return m_gun; }
    int CurrentBullet() const { return m_bullet; }
    bool ControlsFound() const;
    data::shoot::CShootStore* Store() { return m_store.get(); }
    CRecoilChart* Chart() const;

protected:
    // A set-up asked for before the controls were built runs now.
    void OnContentBuilt() override;

private:
    void ShowPattern();

    QPointer<CRecoilChart> m_chart;
    bool m_setUpPending = false;
    std::unique_ptr<data::shoot::CShootStore> m_store;
    int m_gun = 0;
    int m_bullet = -1;
    bool m_controlsFound = false;
};

void RegisterShootControls();

} // namespace vpc::panels
