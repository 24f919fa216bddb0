#include "panels/macro/MacroDelayValidator.h"

#include "models/keys/MacroEvent.h"

namespace ivra::panels {

QValidator::State MacroDelayValidator::validate(QString& input, int& /*position*/) const {
    if (input.isEmpty()) return Intermediate;  // empty saves as 0
    if (input.size() > kMaxLength) return Invalid;
    for (const QChar c : input) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return Invalid;
    }
    return input.toUInt() <= kMaxMacroDelay ? Acceptable : Invalid;
}

}  // namespace ivra::panels
