// A row of the settings window's update list: the target's check box and name, its
// installed and new versions, its status text, progress and done mark.
#pragma once

#include "ListRowUI.h"
#include "UpdateList.h"

class QCheckBox;
class QLabel;

class CUpdateInfoListItemUI : public CListRowUI {
    Q_OBJECT
    Q_PROPERTY(QString controlClass READ GetClass CONSTANT)
public:
    static constexpr const char* kClassText = "UpdateInfoListItemUI";
    static constexpr const char* kRegisteredName = "CUpdateInfoListItemUI";
    static constexpr int kRowHeight = 50;

    explicit CUpdateInfoListItemUI(QWidget* parent = nullptr);

    QString GetClass() const { return QString::fromLatin1(kClassText); }

    // Shows one row of the update list: name, versions, status text (a language text id),
    // progress group and done mark, and the check box with its state and colours. A
    // sub-control missing from the layout is left out.
    void ShowState(const vpc::update::UpdateRowState& state);

    // The check box "check_name_select"; false when missing.
    bool IsChecked() const;
    QCheckBox* CheckBox() const;
    // The texts shown, for the window and its tests.
    QString OldVersionText() const;
    QString NewVersionText() const;
    bool NewVersionShown() const;
    QString StatusTextId() const;
    QString ProgressText() const;
    bool ProgressShown() const;
    bool DoneShown() const;

    // Whether the hover outline is drawn now: hot and not ticked.
    bool ShowsHotBorder() const { return IsHot() && isEnabled() && !IsChecked(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    template <typename T> T* Sub(const char* name) const;
};
