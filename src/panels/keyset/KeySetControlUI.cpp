#include "KeySetControlUI.h"

#include "ControlFactory.h"
#include "KeyNames.h"
#include "SilentScope.h"
#include "SkinResources.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QStackedWidget>
#include <limits>

namespace vpc::panels {

using data::KeyAssignment;
using data::KeyEntryHalf;
using data::KeyNameRow;
namespace type = data::assignment_type;

namespace keyset {

int ReadDecimal(const QString& text) {
    qsizetype at = 0;
    while (at < text.size() && text.at(at).isSpace())
        ++at;
    bool negative = false;
    if (at < text.size() && (text.at(at) == QLatin1Char('-') || text.at(at) == QLatin1Char('+'))) {
        negative = text.at(at) == QLatin1Char('-');
        ++at;
    }
    long long value = 0;
    for (; at < text.size() && text.at(at) >= QLatin1Char('0') && text.at(at) <= QLatin1Char('9');
         ++at) {
        value = value * 10 + (text.at(at).unicode() - u'0');
        if (value > std::numeric_limits<int>::max()) {
            value = std::numeric_limits<int>::max();
            break;
        }
    }
    return static_cast<int>(negative ? -value : value);
}

} // namespace keyset

namespace {

using namespace keyset;

constexpr const char* kFunctionList = "keyset_function_combo";
constexpr const char* kPages = "function_switch_tablayout";
constexpr const char* kMacroList = "keyset_macro_combo";
constexpr const char* kPlayModeList = "keyset_macro_over_combo";
constexpr const char* kCycleLayout = "keyset_macro_cycle_layout";
constexpr const char* kCycleEdit = "keyset_macro_cycle_edit";
constexpr const char* kKeyNameEdit = "keyset_keyboard_text_edit";
constexpr const char* kModifierPrefix = "key_ComBox_check_";
constexpr int kMacroRowHeight = 30;

// The panel's lists whose rows are the program's constant lists, with those lists.
struct ListRows {
    int function;
    const char* control;
    const std::vector<KeyNameRow>& (*rows)();
};
constexpr ListRows kListRows[] = {
    {kMouseButton, "keyset_mousekey_combo", &data::MouseButtonList},
    {kDpiFunction, "keyset_mousedpi_combo", &data::DpiFunctionList},
    {kMediaKey, "keyset_media_combo", &data::MediaKeyList},
    {kSystemKey, "keyset_system_combo", &data::SystemKeyList},
    {kEditShortcut, "keyset_combokey_combo", &data::ComboKeyList},
};

const ListRows* ListOfFunction(int function) {
    for (const ListRows& list : kListRows) {
        if (list.function == function)
            return &list;
    }
    return nullptr;
}

// The first row of the list with the assignment's code1 and code2; -1 when there is none.
int FindRow(const std::vector<KeyNameRow>& rows, const KeyAssignment& assignment) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].assignment.code1 == assignment.code1 &&
            rows[i].assignment.code2 == assignment.code2)
            return static_cast<int>(i);
    }
    return -1;
}

// The edit boxes of the movement and wheel pages.
struct MotionEdits {
    const char* direction;
    const char* distance;
    const char* delay;
    const char* speed;
};
constexpr MotionEdits kMoveEdits{"keyset_mouseswing_combo", "keyset_mouseswing_num_edit",
                                 "keyset_mouseswing_delay_edit", "keyset_mouseswing_speed_edit"};
constexpr MotionEdits kWheelEdits{"keyset_mousewheel_combo", "keyset_mousewheel_num_edit",
                                  "keyset_mousewheel_delay_edit", "keyset_mousewheel_speed_edit"};

constexpr const char* kNumberEdits[] = {
    "keyset_mouseswing_num_edit",
    "keyset_mouseswing_delay_edit",
    "keyset_mouseswing_speed_edit",
    "keyset_mousewheel_num_edit",
    "keyset_mousewheel_delay_edit",
    "keyset_mousewheel_speed_edit",
    "keyset_mousefire_interval_edit",
    "keyset_mousefire_num_edit",
    kCycleEdit,
};

std::uint8_t LowByte(int value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

} // namespace

CKeySetControlUI::CKeySetControlUI(QWidget* parent)
    : CSkinPanelUI(kLayout, "Key assignment panel", parent) {
    setProperty("controlClass", QString::fromLatin1(kClassText));
}

void CKeySetControlUI::OnContentBuilt() {
    QWidget* content = Content();
    // The skin's list items are text ids: they show their texts and follow the language.
    const CSkinResources& skin = CSkinResources::Instance();
    for (QComboBox* combo : content->findChildren<QComboBox*>()) {
        if (combo->objectName() == QLatin1String(kMacroList))
            continue;
        const SilentScope silent;
        for (int i = 0; i < combo->count(); ++i) {
            const QString id = combo->itemData(i, CSkinResources::kItemTextIdRole).toString();
            const QString textId = id.isEmpty() ? combo->itemText(i) : id;
            combo->setItemData(i, textId, CSkinResources::kItemTextIdRole);
            combo->setItemText(i, skin.Translate(textId));
        }
        combo->setCurrentIndex(-1);
    }
    // The function items carry their function number.
    if (auto* functions = content->findChild<QComboBox*>(QString::fromLatin1(kFunctionList))) {
        for (int i = 0; i < functions->count(); ++i) {
            if (functions->itemData(i).toString().isEmpty())
                functions->setItemData(i, QString::number(i));
        }
    }
    for (const char* name : kNumberEdits)
        Part(QString::fromLatin1(name)).SetNumberOnly(true);
    // The modifier options are set by the panel, one or none at a time.
    for (int n = 0; n < kModifierOptions; ++n) {
        if (auto* option = Part(QString::fromLatin1(kModifierPrefix) + QString::number(n))
                               .as<QAbstractButton>())
            option->setAutoExclusive(false);
    }
    Part(QString::fromLatin1(kCycleLayout)).SetVisible(false);
    Part(QStringLiteral("keyset_layout")).SetVisible(false);
    EnableEditButtons(false);
    ApplyDeviceKind();
    FillMacroList();
}

bool CKeySetControlUI::IsPanelShown() const {
    return IsContentBuilt() && Part(QStringLiteral("keyset_layout")).widget() &&
           !Part(QStringLiteral("keyset_layout")).widget()->isHidden();
}

// --- set up by the device -----------------------------------------------------------------

void CKeySetControlUI::SetDeviceKind(int kind) {
    m_deviceKind = kind;
    if (IsContentBuilt())
        ApplyDeviceKind();
}

void CKeySetControlUI::SetFunctionItemHidden(int function, bool hidden) {
    auto* combo = Part(QString::fromLatin1(kFunctionList)).as<QComboBox>();
    const int item = FindFunctionItem(function);
    if (!combo || item < 0)
        return;
    if (auto* view = qobject_cast<QListView*>(combo->view()))
        view->setRowHidden(item, hidden);
}

void CKeySetControlUI::ApplyDeviceKind() {
    // A keyboard has no DPI and no gun presets.
    const bool keyboard = m_deviceKind == 1;
    SetFunctionItemHidden(kDpiFunction, keyboard);
    SetFunctionItemHidden(kGunPreset, keyboard);
}

void CKeySetControlUI::ShowPanel(bool on) {
    if (!on && !IsContentBuilt())
        return; // the editor starts hidden: nothing to build for that
    Part(QStringLiteral("keyset_layout")).SetVisible(on);
}

void CKeySetControlUI::SetMacroNames(const QStringList& names) {
    if (names == m_macroNames && IsContentBuilt())
        return; // a refill would drop the selection being edited
    m_macroNames = names;
    if (IsContentBuilt())
        FillMacroList();
}

void CKeySetControlUI::FillMacroList() {
    auto* combo = Part(QString::fromLatin1(kMacroList)).as<QComboBox>();
    if (!combo)
        return;
    const SilentScope silent;
    combo->clear();
    for (const QString& name : m_macroNames)
        combo->addItem(name);
    for (int i = 0; i < combo->count(); ++i)
        combo->setItemData(i, QSize(0, kMacroRowHeight), Qt::SizeHintRole);
    combo->setCurrentIndex(-1);
}

void CKeySetControlUI::AddMacroName(const QString& name) {
    m_macroNames.append(name);
    if (IsContentBuilt())
        FillMacroList();
}

void CKeySetControlUI::RemoveMacroName(int index) {
    if (index < 0 || index >= m_macroNames.size())
        return;
    m_macroNames.removeAt(index);
    if (IsContentBuilt())
        FillMacroList();
}

void CKeySetControlUI::RenameMacroName(int index, const QString& name) {
    if (index < 0 || index >= m_macroNames.size() || name.isEmpty())
        return;
    m_macroNames[index] = name;
    if (auto* combo = Part(QString::fromLatin1(kMacroList)).as<QComboBox>();
        combo && index < combo->count())
        combo->setItemText(index, name);
}

void CKeySetControlUI::ShowKeyEntry(uint word0, uint word1, uint word2) {
    ShowPanel(true);
    SetKey(data::KeyEntry::FromWords(word0, word1, word2));
}

void CKeySetControlUI::SetKey(const data::KeyEntry& entry) {
    m_current = entry.current;
    m_default = entry.defaults;
    ShowAssignment(m_current);
}

// --- the function list and its pages ---------------------------------------------------------

int CKeySetControlUI::GetFunctionIndex(int item) const {
    const CControlUI functions = Part(QString::fromLatin1(kFunctionList));
    if (item < 0 || item >= functions.GetCount())
        return -1;
    const QString data = functions.GetItemUserData(item);
    return data.isEmpty() ? -1 : ReadDecimal(data);
}

int CKeySetControlUI::FindFunctionItem(int function) const {
    const CControlUI functions = Part(QString::fromLatin1(kFunctionList));
    for (int i = 0; i < functions.GetCount(); ++i) {
        const QString data = functions.GetItemUserData(i);
        if (!data.isEmpty() && ReadDecimal(data) == function)
            return i;
    }
    return -1;
}

int CKeySetControlUI::SelectedFunction() const {
    return GetFunctionIndex(Part(QString::fromLatin1(kFunctionList)).GetCurSel());
}

void CKeySetControlUI::SelectFunctionPage(int function) {
    auto* pages = Part(QString::fromLatin1(kPages)).as<QStackedWidget>();
    if (pages && function >= 0 && function < pages->count())
        pages->setCurrentIndex(function);
}

int CKeySetControlUI::ShownPage() const {
    auto* pages = Part(QString::fromLatin1(kPages)).as<QStackedWidget>();
    return pages ? pages->currentIndex() : -1;
}

void CKeySetControlUI::OnFunctionChanged() {
    const int function = SelectedFunction();
    SelectFunctionPage(function);
    if (function == kKeyboardKey) {
        SetKeyName(QString());
        SelectModifier(-1);
    }
}

void CKeySetControlUI::OnMacroRepeatChanged() {
    Part(QString::fromLatin1(kCycleLayout))
        .SetVisible(Selection(QString::fromLatin1(kPlayModeList)) == kRepeatPlayMode);
}

// --- modifier and key name ---------------------------------------------------------------------

void CKeySetControlUI::SelectModifier(int option) {
    const QString prefix = QString::fromLatin1(kModifierPrefix);
    for (int n = 0; n < kModifierOptions; ++n)
        Part(prefix + QString::number(n)).Selected(false, false);
    if (option >= 0 && option < kModifierOptions)
        Part(prefix + QString::number(option)).Selected(true, false);
}

int CKeySetControlUI::GetModifier() const {
    const QString prefix = QString::fromLatin1(kModifierPrefix);
    for (int n = 0; n < kModifierOptions; ++n) {
        if (Part(prefix + QString::number(n)).IsSelected())
            return n;
    }
    return -1;
}

void CKeySetControlUI::SetKeyName(const QString& textId) {
    CControlUI label = Part(QStringLiteral("text_test"));
    QString text;
    if (!textId.isEmpty()) {
        label.SetTextId(textId);
        text = label.GetText();
    }
    Part(QString::fromLatin1(kKeyNameEdit)).SetText(text);
    m_keyNameTextId = textId;
    m_keyNameShown = text;
}

void CKeySetControlUI::changeEvent(QEvent* event) {
    // only a name the box still shows as it was put there is said again
    if (event->type() == QEvent::LanguageChange && IsContentBuilt() && !m_keyNameTextId.isEmpty() &&
        KeyNameText() == m_keyNameShown) {
        SetKeyName(m_keyNameTextId);
    }
    CSkinPanelUI::changeEvent(event);
}

QString CKeySetControlUI::KeyNameText() const {
    return Part(QString::fromLatin1(kKeyNameEdit)).GetText();
}

void CKeySetControlUI::EnableEditButtons(bool on) {
    for (const char* name : {"key_butt_keysave", "key_butt_keycancel", "key_butt_prosave"})
        Part(QString::fromLatin1(name)).SetEnabled(on);
}

// --- reading and writing the controls
// -------------------------------------------------------------

int CKeySetControlUI::Selection(const QString& list) const {
    return Part(list).GetCurSel();
}

void CKeySetControlUI::SelectSilently(const QString& list, int index) {
    CControlUI control = Part(list);
    if (!control.SelectItem(index, false))
        control.SelectItem(-1, false); // an index past the list selects nothing
}

int CKeySetControlUI::ReadEdit(const QString& name) const {
    return ReadDecimal(Part(name).GetText());
}

void CKeySetControlUI::WriteEdit(const QString& name, int value) {
    Part(name).SetText(QString::number(value));
}

// --- building an assignment ---------------------------------------------------------------------

data::KeyEntry CKeySetControlUI::BuildAssignment() {
    const int function = SelectedFunction();
    KeyEntryHalf built = m_current;
    KeyAssignment& a = built.assignment;

    // The row of a list, or nothing when the list has no row selected.
    const auto listRow = [this](const ListRows& list) -> std::optional<KeyAssignment> {
        const int row = Selection(QString::fromLatin1(list.control));
        const auto& rows = list.rows();
        if (row < 0 || row >= static_cast<int>(rows.size()))
            return std::nullopt;
        return rows[static_cast<std::size_t>(row)].assignment;
    };
    const auto motion = [this](const MotionEdits& edits) {
        const int delay = ReadEdit(QString::fromLatin1(edits.delay));
        const int speed = ReadEdit(QString::fromLatin1(edits.speed));
        return LowByte(((delay & 0x0F) * 16) + (speed & 0x0F));
    };

    switch (function) {
    case kMouseButton:
    case kDpiFunction:
    case kMediaKey:
    case kSystemKey:
    case kEditShortcut:
        if (const auto row = listRow(*ListOfFunction(function)))
            a = *row;
        break;
    case kMouseMove: {
        const int direction = Selection(QString::fromLatin1(kMoveEdits.direction));
        if (direction != 0 && direction != 1)
            break;
        const int distance = ReadEdit(QString::fromLatin1(kMoveEdits.distance));
        a = {type::kMouseMove, motion(kMoveEdits),
             LowByte(direction == 1 ? (distance | 0x80) : (distance & 0x7F))};
        break;
    }
    case kMouseWheel: {
        const int direction = Selection(QString::fromLatin1(kWheelEdits.direction));
        if (direction != 0 && direction != 1)
            break;
        const int distance = ReadEdit(QString::fromLatin1(kWheelEdits.distance));
        a = {type::kMouseWheel, motion(kWheelEdits),
             LowByte(direction == 1 ? ((128 - distance) | 0x80) : (distance & 0x7F))};
        break;
    }
    case kRapidFire:
        a = {type::kRapidFire, LowByte(ReadEdit(QStringLiteral("keyset_mousefire_interval_edit"))),
             LowByte(ReadEdit(QStringLiteral("keyset_mousefire_num_edit")))};
        break;
    case kKeyboardKey:
        a = {type::kKeyboard, ModifierBit(GetModifier()),
             KeyNameText().isEmpty() ? std::uint8_t{0} : m_current.assignment.code2};
        break;
    case kMacro: {
        const int macro = Selection(QString::fromLatin1(kMacroList));
        const int count = Part(QString::fromLatin1(kMacroList)).GetCount();
        const int playMode = Selection(QString::fromLatin1(kPlayModeList));
        if (macro < 0 || macro >= count || playMode < 0)
            break; // no macro (or no play mode) chosen: the key keeps what it has
        if (playMode == kRepeatPlayMode)
            a = {type::kMacroCount, LowByte(macro),
                 LowByte(ReadEdit(QString::fromLatin1(kCycleEdit)))};
        else
            a = {type::kMacro, LowByte(macro), LowByte(playMode)};
        break;
    }
    case kGunPreset: {
        const int gun = Selection(QStringLiteral("keyset_gunkey_combo"));
        if (gun < 0 || gun >= static_cast<int>(data::GunPresetList().size()))
            break;
        a = {type::kGunPreset, LowByte(gun), 0};
        break;
    }
    default: // the key's default, and any function the panel does not know
        built = m_default;
        break;
    }
    m_current = built;
    return {m_current, m_default};
}

// --- showing an assignment ----------------------------------------------------------------------

void CKeySetControlUI::ShowAssignment(const KeyEntryHalf& half) {
    const KeyAssignment& a = half.assignment;
    // an assignment equal to the key's default is always shown on the default page
    const std::uint8_t shownType = a == m_default.assignment ? 0 : a.type;
    const auto& table = data::KeyboardKeyTable();
    int function = -1;

    const auto showMotion = [&](const MotionEdits& edits, bool wheel) {
        WriteEdit(QString::fromLatin1(edits.delay), a.code1 / 16);
        WriteEdit(QString::fromLatin1(edits.speed), a.code1 & 0x0F);
        const bool down = (a.code2 & 0x80) != 0;
        int distance = a.code2;
        if (down)
            distance = wheel ? 128 - (a.code2 & 0x7F) : (a.code2 & 0x7F);
        WriteEdit(QString::fromLatin1(edits.distance), distance);
        SelectSilently(QString::fromLatin1(edits.direction), down ? 1 : 0);
    };
    const auto selectRow = [&](int listFunction) {
        const ListRows& list = *ListOfFunction(listFunction);
        const int row = FindRow(list.rows(), a);
        if (row >= 0)
            SelectSilently(QString::fromLatin1(list.control), row);
        function = listFunction;
    };
    // The name of the first plain key (code1 0) with this usage from row 8 on.
    const auto keyNameOf = [&](std::uint8_t usage) -> const char* {
        for (std::size_t r = 8; r < table.size(); ++r) {
            const KeyAssignment& key = table[r].assignment;
            if (key.type == type::kKeyboard && key.code1 == 0 && key.code2 == usage)
                return table[r].textId;
        }
        return nullptr;
    };

    switch (shownType) {
    case 0:
        function = kKeyDefault;
        break;
    case type::kMouseButton:
        selectRow(kMouseButton);
        break;
    case type::kDpi:
        selectRow(kDpiFunction);
        break;
    case type::kMedia:
        selectRow(kMediaKey);
        break;
    case type::kSystem:
        selectRow(kSystemKey);
        break;
    case type::kMouseMove:
        showMotion(kMoveEdits, false);
        function = kMouseMove;
        break;
    case type::kMouseWheel:
        showMotion(kWheelEdits, true);
        function = kMouseWheel;
        break;
    case type::kRapidFire:
        WriteEdit(QStringLiteral("keyset_mousefire_interval_edit"), a.code1);
        WriteEdit(QStringLiteral("keyset_mousefire_num_edit"), a.code2);
        function = kRapidFire;
        break;
    case type::kKeyboard:
        if (a.code1 == 0) {
            const char* name = keyNameOf(a.code2);
            if (name) {
                SelectModifier(0);
                SetKeyName(QString::fromLatin1(name));
            } else {
                SelectModifier(-1);
                SetKeyName(QString());
                m_current.assignment.code1 = 0;
                m_current.assignment.code2 = 0;
            }
            function = kKeyboardKey;
        } else if (a.code1 <= 128) {
            int option = 0; // several modifier bits: no single option
            for (int r = 0; r < 8; ++r) {
                if (table[static_cast<std::size_t>(r)].assignment.code1 == a.code1) {
                    option = ModifierOptionOfRow(r);
                    break;
                }
            }
            SelectModifier(option);
            const char* name = keyNameOf(a.code2);
            SetKeyName(name ? QString::fromLatin1(name) : QString());
            function = kKeyboardKey;
        } else {
            selectRow(kEditShortcut);
        }
        break;
    case type::kMacro:
    case type::kMacroCount: {
        const int count = Part(QString::fromLatin1(kMacroList)).GetCount();
        const bool known = a.code1 < count;
        SelectSilently(QString::fromLatin1(kMacroList), known ? a.code1 : -1);
        if (shownType == type::kMacro) {
            SelectSilently(QString::fromLatin1(kPlayModeList), known ? a.code2 : -1);
            Part(QString::fromLatin1(kCycleLayout)).SetVisible(false);
        } else {
            Part(QString::fromLatin1(kCycleLayout)).SetVisible(known);
            WriteEdit(QString::fromLatin1(kCycleEdit), a.code2);
            SelectSilently(QString::fromLatin1(kPlayModeList), kRepeatPlayMode);
        }
        function = kMacro;
        break;
    }
    case type::kGunPreset:
        SelectSilently(QStringLiteral("keyset_gunkey_combo"), a.code1);
        function = kGunPreset;
        break;
    case type::kCombination:
        SelectSilently(QStringLiteral("keyset_combokey_combo"), -1);
        function = kEditShortcut;
        break;
    default:
        break; // a type the editor has no page for
    }

    const int item = function < 0 ? -1 : FindFunctionItem(function);
    if (item < 0) {
        ShowPanel(false);
        return;
    }
    ShowPanel(true);
    SelectSilently(QString::fromLatin1(kFunctionList), item);
    SelectFunctionPage(function);
}

// --- registration
// ------------------------------------------------------------------------------------

void RegisterKeySetControls() {
    CControlFactory::Instance().RegisterControl(
        QString::fromLatin1(CKeySetControlUI::kRegisteredName),
        [] { return new CKeySetControlUI(); });
}

CKeySetControlUI* KeySetPanelOf(QWidget* device) {
    if (!device)
        return nullptr;
    if (auto* panel = qobject_cast<CKeySetControlUI*>(device))
        return panel;
    return device->findChild<CKeySetControlUI*>();
}

} // namespace vpc::panels
