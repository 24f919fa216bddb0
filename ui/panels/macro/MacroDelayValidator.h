// The delay cell's input rule: digits only, at most six of them, and a value
// of at most 65535 ms. Anything else is refused as it is typed.
#pragma once

#include <QValidator>

namespace ivra::panels {

class MacroDelayValidator final : public QValidator {
    Q_OBJECT
public:
    static constexpr int kMaxLength = 6;

    explicit MacroDelayValidator(QObject* parent = nullptr) : QValidator(parent) {}

    State validate(QString& input, int& position) const override;
};

}  // namespace ivra::panels
