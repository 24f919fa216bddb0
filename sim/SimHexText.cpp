#include "SimHexText.h"

#include <cctype>

namespace ivra::sim {

namespace {

uint8_t DigitValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<uint8_t>(c - '0');
    return static_cast<uint8_t>(std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
}

}  // namespace

bool ParseHexBytes(const std::string& text, size_t maxBytes, std::vector<uint8_t>& out, std::string& why) {
    std::string digits;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ') continue;
        if (std::isxdigit(static_cast<unsigned char>(c)) == 0) {
            why = "bad hex digit '" + std::string(1, c) + "' at position " + std::to_string(i);
            return false;
        }
        digits.push_back(c);
    }
    if (digits.size() % 2 != 0) {
        why = "odd number of hex digits";
        return false;
    }
    if (digits.size() / 2 > maxBytes) {
        why = std::to_string(digits.size() / 2) + " bytes, at most " + std::to_string(maxBytes) + " fit";
        return false;
    }
    std::vector<uint8_t> bytes;
    bytes.reserve(digits.size() / 2);
    for (size_t i = 0; i < digits.size(); i += 2) {
        bytes.push_back(static_cast<uint8_t>(DigitValue(digits[i]) << 4 | DigitValue(digits[i + 1])));
    }
    out = std::move(bytes);
    return true;
}

}  // namespace ivra::sim
