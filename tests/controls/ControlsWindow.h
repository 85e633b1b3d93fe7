// A window over the controls test skin that records every notification, and the
// helpers the control tests share (pointer events QTest does not send).
#pragma once

#include "ControlFactory.h"
#include "SkinResources.h"
#include "WindowImplBase.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <ostream>
#include <vector>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

struct SeenNotify {
    QString type;
    QString sender;
    WPARAM wParam;
    LPARAM lParam;
};

class ControlsWindow : public WindowImplBase {
public:
    QString GetWindowClassName() const override { return "ControlsTestWnd"; }
    QString GetSkinFile() const override { return "XML_CONTROLS"; }
    void Notify(TNotifyUI& msg) override {
        events.push_back({msg.sType, ControlName(msg.pSender), msg.wParam, msg.lParam});
    }

    // Types of the events raised by one control, in order, leaving out the focus
    // changes that clicks bring.
    QStringList TypesFrom(const QString& sender) const {
        QStringList types;
        for (const auto& event : events) {
            const bool focus = event.type == "setfocus" || event.type == "killfocus";
            if (event.sender == sender && !focus) {
                types << event.type;
            }
        }
        return types;
    }

    std::vector<SeenNotify> events;
};

inline void UseControlsSkin() {
    CSkinResources& skin = CSkinResources::Instance();
    skin.SetResourcePath(VPC_TEST_SKIN_DIR);
    skin.LoadLanguage("English", "language/en.json");
}

inline void SendMouseMove(QWidget* widget, const QPoint& pos, Qt::MouseButtons buttons) {
    QMouseEvent move(QEvent::MouseMove, QPointF(pos), widget->mapToGlobal(QPointF(pos)),
                     Qt::NoButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

inline void SendEnter(QWidget* widget, const QPoint& pos) {
    const QPointF local(pos);
    QEnterEvent enter(local, local, widget->mapToGlobal(local));
    QApplication::sendEvent(widget, &enter);
}

inline void SendLeave(QWidget* widget) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(widget, &leave);
}
