#include "controls/RegisterControls.h"

#include "controls/ColourPaletteUI.h"
#include "controls/ComboEditContainerElementUI.h"
#include "controls/DeviceKeyButtonUI.h"
#include "controls/DeviceOptionUI.h"
#include "controls/HandImgButtonUI.h"
#include "controls/KeyButtonAccessible.h"
#include "controls/RedioMacroButtonUI.h"
#include "controls/SelectPanelUI.h"
#include "dui/ControlFactory.h"

namespace ivra::controls {
namespace {

struct ControlClass {
    const char* className;
    const char* tag;
    dui::ControlFactory::Creator create;
};

// In start-up order; the classes of panels that do not exist yet join
// when they do.
const ControlClass* Classes(size_t& count) {
    static const ControlClass classes[] = {
        {"SelectPanelUI", SelectPanelUI::kClassName, [](QWidget* parent) { return new SelectPanelUI(parent); }},
        {"DeviceKeyButtonUI", DeviceKeyButtonUI::kClassName,
         [](QWidget* parent) { return new DeviceKeyButtonUI(parent); }},
        {"DeviceOptionUI", DeviceOptionUI::kClassName, [](QWidget* parent) { return new DeviceOptionUI(parent); }},
        {"HandImgButtonUI", HandImgButtonUI::kClassName, [](QWidget* parent) { return new HandImgButtonUI(parent); }},
        {"RedioMacroButtonUI", RedioMacroButtonUI::kClassName,
         [](QWidget* parent) { return new RedioMacroButtonUI(parent); }},
        {"ComboEditContainerElementUI", ComboEditContainerElementUI::kClassName,
         [](QWidget* parent) { return new ComboEditContainerElementUI(parent); }},
        {"HandImgSelectButtonUI", HandImgSelectButtonUI::kClassName,
         [](QWidget* parent) { return new HandImgSelectButtonUI(parent); }},
        {"ColourPaletteUI", ColourPaletteUI::kClassName, [](QWidget* parent) { return new ColourPaletteUI(parent); }},
    };
    count = std::size(classes);
    return classes;
}

}  // namespace

void RegisterControlClasses() {
    InstallKeyButtonAccessibility();
    size_t count = 0;
    const ControlClass* classes = Classes(count);
    for (size_t i = 0; i < count; ++i) {
        dui::ControlFactory::Instance().RegistControl(QString::fromLatin1(classes[i].className), classes[i].create);
        dui::ControlFactory::Instance().RegistControl(QString::fromLatin1(classes[i].tag), classes[i].create);
    }
}

QStringList RegisteredControlClasses() {
    size_t count = 0;
    const ControlClass* classes = Classes(count);
    QStringList names;
    for (size_t i = 0; i < count; ++i) names << QString::fromLatin1(classes[i].className);
    return names;
}

}  // namespace ivra::controls
