// Creates the system's own control classes by name, for the dialog builder.
// Names are compared without regard to case, as skin tags are.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace ivra::dui {

class ControlFactory {
public:
    using Creator = std::function<QWidget*(QWidget* parent)>;

    static ControlFactory& Instance();

    // Registering a name again replaces its creator.
    void RegistControl(const QString& className, Creator creator);
    bool Knows(const QString& className) const;
    // Null for a name nobody registered.
    QWidget* CreateControl(const QString& className, QWidget* parent) const;

private:
    ControlFactory() = default;
    std::vector<std::pair<QString, Creator>> creators_;  // lower-case name first
};

}  // namespace ivra::dui
