#include "SkinImage.h"

#include <QPainter>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

CImageText CImageText::Parse(const QString& text) {
    CImageText image;
    const QString trimmed = text.trimmed();
    if (!trimmed.contains('=')) {
        image.file = trimmed;
        return image;
    }
    static const QRegularExpression pair(QStringLiteral(R"((\w+)\s*=\s*'([^']*)')"));
    for (auto it = pair.globalMatch(trimmed); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QString key = match.captured(1).toLower();
        const QString value = match.captured(2);
        if (key == QLatin1String("file") || key == QLatin1String("res")) {
            image.file = value;
        } else if (key == QLatin1String("source")) {
            const QStringList parts = value.split(',');
            if (parts.size() == 4) {
                bool ok[4] = {};
                const int left = parts[0].trimmed().toInt(&ok[0]);
                const int top = parts[1].trimmed().toInt(&ok[1]);
                const int right = parts[2].trimmed().toInt(&ok[2]);
                const int bottom = parts[3].trimmed().toInt(&ok[3]);
                if (ok[0] && ok[1] && ok[2] && ok[3] && right > left && bottom > top) {
                    image.source = QRect(left, top, right - left, bottom - top);
                }
            }
        } else if (key == QLatin1String("fade")) {
            bool ok = false;
            const int fade = value.trimmed().toInt(&ok);
            if (ok) {
                image.fade = std::clamp(fade, 0, 255);
            }
        }
    }
    return image;
}

QString FormatSourceImageText(const QString& file, const QRect& source) {
    return QStringLiteral("file='%1' source='%2,%3,%4,%5'")
        .arg(file)
        .arg(source.left())
        .arg(source.top())
        .arg(source.left() + source.width())
        .arg(source.top() + source.height());
}

QString FormatFadeImageText(const QString& file, int fade) {
    return QStringLiteral("res='%1' fade='%2'").arg(file).arg(fade);
}

bool DrawImageText(QPainter& painter, const QRect& dest, const QString& text) {
    const CImageText image = CImageText::Parse(text);
    const QPixmap pixmap = LoadSkinPixmap(image.file);
    if (pixmap.isNull() || dest.isEmpty()) {
        return false;
    }
    const QRect source =
        image.source.isNull() ? pixmap.rect() : image.source.intersected(pixmap.rect());
    if (source.isEmpty()) {
        return false;
    }
    painter.save();
    painter.setOpacity(painter.opacity() * image.fade / 255.0);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(dest, pixmap, source);
    painter.restore();
    return true;
}
