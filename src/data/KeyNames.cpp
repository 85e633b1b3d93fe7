#include "KeyNames.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace vpc::data {

const std::array<KeyNameRow, kKeyboardKeyTableSize>& KeyboardKeyTable() {
    static const std::array<KeyNameRow, kKeyboardKeyTableSize> table = {{
        {0x00A2, {0x20, 0x01, 0x00}, "keyboard_key_LCtrl"},
        {0x00A0, {0x20, 0x02, 0x00}, "keyboard_key_LShift"},
        {0x00A4, {0x20, 0x04, 0x00}, "keyboard_key_LAlt"},
        {0x005B, {0x20, 0x08, 0x00}, "keyboard_key_LWin"},
        {0x00A3, {0x20, 0x10, 0x00}, "keyboard_key_RCtrl"},
        {0x00A1, {0x20, 0x20, 0x00}, "keyboard_key_RShift"},
        {0x00A5, {0x20, 0x40, 0x00}, "keyboard_key_RAlt"},
        {0x005C, {0x20, 0x80, 0x00}, "keyboard_key_RWin"},
        {0x0041, {0x20, 0x00, 0x04}, "keyboard_key_A"},
        {0x0042, {0x20, 0x00, 0x05}, "keyboard_key_B"},
        {0x0043, {0x20, 0x00, 0x06}, "keyboard_key_C"},
        {0x0044, {0x20, 0x00, 0x07}, "keyboard_key_D"},
        {0x0045, {0x20, 0x00, 0x08}, "keyboard_key_E"},
        {0x0046, {0x20, 0x00, 0x09}, "keyboard_key_F"},
        {0x0047, {0x20, 0x00, 0x0A}, "keyboard_key_G"},
        {0x0048, {0x20, 0x00, 0x0B}, "keyboard_key_H"},
        {0x0049, {0x20, 0x00, 0x0C}, "keyboard_key_I"},
        {0x004A, {0x20, 0x00, 0x0D}, "keyboard_key_J"},
        {0x004B, {0x20, 0x00, 0x0E}, "keyboard_key_K"},
        {0x004C, {0x20, 0x00, 0x0F}, "keyboard_key_L"},
        {0x004D, {0x20, 0x00, 0x10}, "keyboard_key_M"},
        {0x004E, {0x20, 0x00, 0x11}, "keyboard_key_N"},
        {0x004F, {0x20, 0x00, 0x12}, "keyboard_key_O"},
        {0x0050, {0x20, 0x00, 0x13}, "keyboard_key_P"},
        {0x0051, {0x20, 0x00, 0x14}, "keyboard_key_Q"},
        {0x0052, {0x20, 0x00, 0x15}, "keyboard_key_R"},
        {0x0053, {0x20, 0x00, 0x16}, "keyboard_key_S"},
        {0x0054, {0x20, 0x00, 0x17}, "keyboard_key_T"},
        {0x0055, {0x20, 0x00, 0x18}, "keyboard_key_U"},
        {0x0056, {0x20, 0x00, 0x19}, "keyboard_key_V"},
        {0x0057, {0x20, 0x00, 0x1A}, "keyboard_key_W"},
        {0x0058, {0x20, 0x00, 0x1B}, "keyboard_key_X"},
        {0x0059, {0x20, 0x00, 0x1C}, "keyboard_key_Y"},
        {0x005A, {0x20, 0x00, 0x1D}, "keyboard_key_Z"},
        {0x0031, {0x20, 0x00, 0x1E}, "keyboard_key_1"},
        {0x0032, {0x20, 0x00, 0x1F}, "keyboard_key_2"},
        {0x0033, {0x20, 0x00, 0x20}, "keyboard_key_3"},
        {0x0034, {0x20, 0x00, 0x21}, "keyboard_key_4"},
        {0x0035, {0x20, 0x00, 0x22}, "keyboard_key_5"},
        {0x0036, {0x20, 0x00, 0x23}, "keyboard_key_6"},
        {0x0037, {0x20, 0x00, 0x24}, "keyboard_key_7"},
        {0x0038, {0x20, 0x00, 0x25}, "keyboard_key_8"},
        {0x0039, {0x20, 0x00, 0x26}, "keyboard_key_9"},
        {0x0030, {0x20, 0x00, 0x27}, "keyboard_key_0"},
        {0x000D, {0x20, 0x00, 0x28}, "keyboard_key_Enter"},
        {0x001B, {0x20, 0x00, 0x29}, "keyboard_key_Esc"},
        {0x0008, {0x20, 0x00, 0x2A}, "keyboard_key_BackSpace"},
        {0x0009, {0x20, 0x00, 0x2B}, "keyboard_key_Tab"},
        {0x0020, {0x20, 0x00, 0x2C}, "keyboard_key_Space"},
        {0x00BD, {0x20, 0x00, 0x2D}, "keyboard_key_-"},
        {0x00BB, {0x20, 0x00, 0x2E}, "keyboard_key_="},
        {0x00DB, {0x20, 0x00, 0x2F}, "keyboard_key_["},
        {0x00DD, {0x20, 0x00, 0x30}, "keyboard_key_]"},
        {0x00DC, {0x20, 0x00, 0x31}, "keyboard_key_xiegang"},
        {0x00BA, {0x20, 0x00, 0x33}, "keyboard_key_;"},
        {0x00DE, {0x20, 0x00, 0x34}, "keyboard_key_'"},
        {0x00C0, {0x20, 0x00, 0x35}, "keyboard_key_`"},
        {0x00BC, {0x20, 0x00, 0x36}, "keyboard_key_<"},
        {0x00BE, {0x20, 0x00, 0x37}, "keyboard_key_."},
        {0x00BF, {0x20, 0x00, 0x38}, "keyboard_key_/"},
        {0x0014, {0x20, 0x00, 0x39}, "keyboard_key_Caplk"},
        {0x0070, {0x20, 0x00, 0x3A}, "keyboard_key_F1"},
        {0x0071, {0x20, 0x00, 0x3B}, "keyboard_key_F2"},
        {0x0072, {0x20, 0x00, 0x3C}, "keyboard_key_F3"},
        {0x0073, {0x20, 0x00, 0x3D}, "keyboard_key_F4"},
        {0x0074, {0x20, 0x00, 0x3E}, "keyboard_key_F5"},
        {0x0075, {0x20, 0x00, 0x3F}, "keyboard_key_F6"},
        {0x0076, {0x20, 0x00, 0x40}, "keyboard_key_F7"},
        {0x0077, {0x20, 0x00, 0x41}, "keyboard_key_F8"},
        {0x0078, {0x20, 0x00, 0x42}, "keyboard_key_F9"},
        {0x0079, {0x20, 0x00, 0x43}, "keyboard_key_F10"},
        {0x007A, {0x20, 0x00, 0x44}, "keyboard_key_F11"},
        {0x007B, {0x20, 0x00, 0x45}, "keyboard_key_F12"},
        {0x002C, {0x20, 0x00, 0x46}, "keyboard_key_Print Scr"},
        {0x0091, {0x20, 0x00, 0x47}, "keyboard_key_Scroll Lock"},
        {0x0013, {0x20, 0x00, 0x48}, "keyboard_key_Pause"},
        {0x002D, {0x20, 0x00, 0x49}, "keyboard_key_Insert"},
        {0x0024, {0x20, 0x00, 0x4A}, "keyboard_key_Home"},
        {0x0021, {0x20, 0x00, 0x4B}, "keyboard_key_Page Up"},
        {0x002E, {0x20, 0x00, 0x4C}, "keyboard_key_Delete"},
        {0x0023, {0x20, 0x00, 0x4D}, "keyboard_key_End"},
        {0x0022, {0x20, 0x00, 0x4E}, "keyboard_key_Page Down"},
        {0x0027, {0x20, 0x00, 0x4F}, "keyboard_key_Right"},
        {0x0025, {0x20, 0x00, 0x50}, "keyboard_key_Left"},
        {0x0028, {0x20, 0x00, 0x51}, "keyboard_key_Down"},
        {0x0026, {0x20, 0x00, 0x52}, "keyboard_key_Up"},
        {0x0090, {0x20, 0x00, 0x53}, "keyboard_key_Num Lock"},
        {0x006F, {0x20, 0x00, 0x54}, "keyboard_key_Num /"},
        {0x006A, {0x20, 0x00, 0x55}, "keyboard_key_Num *"},
        {0x006D, {0x20, 0x00, 0x56}, "keyboard_key_Num -"},
        {0x006B, {0x20, 0x00, 0x57}, "keyboard_key_Num +"},
        {0x0101, {0x20, 0x00, 0x58}, "keyboard_key_Num Enter"},
        {0x0061, {0x20, 0x00, 0x59}, "keyboard_key_Num 1"},
        {0x0062, {0x20, 0x00, 0x5A}, "keyboard_key_Num 2"},
        {0x0063, {0x20, 0x00, 0x5B}, "keyboard_key_Num 3"},
        {0x0064, {0x20, 0x00, 0x5C}, "keyboard_key_Num 4"},
        {0x0065, {0x20, 0x00, 0x5D}, "keyboard_key_Num 5"},
        {0x0066, {0x20, 0x00, 0x5E}, "keyboard_key_Num 6"},
        {0x0067, {0x20, 0x00, 0x5F}, "keyboard_key_Num 7"},
        {0x0068, {0x20, 0x00, 0x60}, "keyboard_key_Num 8"},
        {0x0069, {0x20, 0x00, 0x61}, "keyboard_key_Num 9"},
        {0x0060, {0x20, 0x00, 0x62}, "keyboard_key_Num 0"},
        {0x006E, {0x20, 0x00, 0x63}, "keyboard_key_Decimal"},
        {0x005D, {0x20, 0x00, 0x65}, "keyboard_key_App"},
        {0x00E2, {0x20, 0x00, 0x64}, "keyboard_key_K45"},
        {0x00C1, {0x20, 0x00, 0x87}, "keyboard_key_K56"},
        {0x00FF, {0x20, 0x00, 0x89}, "keyboard_key_K14"},
        {0x00C2, {0x20, 0x00, 0x85}, "keyboard_key_K107"},
        {0x00EB, {0x20, 0x00, 0x8B}, "keyboard_key_K131"},
        {0x00FF, {0x20, 0x00, 0x8A}, "keyboard_key_K132"},
        {0x00FF, {0x20, 0x00, 0x88}, "keyboard_key_K133"},
        {0x00E9, {0x20, 0x00, 0x91}, "keyboard_key_K150"},
        {0x00FF, {0x20, 0x00, 0x90}, "keyboard_key_K151"},
        {0x00BF, {0x20, 0x00, 0x32}, "keyboard_key_K42"},
        {0x00B7, {0x30, 0x92, 0x01}, "keyboard_key_Launch App2"},
        {0x00AC, {0x30, 0x23, 0x02}, "keyboard_key_Browaer Home"},
        {0x00B3, {0x30, 0xCD, 0x00}, "keyboard_key_Media Play Pause"},
        {0x00AA, {0x30, 0x21, 0x02}, "keyboard_key_Browser Search"},
        {0x00B4, {0x30, 0x8A, 0x01}, "keyboard_key_Launch Mail"},
        {0x00AF, {0x30, 0xE9, 0x00}, "keyboard_key_Volume Up"},
        {0x00AD, {0x30, 0xE2, 0x00}, "keyboard_key_Volume Mute"},
        {0x00B2, {0x30, 0xB7, 0x00}, "keyboard_key_Media Stop"},
        {0x00AE, {0x30, 0xEA, 0x00}, "keyboard_key_Volume Down"},
        {0x00AB, {0x30, 0x2A, 0x02}, "keyboard_key_Browser Favorites"},
        {0x00A7, {0x30, 0x25, 0x02}, "keyboard_key_Browser ForWard"},
        {0x00A6, {0x30, 0x24, 0x02}, "keyboard_key_Browser Back"},
        {0x00B1, {0x30, 0xB6, 0x00}, "keyboard_key_Media Prev Track"},
        {0x00B0, {0x30, 0xB5, 0x00}, "keyboard_key_Media Next Track"},
        {0x00B6, {0x30, 0x94, 0x01}, "keyboard_key_Computer"},
        {0x00A8, {0x30, 0x27, 0x02}, "keyboard_key_Browser Refresh"},
        {0x00A9, {0x30, 0x26, 0x02}, "wed_stop"},
        {0x00B5, {0x30, 0x83, 0x01}, "keyboard_key_Launch Media Select"},
        {0x0103, {0x40, 0x01, 0x00}, "keyboard_key_Power"},
        {0x0104, {0x40, 0x02, 0x00}, "keyboard_key_Sleep"},
        {0x0105, {0x40, 0x04, 0x00}, "keyboard_key_Wakeup"},
        {0x0000, {0xD0, 0xA2, 0x01}, "keyboard_key_M1"},
        {0x0000, {0xD0, 0xA2, 0x02}, "keyboard_key_M2"},
        {0x0000, {0xD0, 0xA2, 0x03}, "keyboard_key_M3"},
        {0x0000, {0xD0, 0xA2, 0x04}, "keyboard_key_M4"},
        {0x0000, {0xD0, 0xA2, 0x05}, "keyboard_key_M5"},
        {0x0000, {0xA0, 0x01, 0x00}, "keyboard_key_FN"},
        {0x0000, {0xA0, 0x1B, 0x00}, "keyboard_key_GM"},
    }};
    return table;
}

const std::vector<KeyNameRow>& MediaKeyList() {
    static const std::vector<KeyNameRow> list = {
        {0, {0x30, 0x83, 0x01}, "media_text"},    {0, {0x30, 0xCD, 0x00}, "media_play"},
        {0, {0x30, 0xB7, 0x00}, "media_stop"},    {0, {0x30, 0xB6, 0x00}, "media_prev"},
        {0, {0x30, 0xB5, 0x00}, "media_next"},    {0, {0x30, 0xEA, 0x00}, "media_vol_sub"},
        {0, {0x30, 0xE9, 0x00}, "media_vol_add"}, {0, {0x30, 0xE2, 0x00}, "media_mute"},
        {0, {0x30, 0x23, 0x02}, "web_text"},      {0, {0x30, 0x27, 0x02}, "web_refresh"},
        {0, {0x30, 0x26, 0x02}, "wed_stop"},      {0, {0x30, 0x24, 0x02}, "wed_back"},
        {0, {0x30, 0x25, 0x02}, "wed_forward"},   {0, {0x30, 0x2A, 0x02}, "wed_favorite"},
        {0, {0x30, 0x21, 0x02}, "web_search"},    {0, {0x30, 0x94, 0x01}, "media_mypc"},
        {0, {0x30, 0x92, 0x01}, "media_calc"},    {0, {0x30, 0x8A, 0x01}, "media_mail"},
    };
    return list;
}

const std::vector<KeyNameRow>& SystemKeyList() {
    static const std::vector<KeyNameRow> list = {
        {0, {0x40, 0x01, 0x00}, "system_power"},
        {0, {0x40, 0x02, 0x00}, "system_sleep"},
        {0, {0x40, 0x04, 0x00}, "system_wake_up"},
    };
    return list;
}

const std::vector<KeyNameRow>& MouseButtonList() {
    static const std::vector<KeyNameRow> list = {
        {0, {0x10, 0x01, 0x00}, "mouse_key_left"},  {0, {0x10, 0x04, 0x00}, "mouse_key_middle"},
        {0, {0x10, 0x02, 0x00}, "mouse_key_right"}, {0, {0x10, 0x10, 0x00}, "mouse_key_forward"},
        {0, {0x10, 0x08, 0x00}, "mouse_key_back"},
    };
    return list;
}

const std::vector<KeyNameRow>& DpiFunctionList() {
    static const std::vector<KeyNameRow> list = {
        {0, {0x13, 0x01, 0x00}, "mouse_key_DPI_add"},
        {0, {0x13, 0x02, 0x00}, "mouse_key_DPI_sub"},
        {0, {0x13, 0x03, 0x00}, "mouse_key_DPI_loop"},
    };
    return list;
}

const std::vector<KeyNameRow>& ComboKeyList() {
    // open, new, undo, save, copy, cut, paste, find, select all, zoom out, zoom in
    static const std::vector<KeyNameRow> list = {
        {0, {0x20, 0x01, 0x12}, "keyset_combo_open"},
        {0, {0x20, 0x01, 0x11}, "keyset_combo_new"},
        {0, {0x20, 0x01, 0x1D}, "keyset_combo_undo"},
        {0, {0x20, 0x01, 0x16}, "keyset_combo_save"},
        {0, {0x20, 0x01, 0x06}, "keyset_combo_copy"},
        {0, {0x20, 0x01, 0x1B}, "keyset_combo_cut"},
        {0, {0x20, 0x01, 0x19}, "keyset_combo_paste"},
        {0, {0x20, 0x01, 0x09}, "keyset_combo_find"},
        {0, {0x20, 0x01, 0x04}, "keyset_combo_all"},
        {0, {0x20, 0x01, 0x2D}, "keyset_combo_zoom_out"},
        {0, {0x20, 0x01, 0x2E}, "keyset_combo_zoom_in"},
    };
    return list;
}

const std::vector<KeyNameRow>& GunPresetList() {
    static const std::vector<KeyNameRow> list = {
        {0, {0x72, 0x00, 0x00}, "gun_1_txt"},
        {0, {0x72, 0x01, 0x00}, "gun_2_txt"},
        {0, {0x72, 0x02, 0x00}, "gun_3_txt"},
        {0, {0x72, 0x03, 0x00}, "gun_4_txt"},
    };
    return list;
}

namespace {

namespace type = assignment_type;

std::optional<KeyCaption> Id(const char* textId) {
    return KeyCaption{{textId}, {}};
}

std::optional<KeyCaption> Literal(std::string text) {
    return KeyCaption{{}, std::move(text)};
}

// The first key-table row whose assignment satisfies the test.
template <typename Test> const KeyNameRow* FindKey(Test test) {
    const auto& table = KeyboardKeyTable();
    const auto found = std::find_if(table.begin(), table.end(), test);
    return found == table.end() ? nullptr : &*found;
}

const KeyNameRow* FindIn(const std::vector<KeyNameRow>& list, const KeyAssignment& a) {
    const auto found = std::find_if(list.begin(), list.end(), [&a](const KeyNameRow& row) {
        return row.assignment.code1 == a.code1 && row.assignment.code2 == a.code2;
    });
    return found == list.end() ? nullptr : &*found;
}

// A keyboard key with or without one modifier.
std::optional<KeyCaption> KeyboardCaption(const KeyAssignment& a) {
    if (const KeyNameRow* row = FindKey([&a](const KeyNameRow& r) {
            return r.assignment.code1 == a.code1 && r.assignment.code2 == a.code2 &&
                   (r.assignment.type == type::kKeyboard ||
                    r.assignment.type == type::kOwnFunction);
        }))
        return Id(row->textId);
    if (a.code1 == 0 && a.code2 == 0)
        return Id("close_text");
    // a modifier and a key, each named by its own row, joined with "+"
    KeyCaption joined;
    if (a.code1 != 0) {
        const KeyNameRow* modifier = FindKey([&a](const KeyNameRow& r) {
            return r.assignment.type == type::kKeyboard && r.assignment.code2 == 0 &&
                   r.assignment.code1 == a.code1;
        });
        if (!modifier)
            return std::nullopt;
        joined.textIds.push_back(modifier->textId);
    }
    if (a.code2 != 0) {
        const KeyNameRow* key = FindKey([&a](const KeyNameRow& r) {
            return r.assignment.type == type::kKeyboard && r.assignment.code1 == 0 &&
                   r.assignment.code2 == a.code2;
        });
        if (!key)
            return std::nullopt;
        joined.textIds.push_back(key->textId);
    }
    return joined;
}

} // namespace

std::optional<KeyCaption> MakeKeyCaption(const KeyAssignment& a,
                                         const std::vector<std::string>& macroNames) {
    switch (a.type) {
    case type::kOwnFunction:
    case type::kKeyboard:
        return KeyboardCaption(a);
    case type::kMouseButton:
        switch (a.code1) {
        case 0x01:
            return Id("mouse_key_left");
        case 0x04:
            return Id("mouse_key_middle");
        case 0x02:
            return Id("mouse_key_right");
        case 0x10:
            return Id("mouse_key_forward");
        case 0x08:
            return Id("mouse_key_back");
        default:
            return std::nullopt;
        }
    case type::kMouseMove:
        return Id(a.code2 >= 0x80 ? "mouse_key_right_Swing" : "mouse_key_left_Swing");
    case type::kMouseWheel:
        return Id(a.code2 >= 0x80 ? "mouse_key_down_Swing" : "mouse_key_up_Swing");
    case type::kDpi:
        if (a.code1 >= 1 && a.code1 <= 3) {
            static constexpr const char* kDpi[] = {"mouse_key_DPI_add", "mouse_key_DPI_sub",
                                                   "mouse_key_DPI_loop"};
            return Id(kDpi[a.code1 - 1]);
        }
        return std::nullopt;
    case type::kRapidFire:
        return Id("mouse_key_fire_key");
    case type::kDpiShift:
        return Id("mouse_key_DPI_shift");
    case type::kEditShortcut: {
        static constexpr const char* kEdit[] = {"custem_cut",  "custem_copy",       "custem_paste",
                                                "custem_undo", "custem_select_all", "custem_find",
                                                "custem_new",  "custem_save",       "custem_open"};
        if (a.code1 == 0 && a.code2 < std::size(kEdit))
            return Id(kEdit[a.code2]);
        return std::nullopt;
    }
    case type::kShowWindow:
        if (a.code1 == 0 && a.code2 == 0)
            return Id("show_window");
        return std::nullopt;
    case type::kMedia:
        if (const KeyNameRow* row = FindIn(MediaKeyList(), a))
            return Id(row->textId);
        return std::nullopt;
    case type::kSystem:
        if (const KeyNameRow* row = FindIn(SystemKeyList(), a))
            return Id(row->textId);
        return std::nullopt;
    case type::kMacro:
    case type::kMacroCount:
        if (a.code1 < macroNames.size())
            return Literal(macroNames[a.code1]);
        return std::nullopt;
    case 0x15:
    case 0x21:
    case 0x50:
    case 0x60:
    case type::kCombination:
    case 0xC0:
        return std::nullopt; // the key keeps its caption
    case type::kDeviceFunction:
    case type::kOnboardMacro:
        if (a.type == type::kDeviceFunction && a.code1 == 0x02)
            return Id("mouse_key_smart_key");
        if (a.type == type::kDeviceFunction && a.code1 == 0)
            return Id("close_text");
        if (const KeyNameRow* row =
                FindKey([&a](const KeyNameRow& r) { return r.assignment == a; }))
            return Id(row->textId);
        return std::nullopt;
    default:
        return Literal("\xE5\x85\xB3\xE9\x97\xAD"); // "off", shown as it is
    }
}

std::string OwnKeyName(const KeyAssignment& factory) {
    if (const KeyNameRow* row =
            FindKey([&factory](const KeyNameRow& r) { return r.assignment == factory; }))
        return row->textId;
    if (factory.type == type::kMedia)
        if (const KeyNameRow* row = FindIn(MediaKeyList(), factory))
            return row->textId;
    return {};
}

} // namespace vpc::data
