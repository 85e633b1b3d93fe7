// A non-owning handle on one control of a loaded layout, with the operations the
// program uses on every kind of control (text, state, values, items, colours).
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>

class CPaintManagerUI;

// The name a control is looked up by: its "name" property when the layout sets
// one (names that are not identifiers), else its object name.
QString ControlName(const QWidget* widget);

class CControlUI {
public:
    CControlUI() = default;
    explicit CControlUI(QWidget* widget) : m_widget(widget) {}

    explicit operator bool() const { return !m_widget.isNull(); }
    QWidget* widget() const { return m_widget.data(); }
    template <typename T> T* as() const { return qobject_cast<T*>(m_widget.data()); }

    QString GetName() const;

    QString GetText() const;
    void SetText(const QString& text);
    // Sets a language text id; the text follows the current language.
    void SetTextId(const QString& textId);

    bool IsVisible() const;
    void SetVisible(bool visible);
    bool IsEnabled() const;
    void SetEnabled(bool enabled);

    QString GetUserData() const;
    void SetUserData(const QString& data);

    // Colours are 0xAARRGGBB as the skin stores them.
    std::uint32_t GetBkColor() const;
    void SetBkColor(std::uint32_t argb);
    QString GetBkImage() const;
    void SetBkImage(const QString& imagePath);

    // Option buttons and check boxes. Without notification nothing is raised.
    bool IsSelected() const;
    void Selected(bool selected, bool notify = true);

    // Combo boxes and lists.
    int GetCount() const;
    int GetCurSel() const;
    bool SelectItem(int index, bool notify = true);
    void AddItem(const QString& text, const QString& userData = {});
    QString GetItemText(int index) const;
    QString GetItemUserData(int index) const;
    void RemoveAllItems();

    // Sliders and progress bars.
    int GetValue() const;
    void SetValue(int value);
    int GetMinValue() const;
    int GetMaxValue() const;
    void SetMinValue(int value);
    void SetMaxValue(int value);

    // Edits.
    void SetMaxChar(int count);
    void SetNumberOnly(bool numberOnly);
    void SetMinMaxNumber(int minimum, int maximum);

    // Colour palettes hold their selected colour as the "selectColor" property.
    std::uint32_t GetSelectColor() const;
    void SetSelectColor(std::uint32_t argb);

private:
    QPointer<QWidget> m_widget;
};
