// A window over the test skin that records what reaches InitWindow and Notify.
#pragma once

#include "ControlFactory.h"
#include "SkinResources.h"
#include "WindowImplBase.h"

#include <QStringList>
#include <vector>

struct RecordedNotify {
    QString type;
    QString sender;
    WPARAM wParam;
    LPARAM lParam;
};

class TestWindow : public WindowImplBase {
public:
    explicit TestWindow(QString layout = "XML_TEST") : m_layout(std::move(layout)) {}

    QString GetWindowClassName() const override { return "TestWnd"; }
    QString GetSkinFile() const override { return m_layout; }
    void InitWindow() override {
        log << "InitWindow";
        controlsAtInit = PaintManager().FindControl("apply_btn").widget() != nullptr;
    }
    void Notify(TNotifyUI& msg) override {
        log << "Notify:" + msg.sType;
        events.push_back({msg.sType, ControlName(msg.pSender), msg.wParam, msg.lParam});
    }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override {
        messages.push_back({QString::number(message), {}, wParam, lParam});
        handled = true;
        return static_cast<LRESULT>(wParam + static_cast<WPARAM>(lParam));
    }

    // Events of one type, in order.
    std::vector<RecordedNotify> Of(const QString& type) const {
        std::vector<RecordedNotify> found;
        for (const auto& event : events) {
            if (event.type == type) {
                found.push_back(event);
            }
        }
        return found;
    }

    QStringList log;
    bool controlsAtInit = false;
    std::vector<RecordedNotify> events;
    std::vector<RecordedNotify> messages;

private:
    QString m_layout;
};

// Points the toolkit at the test skin and registers the test's custom class.
inline void UseTestSkin() {
    CSkinResources& skin = CSkinResources::Instance();
    skin.SetResourcePath(VPC_TEST_SKIN_DIR);
    skin.LoadLanguage("English", "language/en.json");
    CControlFactory::Instance().Clear();
    CControlFactory::Instance().RegisterControl("CTestCustomUI", [] {
        auto* widget = new QWidget; // parented by the layout builder
        widget->setProperty("madeByFactory", true);
        return widget;
    });
}
