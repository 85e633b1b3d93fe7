// A key of the device picture: a button that shows the colour of its LED through
// its light image, an optional key-set marker, and the select panel's selection.
#pragma once

#include "KeyGlow.h"
#include "LedView.h"

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <cstdint>

class CKeyLightSurface;

class CDeviceKeyButtonUI : public QPushButton, public ILedView {
    Q_OBJECT
    Q_PROPERTY(QString controlClass READ GetClass CONSTANT)
    Q_PROPERTY(QString lightimage READ GetLightImage WRITE SetLightImage)
    Q_PROPERTY(QString keysetimage READ GetKeySetImage WRITE SetKeySetImage)
    // Set by the device when the key's function differs from the key's own name.
    Q_PROPERTY(bool keySetMarker READ IsKeySetMarkerShown WRITE ShowKeySetMarker)
    // The LED shown on the key, as the device writes it: colour word
    // red | blue << 8 | green << 16, brightness 0-255, lit or dark.
    Q_PROPERTY(uint ledColor READ GetLedColorWord WRITE SetLedColorWord)
    Q_PROPERTY(int ledBrightness READ GetLedBrightness WRITE SetLedBrightness)
    Q_PROPERTY(bool ledLit READ IsLedLit WRITE SetLedLit)
public:
    static constexpr const char* kClassText = "DeviceKeyButton";
    static constexpr const char* kRegisteredName = "CDeviceKeyButtonUI";
    // How the light overlay is drawn: the light image at full strength, the colour
    // of the LED over it at this alpha.
    static constexpr int kLightColorAlpha = CKeyGlow::kLightColorAlpha;

    explicit CDeviceKeyButtonUI(QWidget* parent = nullptr);

    QString GetClass() const { return QString::fromLatin1(kClassText); }

    QString GetLightImage() const { return m_lightImage; }
    void SetLightImage(const QString& image);
    QString GetKeySetImage() const { return m_keySetImage; }
    void SetKeySetImage(const QString& image);

    bool IsLightOverlayShown() const { return m_showLight; }
    void ShowLightOverlay(bool show);
    bool IsKeySetMarkerShown() const { return !m_keySetHidden; }
    void ShowKeySetMarker(bool show);

    bool IsSelected() const { return m_selected; }
    void SetSelected(bool selected);

    uint GetLedColorWord() const { return m_ledColor; }
    void SetLedColorWord(uint word);
    int GetLedBrightness() const { return m_ledBrightness; }
    void SetLedBrightness(int brightness);
    bool IsLedLit() const { return m_ledLit; }
    void SetLedLit(bool lit);
    void ShowLed(std::uint32_t colorWord, int brightness, bool lit) override;
    // The colour the key shows: the LED colour scaled by its brightness, fully
    // transparent while the LED is dark.
    QColor ShownLedColor() const;

    // The surface of the key's area that paints the keys while their lights change.
    void SetLightSurface(CKeyLightSurface* surface);
    // The key as it shows: its face, the light in the LED's colour, the marker and the
    // selection frame, with the painter at the key's top left corner.
    void PaintLayers(QPainter& painter);

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // What the cached button face was drawn from: a change of any of these redraws it.
    // The face holds what lies under the key too, so that the key paints every one of
    // its pixels and a frame of the preview repaints the keys alone, not their parents.
    struct FaceLook {
        QSize size;
        qreal pixelRatio = 0;
        bool down = false;
        bool checked = false;
        bool hovered = false;
        bool focused = false;
        bool enabled = false;
        bool activeWindow = false;
        bool flat = false;
        bool defaultButton = false;
        Qt::LayoutDirection direction = Qt::LeftToRight;
        QString text;
        qint64 iconKey = 0;
        qint64 paletteKey = 0;
        QPoint placeInWindow;
        QSize windowSize;
        bool operator==(const FaceLook&) const = default;
    };
    // What the cached marker and selection frame were drawn from.
    struct TopLook {
        QSize size;
        qreal pixelRatio = 0;
        bool marker = false;
        QString markerImage;
        bool selected = false;
        bool operator==(const TopLook&) const = default;
    };

    // The parents' backgrounds under the key, the style-sheet face and the caption,
    // drawn once and kept until the button's look or place changes.
    const QPixmap& Face();
    void PaintBackdrop(QPainter& painter) const;
    // The light overlay in the LED's colour; null while the LED shows nothing.
    QImage Light();
    // The key-set marker and selection frame, drawn over the light.
    const QPixmap& TopLayer();
    void ForgetCachedLook();
    // Repaints the key, through its area's surface while that paints the keys.
    void Repaint();
    // The LED changed: lets the surface repaint all keys in one pass where it can.
    void RepaintLight();
    void PaintKeySetMarker(QPainter& painter) const;
    void PaintSelectionFrame(QPainter& painter) const;

    QPointer<CKeyLightSurface> m_surface;
    QPixmap m_face;
    FaceLook m_faceLook;
    QPixmap m_top;
    TopLook m_topLook;

    QString m_lightImage;
    QString m_keySetImage;
    bool m_showLight = true;
    bool m_keySetHidden = true;
    bool m_selected = false;
    uint m_ledColor = 0;
    int m_ledBrightness = 255;
    bool m_ledLit = false;
};
