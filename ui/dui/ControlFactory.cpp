#include "dui/ControlFactory.h"

#include <QWidget>

namespace ivra::dui {

ControlFactory& ControlFactory::Instance() {
    static ControlFactory factory;
    return factory;
}

void ControlFactory::RegistControl(const QString& className, Creator creator) {
    const QString key = className.toLower();
    for (auto& entry : creators_) {
        if (entry.first == key) {
            entry.second = std::move(creator);
            return;
        }
    }
    creators_.emplace_back(key, std::move(creator));
}

bool ControlFactory::Knows(const QString& className) const {
    const QString key = className.toLower();
    for (const auto& entry : creators_) {
        if (entry.first == key) return true;
    }
    return false;
}

QWidget* ControlFactory::CreateControl(const QString& className, QWidget* parent) const {
    const QString key = className.toLower();
    for (const auto& entry : creators_) {
        if (entry.first == key) return entry.second(parent);
    }
    return nullptr;
}

}  // namespace ivra::dui
