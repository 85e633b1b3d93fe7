// The music style window: the four style groups with their names and red, green and blue
// (0-9 each) that the capture companion is given; "okbtn" confirms, "closebtn" cancels.
#pragma once

#include "FrameWnd.h"
#include "MusicStyleEditor.h"

class CMusicWnd : public CFrameWnd {
    Q_OBJECT
public:
    static constexpr int kWidth = 369;
    static constexpr int kHeight = 276;

    CMusicWnd(vpc::panels::MusicStyle style, QWidget* parent = nullptr)
        : CFrameWnd(parent), m_editor(std::move(style)) {}

    QString GetWindowClassName() const override { return QStringLiteral("MusicWnd"); }
    QString GetSkinFile() const override { return QStringLiteral("music.xml"); }
    void InitWindow() override;
    void Notify(TNotifyUI& msg) override;

    const vpc::panels::MusicStyle& Style() const { return m_editor.Style(); }
    // The group whose colour the sliders show: the first selected option, 0 when none is.
    int SelectedGroup() const;

protected:
    const char* DpiErrorLine() const override { return "SET_WND DPI SET ERROR"; }

private:
    void ShowGroup(int group);

    vpc::panels::CMusicStyleEditor m_editor;
};
