#include "ControlUI.h"

#include "SilentScope.h"
#include "SkinResources.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSlider>
#include <QVariant>

namespace {

QColor ColorFromArgb(std::uint32_t argb) {
    return QColor::fromRgba(argb);
}

} // namespace

QString ControlName(const QWidget* widget) {
    if (!widget) {
        return {};
    }
    const QVariant name = widget->property("name");
    if (name.isValid() && !name.toString().isEmpty()) {
        return name.toString();
    }
    return widget->objectName();
}

QString CControlUI::GetName() const {
    return ControlName(m_widget);
}

QString CControlUI::GetText() const {
    QWidget* w = m_widget;
    if (!w) {
        return {};
    }
    if (auto* label = qobject_cast<QLabel*>(w)) {
        return label->text();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        return button->text();
    }
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        return edit->text();
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
        return plain->toPlainText();
    }
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        return combo->currentText();
    }
    if (auto* group = qobject_cast<QGroupBox*>(w)) {
        return group->title();
    }
    return w->property("text").toString();
}

void CControlUI::SetText(const QString& text) {
    QWidget* w = m_widget;
    if (!w) {
        return;
    }
    const SilentScope silent;
    w->setProperty("textId", QVariant());
    if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(text);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
        plain->setPlainText(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (combo->isEditable()) {
            combo->setEditText(text);
        }
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setTitle(text);
    } else {
        w->setProperty("text", text);
        w->update();
    }
}

void CControlUI::SetTextId(const QString& textId) {
    if (!m_widget) {
        return;
    }
    SetText(CSkinResources::Instance().Translate(textId));
    m_widget->setProperty("textId", textId);
}

bool CControlUI::IsVisible() const {
    return m_widget && !m_widget->isHidden();
}

void CControlUI::SetVisible(bool visible) {
    if (m_widget) {
        m_widget->setVisible(visible);
    }
}

bool CControlUI::IsEnabled() const {
    return m_widget && m_widget->isEnabled();
}

void CControlUI::SetEnabled(bool enabled) {
    if (m_widget) {
        m_widget->setEnabled(enabled);
    }
}

QString CControlUI::GetUserData() const {
    return m_widget ? m_widget->property("userdata").toString() : QString();
}

void CControlUI::SetUserData(const QString& data) {
    if (m_widget) {
        m_widget->setProperty("userdata", data);
    }
}

std::uint32_t CControlUI::GetBkColor() const {
    if (!m_widget) {
        return 0;
    }
    return m_widget->property("bkcolor").toUInt();
}

void CControlUI::SetBkColor(std::uint32_t argb) {
    QWidget* w = m_widget;
    if (!w) {
        return;
    }
    w->setProperty("bkcolor", argb);
    if (!w->property("paintsOwnBackground").toBool()) {
        QPalette palette = w->palette();
        palette.setColor(w->backgroundRole(), ColorFromArgb(argb));
        w->setPalette(palette);
        w->setAutoFillBackground(argb != 0);
    }
    w->update();
}

QString CControlUI::GetBkImage() const {
    return m_widget ? m_widget->property("bkimage").toString() : QString();
}

void CControlUI::SetBkImage(const QString& imagePath) {
    QWidget* w = m_widget;
    if (!w) {
        return;
    }
    w->setProperty("bkimage", imagePath);
    if (w->property("paintsOwnBackground").toBool()) {
        w->update();
        return;
    }
    const QString file =
        imagePath.isEmpty() ? QString() : CSkinResources::Instance().ImagePath(imagePath);
    if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setPixmap(file.isEmpty() ? QPixmap() : QPixmap(file));
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setIcon(file.isEmpty() ? QIcon() : QIcon(file));
    }
    w->update();
}

bool CControlUI::IsSelected() const {
    auto* button = as<QAbstractButton>();
    return button && button->isChecked();
}

void CControlUI::Selected(bool selected, bool notify) {
    auto* button = as<QAbstractButton>();
    if (!button) {
        return;
    }
    if (notify) {
        button->setChecked(selected);
    } else {
        const SilentScope silent;
        button->setChecked(selected);
    }
}

int CControlUI::GetCount() const {
    if (auto* combo = as<QComboBox>()) {
        return combo->count();
    }
    if (auto* list = as<QListWidget>()) {
        return list->count();
    }
    return 0;
}

int CControlUI::GetCurSel() const {
    if (auto* combo = as<QComboBox>()) {
        return combo->currentIndex();
    }
    if (auto* list = as<QListWidget>()) {
        return list->currentRow();
    }
    return -1;
}

bool CControlUI::SelectItem(int index, bool notify) {
    if (index < -1 || index >= GetCount()) {
        return false;
    }
    std::optional<SilentScope> silent;
    if (!notify) {
        silent.emplace();
    }
    if (auto* combo = as<QComboBox>()) {
        combo->setCurrentIndex(index);
        return true;
    }
    if (auto* list = as<QListWidget>()) {
        list->setCurrentRow(index);
        return true;
    }
    return false;
}

void CControlUI::AddItem(const QString& text, const QString& userData) {
    const SilentScope silent;
    if (auto* combo = as<QComboBox>()) {
        combo->addItem(text, userData);
    } else if (auto* list = as<QListWidget>()) {
        auto* item = new QListWidgetItem(text, list); // owned by the list
        item->setData(Qt::UserRole, userData);
    }
}

QString CControlUI::GetItemText(int index) const {
    if (auto* combo = as<QComboBox>()) {
        return combo->itemText(index);
    }
    if (auto* list = as<QListWidget>()) {
        const QListWidgetItem* item = list->item(index);
        return item ? item->text() : QString();
    }
    return {};
}

QString CControlUI::GetItemUserData(int index) const {
    if (auto* combo = as<QComboBox>()) {
        return combo->itemData(index).toString();
    }
    if (auto* list = as<QListWidget>()) {
        const QListWidgetItem* item = list->item(index);
        return item ? item->data(Qt::UserRole).toString() : QString();
    }
    return {};
}

void CControlUI::RemoveAllItems() {
    const SilentScope silent;
    if (auto* combo = as<QComboBox>()) {
        combo->clear();
    } else if (auto* list = as<QListWidget>()) {
        list->clear();
    }
}

int CControlUI::GetValue() const {
    if (auto* slider = as<QAbstractSlider>()) {
        return slider->value();
    }
    if (auto* progress = as<QProgressBar>()) {
        return progress->value();
    }
    return m_widget ? m_widget->property("value").toInt() : 0;
}

void CControlUI::SetValue(int value) {
    const SilentScope silent;
    if (auto* slider = as<QAbstractSlider>()) {
        slider->setValue(value);
    } else if (auto* progress = as<QProgressBar>()) {
        progress->setValue(std::clamp(value, progress->minimum(), progress->maximum()));
    } else if (m_widget) {
        m_widget->setProperty("value", value);
        m_widget->update();
    }
}

int CControlUI::GetMinValue() const {
    if (auto* slider = as<QAbstractSlider>()) {
        return slider->minimum();
    }
    if (auto* progress = as<QProgressBar>()) {
        return progress->minimum();
    }
    return m_widget ? m_widget->property("minValue").toInt() : 0;
}

int CControlUI::GetMaxValue() const {
    if (auto* slider = as<QAbstractSlider>()) {
        return slider->maximum();
    }
    if (auto* progress = as<QProgressBar>()) {
        return progress->maximum();
    }
    return m_widget ? m_widget->property("maxValue").toInt() : 0;
}

void CControlUI::SetMinValue(int value) {
    const SilentScope silent;
    if (auto* slider = as<QAbstractSlider>()) {
        slider->setMinimum(value);
    } else if (auto* progress = as<QProgressBar>()) {
        progress->setMinimum(value);
    } else if (m_widget) {
        m_widget->setProperty("minValue", value);
    }
}

void CControlUI::SetMaxValue(int value) {
    const SilentScope silent;
    if (auto* slider = as<QAbstractSlider>()) {
        slider->setMaximum(value);
    } else if (auto* progress = as<QProgressBar>()) {
        progress->setMaximum(value);
    } else if (m_widget) {
        m_widget->setProperty("maxValue", value);
    }
}

void CControlUI::SetMaxChar(int count) {
    if (auto* edit = as<QLineEdit>()) {
        edit->setMaxLength(std::max(count, 0));
    }
}

void CControlUI::SetNumberOnly(bool numberOnly) {
    auto* edit = as<QLineEdit>();
    if (!edit) {
        return;
    }
    if (!numberOnly) {
        edit->setValidator(nullptr);
        return;
    }
    auto* validator = new QIntValidator(0, INT_MAX, edit); // owned by the edit
    edit->setValidator(validator);
}

void CControlUI::SetMinMaxNumber(int minimum, int maximum) {
    auto* edit = as<QLineEdit>();
    if (!edit) {
        return;
    }
    auto* validator =
        new QIntValidator(std::min(minimum, maximum), std::max(minimum, maximum), edit);
    edit->setValidator(validator);
}

std::uint32_t CControlUI::GetSelectColor() const {
    return m_widget ? m_widget->property("selectColor").toUInt() : 0;
}

void CControlUI::SetSelectColor(std::uint32_t argb) {
    if (m_widget) {
        m_widget->setProperty("selectColor", argb);
        m_widget->update();
    }
}
