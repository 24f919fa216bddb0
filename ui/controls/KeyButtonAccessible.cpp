#include "controls/KeyButtonAccessible.h"

#include <QAccessibleWidget>

#include "controls/DeviceKeyButtonUI.h"
#include "dui/LanguageResources.h"

namespace ivra::controls {
namespace {

QString Text(const char* key) {
    return dui::LanguageResources::Instance().Text(QString::fromLatin1(key));
}

class KeyButtonAccessible final : public QAccessibleWidget {
public:
    explicit KeyButtonAccessible(DeviceKeyButtonUI* button) : QAccessibleWidget(button, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name) return QAccessibleWidget::text(t);
        const auto* key = static_cast<const DeviceKeyButtonUI*>(widget());
        const QString label = key->KeyLabel().isEmpty() ? key->text() : key->KeyLabel();
        return KeyButtonAccessibleName(label, key->AssignmentName(), key->IsUnchanged(), key->IsLightOn(),
                                       key->LightColour(), key->LightLevel());
    }
};

QAccessibleInterface* KeyButtonFactory(const QString& className, QObject* object) {
    if (className != QLatin1String("ivra::controls::DeviceKeyButtonUI")) return nullptr;
    auto* button = qobject_cast<DeviceKeyButtonUI*>(object);
    return button ? new KeyButtonAccessible(button) : nullptr;
}

}  // namespace

QString ColourName(const QColor& colour) {
    const QColor hsv = colour.toHsv();
    if (hsv.hsvSaturationF() < 0.25) return Text("colour_white_text");
    const int hue = hsv.hsvHue();
    struct Band {
        int below;
        const char* key;
    };
    static const Band kBands[] = {{15, "colour_red_text"},     {45, "colour_orange_text"}, {70, "colour_yellow_text"},
                                  {165, "colour_green_text"},  {195, "colour_cyan_text"},  {255, "colour_blue_text"},
                                  {290, "colour_purple_text"}, {345, "colour_pink_text"},  {361, "colour_red_text"}};
    for (const Band& band : kBands) {
        if (hue < band.below) return Text(band.key);
    }
    return Text("colour_red_text");
}

QString KeyButtonAccessibleName(const QString& label, const QString& assignment, bool unchanged, bool lit,
                                const QColor& colour, int level) {
    QStringList parts{label};
    const bool dark = !lit || level == 0 || colour.value() == 0;
    parts << (dark ? Text("key_state_unlit_text") : Text("key_state_lit_text").arg(ColourName(colour)));
    if (!unchanged && !assignment.isEmpty()) parts << Text("key_state_assigned_text").arg(assignment);
    return parts.join(QStringLiteral(", "));
}

void InstallKeyButtonAccessibility() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(KeyButtonFactory);
}

}  // namespace ivra::controls
