#include "base/TextHelpers.h"

#include <cwctype>
#include <locale>

namespace ivra {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// One code point from `text` at `pos`, advancing `pos`; malformed input
// gives U+FFFD and advances by one byte.
char32_t DecodeUtf8(std::string_view text, size_t& pos) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    size_t length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07, minimum = 0x10000;
    } else {
        ++pos;
        return kReplacement;
    }
    if (pos + length > text.size()) {
        ++pos;
        return kReplacement;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) {
            ++pos;
            return kReplacement;
        }
        cp = (cp << 6) | (byte(pos + i) & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return kReplacement;
    }
    pos += length;
    return cp;
}

bool IsSpace(char32_t c) {
    return c == U' ' || c == U'\t' || c == U'\n' || c == U'\r' || c == U'\v' || c == U'\f' || c == 0x00A0 ||
           c == 0x3000;
}

const std::ctype<wchar_t>* WideCaseFacet() {
    static const std::ctype<wchar_t>* facet = []() -> const std::ctype<wchar_t>* {
        try {
            static const std::locale locale("C.UTF-8");
            return &std::use_facet<std::ctype<wchar_t>>(locale);
        } catch (...) {
            return nullptr;
        }
    }();
    return facet;
}

wchar_t FoldCase(wchar_t c) {
    if (c < 0x80) return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
    const std::ctype<wchar_t>* facet = WideCaseFacet();
    return facet ? facet->tolower(c) : c;
}

}  // namespace

std::string ToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = static_cast<char32_t>(text[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            // UTF-16 text: join surrogate pairs.
            if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
                const char32_t low = static_cast<char32_t>(text[i + 1]);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    ++i;
                }
            }
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::wstring FromUtf8(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        const char32_t cp = DecodeUtf8(text, pos);
        if constexpr (sizeof(wchar_t) == 2) {
            if (cp >= 0x10000) {
                out += static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
                out += static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
                continue;
            }
        }
        out += static_cast<wchar_t>(cp);
    }
    return out;
}

bool IsBlank(std::wstring_view text) {
    for (wchar_t c : text) {
        if (!IsSpace(static_cast<char32_t>(c))) return false;
    }
    return true;
}

bool IsBlank(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size()) {
        if (!IsSpace(DecodeUtf8(text, pos))) return false;
    }
    return true;
}

bool SplitIndexedName(std::string_view name, std::string& prefix, int& number) {
    const size_t underscore = name.rfind('_');
    if (underscore == std::string_view::npos) return false;
    prefix.assign(name.substr(0, underscore + 1));
    // Leading decimal digits, as the C library's wtoi reads them; anything
    // that is not a number gives 0, and an overlong number stops growing.
    long long value = 0;
    std::string_view rest = name.substr(underscore + 1);
    size_t i = 0;
    while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\t')) ++i;
    bool negative = false;
    if (i < rest.size() && (rest[i] == '+' || rest[i] == '-')) negative = rest[i++] == '-';
    for (; i < rest.size() && rest[i] >= '0' && rest[i] <= '9'; ++i) {
        value = value * 10 + (rest[i] - '0');
        if (value > 0x7FFFFFFF) {
            value = 0x7FFFFFFF;
            break;
        }
    }
    number = static_cast<int>(negative ? -value : value);
    return true;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() == b.size() && a == b) return true;
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t ca = DecodeUtf8(a, i);
        const char32_t cb = DecodeUtf8(b, j);
        if (ca == cb) continue;
        if (FoldCase(static_cast<wchar_t>(ca)) != FoldCase(static_cast<wchar_t>(cb))) return false;
    }
    return i == a.size() && j == b.size();
}

std::string ToValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) AppendUtf8(out, DecodeUtf8(text, pos));
    return out;
}

namespace {
bool IsControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}
}  // namespace

bool HasControlCharacters(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size()) {
        if (IsControl(DecodeUtf8(text, pos))) return true;
    }
    return false;
}

std::string PrintableText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        const char32_t c = DecodeUtf8(text, pos);
        AppendUtf8(out, IsControl(c) ? U'?' : c);
    }
    return out;
}

}  // namespace ivra
