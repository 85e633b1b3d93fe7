// The skin window: a small pop-up under the skin button that offers background
// images and colours for the main window and remembers the chosen image.
#pragma once

#include "SkinChange.h"
#include "WindowImplBase.h"

#include <QPointer>
#include <functional>

class CSkinFrame : public WindowImplBase {
    Q_OBJECT
public:
    // A dialog that asks for an image file; empty when the user cancels.
    using ImageFileChooser = std::function<QString(QWidget* parent)>;

    CSkinFrame(QWidget* owner, QWidget* anchor);

    QString GetWindowClassName() const override { return QStringLiteral("UISkinFrame"); }
    QString GetSkinFile() const override { return QStringLiteral("skin.xml"); }
    void InitWindow() override;
    void Notify(TNotifyUI& msg) override;
    void OnFinalMessage() override;

    // Creates the pop-up under anchor; it deletes itself when it closes.
    static CSkinFrame* Open(QWidget* owner, QWidget* anchor);
    void SetImageFileChooser(ImageFileChooser chooser) { m_chooseImage = std::move(chooser); }
    // Where the pop-up goes: right edge on the anchor's right edge, top on its bottom.
    static QPoint PlacementFor(const QRect& anchorOnScreen, const QSize& size);

private:
    void ChooseImage(const QString& image, bool remember);

    QPointer<QWidget> m_anchor;
    ImageFileChooser m_chooseImage;
};
