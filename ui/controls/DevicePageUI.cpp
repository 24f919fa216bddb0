#include "controls/DevicePageUI.h"

namespace ivra::controls {
namespace {

constexpr const char* kPageTags[] = {"KestrelKeyboardDevice", "KestrelMouseDevice", "KestrelMousePadDevice",
                                     "KestrelDE6533Device"};

}  // namespace

DevicePageUI::DevicePageUI(QString className, QWidget* parent) : QFrame(parent), className_(std::move(className)) {}

bool IsDevicePageTag(const QString& tag) {
    for (const char* known : kPageTags) {
        if (tag.compare(QLatin1String(known), Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

QWidget* CreateDevicePage(const QString& tag, QWidget* parent) {
    for (const char* known : kPageTags) {
        if (tag.compare(QLatin1String(known), Qt::CaseInsensitive) == 0) {
            return new DevicePageUI(QString::fromLatin1(known), parent);
        }
    }
    return nullptr;
}

}  // namespace ivra::controls
