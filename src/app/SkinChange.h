// The skin-change broadcast: the skin window announces a new background (a colour
// or an image) and the main window, its receiver, applies it.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>

struct SkinChangedParam {
    bool isColor = false;
    std::uint32_t backgroundColor = 0; // 0xAARRGGBB
    QString image;                     // skin-relative name or an absolute file
};

class CSkinChangeNotifier : public QObject {
    Q_OBJECT
public:
    static CSkinChangeNotifier& Instance();
    void Broadcast(const SkinChangedParam& param) { emit skinChanged(param); }

signals:
    void skinChanged(const SkinChangedParam& param);
};

class QWidget;
// Gives the control "root" of a window the colour with no image, or no colour with
// the image.
void ApplySkinToRoot(QWidget* root, const SkinChangedParam& param);
