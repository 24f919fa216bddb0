#!/usr/bin/env python3
"""Generates the keyboard pages skin/XML/DeviceXml/keyboarddevice.ui and
keyboarddevice_7210.ui from the key layout below.

Each key position n gets one button on the picture, "key_n": it is the key
cap, shows the LED colour ("lightimage") and carries the legend and the
key-setting mark; the page binds it as the key button and as the light
button of position n. Run it again after changing the table:
    scripts/gen-keyboard-pages.py
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "skingen"))
from uiwriter import W, L, S, Item, Size, Rect, Enum, write_ui  # noqa: E402

UNIT = 34      # pixels per key unit
MARGIN = 16    # case border around the keys
RIGHT = 16.25  # where the right-hand block starts, in units

# (position, legend, x, y, width, height) in key units.
KEYS = [
    # Function row.
    (0, "Esc", 0, 0, 1, 1),
    (1, "F1", 1.5, 0, 1, 1), (2, "F2", 2.5, 0, 1, 1), (3, "F3", 3.5, 0, 1, 1), (4, "F4", 4.5, 0, 1, 1),
    (5, "F5", 6.25, 0, 1, 1), (6, "F6", 7.25, 0, 1, 1), (7, "F7", 8.25, 0, 1, 1), (8, "F8", 9.25, 0, 1, 1),
    (9, "F9", 11, 0, 1, 1), (10, "F10", 12, 0, 1, 1), (11, "F11", 13, 0, 1, 1), (12, "F12", 14, 0, 1, 1),
    (35, "Ins", RIGHT, 0, 1, 1), (56, "Del", RIGHT + 1, 0, 1, 1),
    (37, "PgUp", RIGHT + 2, 0, 1, 1), (58, "PgDn", RIGHT + 3, 0, 1, 1),
    # Number row.
    (21, "`", 0, 1.25, 1, 1), (22, "1", 1, 1.25, 1, 1), (23, "2", 2, 1.25, 1, 1), (24, "3", 3, 1.25, 1, 1),
    (25, "4", 4, 1.25, 1, 1), (26, "5", 5, 1.25, 1, 1), (27, "6", 6, 1.25, 1, 1), (28, "7", 7, 1.25, 1, 1),
    (29, "8", 8, 1.25, 1, 1), (30, "9", 9, 1.25, 1, 1), (31, "0", 10, 1.25, 1, 1), (32, "-", 11, 1.25, 1, 1),
    (33, "=", 12, 1.25, 1, 1), (34, "Backspace", 13, 1.25, 2, 1),
    (38, "Num", RIGHT, 1.25, 1, 1), (39, "/", RIGHT + 1, 1.25, 1, 1),
    (40, "*", RIGHT + 2, 1.25, 1, 1), (41, "-", RIGHT + 3, 1.25, 1, 1),
    # Top letter row.
    (42, "Tab", 0, 2.25, 1.5, 1),
    (43, "Q", 1.5, 2.25, 1, 1), (44, "W", 2.5, 2.25, 1, 1), (45, "E", 3.5, 2.25, 1, 1), (46, "R", 4.5, 2.25, 1, 1),
    (47, "T", 5.5, 2.25, 1, 1), (48, "Y", 6.5, 2.25, 1, 1), (49, "U", 7.5, 2.25, 1, 1), (50, "I", 8.5, 2.25, 1, 1),
    (51, "O", 9.5, 2.25, 1, 1), (52, "P", 10.5, 2.25, 1, 1), (53, "[", 11.5, 2.25, 1, 1), (54, "]", 12.5, 2.25, 1, 1),
    (55, "\\", 13.5, 2.25, 1.5, 1),
    (59, "7", RIGHT, 2.25, 1, 1), (60, "8", RIGHT + 1, 2.25, 1, 1), (61, "9", RIGHT + 2, 2.25, 1, 1),
    (119, "+", RIGHT + 3, 2.25, 1, 2),
    # Home row.
    (63, "Caps", 0, 3.25, 1.75, 1),
    (64, "A", 1.75, 3.25, 1, 1), (65, "S", 2.75, 3.25, 1, 1), (66, "D", 3.75, 3.25, 1, 1), (67, "F", 4.75, 3.25, 1, 1),
    (68, "G", 5.75, 3.25, 1, 1), (69, "H", 6.75, 3.25, 1, 1), (70, "J", 7.75, 3.25, 1, 1), (71, "K", 8.75, 3.25, 1, 1),
    (72, "L", 9.75, 3.25, 1, 1), (73, ";", 10.75, 3.25, 1, 1), (74, "'", 11.75, 3.25, 1, 1),
    (75, "Enter", 12.75, 3.25, 2.25, 1),
    (76, "4", RIGHT, 3.25, 1, 1), (77, "5", RIGHT + 1, 3.25, 1, 1), (78, "6", RIGHT + 2, 3.25, 1, 1),
    # Bottom letter row.
    (84, "Shift", 0, 4.25, 2.25, 1),
    (85, "Z", 2.25, 4.25, 1, 1), (86, "X", 3.25, 4.25, 1, 1), (87, "C", 4.25, 4.25, 1, 1), (88, "V", 5.25, 4.25, 1, 1),
    (89, "B", 6.25, 4.25, 1, 1), (90, "N", 7.25, 4.25, 1, 1), (91, "M", 8.25, 4.25, 1, 1), (92, ",", 9.25, 4.25, 1, 1),
    (93, ".", 10.25, 4.25, 1, 1), (94, "/", 11.25, 4.25, 1, 1), (95, "Shift", 12.25, 4.25, 1.5, 1),
    (96, "\u2191", 14, 4.25, 1, 1),
    (97, "1", RIGHT, 4.25, 1, 1), (98, "2", RIGHT + 1, 4.25, 1, 1), (99, "3", RIGHT + 2, 4.25, 1, 1),
    (118, "Enter", RIGHT + 3, 4.25, 1, 2),
    # Space row.
    (105, "Ctrl", 0, 5.25, 1.25, 1), (106, "Win", 1.25, 5.25, 1.25, 1), (107, "Alt", 2.5, 5.25, 1.25, 1),
    (108, "", 3.75, 5.25, 5.75, 1), (109, "Alt", 9.5, 5.25, 1, 1), (110, "Fn", 10.5, 5.25, 1, 1),
    (112, "Ctrl", 11.5, 5.25, 1, 1),
    (113, "\u2190", 13, 5.25, 1, 1), (114, "\u2193", 14, 5.25, 1, 1), (115, "\u2192", 15, 5.25, 1, 1),
    (116, "0", RIGHT, 5.25, 2, 1), (117, ".", RIGHT + 2, 5.25, 1, 1),
]

ROWS_HIGH = 6.25
COLS_WIDE = RIGHT + 4


def px(units):
    return int(round(units * UNIT))


def key_rect(x, y, w, h):
    return Rect(MARGIN + px(x) + 1, MARGIN + px(y) + 1, px(x + w) - px(x) - 2, px(y + h) - px(y) - 2)


def picture(panel_name):
    width = 2 * MARGIN + px(COLS_WIDE)
    height = 2 * MARGIN + px(ROWS_HIGH)
    keys = [W("DeviceKeyButton", "key_%d" % pos, props={"geometry": key_rect(x, y, w, h), "text": legend},
              dyn={"keyrole": "key", "keysetimage": "corner", "lightimage": "keycap",
                   "bkcolor": "#FF252933", "bordercolor": "#FF353A47"})
            for pos, legend, x, y, w, h in KEYS]
    return W("SelectPanel", panel_name,
             props={"minimumSize": Size(width, height), "maximumSize": Size(width, height)},
             dyn={"chassis": "keyboard"}, children=keys)


def include(name, source):
    return W("Include", name, dyn={"source": source})


def option(name, text, group=None, checked=False, role="segment"):
    dyn = {"role": role}
    if group:
        dyn["group"] = group
    return W("QPushButton", name, props={"text": text, "checkable": True, "checked": checked}, dyn=dyn)


def label(name, text, role=None, key=None):
    dyn = {}
    if role:
        dyn["role"] = role
    if key:
        dyn["textKey"] = key
    return W("QLabel", name, props={"text": text}, dyn=dyn)


def system_page(prefix):
    """Keyboard settings: key repeat, report rate, lock keys."""
    repeat = W("QFrame", "repeat_group", dyn={"role": "card"}, layout=L("QVBoxLayout", [
        label("repeat_title", "Key repeat", role="section"),
        L("QHBoxLayout", [label("repeat_rate_label", "Rate", role="muted"),
                          W("QSlider", "repeat_rate_slider", props={"orientation": Enum("Qt::Horizontal"),
                                                                    "minimum": 0, "maximum": 31, "value": 16})],
          spacing=10),
        L("QHBoxLayout", [label("repeat_delay_label", "Delay", role="muted")] +
          [option("repeat_delay_check_%d" % n, "%d ms" % (250 * (n + 1)), prefix + "_repeat_delay", n == 1)
           for n in range(4)] + [S()], spacing=6),
        label("repeat_delay_time_label1", "Delay 500 ms", role="muted"),
        L("QHBoxLayout", [W("QTextEdit", "repeat_input_richedit",
                            props={"maximumSize": Size(16777215, 34), "placeholderText": "Hold a key here to try it"},
                            dyn={"textKey": "Repeat_input_text"}),
                          W("QPushButton", "reset_repeat_btn", props={"text": "Clear"}, dyn={"role": "ghost"})],
          spacing=8),
    ], margins=(14, 12, 14, 12), spacing=8))
    device = W("QFrame", "system_group", dyn={"role": "card"}, layout=L("QVBoxLayout", [
        label("polling_title", "Report rate", role="section"),
        L("QHBoxLayout", [option("polling_rate_option_%d" % n, text, prefix + "_polling", n == 0)
                          for n, text in enumerate(["1000 Hz", "500 Hz", "250 Hz", "125 Hz"])] + [S()], spacing=6),
        label("lock_title", "Lock", role="section"),
        L("QHBoxLayout", [option("winlockflag_option", "Win key", role="toggle"),
                          option("wflag_option", "Swap WASD", role="toggle"),
                          option("6flag_option", "6-key mode", role="toggle"), S()], spacing=6),
        L("QHBoxLayout", [W("QPushButton", "windowdeviceset_0", props={"text": "System keyboard settings"},
                            dyn={"role": "link"}),
                          W("QPushButton", "windowdeviceset_1", props={"text": "System mouse settings"},
                            dyn={"role": "link"}), S()], spacing=12),
    ], margins=(14, 12, 14, 12), spacing=8))
    return W("QWidget", prefix + "_system_page",
             layout=L("QHBoxLayout", [repeat, device], spacing=12))


def placeholder_page(name, text):
    return W("QWidget", name, layout=L("QVBoxLayout", [Item(label(name + "_text", text, role="muted"),
                                                            "Qt::AlignCenter")]))


def page(path, root_name, prefix, comment):
    key_switch = W("QStackedWidget", "device_key_function_switch", children=[
        W("QWidget", prefix + "_light_page", layout=L("QVBoxLayout", [
            include("LightControlItem", "XML\\CustomControlXML\\LightControl.xml")])),
        W("QWidget", prefix + "_keyset_page", layout=L("QVBoxLayout", [
            include("KeySetControlItem", "XML\\CustomControlXML\\KeySetControl.xml")])),
        placeholder_page(prefix + "_magic_page", "Not available on this keyboard"),
    ])
    function_switch = W("QStackedWidget", "device_function_switch", dyn={"role": "surface"}, children=[
        W("QWidget", prefix + "_keys_page", layout=L("QVBoxLayout", [key_switch])),
        W("QWidget", prefix + "_macro_page", layout=L("QVBoxLayout", [
            include("MacroControlItem", "XML\\CustomControlXML\\MacroControl.xml")])),
        placeholder_page(prefix + "_cursor_page", "Not available on this keyboard"),
        system_page(prefix),
    ])
    right = L("QVBoxLayout", [Item(picture("device_key_light"), "Qt::AlignHCenter"), function_switch], spacing=12)
    root = W("KestrelKeyboardDevice", root_name, props={"geometry": Rect(0, 0, 980, 532)},
             layout=L("QHBoxLayout", [
                 W("QWidget", "profile_column", props={"minimumSize": Size(196, 0), "maximumSize": Size(196, 16777215)},
                   layout=L("QVBoxLayout", [include("DeviceProfileItem", "XML\\CustomControlXML\\DeviceProfile.xml")])),
                 right], margins=(14, 12, 14, 12), spacing=14))
    root.layout.items[1].stretch = None
    write_ui(path, root, "KeyboardPage",
             custom={"KestrelKeyboardDevice": "QFrame", "SelectPanel": "QWidget",
                     "DeviceKeyButton": "QPushButton", "Include": "QWidget"},
             comment=comment)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = os.path.join(here, "..", "skin", "XML", "DeviceXml")
    os.makedirs(out, exist_ok=True)
    note = "Generated by scripts/gen-keyboard-pages.py from its key layout; edit the script, not this file."
    page(os.path.join(out, "keyboarddevice.ui"), "keyboard_device", "kb", note)
    page(os.path.join(out, "keyboarddevice_7210.ui"), "keyboard_device_7210", "kb7210", note)


if __name__ == "__main__":
    main()
