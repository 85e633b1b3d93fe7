// A row of the shared-profile list: activation and context clicks reach the
// window, and hovering outlines the row in the list's hot border colour.
#pragma once

#include "ListRowUI.h"

class CCloudShareListItemUI : public CListRowUI {
    Q_OBJECT
    Q_PROPERTY(QString controlClass READ GetClass CONSTANT)
public:
    static constexpr const char* kClassText = "CloudShareListItemUI";
    static constexpr const char* kRegisteredName = "CCloudShareListItemUI";

    explicit CCloudShareListItemUI(QWidget* parent = nullptr);

    QString GetClass() const { return QString::fromLatin1(kClassText); }
    // The "hotbordercolor" of the list the row is in (or of the row itself).
    QColor HotBorderColor() const;
    // Whether the hover outline is drawn now.
    bool ShowsHotBorder() const { return IsHot() && !IsSelected(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
};
