#include "UpdateInfoListItemUI.h"

#include "ControlColors.h"
#include "ControlEvents.h"
#include "ControlUI.h"
#include "SkinResources.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace {

QString CssColour(std::uint32_t argb) {
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg((argb >> 16) & 0xFF)
        .arg((argb >> 8) & 0xFF)
        .arg(argb & 0xFF)
        .arg(((argb >> 24) & 0xFF) / 255.0, 0, 'f', 3);
}

} // namespace

CUpdateInfoListItemUI::CUpdateInfoListItemUI(QWidget* parent) : CListRowUI(parent) {
    setFocusPolicy(Qt::NoFocus);
    setFixedHeight(kRowHeight);
}

template <typename T> T* CUpdateInfoListItemUI::Sub(const char* name) const {
    return findChild<T*>(QString::fromLatin1(name));
}

QCheckBox* CUpdateInfoListItemUI::CheckBox() const {
    return Sub<QCheckBox>("check_name_select");
}

bool CUpdateInfoListItemUI::IsChecked() const {
    const QCheckBox* box = CheckBox();
    return box != nullptr && box->isChecked();
}

void CUpdateInfoListItemUI::ShowState(const vpc::update::UpdateRowState& state) {
    if (QCheckBox* box = CheckBox()) {
        box->setText(QString::fromStdString(state.NameText()));
        box->setChecked(state.IsChecked());
        box->setEnabled(state.CheckEnabled());
        const QString normal = CssColour(state.NormalColour());
        box->setStyleSheet(QStringLiteral("QCheckBox { color: %1; } QCheckBox:checked { color: "
                                          "%1; } QCheckBox:disabled { color: %2; }")
                               .arg(normal, CssColour(state.DisabledColour())));
    }
    if (QLabel* old = Sub<QLabel>("OldRev"))
        old->setText(QString::fromStdString(state.OldVersionText()));
    if (QLabel* newer = Sub<QLabel>("updateRev")) {
        newer->setText(QString::fromStdString(state.GetNewVersionText()));
        newer->setVisible(state.NewVersionShown());
    }
    if (QLabel* status = Sub<QLabel>("update_status_text")) {
        const QString id = QString::fromStdString(state.StatusTextId());
        if (id.isEmpty())
            status->clear();
        else
            CControlUI(status).SetTextId(id);
    }
    if (QWidget* group = Sub<QWidget>("update_status_ing"))
        group->setVisible(state.ProgressShown());
    if (QLabel* progress = Sub<QLabel>("update_progress_value"))
        progress->setText(QString::fromStdString(state.ProgressText()));
    if (QWidget* done = Sub<QWidget>("update_status_ok"))
        done->setVisible(state.DoneShown());
    update();
}

QString CUpdateInfoListItemUI::OldVersionText() const {
    const QLabel* label = Sub<QLabel>("OldRev");
    return label ? label->text() : QString();
}

QString CUpdateInfoListItemUI::NewVersionText() const {
    const QLabel* label = Sub<QLabel>("updateRev");
    return label ? label->text() : QString();
}

bool CUpdateInfoListItemUI::NewVersionShown() const {
    const QLabel* label = Sub<QLabel>("updateRev");
    return label != nullptr && !label->isHidden();
}

QString CUpdateInfoListItemUI::StatusTextId() const {
    const QLabel* label = Sub<QLabel>("update_status_text");
    return label ? label->property("textId").toString() : QString();
}

QString CUpdateInfoListItemUI::ProgressText() const {
    const QLabel* label = Sub<QLabel>("update_progress_value");
    return label ? label->text() : QString();
}

bool CUpdateInfoListItemUI::ProgressShown() const {
    const QWidget* group = Sub<QWidget>("update_status_ing");
    return group != nullptr && !group->isHidden();
}

bool CUpdateInfoListItemUI::DoneShown() const {
    const QWidget* done = Sub<QWidget>("update_status_ok");
    return done != nullptr && !done->isHidden();
}

void CUpdateInfoListItemUI::paintEvent(QPaintEvent* event) {
    if (ShowsHotBorder()) {
        QPainter painter(this);
        const QWidget* list = parentWidget();
        painter.setPen(
            QPen(ControlColor(list ? list : this, "hotbordercolor", ThemeColor::Accent), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    CListRowUI::paintEvent(event);
}

void CUpdateInfoListItemUI::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        RaiseControlEvent(this, DuiEvent::ItemActivate);
        event->accept();
        return;
    }
    CListRowUI::mouseDoubleClickEvent(event);
}

void CUpdateInfoListItemUI::contextMenuEvent(QContextMenuEvent* event) {
    RaiseControlEvent(this, DuiEvent::Menu, static_cast<WPARAM>(event->globalPos().x()),
                      event->globalPos().y());
    event->accept();
}
