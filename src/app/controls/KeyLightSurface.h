// Paints the keys of a device picture in one pass while their lights change: one
// painter composes every key, where otherwise each key would be repainted on its own.
#pragma once

#include <QList>
#include <QPointer>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <chrono>

class CDeviceKeyButtonUI;

// Lies over the keys among its parent's children. It is shown when a key's light
// changes and hidden again once the lights have been still for a while, so the keys
// paint themselves whenever nothing animates. While it is shown it covers the lit keys
// (and nothing else): such a key's own repaint does not reach the screen then, and
// every light change repaints all of them, so a key's new look shows with the next
// change at the latest, and all of them once the surface is hidden. Keys without a
// light are left to paint themselves.
class CKeyLightSurface : public QWidget {
    Q_OBJECT
public:
    // How long the lights must stay still before the keys paint themselves again:
    // three preview frames.
    static constexpr int kRestMs = 150;
    // Changes closer together than this put the rest off only once.
    static constexpr std::chrono::milliseconds kRestRenewal{20};

    explicit CKeyLightSurface(QWidget* keyArea);

    // A key's light changed: repaints every lit key in one pass. False when the surface
    // cannot cover the keys (its area is not on screen, or no lit key is shown); the
    // key then repaints itself.
    bool TakeLightChange(const CDeviceKeyButtonUI* key);
    // Repaints one key's place while the surface covers it; false while it is hidden.
    bool RepaintKey(const CDeviceKeyButtonUI* key);

    // The part of the area the surface paints: the shown lit keys' places less the
    // other widgets above them. Empty while hidden.
    QRegion PaintedRegion() const;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Puts the surface just above the top-most key and shapes it to the lit keys;
    // false when no lit key is shown.
    bool Reshape();
    void Rest();

    QList<QPointer<CDeviceKeyButtonUI>> m_keys; // lowest first
    QTimer m_rest;
    std::chrono::steady_clock::time_point m_restPutOff;
    bool m_repaintAsked = false; // a repaint of the whole surface is pending
};
