// Image texts of the skin ("a.png", "file='a.png' source='0,0,20,20'",
// "res='a.png' fade='120'"): parsing, building and drawing them from the skin folder.
#pragma once

#include "SkinPixmap.h"

#include <QPixmap>
#include <QRect>
#include <QString>

class QPainter;

struct CImageText {
    QString file;
    QRect source;   // part of the picture to draw; null for the whole picture
    int fade = 255; // 0 (invisible) to 255 (opaque)

    // A plain file name or key='value' pairs ("file" or "res", "source" as
    // left,top,right,bottom, "fade"). Unreadable values keep their defaults.
    static CImageText Parse(const QString& text);
};

// "file='<file>' source='l,t,r,b'" as the skin writes a part of a picture.
QString FormatSourceImageText(const QString& file, const QRect& source);
// "res='<file>' fade='<fade>'" as the skin writes a faded picture.
QString FormatFadeImageText(const QString& file, int fade);

// Draws an image text into dest; false (and nothing drawn) when there is no picture.
bool DrawImageText(QPainter& painter, const QRect& dest, const QString& text);
