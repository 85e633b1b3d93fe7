#!/usr/bin/env python3
"""Writes the default data that ships with the program into data/DefaultData.

The files are read-only defaults: the default profile of each device kind, the
lighting mode lists, the language list, the colour palette, the music lighting
styles and the recoil patterns of the four guns. Run this after changing a value
here; the files are committed, the program never runs this script.

Every JSON file is written in the layout the program itself writes (members in
byte order of their keys, 3-space indentation, short arrays on one line within
74 columns, non-ASCII text as \\u escapes, one line end at the end), so that a
default that the program copies into a user folder stays byte for byte the same.
"""

import json
import math
import pathlib

OUT = pathlib.Path(__file__).resolve().parent / "DefaultData"
RIGHT_MARGIN = 74
INDENT = "   "


class StyledWriter:
    """The program's JSON layout."""

    def __init__(self):
        self.doc = ""
        self.indent = ""

    def write(self, value):
        self.doc = ""
        self.indent = ""
        self._value(value)
        return self.doc + "\n"

    @staticmethod
    def _scalar(value):
        if value is None:
            return "null"
        if value is True:
            return "true"
        if value is False:
            return "false"
        if isinstance(value, int):
            return str(value)
        if isinstance(value, str):
            return json.dumps(value, ensure_ascii=True)
        raise TypeError(f"no JSON form for {value!r}")

    def _write_indent(self):
        if self.doc:
            last = self.doc[-1]
            if last == " ":
                return
            if last != "\n":
                self.doc += "\n"
        self.doc += self.indent

    def _with_indent(self, text):
        self._write_indent()
        self.doc += text

    def _value(self, value):
        if isinstance(value, dict):
            if not value:
                self.doc += "{}"
                return
            self._with_indent("{")
            self.indent += INDENT
            keys = sorted(value, key=lambda k: k.encode("utf-8"))
            for i, key in enumerate(keys):
                self._with_indent(self._scalar(key))
                self.doc += " : "
                self._value(value[key])
                if i + 1 < len(keys):
                    self.doc += ","
            self.indent = self.indent[: -len(INDENT)]
            self._with_indent("}")
        elif isinstance(value, list):
            self._array(value)
        else:
            self.doc += self._scalar(value)

    @staticmethod
    def _child_text(value):
        if isinstance(value, dict):
            return "{}"
        if isinstance(value, list):
            return "[]"
        return StyledWriter._scalar(value)

    def _array(self, value):
        if not value:
            self.doc += "[]"
            return
        multiline = len(value) * 3 >= RIGHT_MARGIN or any(
            isinstance(c, (dict, list)) and c for c in value)
        children = None
        if not multiline:
            children = [self._child_text(c) for c in value]
            length = 4 + (len(value) - 1) * 2 + sum(len(c) for c in children)
            multiline = length >= RIGHT_MARGIN
        if not multiline:
            self.doc += "[ " + ", ".join(children) + " ]"
            return
        self._with_indent("[")
        self.indent += INDENT
        for i, child in enumerate(value):
            if children is not None:
                self._with_indent(children[i])
            else:
                self._write_indent()
                self._value(child)
            if i + 1 < len(value):
                self.doc += ","
        self.indent = self.indent[: -len(INDENT)]
        self._with_indent("]")


def write_json(name, value):
    (OUT / name).write_text(StyledWriter().write(value), encoding="utf-8")


def code(kind, code1, code2):
    """An assignment code: type * 65536 + code1 * 256 + code2."""
    return kind * 65536 + code1 * 256 + code2


# ---------------------------------------------------------------------------
# Keyboard: the codes of the 170 UI key slots (the device's key table form).

def keyboard_key_codes():
    usage = {0: 0x29, 13: 0x46, 14: 0x47, 15: 0x48, 21: 0x35, 32: 0x2D, 33: 0x2E,
             34: 0x2A, 35: 0x49, 36: 0x4A, 37: 0x4B, 38: 0x53, 39: 0x54, 40: 0x55,
             41: 0x56, 42: 0x2B, 43: 0x14, 44: 0x1A, 45: 0x08, 46: 0x15, 47: 0x17,
             48: 0x1C, 49: 0x18, 50: 0x0C, 51: 0x12, 52: 0x13, 53: 0x2F, 54: 0x30,
             55: 0x31, 56: 0x4C, 57: 0x4D, 58: 0x4E, 59: 0x5F, 60: 0x60, 61: 0x61,
             62: 0x32, 63: 0x39, 64: 0x04, 65: 0x16, 66: 0x07, 67: 0x09, 68: 0x0A,
             69: 0x0B, 70: 0x0D, 71: 0x0E, 72: 0x0F, 73: 0x33, 74: 0x34, 75: 0x28,
             76: 0x5C, 77: 0x5D, 78: 0x5E, 79: 0x8A, 80: 0x8B, 81: 0x90, 82: 0x91,
             83: 0x88, 85: 0x1D, 86: 0x1B, 87: 0x06, 88: 0x19, 89: 0x05, 90: 0x11,
             91: 0x10, 92: 0x36, 93: 0x37, 94: 0x38, 96: 0x52, 97: 0x59, 98: 0x5A,
             99: 0x5B, 100: 0x87, 101: 0x89, 102: 0x64, 103: 0x85, 108: 0x2C,
             111: 0x65, 113: 0x50, 114: 0x51, 115: 0x4F, 116: 0x62, 117: 0x63,
             118: 0x58, 119: 0x57}
    for slot in range(1, 13):  # F1-F12
        usage[slot] = 0x3A + slot - 1
    for slot in range(22, 32):  # 1-0
        usage[slot] = 0x1E + slot - 22
    modifier = {84: 0x02, 95: 0x20, 105: 0x01, 106: 0x08, 107: 0x04, 109: 0x40,
                112: 0x10, 125: 0x80}
    device = {16: code(0xA0, 0x1B, 0), 17: code(0xA0, 0x24, 0), 110: code(0xA0, 0x01, 0)}
    for n in range(5):  # onboard macro keys M1-M5
        device[120 + n] = code(0xD0, 0xA2, n + 1)
    codes = []
    for slot in range(170):
        if slot in device:
            codes.append(device[slot])
        else:
            codes.append(code(0x20, modifier.get(slot, 0), usage.get(slot, 0)))
    return codes


# The keypad's keys by column, top to bottom (Esc, Fn, Backspace; Num Lock, /, *, -;
# 7, 8, 9, +; 4, 5, 6; 1, 2, 3; 0, ., Enter).
KEYPAD_COLUMNS = [[0, 110, 34], [38, 39, 40, 41], [59, 60, 61, 119], [76, 77, 78],
                  [97, 98, 99], [116, 117, 118]]
KEYPAD_SLOTS = [slot for column in KEYPAD_COLUMNS for slot in column]


def key_list(codes):
    return [{"Assignment": c, "DefaultAssignment": c} for c in codes]


def color(red, green, blue, alpha):
    return {"Red": red, "Green": green, "Blue": blue, "Alpha": alpha}


def custom_color_groups():
    """Four groups of per-light colours; only the keypad's lights are lit."""
    def hue(h):
        # A rainbow colour for h in 0..1.
        r, g, b = (max(0.0, min(1.0, abs(math.fmod(h * 6 + s, 6) - 3) - 1)) for s in (0, 4, 2))
        return round(r * 255), round(g * 255), round(b * 255)

    numbers = {59, 60, 61, 76, 77, 78, 97, 98, 99, 116}
    groups = []
    for group in range(4):
        lights = [color(0, 0, 0, 0) for _ in range(170)]
        for x, column in enumerate(KEYPAD_COLUMNS):
            for y, slot in enumerate(column):
                if group == 0:  # rainbow across the columns
                    rgb = hue(x / len(KEYPAD_COLUMNS))
                elif group == 1:  # white
                    rgb = (255, 255, 255)
                elif group == 2:  # number keys blue, the rest orange
                    rgb = (0, 120, 255) if slot in numbers else (255, 110, 0)
                else:  # warm fade from top to bottom
                    rgb = (255, 40 + 50 * y, 0)
                lights[slot] = color(*rgb, 255)
        groups.append(lights)
    return groups


def light_info(mode, light, speed, fx, multi, rgb, zzcc=0, group=0, old=0):
    return {"SelectItem": mode, "Light": light, "Speed": speed, "Fx": fx,
            "MultiColor": multi, "Red": rgb[0], "Green": rgb[1], "Blue": rgb[2],
            "ZZCCLedMode": zzcc, "CustomGroup": group, "OldLedmode": old}


def keyboard_profile():
    entry = {
        "LightInfo": light_info(1, 4, 2, 0, 1, (0, 170, 255), zzcc=1, old=1),
        "AudioLightInfo": {"AudioMode": 0, "BkColorR": 0, "BkColorG": 0, "BkColorB": 0,
                           "FgColorR": 0, "FgColorG": 170, "FgColorB": 255,
                           "7ColorFlags": 1, "ColorTypeFlags": 0},
        "LightList": [None] * 170,  # no per-key overlays
        "KeyList": key_list(keyboard_key_codes()),
        "SystemStages": {"Repeat": 30, "RepeatDelay": 1, "Key6Flag": 0,
                         "PollingRate": 0, "WFlag": 0, "WinFlag": 0},
        "CustomLightMode": {"LightColorInfo": custom_color_groups(),
                            "CustomLightModeGroupIndex": 0},
    }
    return {"Device": [entry]}


# ---------------------------------------------------------------------------
# Mouse, mouse pad and headset.

MOUSE_KEY_CODES = [code(0x10, 0x01, 0), code(0x10, 0x02, 0), code(0x10, 0x04, 0),
                   code(0x10, 0x10, 0), code(0x10, 0x08, 0), code(0x13, 0x01, 0),
                   code(0x13, 0x02, 0), code(0x13, 0x03, 0), code(0xA0, 0x1B, 0),
                   code(0x16, 0x90, 0x01), code(0x14, 0x78, 0x02)]


def mouse_profile():
    # Stage resolutions are slider positions: 400, 800, 1600, 3200 and 6400 DPI
    # on a sensor with 50 DPI per position from 50 DPI.
    positions = [7, 15, 31, 63, 127]
    colours = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0), (255, 0, 255)]
    stages = [{"StageActive": 1, "StageXY": 0, "StageDPIX": p, "StageDPIY": p,
               "StageColorR": c[0], "StageColorG": c[1], "StageColorB": c[2]}
              for p, c in zip(positions, colours)]
    entry = {
        "LightInfo": light_info(0, 4, 2, 0, 1, (255, 0, 0)),
        "LightList": [None] * 15,
        "KeyList": key_list(MOUSE_KEY_CODES),
        "SystemStages": {"DoubleClickTime": 500, "MouseSpeed": 10,
                         "PointerPrecision": 1, "ScorllPage": 0, "WheelScorlllinse": 3},
        "DPIStages": {"StageActive": 1, "StageDPIs": stages},
        "ReportStages": {"StageActive": 3},
        "CorrectInfo": [
            {"CorrectName": "1 mm", "CorrectPixThresh": 3, "CorrectMinSq": 16,
             "CorrectSelect": 1},
            {"CorrectName": "2 mm", "CorrectPixThresh": 6, "CorrectMinSq": 32,
             "CorrectSelect": 0},
        ],
    }
    return {"Device": [entry]}


def mouse_pad_profile():
    entry = {"LightInfo": light_info(0, 4, 2, 0, 1, (0, 170, 255)),
             "LightList": [None] * 15}
    return {"Device": [entry]}


# Band values of the twelve equaliser presets (EqType 1-12), bands 1-10.
EQ_PRESETS = [
    [7, 11, 2, -3, -1, 4, 9, 12, 9, 5],
    [7, 11, 6, -3, -11, -1, 6, 13, 6, 13],
    [10, 4, 0, -3, -4, -3, -2, -1, 0, 0],
    [2, 1, -2, -3, -5, -7, 0, 4, 9, 8],
    [0, 0, 0, 0, 0, 0, 0, 0, 0, 0],
    [7, 14, -13, -6, -1, 8, 13, 7, 2, 6],
    [14, 10, 4, 0, -4, -3, -1, 1, 2, 3],
    [2, 1, -2, -3, -5, -1, 7, 11, 15, 13],
    [8, 2, -4, -8, 1, 3, 8, 11, 14, 16],
    [-3, 4, 10, 0, -11, 3, 9, 13, 6, 0],
    [18, 14, 8, 2, -3, -6, -1, 2, 5, 6],
    [2, 1, -2, -4, -8, 4, 12, 16, 18, 15],
]


def bands(values):
    return [{"value": v} for v in values]


def headset_profile():
    flat = [0] * 10
    entry = {
        "LightInfo": light_info(0, 4, 2, 0, 1, (0, 170, 255)),
        "LightList": [None] * 13,
        "SystemSetStages": {"MagicEnable": 0, "MagicType": 1, "EqType": 1,
                            "CustomEqSeletIndex": 0, "MicInSelect": 1, "MicInValue": 80,
                            "MicMoniterSelect": 0, "MicMoniterValue": 50},
        # Element 0 is never used: the presets are 1-12.
        "EQHzValueInfo": [bands(flat)] + [bands(p) for p in EQ_PRESETS],
        "CustomEQNameInfo": [{"Name": "Custom 1"}],
        "CustomEQHzValueInfo": [bands(flat)],
    }
    return {"Device": [entry]}


# ---------------------------------------------------------------------------
# Lighting mode lists, by light type: keyboard 0, mouse 1, mouse pad 2, headset 3.
# The names are language text ids; a mode's number is its position in its list.

KEYBOARD_MODES = [
    ("light_mode_effect_sequence", False), ("light_mode_wave", True),
    ("light_mode_wave_fine", True), ("light_mode_swirl", True),
    ("light_mode_spectrum", True), ("light_mode_breathing", True),
    ("light_mode_static", True), ("light_mode_reactive", True),
    ("light_mode_ripple_rainbow", True), ("light_mode_ripple", True),
    ("light_mode_sparkle", True), ("light_mode_rainbow", True),
    ("light_mode_row_rainbow", True), ("light_mode_edge_ripple", False),
    ("light_mode_show", True), ("light_mode_pulse", True),
    ("light_mode_corner_ripple", True), ("light_mode_preset_color", True),
    ("light_mode_band_rainbow", True), ("light_mode_custom_colors", True),
    ("light_mode_reserved", False), ("light_mode_music", True),
    ("light_mode_twinkle", True), ("light_mode_flash", True),
    ("light_mode_sweep", True), ("light_mode_reactive_fade", True),
    ("light_mode_breathing_colors", True), ("light_mode_flash_colors", True),
    ("light_mode_off", True), ("light_mode_trail", True),
    ("light_mode_reserved", False), ("light_mode_screen_color", True),
]
MOUSE_MODES = [
    ("light_mode_wave", True), ("light_mode_spectrum", True),
    ("light_mode_breathing", True), ("light_mode_static", True),
    ("light_mode_flash", True), ("light_mode_effect_sequence", False),
    ("light_mode_reactive", True), ("light_mode_breathing_colors", True),
    ("light_mode_flash_colors", True), ("light_mode_ring", True),
    ("light_mode_off", True), ("light_mode_music", True),
]
PAD_MODES = [
    ("light_mode_wave", True), ("light_mode_spectrum", True),
    ("light_mode_breathing", True), ("light_mode_static", True),
    ("light_mode_flash", True), ("light_mode_effect_sequence", False),
    ("light_mode_ring", True), ("light_mode_ring_pairs", True),
    ("light_mode_off", True),
]


def mode_list(modes):
    return [{"LightName": name, "visible": visible, "value": value}
            for value, (name, visible) in enumerate(modes)]


def default_light():
    return {"DefaultLightName": [mode_list(KEYBOARD_MODES), mode_list(MOUSE_MODES),
                                 mode_list(PAD_MODES), mode_list(PAD_MODES)],
            "AreaLightName": [[], [], [], []]}


# ---------------------------------------------------------------------------
# Settings files.

def language_config():
    return {"Language": [
        {"Language_ID": 1033, "Language_name": "English",
         "Language_file": "language/en.json", "Language_text": "language_text_0"},
        {"Language_ID": 2052, "Language_name": "简体中文",
         "Language_file": "language/zh_CN.json", "Language_text": "language_text_1"},
    ]}


def palette():
    # Twenty standard colours as alpha, red, green, blue: a hue circle, then white,
    # grey and black.
    standard = ["FFFF0000", "FFFF4000", "FFFF8000", "FFFFBF00", "FFFFFF00", "FFBFFF00",
                "FF80FF00", "FF00FF00", "FF00FF80", "FF00FFFF", "FF0080FF", "FF0000FF",
                "FF4000FF", "FF8000FF", "FFBF00FF", "FFFF00FF", "FFFF0080", "FFFFFFFF",
                "FF808080", "FF000000"]
    return {"coloroptioninfo": {
        "palletDialogcoloroption": [{"color": c} for c in standard],
        "palletDialogcoloroption_selectitem": 0,
        "palletDialogcollectcoloroption": [{"color": "FFFFFFFF", "UserData": "0"}
                                           for _ in range(20)],
        "palletDialogcollectcoloroption_selectitem": -1,
    }}


def audio_file():
    styles = {"nAudioStyle": 0}
    # Colour components 0-9 of the four style groups: red, green, blue, violet.
    colours = [(9, 0, 0), (0, 9, 0), (0, 0, 9), (6, 0, 9)]
    for group, (r, g, b) in enumerate(colours):
        styles[f"nStyleName{group + 1}"] = f"Style {group + 1}"
        styles[f"nStyleR{group}"] = r
        styles[f"nStyleG{group}"] = g
        styles[f"nStyleB{group}"] = b
    return {"Device": {"AudioLightInfo": styles}}


# ---------------------------------------------------------------------------
# Recoil patterns: per gun 30 bullets of six actions (click, release, horizontal
# pull, vertical pull, and the two zero moves that end the pulls).

GUNS = [
    # fire interval ms, first vertical pull, settled pull, decay in bullets, sway
    (100, 10, 2, 8, 2),
    (86, 8, 2, 10, 1),
    (120, 12, 3, 6, 3),
    (67, 6, 1, 12, 1),
]


def shoot_events(gun):
    interval, peak, settled, decay, sway = GUNS[gun]
    events = []
    for bullet in range(30):
        pull_y = round(settled + (peak - settled) * math.exp(-bullet / decay))
        drift = sway * math.sin(bullet * 0.55 + gun)
        pull_x = round(abs(drift))
        horizontal = "down" if drift < 0 else "up"  # down: to the left
        vertical = "up"  # up: pull the cursor down against the recoil
        events += [
            {"Action": "down", "Button": 1, "Type": 1, "Delay": 10},
            {"Action": "up", "Button": 1, "Type": 1, "Delay": 0},
            {"Action": horizontal, "Button": pull_x, "Type": 4, "Delay": 5},
            {"Action": vertical, "Button": pull_y, "Type": 5, "Delay": interval - 15},
            {"Action": horizontal, "Button": 0, "Type": 4, "Delay": 0},
            {"Action": vertical, "Button": 0, "Type": 5, "Delay": 0},
        ]
    return {"Events": events}


def main():
    OUT.mkdir(exist_ok=True)
    write_json("keyboard.Json", keyboard_profile())
    write_json("mouse.Json", mouse_profile())
    write_json("MousePad.Json", mouse_pad_profile())
    write_json("HD.Json", headset_profile())
    write_json("default_light.json", default_light())
    write_json("Language.config", language_config())
    write_json("color_option_info.config", palette())
    write_json("AudioFile.json", audio_file())
    for gun in range(4):
        write_json(f"ShootData_{gun}.Shoot", shoot_events(gun))


if __name__ == "__main__":
    main()
