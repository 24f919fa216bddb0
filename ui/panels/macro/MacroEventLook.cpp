#include "panels/macro/MacroEventLook.h"

#include "dui/LanguageResources.h"
#include "models/keys/KeyTable.h"

namespace ivra::panels {
namespace {

struct ButtonLabel {
    int mask;
    const char* key;
};
constexpr ButtonLabel kButtonLabels[] = {
    {0x01, "mouse_key_left"}, {0x02, "mouse_key_right"},   {0x04, "mouse_key_middle"},
    {0x08, "mouse_key_back"}, {0x10, "mouse_key_forward"},
};

QString NameKeyOf(const MacroEvent& event) {
    const auto rowKey = [](std::optional<std::size_t> row) {
        return row ? QString::fromLatin1(KeyTable()[*row].labelKey) : QString();
    };
    switch (event.type) {
        case macro_event_type::kKey:
            if (event.button < 0 || event.button > 0xFF) return {};
            return rowKey(FindKeyRow(static_cast<uint8_t>(event.button)));
        case macro_event_type::kModifier:
            if (event.button < 0 || event.button > 0xFF) return {};
            return rowKey(FindModifierRow(static_cast<uint8_t>(event.button)));
        case macro_event_type::kMouseButton:
            for (const ButtonLabel& label : kButtonLabels) {
                if (label.mask == event.button) return QString::fromLatin1(label.key);
            }
            return {};
        case macro_event_type::kHorizontalMove:
            return QString::fromLatin1(event.IsDown() ? "mouse_move_to_left_text" : "mouse_move_to_right_text");
        case macro_event_type::kVerticalMove:
            return QString::fromLatin1(event.IsDown() ? "mouse_move_to_up_text" : "mouse_move_to_down_text");
        default: return {};
    }
}

}  // namespace

MacroEventLook LookOfEvent(const MacroEvent& event) {
    MacroEventLook look;
    look.nameKey = NameKeyOf(event);
    const bool keyboard = event.type == macro_event_type::kKey || event.type == macro_event_type::kModifier;
    look.nameStyle = QString::fromLatin1(keyboard ? "macro_label_keyboard_style" : "macro_label_mouse_style");
    look.pointerMove = event.type == macro_event_type::kHorizontalMove || event.type == macro_event_type::kVerticalMove;
    if (look.pointerMove) {
        look.actionStyle = QStringLiteral("macro_label_text_style");
        look.actionText = QString::number(event.button);
    } else {
        look.actionStyle = QString::fromLatin1(event.IsDown() ? "macro_label_down_style" : "macro_label_up_style");
        look.actionKey = QString::fromLatin1(event.IsDown() ? "macro_action_down_text" : "macro_action_up_text");
    }
    return look;
}

QString DescribeEvent(const MacroEvent& event) {
    const MacroEventLook look = LookOfEvent(event);
    const dui::LanguageResources& texts = dui::LanguageResources::Instance();
    const QString name = look.nameKey.isEmpty() ? QString::number(event.button) : texts.Text(look.nameKey);
    if (look.pointerMove) {
        return texts.Text(QStringLiteral("macro_access_move_text")).arg(name, look.actionText);
    }
    return name + QLatin1Char(' ') +
           texts.Text(QString::fromLatin1(event.IsDown() ? "macro_access_pressed_text" : "macro_access_released_text"));
}

}  // namespace ivra::panels
