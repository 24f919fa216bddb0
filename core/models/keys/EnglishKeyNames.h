// English texts for the language keys that name keys and assignments: the
// key table's label keys and every key AssignmentName can give. The command
// line tool shows them; the user interface's language files can be made
// from this table or checked against it.
#pragma once

#include <string_view>
#include <vector>

namespace ivra {

// The English text of a language key; "" when the key is not in the table.
std::string_view EnglishKeyText(std::string_view languageKey);

// Every language key the table has, in byte order: the keys both language
// files must give a text for.
std::vector<std::string_view> EnglishKeyTextKeys();

}  // namespace ivra
