// A key of the device picture: a button that shows the colour of its LED through
// its light image, an optional key-set marker, and the select panel's selection.
#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <cstdint>

class CDeviceKeyButtonUI : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString controlClass READ GetClass CONSTANT)
    Q_PROPERTY(QString lightimage READ GetLightImage WRITE SetLightImage)
    Q_PROPERTY(QString keysetimage READ GetKeySetImage WRITE SetKeySetImage)
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
    static constexpr int kLightImageFade = 255;
    static constexpr int kLightColorAlpha = 200;

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
    // The colour the key shows: the LED colour scaled by its brightness, fully
    // transparent while the LED is dark.
    QColor ShownLedColor() const;

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // What the cached button face was drawn from: a change of any of these redraws it.
    struct FaceLook {
        QSize size;
        qreal pixelRatio = 0;
        QStyle::State state;
        QStyleOptionButton::ButtonFeatures features;
        Qt::LayoutDirection direction = Qt::LeftToRight;
        QString text;
        qint64 iconKey = 0;
        QSize iconSize;
        qint64 paletteKey = 0;
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

    // The style-sheet face and caption, drawn once and kept until the button's look changes.
    const QPixmap& Face();
    // The glow's shape at full strength (light image or rim), kept per size.
    const QImage& LightMask();
    // The light overlay in the LED's colour, redrawn only when the colour changes.
    const QImage& TintedLight(const QColor& tint);
    // The key-set marker and selection frame, drawn over the light.
    const QPixmap& TopLayer();
    void ForgetCachedLook();
    void PaintKeySetMarker(QPainter& painter) const;
    void PaintSelectionFrame(QPainter& painter) const;
    QColor LightTint();

    QPixmap m_face;
    FaceLook m_faceLook;
    QImage m_lightMask;
    QSize m_lightMaskSize;
    qreal m_lightMaskRatio = 0;
    bool m_lightMaskFromImage = false;
    QImage m_tintedLight;
    QColor m_tintedLightColor;
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
