#include "SkinViewWindow.h"

#include "controls/DevicePageUI.h"

namespace ivra::tools {

QWidget* SkinViewWindow::CreateControl(const QString& className, QWidget* parent) {
    return controls::CreateDevicePage(className, parent);
}

}  // namespace ivra::tools
