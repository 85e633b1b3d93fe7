// The key assignment panel of a keyboard or mouse page: shows the assignment of the key being
// edited on one of twelve function pages and builds the new assignment from what the user chose.
#pragma once

#include "KeyAssignment.h"
#include "SkinPanelUI.h"

#include <QStringList>

namespace vpc::panels {

namespace keyset {
// The function numbers: the user data of the function list's items and the pages they show.
enum Function : int {
    kKeyDefault = 0,
    kMouseButton = 1,
    kMouseMove = 2,
    kMouseWheel = 3,
    kDpiFunction = 4,
    kRapidFire = 5,
    kKeyboardKey = 6,
    kMediaKey = 7,
    kSystemKey = 8,
    kMacro = 9,
    kGunPreset = 10,
    kEditShortcut = 11,
};
inline constexpr int kFunctionCount = 12;
inline constexpr int kModifierOptions = 5; // none, Ctrl, Shift, Alt, Win
inline constexpr int kRepeatPlayMode = 4;  // the play-mode item that repeats a number of times

// The modifier option of a modifier key row 0-7 of the key table (1 Ctrl, 2 Shift, 3 Alt,
// 4 Win for the left and the right key alike).
constexpr int ModifierOptionOfRow(int row) {
    return ((row + 1) % 5) + ((row + 1) / 5);
}
// The left-hand modifier bit of option 1-4; 0 for option 0, none or anything else.
constexpr std::uint8_t ModifierBit(int option) {
    return option >= 1 && option <= 4 ? static_cast<std::uint8_t>(1u << (option - 1)) : 0;
}
// A number typed into an edit box: the decimal digits it starts with (after blanks and a
// sign), 0 when it starts with none; saturates instead of overflowing.
int ReadDecimal(const QString& text);
} // namespace keyset

class CKeySetControlUI : public CSkinPanelUI {
    Q_OBJECT
    Q_PROPERTY(QString controlClass READ GetClass CONSTANT)
public:
    static constexpr const char* kClassText = "KeySetControl";
    static constexpr const char* kRegisteredName = "KeySetControl";
    static constexpr const char* kLayout = "XML\\CustomControlXML\\KeySetControl.xml";

    explicit CKeySetControlUI(QWidget* parent = nullptr);
    QString GetClass() const { return QString::fromLatin1(kClassText); }

    // Builds the panel's controls from the skin (else done on first use).
    void InitControls() { Content(); }
    int DeviceKind() const { return m_deviceKind; }
    bool IsPanelShown() const;

    // --- called by the device (by name, so the device needs no panel headers) --------------
    Q_INVOKABLE void SetDeviceKind(int kind);
    Q_INVOKABLE void ShowPanel(bool on);
    Q_INVOKABLE void SetMacroNames(const QStringList& names);
    // The device opens a key: shows the editor with the key's entry (three words).
    Q_INVOKABLE void ShowKeyEntry(uint word0, uint word1, uint word2);

    void AddMacroName(const QString& name);
    void RemoveMacroName(int index);
    void RenameMacroName(int index, const QString& name);

    void SetKey(const data::KeyEntry& entry);
    void ShowDefault() { ShowAssignment(m_default); }
    void ShowCurrent() { ShowAssignment(m_current); }
    void SetCurrent(const data::KeyEntryHalf& half) { m_current = half; }
    const data::KeyEntryHalf& Current() const { return m_current; }
    const data::KeyEntryHalf& Default() const { return m_default; }
    data::KeyEntry BuildAssignment();
    void ShowAssignment(const data::KeyEntryHalf& half);

    int GetFunctionIndex(int item) const;
    int FindFunctionItem(int function) const;
    int SelectedFunction() const;
    void SelectFunctionPage(int function);
    int ShownPage() const;
    void SelectModifier(int option);
    int GetModifier() const;
    void SetKeyName(const QString& textId);
    QString KeyNameText() const;
    void EnableEditButtons(bool on);

    // The panel's handlers of its own lists.
    void OnFunctionChanged();
    void OnMacroRepeatChanged();

protected:
    void OnContentBuilt() override;
    // A new language gives the key name box the key's name in that language.
    void changeEvent(QEvent* event) override;

private:
    void ApplyDeviceKind();
    void FillMacroList();
    int Selection(const QString& list) const;
    void SelectSilently(const QString& list, int index);
    int ReadEdit(const QString& name) const;
    void WriteEdit(const QString& name, int value);
    void SetFunctionItemHidden(int function, bool hidden);

    int m_deviceKind = 0;
    QStringList m_macroNames;
    data::KeyEntryHalf m_current;
    data::KeyEntryHalf m_default;
    // The text id of the name put in the key name box, and the text it gave.
    QString m_keyNameTextId;
    QString m_keyNameShown;
};

// Registers the panel with the control factory, so device pages can name it.
void RegisterKeySetControls();
// The key assignment panel of a device page, or none.
CKeySetControlUI* KeySetPanelOf(QWidget* device);

} // namespace vpc::panels
