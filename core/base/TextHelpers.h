// Text conversions and small text tests used wherever names are handled.
// Every text kept in a JSON file is UTF-8; wide text is what a user
// interface shows.
#pragma once

#include <string>
#include <string_view>

namespace ivra {

// UTF-8 from wide text; code points that cannot be encoded (lone surrogates,
// values above U+10FFFF) become U+FFFD.
std::string ToUtf8(std::wstring_view text);

// Wide text from UTF-8; malformed sequences become U+FFFD, one per bad byte.
std::wstring FromUtf8(std::string_view text);

// True when nothing but white space is left after trimming both ends.
bool IsBlank(std::string_view text);
bool IsBlank(std::wstring_view text);

// Splits a control name at its last "_": "DPI_12" gives "DPI_" and 12.
// The number is 0 when the rest is not a decimal number ("DPI_slider_").
// False, with the outputs untouched, when the name has no "_".
bool SplitIndexedName(std::string_view name, std::string& prefix, int& number);

// Compares two UTF-8 names without regard to case, as names of profiles and
// macros are compared. Letters outside ASCII are folded too where the
// system's C.UTF-8 locale knows them.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// The text with every malformed UTF-8 sequence replaced by U+FFFD, one per
// bad byte: what names are stored as, so every file stays valid UTF-8.
std::string ToValidUtf8(std::string_view text);

// True when the UTF-8 text holds a control character (U+0000-U+001F,
// U+007F-U+009F): a line end or an escape sequence has no place in a name.
bool HasControlCharacters(std::string_view text);

// The text made safe for a terminal line: valid UTF-8, with each control
// character shown as "?".
std::string PrintableText(std::string_view text);

}  // namespace ivra
