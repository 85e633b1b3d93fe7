#include "KeyLightSurface.h"

#include "DeviceKeyButtonUI.h"

#include <QChildEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

CKeyLightSurface::CKeyLightSurface(QWidget* keyArea) : QWidget(keyArea) {
    // Every pixel of its shape is painted, and the pointer goes to the keys under it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(keyArea->rect());
    hide();
    m_rest.setSingleShot(true);
    m_rest.setInterval(kRestMs);
    connect(&m_rest, &QTimer::timeout, this, &CKeyLightSurface::Rest);
    keyArea->installEventFilter(this);
}

bool CKeyLightSurface::TakeLightChange(const CDeviceKeyButtonUI* key) {
    if (!parentWidget()->isVisible()) {
        return false;
    }
    if (isHidden()) {
        if (!Reshape()) {
            return false;
        }
        show();
    } else {
        // a key lit for the first time joins the surface
        const bool covered = std::any_of(
            m_keys.cbegin(), m_keys.cend(),
            [key](const QPointer<CDeviceKeyButtonUI>& shown) { return shown.data() == key; });
        if (!covered && !Reshape()) {
            Rest();
            return false;
        }
        // one repaint of the whole surface covers every key that changes before it
        if (!m_repaintAsked) {
            update();
            m_repaintAsked = true;
        }
    }
    // The keys of one frame change within the same moment: the rest is put off once.
    const auto now = std::chrono::steady_clock::now();
    if (!m_rest.isActive() || now - m_restPutOff >= kRestRenewal) {
        m_rest.start();
        m_restPutOff = now;
    }
    return true;
}

bool CKeyLightSurface::RepaintKey(const CDeviceKeyButtonUI* key) {
    if (!isVisible()) {
        return false;
    }
    update(key->geometry());
    return true;
}

QRegion CKeyLightSurface::PaintedRegion() const {
    return isHidden() ? QRegion() : mask();
}

bool CKeyLightSurface::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::Paint:
    case QEvent::Show:
    case QEvent::Hide:
        m_repaintAsked = false; // painted now, or painted whole when shown again
        break;
    default:
        break;
    }
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::Polish || event->type() == QEvent::StyleChange) {
        setAttribute(Qt::WA_OpaquePaintEvent); // a style sheet's polish clears it
    }
    return handled;
}

bool CKeyLightSurface::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent()) {
        switch (event->type()) {
        case QEvent::Resize:
            setGeometry(parentWidget()->rect());
            break;
        case QEvent::ChildPolished:
            if (auto* key =
                    qobject_cast<CDeviceKeyButtonUI*>(static_cast<QChildEvent*>(event)->child())) {
                key->SetLightSurface(this);
            }
            break;
        case QEvent::ChildAdded:
        case QEvent::ChildRemoved:
            if (static_cast<QChildEvent*>(event)->child() != this && !isHidden()) {
                Rest();
            }
            break;
        default:
            break;
        }
        return QWidget::eventFilter(watched, event);
    }
    // A widget of the area shown, hidden, moved or restacked changes the shape: the
    // keys paint themselves until the next light change shapes the surface anew.
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::ZOrderChange:
        if (!isHidden()) {
            Rest();
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void CKeyLightSurface::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect dirty = event->rect();
    for (const QPointer<CDeviceKeyButtonUI>& key : std::as_const(m_keys)) {
        if (!key || key->isHidden() || !key->geometry().intersects(dirty)) {
            continue;
        }
        painter.setTransform(QTransform::fromTranslate(key->x(), key->y()));
        // A clip of one rectangle keeps the painter on its plain copying path; the
        // surface's own shape would send every row through the clipping spans.
        painter.setClipRect(key->rect());
        key->PaintLayers(painter);
    }
}

bool CKeyLightSurface::Reshape() {
    QWidget* area = parentWidget();
    const QObjectList& children = area->children();
    qsizetype topKey = -1;
    for (qsizetype i = 0; i < children.size(); ++i) {
        if (qobject_cast<CDeviceKeyButtonUI*>(children.at(i))) {
            topKey = i;
        }
    }
    if (topKey < 0) {
        return false;
    }
    // Whatever lies above every key stays above the surface too.
    QWidget* above = nullptr;
    for (qsizetype i = topKey + 1; i < children.size() && !above; ++i) {
        auto* widget = qobject_cast<QWidget*>(children.at(i));
        if (widget && widget != this) {
            above = widget;
        }
    }
    if (above) {
        stackUnder(above);
    } else {
        raise();
    }
    // From the bottom up to the surface: a lit key adds its place, another widget (a
    // key without a light among them) takes its place away from the keys below it.
    QRegion region;
    m_keys.clear();
    for (QObject* child : area->children()) {
        if (child == this) {
            break;
        }
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget || widget->isWindow()) {
            continue;
        }
        widget->installEventFilter(this);
        if (widget->isHidden()) {
            continue;
        }
        auto* key = qobject_cast<CDeviceKeyButtonUI*>(widget);
        if (key && key->IsLedLit()) {
            m_keys.append(key);
            region += key->geometry();
        } else {
            region -= widget->geometry();
        }
    }
    if (region.isEmpty()) {
        return false;
    }
    setMask(region); // the area's resizes keep the surface's geometry
    return true;
}

void CKeyLightSurface::Rest() {
    m_rest.stop();
    hide();
}
